#include "io/Export3ds.h"

#include "core/AtomicFile.h"
#include "core/ByteIO.h"
#include "core/Transform.h"
#include "core/Xom.h"
#include "render/PoxelMesh.h"
#include "textures/ImageRecord.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <unordered_set>

namespace lw {

namespace {

constexpr size_t kMaxNameLength = 10;
constexpr size_t kMaxCount = 65535;

std::string materialName(const std::string& base, uint32_t colour) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "#%.6X", colour & 0xFFFFFFu);
    return base + hex;
}

bool lessIgnoringCase(const std::string& a, const std::string& b) {
    return foldCase(a) < foldCase(b);
}

std::string freeName(const std::unordered_set<std::string>& taken, const std::string& name) {
    std::string candidate = MeshBaseName(name);
    while (taken.count(candidate))
        candidate = NextMeshName(candidate);
    return candidate;
}

struct Collection {
    std::vector<TMesh>& meshes;
    std::unordered_set<std::string> names; // of the meshes so far
    const ExportTextures* textures;
    const ImportFeedback& feedback;
};

Status collect(Collection& into, const TPoxel& poxel, const Mat4& parent) {
    std::vector<TMesh>& meshes = into.meshes;
    const ExportTextures* textures = into.textures;
    const ImportFeedback& feedback = into.feedback;
    const Mat4 m = nodeMatrix(parent, poxel);
    if (!poxel.IsGroup && !poxel.IsRoot && !poxel.IsEntity) {
        feedback.stage("Get Vertex", "Calculate poxel: " + poxel.Name);
        ExportCollector collector;
        collector.GroupByTexture = textures != nullptr;
        PoxelMesh scratch;
        computePoxelGeometry(poxel, textures ? textures->Table : nullptr, scratch,
                             MeshBuildExtras{{}, {}, &collector});
        TMesh mesh;
        mesh.Source = &poxel;
        const Mat4 world = multiply(m, scaling(poxel.Size));
        mesh.Vertices.reserve(collector.Positions.size());
        for (const TVec3& v : collector.Positions)
            mesh.Vertices.push_back(transformPoint(world, v));
        if (textures)
            mesh.TexCoords = std::move(collector.TexCoords);
        mesh.Faces = std::move(collector.Faces);
        if (textures) {
            for (auto& [name, faces] : collector.TextureFaces) {
                if (name >= textures->NameList->size())
                    return Error{"sTextureNotFound", "Texture not found",
                                 "poxel '" + poxel.Name + "' uses texture " + std::to_string(name) +
                                     ", which the list does not name"};
                mesh.MaterialNames.push_back(
                    materialName((*textures->NameList)[name], poxel.Color));
                mesh.MaterialFaces.push_back(std::move(faces));
            }
        } else {
            std::vector<int32_t> all(mesh.Faces.size());
            for (size_t i = 0; i < all.size(); ++i)
                all[i] = static_cast<int32_t>(i);
            mesh.MaterialNames.push_back(materialName("color", poxel.Color));
            mesh.MaterialFaces.push_back(std::move(all));
        }
        mesh.Name = freeName(into.names, poxel.Name);
        into.names.insert(mesh.Name);
        meshes.push_back(std::move(mesh));
    }
    for (const auto& child : poxel.Children)
        if (auto st = collect(into, *child, m); !st)
            return st;
    return Ok{};
}

// Chunks whose length is filled in when they are closed.
class ChunkWriter {
public:
    std::vector<uint8_t> out;

    size_t open(uint16_t id) {
        const size_t at = out.size();
        out.push_back(uint8_t(id));
        out.push_back(uint8_t(id >> 8));
        appendU32(out, 0);
        return at;
    }
    void close(size_t at) { storeU32(out, at + 2, static_cast<uint32_t>(out.size() - at)); }
    void u16(size_t v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    }
    void text(const std::string& s) { appendBytes(out, s.c_str(), s.size() + 1); }
    void percent(uint16_t value) {
        const size_t c = open(0x0030);
        u16(value);
        close(c);
    }
    void colour(uint16_t id, uint32_t rgb) {
        const size_t c = open(id);
        const size_t inner = open(0x0011);
        out.push_back(uint8_t(rgb));
        out.push_back(uint8_t(rgb >> 8));
        out.push_back(uint8_t(rgb >> 16));
        close(inner);
        close(c);
    }
};

// The textures the materials draw with, each once. One without an image, or with an image that
// cannot be decoded, refuses the export before any file is written.
Result<std::vector<std::string>> texturesToSave(const std::vector<TMaterial>& materials,
                                                const ImageList& images) {
    std::vector<std::string> names;
    for (const TMaterial& m : materials) {
        std::string name = m.Name.substr(0, m.Name.find('#'));
        if (std::any_of(names.begin(), names.end(),
                        [&](const std::string& s) { return foldCase(s) == foldCase(name); }))
            continue;
        const NamedImage* image = FindImage(images, name);
        if (!image)
            return Error{"sTextureNotFound", "Texture not found",
                         "'" + name + "' has no image among the loaded textures"};
        if (auto layout = imageLayout(image->record); !layout) {
            Error e = layout.error();
            e.detail = "'" + name + "': " + e.detail;
            return e;
        }
        names.push_back(std::move(name));
    }
    return names;
}

} // namespace

std::string MeshBaseName(const std::string& name) {
    std::string base = name.substr(0, kMaxNameLength);
    std::replace(base.begin(), base.end(), ' ', '_');
    return base;
}

std::string NextMeshName(const std::string& name) {
    size_t start = name.size();
    while (start > 0 && name[start - 1] >= '0' && name[start - 1] <= '9')
        --start;
    std::string number = name.substr(start);
    if (number.empty()) {
        number = "0";
    } else {
        // Count up in decimal text, so any run length works and keeps its zero padding.
        size_t i = number.size();
        while (i > 0 && number[i - 1] == '9')
            number[--i] = '0';
        if (i == 0)
            number.insert(number.begin(), '1');
        else
            ++number[i - 1];
    }
    if (number.size() >= kMaxNameLength)
        return number.substr(number.size() - kMaxNameLength);
    return name.substr(0, std::min(start, kMaxNameLength - number.size())) + number;
}

std::string UniqueMeshName(const std::vector<TMesh>& meshes, size_t index,
                           const std::string& name) {
    std::unordered_set<std::string> taken;
    for (size_t i = 0; i < std::min(index, meshes.size()); ++i)
        taken.insert(meshes[i].Name);
    return freeName(taken, name);
}

uint32_t MaterialColour(const std::string& materialName) {
    const size_t hash = materialName.find('#');
    if (hash == std::string::npos)
        return 0;
    uint32_t value = 0;
    for (size_t i = hash + 1; i < materialName.size() && i <= hash + 6; ++i) {
        const char c = materialName[i];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : -1;
        if (digit < 0)
            break;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

std::string TextureFileName(const std::string& materialName) {
    return materialName.substr(0, materialName.find('#')) + ".tga";
}

Status BuildExportMeshes(std::vector<TMesh>& meshes, const TPoxel& poxel,
                         const ExportTextures* textures, const ImportFeedback& feedback) {
    // Editor space has y up; the file's has z up: (x, y, z) becomes (x, -z, y).
    Collection into{meshes, {}, textures, feedback};
    for (const TMesh& m : meshes)
        into.names.insert(m.Name);
    return collect(into, poxel, rotation(90.0, 0));
}

std::vector<TMaterial> collectMaterials(const std::vector<TMesh>& meshes, bool withTextures) {
    std::vector<std::string> names;
    for (const TMesh& mesh : meshes)
        for (const std::string& n : mesh.MaterialNames)
            names.push_back(n);
    // The first spelling met stands for all the names equal to it ignoring case.
    std::stable_sort(names.begin(), names.end(), lessIgnoringCase);
    names.erase(std::unique(names.begin(), names.end(),
                            [](const std::string& a, const std::string& b) {
                                return foldCase(a) == foldCase(b);
                            }),
                names.end());
    std::vector<TMaterial> materials;
    for (const std::string& n : names)
        materials.push_back(
            TMaterial{n, MaterialColour(n), withTextures ? TextureFileName(n) : std::string()});
    return materials;
}

Result<std::vector<uint8_t>> encode3ds(const std::vector<TMesh>& meshes,
                                       const std::vector<TMaterial>& materials, bool withTextures) {
    for (const TMesh& mesh : meshes) {
        if (mesh.Vertices.size() > kMaxCount || mesh.Faces.size() > kMaxCount) {
            const std::string poxel = mesh.Source ? mesh.Source->Name : mesh.Name;
            return Error{"sModelTooLarge", "Poxel too large for a 3DS mesh",
                         "poxel '" + poxel + "' has " + std::to_string(mesh.Vertices.size()) +
                             " vertices and " + std::to_string(mesh.Faces.size()) +
                             " faces; a 3DS mesh holds at most 65535 of each"};
        }
    }
    // Groups name their material by the spelling the material list kept.
    auto canonical = [&](const std::string& n) -> const std::string& {
        for (const TMaterial& m : materials)
            if (foldCase(m.Name) == foldCase(n))
                return m.Name;
        return n;
    };
    ChunkWriter w;
    const size_t main = w.open(0x4D4D);
    size_t c = w.open(0x0002);
    appendU32(w.out, 3);
    w.close(c);
    const size_t editor = w.open(0x3D3D);
    c = w.open(0x3D3E);
    appendU32(w.out, 3);
    w.close(c);
    for (const TMaterial& m : materials) {
        const size_t material = w.open(0xAFFF);
        c = w.open(0xA000);
        w.text(m.Name);
        w.close(c);
        w.colour(0xA020, m.Colour);
        w.colour(0xA030, m.Colour);
        c = w.open(0xA050);
        w.percent(0);
        w.close(c);
        if (withTextures) {
            const size_t map = w.open(0xA200);
            w.percent(50);
            c = w.open(0xA300);
            w.text(m.TextureFile);
            w.close(c);
            w.close(map);
        }
        w.close(material);
    }
    for (const TMesh& mesh : meshes) {
        const size_t object = w.open(0x4000);
        w.text(mesh.Name);
        const size_t trimesh = w.open(0x4100);
        c = w.open(0x4110);
        w.u16(mesh.Vertices.size());
        for (const TVec3& v : mesh.Vertices) {
            appendF32(w.out, v.X);
            appendF32(w.out, v.Y);
            appendF32(w.out, v.Z);
        }
        w.close(c);
        if (withTextures) {
            c = w.open(0x4140);
            w.u16(mesh.TexCoords.size());
            for (const TTexCoord& t : mesh.TexCoords) {
                appendF32(w.out, t.U);
                appendF32(w.out, t.V);
            }
            w.close(c);
        }
        const size_t faces = w.open(0x4120);
        w.u16(mesh.Faces.size());
        for (const ExportFace& f : mesh.Faces) {
            w.u16(static_cast<size_t>(f[2]) & 0xFFFF);
            w.u16(static_cast<size_t>(f[1]) & 0xFFFF);
            w.u16(static_cast<size_t>(f[0]) & 0xFFFF);
            w.u16(static_cast<size_t>(f[3]) & 0xFFFF);
        }
        for (size_t g = 0; g < mesh.MaterialNames.size(); ++g) {
            c = w.open(0x4130);
            w.text(canonical(mesh.MaterialNames[g]));
            w.u16(mesh.MaterialFaces[g].size());
            for (int32_t face : mesh.MaterialFaces[g])
                w.u16(static_cast<size_t>(face) & 0xFFFF);
            w.close(c);
        }
        w.close(faces);
        w.close(trimesh);
        w.close(object);
    }
    w.close(editor);
    w.close(main);
    return std::move(w.out);
}

Status Export3ds(const TPoxel* poxel, const std::string& fileName, const ExportTextures* textures,
                 const ImportFeedback& feedback) {
    if (!poxel)
        return Error{"sNoPoxelSelected", "No poxel selected",
                     "\"Select Model\" exports the selected poxel; select one first"};
    if (poxel->IsEntity)
        return Error{"sNoPoxelSelected", "No poxel selected",
                     "'" + poxel->Name + "' is an entity, which is not exported"};
    if (textures && (!textures->Table || !textures->NameList || !textures->Images))
        return Error{"sNoTextures", "Textures are not loaded", "no texture list was given"};
    std::vector<TMesh> meshes;
    feedback.stage("Get Vertex", "");
    if (auto st = BuildExportMeshes(meshes, *poxel, textures, feedback); !st)
        return st;
    feedback.stage("Generating Materials", "");
    const std::vector<TMaterial> materials = collectMaterials(meshes, textures != nullptr);
    auto bytes = encode3ds(meshes, materials, textures != nullptr);
    if (!bytes)
        return bytes.error();
    if (textures) {
        auto names = texturesToSave(materials, *textures->Images);
        if (!names)
            return names.error();
        feedback.stage("Saving Textures", "");
        const size_t cut = fileName.find_last_of("/\\");
        const std::string folder = cut == std::string::npos ? "." : fileName.substr(0, cut);
        for (const std::string& t : *names) {
            feedback.stage("Saving Textures", "Texture File: " + t);
            if (auto st = SaveImageAsTga(*textures->Images, t, folder + "/" + t + ".tga"); !st)
                return st;
        }
    }
    feedback.stage("Saving Data", "");
    if (auto st = writeFileAtomically(fileName, *bytes); !st)
        return st;
    feedback.stage("Done", "");
    return Ok{};
}

} // namespace lw

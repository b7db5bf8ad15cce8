#include "io/Model3ds.h"

#include "core/ByteIO.h"
#include "core/Xom.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <unordered_map>

namespace lw {

namespace {

constexpr uint16_t kChunkEditor = 0x3D3D;
constexpr uint16_t kChunkObject = 0x4000;
constexpr uint16_t kChunkMesh = 0x4100;
constexpr uint16_t kChunkVertices = 0x4110;
constexpr uint16_t kChunkFaces = 0x4120;
constexpr size_t kHeader = 6;

std::string hex4(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", v);
    return text;
}

struct Chunk {
    uint16_t id = 0;
    size_t begin = 0; // header offset
    size_t data = 0;  // first byte after the header
    size_t end = 0;
};

// A mesh as it stands in the file: raw vertex bytes and face indices.
struct RawMesh {
    std::string name;
    const uint8_t* vertexBytes = nullptr;
    size_t vertexCount = 0;
    std::vector<TFace3D> faces;
    bool hasVertices = false;
};

class Walker {
public:
    Walker(const std::vector<uint8_t>& bytes, const ImportFeedback& feedback)
        : b_(bytes), feedback_(feedback) {}

    std::string error;
    std::vector<RawMesh> meshes;

    // Reads the chunk header at `at` inside [.., end). Returns false with `error` set when the
    // header is cut or its length is impossible; `overrun` tells a length past `end` apart.
    bool header(size_t at, size_t end, Chunk& c, bool& overrun) {
        overrun = false;
        if (end - at < kHeader) {
            error = "chunk header at offset " + std::to_string(at) + " is cut short";
            return false;
        }
        c.id = loadU16(b_.data() + at);
        const uint32_t length = loadU32(b_.data() + at + 2);
        c.begin = at;
        c.data = at + kHeader;
        if (length < kHeader) {
            error = "chunk " + hex4(c.id) + " at offset " + std::to_string(at) + " has length " +
                    std::to_string(length);
            return false;
        }
        if (length > end - at) {
            overrun = true;
            error = "chunk " + hex4(c.id) + " at offset " + std::to_string(at) + " (length " +
                    std::to_string(length) + ") runs past the end of its data at " +
                    std::to_string(end);
            return false;
        }
        c.end = at + length;
        return true;
    }

    // The chunks of [begin, end). Containers are entered; the named objects' and meshes'
    // lists are read; everything else is passed over. A chunk we only pass over that runs
    // past the data ends the reading, keeping what was read (the file's tail is damaged, not
    // the meshes); any fault inside what we read refuses the file.
    bool walk(size_t begin, size_t end, int depth, RawMesh* mesh) {
        size_t at = begin;
        while (at < end) {
            Chunk c;
            bool overrun = false;
            if (!header(at, end, c, overrun)) {
                // Only between the editor's chunks: inside an object every fault counts.
                const bool damagedTail =
                    depth <= 1 && (overrun ? !isRead(c.id, depth) : end - at < kHeader);
                if (damagedTail) {
                    error.clear();
                    stopped_ = true;
                    return true;
                }
                return false;
            }
            if (depth == 0)
                feedback_.progress(static_cast<int>(100.0 * c.begin / b_.size()), -1);
            if (!chunk(c, depth, mesh))
                return false;
            if (stopped_)
                return true;
            at = c.end;
        }
        return true;
    }

private:
    const std::vector<uint8_t>& b_;
    const ImportFeedback& feedback_;
    bool stopped_ = false;

    static bool isRead(uint16_t id, int depth) {
        switch (id) {
        case kChunkEditor:
            return depth == 0;
        case kChunkObject:
            return depth == 1;
        case kChunkMesh:
            return depth == 2;
        case kChunkVertices:
        case kChunkFaces:
            return depth == 3;
        default:
            return false;
        }
    }

    bool chunk(const Chunk& c, int depth, RawMesh* mesh) {
        if (!isRead(c.id, depth))
            return true;
        switch (c.id) {
        case kChunkEditor:
            return walk(c.data, c.end, 1, nullptr);
        case kChunkObject: {
            const uint8_t* p = b_.data() + c.data;
            const void* zero = std::memchr(p, 0, c.end - c.data);
            if (!zero) {
                error =
                    "named object at offset " + std::to_string(c.begin) + " has no terminated name";
                return false;
            }
            const size_t nameLength = static_cast<const uint8_t*>(zero) - p;
            RawMesh named;
            named.name.assign(reinterpret_cast<const char*>(p), nameLength);
            feedback_.stage("Load Model", "Load 3DS Object [" + named.name + "]");
            const size_t before = meshes.size();
            if (!walk(c.data + nameLength + 1, c.end, 2, &named))
                return false;
            // A named mesh is kept in file order; cameras and lights have none.
            if (meshes.size() == before && named.hasVertices)
                meshes.push_back(std::move(named));
            return true;
        }
        case kChunkMesh:
            return mesh->hasVertices ? true : walk(c.data, c.end, 3, mesh);
        case kChunkVertices:
            return vertexList(c, *mesh);
        case kChunkFaces:
            return faceList(c, *mesh);
        default:
            return true;
        }
    }

    bool vertexList(const Chunk& c, RawMesh& mesh) {
        if (mesh.hasVertices)
            return true;
        const size_t room = c.end - c.data;
        const size_t count = room >= 2 ? loadU16(b_.data() + c.data) : 0;
        if (room < 2 || room - 2 < count * 12) {
            error = "vertex list of '" + mesh.name + "' at offset " + std::to_string(c.begin) +
                    " is cut short";
            return false;
        }
        mesh.vertexBytes = b_.data() + c.data + 2;
        mesh.vertexCount = count;
        mesh.hasVertices = true;
        return true;
    }

    bool faceList(const Chunk& c, RawMesh& mesh) {
        if (!mesh.faces.empty())
            return true;
        const size_t room = c.end - c.data;
        const size_t count = room >= 2 ? loadU16(b_.data() + c.data) : 0;
        if (room < 2 || room - 2 < count * 8) {
            error = "face list of '" + mesh.name + "' at offset " + std::to_string(c.begin) +
                    " is cut short";
            return false;
        }
        mesh.faces.resize(count);
        const uint8_t* p = b_.data() + c.data + 2;
        for (size_t i = 0; i < count; ++i, p += 8)
            mesh.faces[i] = {loadU16(p), loadU16(p + 2), loadU16(p + 4), 0};
        return true;
    }
};

// Merges byte-equal vertices (the first one of each value keeps its place in file order), turns
// them to (x, z, -y) and renumbers the faces. Fails on a face that names a missing vertex.
Result<TObj3D> mergeMesh(const RawMesh& raw) {
    TObj3D object;
    object.Name = raw.name;
    std::vector<uint16_t> newIndex(raw.vertexCount);
    struct Key {
        uint32_t x, y, z;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            uint64_t h = k.x * 0x9E3779B97F4A7C15ull;
            h ^= (h >> 29) + k.y * 0xBF58476D1CE4E5B9ull;
            h ^= (h >> 31) + k.z * 0x94D049BB133111EBull;
            return static_cast<size_t>(h ^ (h >> 32));
        }
    };
    std::unordered_map<Key, uint16_t, KeyHash> seen;
    seen.reserve(raw.vertexCount);
    for (size_t i = 0; i < raw.vertexCount; ++i) {
        const uint8_t* p = raw.vertexBytes + i * 12;
        const Key key{loadU32(p), loadU32(p + 4), loadU32(p + 8)};
        auto [it, added] = seen.try_emplace(key, static_cast<uint16_t>(object.Vertices.size()));
        if (added)
            object.Vertices.push_back({loadF32(p), loadF32(p + 8), -loadF32(p + 4)});
        newIndex[i] = it->second;
    }
    object.Faces = raw.faces;
    for (size_t f = 0; f < object.Faces.size(); ++f) {
        for (int k = 0; k < 3; ++k) {
            const uint16_t v = object.Faces[f][k];
            if (v >= raw.vertexCount)
                return bad3dsFile("face " + std::to_string(f) + " of '" + raw.name +
                                  "' refers to vertex " + std::to_string(v) + " of " +
                                  std::to_string(raw.vertexCount));
            object.Faces[f][k] = newIndex[v];
        }
    }
    computeBox(object);
    return object;
}

// Union-find over vertex numbers, with path halving.
struct Pieces {
    std::vector<uint32_t> parent;
    explicit Pieces(size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0u); }
    uint32_t find(uint32_t v) {
        while (parent[v] != v) {
            parent[v] = parent[parent[v]];
            v = parent[v];
        }
        return v;
    }
    void unite(uint32_t a, uint32_t b) {
        a = find(a);
        b = find(b);
        if (a != b)
            parent[std::max(a, b)] = std::min(a, b);
    }
};

} // namespace

Error bad3dsFile(std::string detail) {
    return Error{"sBad3dsFile", "Bad 3ds file", std::move(detail)};
}

void computeBox(TObj3D& object) {
    object.BoxMin = {1e34f, 1e34f, 1e34f};
    object.BoxMax = {-1e34f, -1e34f, -1e34f};
    for (const TVec3& v : object.Vertices) {
        object.BoxMin = {std::min(object.BoxMin.X, v.X), std::min(object.BoxMin.Y, v.Y),
                         std::min(object.BoxMin.Z, v.Z)};
        object.BoxMax = {std::max(object.BoxMax.X, v.X), std::max(object.BoxMax.Y, v.Y),
                         std::max(object.BoxMax.Z, v.Z)};
    }
}

void splitIntoPieces(TObj3D&& object, TObjArray3D& out) {
    if (object.Faces.empty())
        return; // no faces, no pieces
    Pieces sets(object.Vertices.size());
    for (const TFace3D& f : object.Faces) {
        sets.unite(f[0], f[1]);
        sets.unite(f[1], f[2]);
    }
    // Piece numbers in the order of each piece's lowest face.
    std::vector<int32_t> pieceOfRoot(object.Vertices.size(), -1);
    std::vector<int32_t> pieceOfFace(object.Faces.size());
    int32_t pieces = 0;
    for (size_t i = 0; i < object.Faces.size(); ++i) {
        int32_t& piece = pieceOfRoot[sets.find(object.Faces[i][0])];
        if (piece < 0)
            piece = pieces++;
        pieceOfFace[i] = piece;
    }
    if (pieces == 1) {
        out.push_back(std::move(object));
        return;
    }
    const size_t first = out.size();
    out.resize(first + static_cast<size_t>(pieces));
    std::vector<int32_t> newIndex(object.Vertices.size(), -1);
    for (int32_t k = 0; k < pieces; ++k)
        out[first + k].Name = object.Name + "_Group_" + std::to_string(k + 1);
    for (size_t i = 0; i < object.Faces.size(); ++i) {
        TObj3D& piece = out[first + pieceOfFace[i]];
        TFace3D face = object.Faces[i];
        for (int k = 0; k < 3; ++k) {
            int32_t& index = newIndex[face[k]];
            if (index < 0) {
                index = static_cast<int32_t>(piece.Vertices.size());
                piece.Vertices.push_back(object.Vertices[face[k]]);
            }
            face[k] = static_cast<uint16_t>(index);
        }
        piece.Faces.push_back(face);
    }
    for (int32_t k = 0; k < pieces; ++k)
        computeBox(out[first + k]);
}

Result<TObjArray3D> decode3ds(const std::vector<uint8_t>& bytes, const ImportFeedback& feedback,
                              Read3dsStats* stats) {
    // The file opens with a main chunk, a version chunk of 4 bytes and the editor chunk.
    if (bytes.size() < 2 * kHeader + 4 + kHeader)
        return bad3dsFile("the file is too short for a 3DS model (" + std::to_string(bytes.size()) +
                          " bytes)");
    const size_t third = 2 * kHeader + 4;
    if (loadU16(bytes.data() + third) != kChunkEditor)
        return bad3dsFile("no 3D editor chunk (0x3D3D) at offset " + std::to_string(third) +
                          ": not a 3DS model");
    feedback.stage("Load Model", "Load 3DS Object");
    Walker walker(bytes, feedback);
    // The chunks from the editor chunk to the end of the data are siblings.
    if (!walker.walk(third, bytes.size(), 0, nullptr))
        return bad3dsFile(walker.error);

    TObjArray3D objects;
    for (const RawMesh& raw : walker.meshes) {
        auto merged = mergeMesh(raw);
        if (!merged)
            return merged.error();
        const size_t before = objects.size();
        Read3dsStats::Mesh counts{raw.name, raw.vertexCount, merged->Vertices.size(),
                                  merged->Faces.size(), 0};
        splitIntoPieces(std::move(*merged), objects);
        counts.Pieces = objects.size() - before;
        if (stats)
            stats->Meshes.push_back(std::move(counts));
        feedback.progress(-1, 95);
    }
    return objects;
}

Result<TObjArray3D> Read3ds(const std::string& fileName, const ImportFeedback& feedback,
                            Read3dsStats* stats) {
    auto bytes = readFileBytes(fileName);
    if (!bytes)
        return bytes.error();
    auto objects = decode3ds(*bytes, feedback, stats);
    if (!objects) {
        Error e = objects.error();
        e.detail = fileName + ": " + e.detail;
        return e;
    }
    return objects;
}

} // namespace lw

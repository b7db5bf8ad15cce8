// Exporting with textures: materials naming their TGA files, the TGA files beside the model,
// and a texture without an image refused before anything is written.

#include "io/Export3ds.h"

#include "core/ByteIO.h"
#include "support/TestSupport.h"
#include "textures/ImageRecord.h"
#include "textures/TextureCodes.h"
#include "textures/TextureSamples.h"
#include "textures/TextureTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

using namespace lwtest;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kMeadowColour = 0xFF102030u;
constexpr uint32_t kCliffColour = 0xFF0000FFu;

// Box 1 is grass on dirt, box 2 rock on dirt with an edge overlay no face is drawn with.
lw::TextureBoxList boxList(const std::string& cliffTop = "rock") {
    lw::TextureBoxList list;
    list.Boxes.push_back({"Meadow", {"grass", "dirt", "dirt", "NULL", "grass"}});
    list.Boxes.push_back({"Cliff", {cliffTop, cliffTop, "dirt", "grass", cliffTop}});
    return list;
}

std::unique_ptr<lw::TPoxel> boxPoxel(const std::string& name, int box, uint32_t colour,
                                     lw::TVec3 pos) {
    auto p = lw::makePoxel(2, 1, 2);
    p->Name = name;
    p->Pos = pos;
    p->Color = colour;
    lw::FillVoxels(*p, lw::boxCode(box));
    return p;
}

std::unique_ptr<lw::TPoxel> twoBoxMap() {
    auto root = lw::makePoxel(1, 1, 1);
    root->IsRoot = root->IsGroup = true;
    lw::AddChildPoxel(*root, boxPoxel("Meadow", 1, kMeadowColour, {0, 0, 0}));
    lw::AddChildPoxel(*root, boxPoxel("Cliff", 2, kCliffColour, {5, 0, 0}));
    return root;
}

// The images as a texture bundle holds them: R, G, B rows, bottom row first.
const std::vector<BundleImage> kSources = {
    {"grass", 2, 2, 1}, {"dirt", 3, 1, 2}, {"rock", 1, 2, 3}};

lw::ImageList bundleImages() {
    auto read = lw::readBundleImages(bundleFile(kSources));
    EXPECT_TRUE(read.ok());
    return read.ok() ? *read : lw::ImageList{};
}

// Everything the loaded textures consist of, kept together for one export.
struct Loaded {
    lw::TextureBoxList list;
    std::vector<std::string> names;
    lw::TTextureList table{};
    lw::ImageList images;
    lw::ExportTextures textures() const { return {&table, &names, &images}; }
};

Loaded load(const lw::TextureBoxList& list) {
    Loaded l{list, lw::buildTextureNameList(list), {}, bundleImages()};
    EXPECT_TRUE(lw::fillTextureTable(l.list, l.names, l.table).ok());
    return l;
}

// Material name → texture file, read back from the file's material chunks.
std::map<std::string, std::string> materialTextures(const std::vector<uint8_t>& b) {
    std::map<std::string, std::string> found;
    std::string material;
    auto walk = [&](auto&& self, size_t at, size_t end) -> void {
        while (at + 6 <= end) {
            const uint16_t id = lw::loadU16(b.data() + at);
            const size_t length = lw::loadU32(b.data() + at + 2);
            if (length < 6 || at + length > end) {
                ADD_FAILURE() << "chunk " << std::hex << id << " overruns its parent";
                return;
            }
            const char* body = reinterpret_cast<const char*>(b.data() + at + 6);
            if (id == 0x4D4D || id == 0x3D3D || id == 0xAFFF || id == 0xA200)
                self(self, at + 6, at + length);
            else if (id == 0xA000)
                material = body;
            else if (id == 0xA300)
                found[material] = body;
            at += length;
        }
    };
    walk(walk, 0, b.size());
    return found;
}

TEST(Export3dsTextures, MaterialsNameTheirTgaFilesWrittenBesideTheModel) {
    TempDir dir;
    const Loaded loaded = load(boxList());
    const lw::ExportTextures textures = loaded.textures();
    auto map = twoBoxMap();
    const fs::path model = dir / "scene.3ds";
    auto st = lw::Export3ds(map.get(), model.string(), &textures);
    ASSERT_TRUE(st.ok()) << st.error().message();

    // Faces use top, side and bottom only: the edge overlay makes no material.
    const auto bytes = readBytes(model);
    EXPECT_EQ(materialTextures(bytes), (std::map<std::string, std::string>{
                                           {"dirt#0000FF", "dirt.tga"},
                                           {"dirt#102030", "dirt.tga"},
                                           {"grass#102030", "grass.tga"},
                                           {"rock#0000FF", "rock.tga"},
                                       }));

    // Each texture once, as an uncompressed TGA of the image's pixels in B, G, R order.
    std::vector<std::string> written;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        written.push_back(entry.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written,
              (std::vector<std::string>{"dirt.tga", "grass.tga", "rock.tga", "scene.3ds"}));
    for (const BundleImage& s : kSources) {
        SCOPED_TRACE(s.name);
        const auto tga = readBytes(dir / (s.name + ".tga"));
        auto decoded = lw::ShowImage(tga, false);
        ASSERT_TRUE(decoded.ok()) << decoded.error().message();
        EXPECT_EQ(decoded->description(),
                  std::to_string(s.width) + "x" + std::to_string(s.height) + "x24bit type:0");
        auto expected = pattern(size_t(s.width * s.height * 3), s.seed);
        for (size_t i = 0; i + 3 <= expected.size(); i += 3)
            std::swap(expected[i], expected[i + 2]);
        ASSERT_EQ(tga.size(), lw::kTgaHeaderSize + expected.size());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), tga.begin() + 18));
    }
}

TEST(Export3dsTextures, MeshesCarryOneTexCoordPerVertexAndGroupEveryFace) {
    const Loaded loaded = load(boxList());
    const lw::ExportTextures textures = loaded.textures();
    auto map = twoBoxMap();
    std::vector<lw::TMesh> meshes;
    ASSERT_TRUE(lw::BuildExportMeshes(meshes, *map, &textures).ok());
    ASSERT_EQ(meshes.size(), 2u);
    EXPECT_EQ(meshes[0].MaterialNames, (std::vector<std::string>{"dirt#102030", "grass#102030"}));
    EXPECT_EQ(meshes[1].MaterialNames, (std::vector<std::string>{"dirt#0000FF", "rock#0000FF"}));
    for (const lw::TMesh& mesh : meshes) {
        SCOPED_TRACE(mesh.Name);
        EXPECT_EQ(mesh.TexCoords.size(), mesh.Vertices.size());
        std::vector<int> uses(mesh.Faces.size());
        for (const auto& group : mesh.MaterialFaces)
            for (int32_t f : group)
                ++uses.at(size_t(f));
        EXPECT_EQ(std::count(uses.begin(), uses.end(), 1), std::ptrdiff_t(uses.size()));
    }
    // The file's own reader takes it back, texture coordinates and material groups passed over.
    auto bytes = lw::encode3ds(meshes, lw::collectMaterials(meshes, true), true);
    ASSERT_TRUE(bytes.ok());
    auto objects = lw::decode3ds(*bytes);
    ASSERT_TRUE(objects.ok()) << objects.error().message();
    EXPECT_EQ(objects->size(), 2u);
}

TEST(Export3dsTextures, ATextureWithoutAnImageIsRefusedAndNothingIsWritten) {
    TempDir dir;
    // "lava" sorts after "dirt", which does have an image.
    const Loaded loaded = load(boxList("lava"));
    const lw::ExportTextures textures = loaded.textures();
    auto map = twoBoxMap();
    const fs::path model = dir / "scene.3ds";
    writeBytes(dir / "dirt.tga", {1, 2, 3}); // a file of that name is left as it was
    auto st = lw::Export3ds(map.get(), model.string(), &textures);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().text, "Texture not found");
    EXPECT_NE(st.error().detail.find("'lava'"), std::string::npos) << st.error().message();
    EXPECT_FALSE(fs::exists(model));
    EXPECT_FALSE(fs::exists(dir / "grass.tga"));
    EXPECT_EQ(readBytes(dir / "dirt.tga"), (std::vector<uint8_t>{1, 2, 3}));

    // An image whose pixels run past its record is refused the same way, naming it.
    Loaded broken = load(boxList());
    for (auto& image : broken.images)
        if (image.name == "rock")
            image.record.resize(image.record.size() - 1);
    const lw::ExportTextures brokenTextures = broken.textures();
    st = lw::Export3ds(map.get(), model.string(), &brokenTextures);
    ASSERT_FALSE(st.ok());
    EXPECT_NE(st.error().detail.find("'rock'"), std::string::npos) << st.error().message();
    EXPECT_FALSE(fs::exists(model));
    EXPECT_FALSE(fs::exists(dir / "grass.tga"));

    // Without the table, list or images there is nothing to texture with.
    const lw::ExportTextures partial{&loaded.table, &loaded.names, nullptr};
    EXPECT_FALSE(lw::Export3ds(map.get(), model.string(), &partial).ok());
    EXPECT_FALSE(fs::exists(model));
}

} // namespace

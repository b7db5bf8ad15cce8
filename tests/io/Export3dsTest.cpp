// Writing poxels as 3DS: names, materials, the world transform and the file layout.

#include "io/Export3ds.h"

#include "core/ByteIO.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace lwtest;

namespace {

TEST(Export3ds, MeshNames) {
    EXPECT_EQ(lw::MeshBaseName("Big Rock Face"), "Big_Rock_F");
    EXPECT_EQ(lw::NextMeshName("Poxel"), "Poxel0");
    EXPECT_EQ(lw::NextMeshName("Poxel0"), "Poxel1");
    EXPECT_EQ(lw::NextMeshName("Rock09"), "Rock10");
    EXPECT_EQ(lw::NextMeshName("Mountain_A"), "Mountain_0");
    EXPECT_EQ(lw::NextMeshName("Mountain99"), "Mountai100");
    std::vector<lw::TMesh> meshes(3);
    meshes[0].Name = "Big_Rock_F";
    meshes[1].Name = "Big_Rock_0";
    EXPECT_EQ(lw::UniqueMeshName(meshes, 1, "Big Rock Face"), "Big_Rock_0");
    EXPECT_EQ(lw::UniqueMeshName(meshes, 2, "Big Rock Face"), "Big_Rock_1");
    EXPECT_EQ(lw::UniqueMeshName(meshes, 0, "Big Rock Face"), "Big_Rock_F");
}

TEST(Export3ds, MaterialsMergeIgnoringCaseAndCarryTheirColour) {
    std::vector<lw::TMesh> meshes(2);
    meshes[0].MaterialNames = {"rock#0000FF", "Grass#00FF00"};
    meshes[1].MaterialNames = {"ROCK#0000ff", "color#FFFFFF"};
    auto materials = lw::collectMaterials(meshes, true);
    ASSERT_EQ(materials.size(), 3u);
    EXPECT_EQ(materials[0].Name, "color#FFFFFF");
    EXPECT_EQ(materials[1].Name, "Grass#00FF00");
    EXPECT_EQ(materials[2].Name, "rock#0000FF");
    EXPECT_EQ(materials[2].Colour, 0xFFu); // red in the low byte, written first
    EXPECT_EQ(materials[2].TextureFile, "rock.tga");
}

std::unique_ptr<lw::TPoxel> oneCellPoxel(const std::string& name, lw::TVec3 pos) {
    auto p = lw::makePoxel(1, 1, 1);
    p->Name = name;
    p->Pos = pos;
    p->Color = 0xFF123456u;
    lw::FillVoxels(*p, lw::kDefaultCellCode);
    return p;
}

TEST(Export3ds, WorldTransformTurnsYUpToZUpAndGroupsMoveTheirMeshes) {
    auto root = lw::makePoxel(1, 1, 1);
    root->IsRoot = root->IsGroup = true;
    auto group = lw::makePoxel(1, 1, 1);
    group->IsGroup = true;
    group->Pos = {10, 0, 0};
    group->Rot = {0, 90, 0};
    lw::TPoxel* g = lw::AddChildPoxel(*root, std::move(group));
    lw::AddChildPoxel(*g, oneCellPoxel("Big Rock Face", {0, 5, 0}));
    lw::AddChildPoxel(*root, oneCellPoxel("Big Rock Face", {0, 0, 0}));
    auto entity = oneCellPoxel("Emitter", {});
    entity->IsEntity = true;
    lw::AddEntity(*root, std::move(entity));

    std::vector<lw::TMesh> meshes;
    ASSERT_TRUE(lw::BuildExportMeshes(meshes, *root, nullptr).ok());
    ASSERT_EQ(meshes.size(), 2u);
    EXPECT_EQ(meshes[0].Name, "Big_Rock_F");
    EXPECT_EQ(meshes[1].Name, "Big_Rock_0");
    ASSERT_EQ(meshes[0].MaterialNames, std::vector<std::string>{"color#123456"});
    EXPECT_EQ(meshes[0].MaterialFaces[0].size(), meshes[0].Faces.size());

    // Editor (x, y, z) is written as (x, -z, y): the unit poxel spans y -0.5..0.5 around its
    // position, so the lone one spans z -0.5..0.5 and the grouped one sits at x 10, z 5.
    auto bounds = [](const lw::TMesh& m) {
        lw::TVec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
        for (const auto& v : m.Vertices) {
            lo = {std::min(lo.X, v.X), std::min(lo.Y, v.Y), std::min(lo.Z, v.Z)};
            hi = {std::max(hi.X, v.X), std::max(hi.Y, v.Y), std::max(hi.Z, v.Z)};
        }
        return std::pair{lo, hi};
    };
    auto [lo1, hi1] = bounds(meshes[1]);
    EXPECT_NEAR(hi1.Z, 0.5f, 1e-5);
    EXPECT_NEAR(lo1.Z, -0.5f, 1e-5);
    auto [lo0, hi0] = bounds(meshes[0]);
    EXPECT_NEAR((lo0.X + hi0.X) / 2, 10.0f, 1e-4);
    EXPECT_NEAR((lo0.Z + hi0.Z) / 2, 5.0f, 1e-4);
}

TEST(Export3ds, EditorUpIsFileUp) {
    auto p = oneCellPoxel("P", {0, 1, 0});
    std::vector<lw::TMesh> meshes;
    ASSERT_TRUE(lw::BuildExportMeshes(meshes, *p, nullptr).ok());
    float top = -1e9f;
    for (const auto& v : meshes[0].Vertices)
        top = std::max(top, v.Z);
    EXPECT_NEAR(top, 1.5f, 1e-5); // point (0, 1.5, 0) of the poxel at (0, 1, 0)
}

TEST(Export3ds, FileLayoutAndChunkLengths) {
    lw::TMesh mesh;
    mesh.Name = "M";
    mesh.Vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh.Faces = {{2, 1, 0, 7}};
    mesh.MaterialNames = {"color#FFFFFF"};
    mesh.MaterialFaces = {{0}};
    auto materials = lw::collectMaterials({mesh}, false);
    auto bytes = lw::encode3ds({mesh}, materials, false);
    ASSERT_TRUE(bytes.ok());
    const auto& b = *bytes;
    EXPECT_EQ(lw::loadU16(b.data()), 0x4D4D);
    EXPECT_EQ(lw::loadU32(b.data() + 2), b.size());
    EXPECT_EQ(lw::loadU16(b.data() + 6), 0x0002);
    EXPECT_EQ(lw::loadU32(b.data() + 8), 10u);
    EXPECT_EQ(lw::loadU16(b.data() + 16), 0x3D3D);
    EXPECT_EQ(lw::loadU32(b.data() + 18), b.size() - 16);
    // Material chunk: 56 + name length + 1.
    EXPECT_EQ(lw::loadU16(b.data() + 32), 0xAFFF);
    EXPECT_EQ(lw::loadU32(b.data() + 34), 56u + 13u);
    const size_t object = 32 + 69;
    EXPECT_EQ(lw::loadU16(b.data() + object), 0x4000);
    // Faces written first, second, third vertex, then the edge code.
    const size_t faces = object + 6 + 2 + 6 + 8 + 36;
    EXPECT_EQ(lw::loadU16(b.data() + faces), 0x4120);
    EXPECT_EQ(lw::loadU16(b.data() + faces + 8), 0);
    EXPECT_EQ(lw::loadU16(b.data() + faces + 12), 2);
    EXPECT_EQ(lw::loadU16(b.data() + faces + 14), 7);

    // The reader reads it back.
    auto objects = lw::decode3ds(b);
    ASSERT_TRUE(objects.ok()) << objects.error().message();
    ASSERT_EQ(objects->size(), 1u);
    EXPECT_EQ((*objects)[0].Name, "M");
}

TEST(Export3ds, RefusalsWriteNothing) {
    TempDir dir;
    const auto out = dir / "out.3ds";
    auto none = lw::Export3ds(nullptr, out.string());
    ASSERT_FALSE(none.ok());
    EXPECT_EQ(none.error().text, "No poxel selected");

    lw::TMesh big;
    big.Name = "Huge";
    big.Vertices.resize(65536);
    auto refused = lw::encode3ds({big}, {}, false);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().detail.find("'Huge'"), std::string::npos);

    // A poxel larger than a 3DS mesh can hold.
    auto p = lw::makePoxel(60, 30, 60);
    p->Name = "Mountain";
    lw::FillVoxels(*p, 3);
    for (size_t i = 0; i < p->Voxels.size(); i += 2)
        p->Voxels[i] = 0;
    auto st = lw::Export3ds(p.get(), out.string());
    ASSERT_FALSE(st.ok());
    EXPECT_NE(st.error().detail.find("'Mountain'"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));
}

} // namespace

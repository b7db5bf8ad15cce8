// Voxelising 3DS pieces into poxels: rotation, levels, height-map columns, the import group.

#include "io/Apoxelate.h"

#include "Chunks3ds.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace lwtest;

namespace {

lw::TObj3D piece(const std::vector<std::array<float, 3>>& v,
                 const std::vector<std::array<uint16_t, 3>>& faces, const std::string& name = "P") {
    lw::TObj3D o;
    o.Name = name;
    for (const auto& p : v)
        o.Vertices.push_back({p[0], p[1], p[2]});
    for (const auto& f : faces)
        o.Faces.push_back({f[0], f[1], f[2], 0});
    lw::computeBox(o);
    return o;
}

std::unique_ptr<lw::TPoxel> apoxelate(const lw::TObj3D& o, const lw::ApoxelOptions& options) {
    std::string note;
    auto poxel = lw::ApoxelateObject(o, options, {}, note);
    EXPECT_TRUE(poxel) << note;
    return poxel;
}

TEST(Apoxelate, AlignedPieceKeepsItsOrientationThroughAQuarterTurn) {
    EXPECT_EQ(lw::RotationToEuler(0, 0, 0), (lw::TVec3{0, 0, 90}));
    // Box wider in x than in y than in z, centred at (5, 1, -2): already aligned.
    auto v = boxVertices(4, 2, 1);
    for (auto& p : v) {
        p[0] += 5;
        p[1] += 1;
        p[2] -= 2;
    }
    auto poxel = apoxelate(piece(v, boxFaces()), {});
    ASSERT_TRUE(poxel);
    EXPECT_FLOAT_EQ(poxel->Rot.X, 0);
    EXPECT_FLOAT_EQ(poxel->Rot.Y, 0);
    EXPECT_FLOAT_EQ(poxel->Rot.Z, 90);
    EXPECT_NEAR(poxel->Pos.X, 5, 1e-5);
    EXPECT_NEAR(poxel->Pos.Y, 1, 1e-5);
    EXPECT_NEAR(poxel->Pos.Z, -2, 1e-5);
    // After the quarter turn the box's x extent (4) lies along y.
    EXPECT_FLOAT_EQ(poxel->Size.Y * poxel->NY, 8);
    EXPECT_FLOAT_EQ(poxel->Size.X * poxel->NX, 4);
    EXPECT_FLOAT_EQ(poxel->Size.Z * poxel->NZ, 2);
    EXPECT_EQ(poxel->Name, "P");
    for (uint32_t cell : poxel->Voxels)
        EXPECT_EQ(cell, lw::kDefaultCellCode);
}

TEST(Apoxelate, LevelCountWithAndWithoutLayersSmooth) {
    lw::ApoxelOptions options;
    options.MaxLayers = 7;
    options.SizeX = 3;
    options.SizeZ = 4;
    options.LayersSmooth = false;
    const auto box = piece(boxVertices(3, 2, 1), boxFaces());
    auto rough = apoxelate(box, options);
    ASSERT_TRUE(rough);
    EXPECT_EQ(rough->NY, 6);
    EXPECT_EQ(rough->NX, 3);
    EXPECT_EQ(rough->NZ, 4);
    ASSERT_EQ(rough->LayerLow.size(), 7u);
    // Straight sides: every level reaches the box's walls, so no offsets.
    for (size_t a = 0; a < 7; ++a) {
        EXPECT_NEAR(rough->LayerLow[a].X, 0, 1e-5) << a;
        EXPECT_NEAR(rough->LayerHigh[a].Z, 0, 1e-5) << a;
    }
    // With smoothing, straight sides never grow shorter: down to one level span.
    options.LayersSmooth = true;
    auto smooth = apoxelate(box, options);
    ASSERT_TRUE(smooth);
    EXPECT_EQ(smooth->NY, 1);
    EXPECT_EQ(smooth->LayerLow.size(), 2u);
}

TEST(Apoxelate, PyramidLevelsNarrowTowardsTheTop) {
    // Square pyramid, base 2 x 2 at y = -1, apex at y = 1 (after centring).
    const std::vector<std::array<float, 3>> v{
        {-1, 0, -1}, {1, 0, -1}, {1, 0, 1}, {-1, 0, 1}, {0, 2, 0}};
    const std::vector<std::array<uint16_t, 3>> f{{0, 1, 4}, {1, 2, 4}, {2, 3, 4},
                                                 {3, 0, 4}, {0, 2, 1}, {0, 3, 2}};
    lw::TObj3D o = piece(v, f);
    lw::ApoxelOptions options;
    options.MaxLayers = 5;
    options.LayersSmooth = false;
    for (auto& p : o.Vertices)
        p.Y -= 1;
    lw::FitLevels(o, options);
    ASSERT_EQ(o.LevelMax.size(), 5u);
    EXPECT_EQ(o.Dims[1], 4);
    // Level 2 halves the width: offsets of a quarter of the poxel on each side.
    EXPECT_NEAR(o.LevelMax[2].X, -0.5, 1e-5);
    EXPECT_NEAR(o.LevelMin[2].X, 0.5, 1e-5);
    EXPECT_NEAR(o.LevelMax[0].X, 0, 1e-5);
}

TEST(Apoxelate, HeightMapColumnsAndClearedCells) {
    // One triangle at y = 0.25 over the half x + z < 0 of a 4 x 4 grid of unit cells.
    lw::TObj3D o = piece({{-10, 0.25f, -10}, {10, 0.25f, -10}, {-10, 0.25f, 10}}, {{0, 1, 2}});
    auto poxel = lw::makePoxel(4, 2, 4);
    lw::FillVoxels(*poxel, 3);
    lw::ApoxelOptions options;
    options.HeightMap = true;
    lw::FitHeights(o, *poxel, options);
    EXPECT_FLOAT_EQ(poxel->Heights[0][0], -0.75f); // hit: 1.25 above the bottom
    EXPECT_FLOAT_EQ(poxel->Heights[2][2], -2.0f);  // on the edge: no hit
    EXPECT_FLOAT_EQ(poxel->Heights[4][4], -2.0f);
    EXPECT_EQ(poxel->Voxels[poxel->cellIndex(0, 1, 0)], 3u);
    EXPECT_EQ(poxel->Voxels[poxel->cellIndex(1, 0, 1)], 3u); // one corner uncovered only
    EXPECT_EQ(poxel->Voxels[poxel->cellIndex(2, 0, 2)], 0u);
    EXPECT_EQ(poxel->Voxels[poxel->cellIndex(3, 1, 3)], 0u);

    // VoxDiv cuts whole cells off the top and keeps the rest as heights.
    auto cut = lw::makePoxel(4, 2, 4);
    lw::FillVoxels(*cut, 3);
    options.VoxDiv = true;
    lw::FitHeights(o, *cut, options);
    EXPECT_EQ(cut->Voxels[cut->cellIndex(0, 1, 0)], 0u);
    EXPECT_EQ(cut->Voxels[cut->cellIndex(0, 0, 0)], 3u);
    EXPECT_FLOAT_EQ(cut->Heights[0][0], 0.25f);
    EXPECT_FLOAT_EQ(cut->Heights[4][4], 0.0f);
    EXPECT_EQ(cut->Voxels[cut->cellIndex(3, 0, 3)], 0u);
}

TEST(Apoxelate, HeightMapGrid) {
    lw::ApoxelOptions options;
    options.HeightMap = true;
    auto poxel = apoxelate(piece(boxVertices(3.4f, 1, 60), boxFaces()), options);
    ASSERT_TRUE(poxel);
    EXPECT_EQ(poxel->NX, 3);  // nearest integer to 3.4
    EXPECT_EQ(poxel->NZ, 25); // at most 25
    EXPECT_EQ(poxel->NY, 2);
    EXPECT_EQ(poxel->Rot, (lw::TVec3{0, 0, 0}));
    EXPECT_FLOAT_EQ(poxel->Size.X, 6.8f / 3);
    // A piece thinner than one step still gets one column, never zero.
    auto thin = apoxelate(piece(boxVertices(0.2f, 1, 0.3f), boxFaces()), options);
    ASSERT_TRUE(thin);
    EXPECT_EQ(thin->NX, 1);
    EXPECT_EQ(thin->NZ, 1);
}

TEST(Apoxelate, FlatPiecesAndCancelMakeNoPoxel) {
    std::string note;
    // In height-map mode a flat piece is not turned, so it has no height to fill.
    lw::ApoxelOptions heightMap;
    heightMap.HeightMap = true;
    auto flat = lw::ApoxelateObject(piece({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}}),
                                    heightMap, {}, note);
    EXPECT_FALSE(flat);
    EXPECT_NE(note.find("extent"), std::string::npos);
    note.clear();
    auto point = lw::ApoxelateObject(piece({{1, 1, 1}}, {{0, 0, 0}}), {}, {}, note);
    EXPECT_FALSE(point);
    EXPECT_NE(note.find("extent"), std::string::npos);

    std::atomic<bool> cancel{true};
    lw::ImportFeedback feedback;
    feedback.Cancel = &cancel;
    lw::TObjArray3D objects{piece(boxVertices(1, 1, 1), boxFaces())};
    auto import = lw::apoxelateObjects("/models/rock.3ds", objects, {}, feedback);
    EXPECT_TRUE(import.Cancelled);
    EXPECT_TRUE(import.Group->Children.empty());
}

TEST(Apoxelate, TwoPartsBecomeTwoPoxelsUnderTheFilesGroup) {
    auto v = boxVertices(1, 2, 1);
    auto far = boxVertices(1, 1, 1, 10);
    v.insert(v.end(), far.begin(), far.end());
    auto faces = boxFaces();
    auto more = boxFaces(8);
    faces.insert(faces.end(), more.begin(), more.end());
    auto objects = lw::decode3ds(model(meshObject("Rock", v, faces)));
    ASSERT_TRUE(objects.ok());
    lw::ApoxelOptions options;
    options.TopSmooth = true;
    auto import = lw::apoxelateObjects("C:\\models\\rocks.3ds", *objects, options);
    EXPECT_EQ(import.Group->Name, "rocks.3ds");
    EXPECT_TRUE(import.Group->IsGroup);
    EXPECT_EQ(import.Group->Voxels, std::vector<uint32_t>{0});
    ASSERT_EQ(import.Group->Children.size(), 2u);
    EXPECT_EQ(import.Group->Children[0]->Name, "Rock_Group_1");
    EXPECT_EQ(import.Group->Children[1]->Name, "Rock_Group_2");
    EXPECT_EQ(import.Group->Children[0]->Surface, 0x100u);
    EXPECT_NEAR(import.Group->Children[1]->Pos.X, 10, 1e-5);
}

TEST(Apoxelate, OptionsOutOfRangeAreRefused) {
    lw::ApoxelOptions o;
    EXPECT_TRUE(lw::checkApoxelOptions(o).ok());
    o.MaxLayers = 1;
    EXPECT_FALSE(lw::checkApoxelOptions(o).ok());
    o = {};
    o.SizeX = 31;
    EXPECT_FALSE(lw::checkApoxelOptions(o).ok());
    o = {};
    o.Quality = 0;
    EXPECT_FALSE(lw::checkApoxelOptions(o).ok());
    o = {};
    o.VoxDiv = true;
    EXPECT_FALSE(lw::checkApoxelOptions(o).ok());
}

} // namespace

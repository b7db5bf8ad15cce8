// .hmp files, the heightmap preview and terrain tiles built from a file.

#include "io/HeightmapFile.h"

#include "core/ByteIO.h"
#include "core/MapGenerator.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

using namespace lw;
using namespace lwtest;

namespace {

// File bytes with heights f(x, z) and a zero mask.
template <typename F> std::vector<uint8_t> hmpBytes(F height, size_t size = kHmpFileSize) {
    std::vector<uint8_t> out;
    for (int z = 0; z < kHmpGrid; ++z)
        for (int x = 0; x < kHmpGrid; ++x)
            appendF32(out, height(x, z));
    out.resize(size, 0);
    return out;
}

int filledCells(const TPoxel& p, int level) {
    int n = 0;
    for (int z = 0; z < p.NZ; ++z)
        for (int x = 0; x < p.NX; ++x)
            n += p.Voxels[p.cellIndex(x, level, z)] != 0;
    return n;
}

} // namespace

TEST(HeightmapPreview, IsTheHeightmapPoxelInItsOwnListBand) {
    ResetPoxelCounter();
    const int32_t before = PoxelCounter();
    HeightmapPreview preview = makeHeightmapPreview();
    EXPECT_EQ(PoxelCounter(), before);
    const TPoxel& p = *preview.poxel;
    EXPECT_EQ(p.ListId, 410000);
    EXPECT_EQ(p.NX, 99);
    EXPECT_EQ(p.NZ, 99);
    EXPECT_EQ(p.Heights.size(), 100u);
    EXPECT_TRUE(p.IsHeightmapImage);
    ASSERT_EQ(p.HmImage.size(), 100u);
    EXPECT_EQ(p.HmImage[99].size(), 100u);
    EXPECT_EQ(preview.mask, GreyPicture(100, 100, 0));
}

TEST(HmpFile, WrittenAndReadBackExactly) {
    HeightmapPreview preview = makeHeightmapPreview();
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> height(-50.0f, 50.0f);
    for (auto& column : preview.poxel->Heights)
        for (float& v : column)
            v = height(rng);
    for (uint8_t& g : preview.mask.pixels)
        g = uint8_t(rng());

    TempDir dir;
    auto name = writeHmpFile(preview, (dir / "land").string());
    ASSERT_TRUE(name.ok()) << name.error().message();
    EXPECT_EQ(*name, (dir / "land.hmp").string());
    const auto bytes = readBytes(*name);
    ASSERT_EQ(bytes.size(), 50000u);
    // Record z, x fastest; the mask of point (x, z) is pixel (99 - x, 99 - z).
    EXPECT_EQ(loadF32(&bytes[(5 * 100 + 3) * 4]), preview.poxel->Heights[3][5]);
    EXPECT_EQ(bytes[40000 + 5 * 100 + 3], preview.mask.at(96, 94));

    auto back = readHmpFile(*name);
    ASSERT_TRUE(back.ok()) << back.error().message();
    EXPECT_EQ(back->poxel->Heights, preview.poxel->Heights);
    EXPECT_EQ(back->mask, preview.mask);
    const auto& image = back->poxel->HmImage;
    EXPECT_FLOAT_EQ(image[5][3], float(preview.mask.at(96, 94)) / 255.0f);
    EXPECT_EQ(back->poxel->ListId, 410000);
    EXPECT_EQ(encodeHmp(*back), bytes);
}

TEST(HmpFile, NameRuleLooksForHmpAnywhere) {
    EXPECT_EQ(hmpFileName("a"), "a.hmp");
    EXPECT_EQ(hmpFileName("a.hmp"), "a.hmp");
    EXPECT_EQ(hmpFileName("a.hmp.bak"), "a.hmp.bak");
    EXPECT_EQ(hmpFileName("dir.hmp/x"), "dir.hmp/x");
    EXPECT_EQ(hmpFileName("a.HMP"), "a.HMP.hmp");
}

TEST(HmpFile, ShortOrBrokenFilesAreRefused) {
    TempDir dir;
    writeBytes(dir / "short.hmp", hmpBytes([](int, int) { return 1.0f; }, 49999));
    auto r = readHmpFile((dir / "short.hmp").string());
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message().find("49999"), std::string::npos);
    EXPECT_FALSE(readHmpFile((dir / "missing.hmp").string()).ok());

    const float nan = std::numeric_limits<float>::quiet_NaN();
    auto bad = hmpBytes([nan](int x, int z) { return x == 4 && z == 9 ? nan : 0.0f; });
    auto refused = decodeHmp(bad);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().detail.find("x 4, z 9"), std::string::npos);

    // Anything past 50,000 bytes is not part of the file's layout and is ignored.
    EXPECT_TRUE(decodeHmp(hmpBytes([](int, int) { return 0.0f; }, 50100)).ok());
}

TEST(HeightmapTerrain, TilesClipsNamesAndPlaces) {
    const THmap grid = *decodeHmpHeights(
        hmpBytes([](int x, int z) { return 1.0f + float(x) + 1000.0f * float(z); }, 40000));
    ResetPoxelCounter();
    auto group = buildHeightmapTerrain(grid);
    EXPECT_EQ(group->Name, "HMapDummy");
    EXPECT_TRUE(group->IsGroup);
    EXPECT_EQ(group->Voxels, std::vector<uint32_t>{0u});
    EXPECT_EQ(group->Surface, 0u);
    EXPECT_EQ(group->Pos, (TVec3{0.75f, -4.0f, 0.75f}));
    EXPECT_EQ(group->ListId, 10000);
    ASSERT_EQ(group->Children.size(), 32u);
    EXPECT_EQ(group->Children[0]->Name, "HMapP_01_01");
    EXPECT_EQ(group->Children[1]->Name, "HMapP_clip_01_01");
    EXPECT_EQ(group->Children[2]->Name, "HMapP_02_01");
    EXPECT_EQ(group->Children[1]->ListId, 10002);

    // Tile column c = 3, row r = 2 (x first in the name).
    const TPoxel& tile = *group->Children[2 * (4 + 2)];
    EXPECT_EQ(tile.Name, "HMapP_03_02");
    EXPECT_EQ(tile.NX, 25);
    EXPECT_EQ(tile.NY, 3);
    EXPECT_EQ(tile.NZ, 25);
    EXPECT_EQ(tile.Size, (TVec3{1.5f, 1.6666666f, 1.5f}));
    EXPECT_EQ(tile.Pos, (TVec3{(75.0f - 62.5f) * 1.5f, 0.0f, (50.0f - 62.5f) * 1.5f}));
    EXPECT_EQ(tile.Heights[0][0], 3.0f * grid[50][25]);
    EXPECT_EQ(tile.Heights[25][25], 3.0f * grid[75][50]);
    EXPECT_EQ(tile.Heights[7][11], 3.0f * grid[57][36]);

    const TPoxel& clip = *group->Children[2 * (4 + 2) + 1];
    EXPECT_EQ(clip.Name, "HMapP_clip_03_02");
    EXPECT_EQ(clip.NX, 1);
    EXPECT_EQ(clip.NY, 3);
    EXPECT_EQ(clip.Pos, (TVec3{0.0f, 0.0f, -37.5f}));
    EXPECT_EQ(clip.Heights[1][0], 3.0f * grid[51][25]);
    EXPECT_EQ(clip.Heights[0][1], 3.0f * grid[50][26]);
    EXPECT_EQ(clip.Voxels, (std::vector<uint32_t>{3u, 3u, 3u}));
}

TEST(HeightmapTerrain, OutermostTilesKeepZeroOnTheirLastGridLine) {
    const THmap grid = *decodeHmpHeights(hmpBytes([](int, int) { return 2.0f; }));
    auto group = buildHeightmapTerrain(grid);
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c) {
            const TPoxel& t = *group->Children[size_t(2 * ((r - 1) * 4 + (c - 1)))];
            SCOPED_TRACE(t.Name);
            for (int i = 0; i <= 25; ++i)
                for (int j = 0; j <= 25; ++j) {
                    const bool outside = (c == 4 && j == 25) || (r == 4 && i == 25);
                    ASSERT_EQ(t.Heights[size_t(j)][size_t(i)], outside ? 0.0f : 6.0f)
                        << j << "," << i;
                }
            EXPECT_EQ(filledCells(t, 2), 625);
        }
}

TEST(HeightmapTerrain, LowGroundLosesItsTopAndErodes) {
    const THmap flat = *decodeHmpHeights(hmpBytes([](int, int) { return -0.5f; }));
    auto empty = buildHeightmapTerrain(flat);
    for (const auto& node : empty->Children) {
        for (uint32_t v : node->Voxels)
            ASSERT_EQ(v, 0u) << node->Name;
    }

    // One raised point at (30, 40): tile (2, 2), local (5, 15). The top keeps the four cells
    // whose test reaches that point; each level below keeps the cells under the one above and
    // their neighbours.
    const THmap bump =
        *decodeHmpHeights(hmpBytes([](int x, int z) { return x == 30 && z == 40 ? 1.0f : 0.0f; }));
    auto group = buildHeightmapTerrain(bump);
    const TPoxel& tile = *group->Children[2 * (4 + 1)];
    ASSERT_EQ(tile.Name, "HMapP_02_02");
    EXPECT_EQ(tile.Heights[5][15], 3.0f);
    EXPECT_EQ(filledCells(tile, 2), 4);
    EXPECT_EQ(filledCells(tile, 1), 16);
    EXPECT_EQ(filledCells(tile, 0), 36);
    EXPECT_NE(tile.Voxels[tile.cellIndex(6, 2, 16)], 0u);
    EXPECT_EQ(tile.Voxels[tile.cellIndex(4, 2, 15)], 0u);
    EXPECT_NE(tile.Voxels[tile.cellIndex(3, 0, 13)], 0u);
    EXPECT_EQ(tile.Voxels[tile.cellIndex(2, 0, 13)], 0u);
    for (const auto& node : group->Children) {
        if (node.get() == &tile)
            continue;
        for (uint32_t v : node->Voxels)
            ASSERT_EQ(v, 0u) << node->Name;
    }
}

TEST(HeightmapTerrain, ImportAppendsToAMapOrChangesNothing) {
    TempDir dir;
    auto root = makeDemoMap();
    const size_t children = root->Children.size();
    const int32_t counter = PoxelCounter();

    writeBytes(dir / "short.hmp", hmpBytes([](int, int) { return 1.0f; }, 39999));
    auto refused = importHeightmapTerrain(*root, (dir / "short.hmp").string());
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(root->Children.size(), children);
    EXPECT_EQ(PoxelCounter(), counter);

    // Only the heights are needed for terrain.
    writeBytes(dir / "heights.hmp", hmpBytes([](int, int) { return 1.0f; }, 40000));
    auto group = importHeightmapTerrain(*root, (dir / "heights.hmp").string());
    ASSERT_TRUE(group.ok()) << group.error().message();
    ASSERT_EQ(root->Children.size(), children + 1);
    EXPECT_EQ(root->Children.back().get(), *group);
    EXPECT_EQ((*group)->ListId, 10000 + counter);
}

TEST(HeightmapPreview, HeightsFromADepthPicture) {
    std::vector<uint16_t> depth(100 * 100, 65535);
    depth[0] = 0;               // row 0, column 0: nearest
    depth[3 * 100 + 7] = 32768; // row 3, column 7
    auto preview = lw::heightmapFromDepth(depth);
    ASSERT_TRUE(preview.ok());
    const auto& h = preview->poxel->Heights;
    EXPECT_FLOAT_EQ(h[0][0], 1.5f);
    EXPECT_NEAR(h[3][7], (1.0 - 32768 / 65535.0) * 1.5, 1e-6);
    EXPECT_FLOAT_EQ(h[7][3], 0.0f);
    EXPECT_FLOAT_EQ(h[99][99], 0.0f);
    EXPECT_EQ(preview->poxel->ListId, lw::kListBase + lw::kHeightmapCounterBase);
    EXPECT_EQ(preview->mask, lw::GreyPicture(100, 100));
    depth.pop_back();
    EXPECT_FALSE(lw::heightmapFromDepth(depth).ok());
}

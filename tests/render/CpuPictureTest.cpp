// The coarse picture drawn on the processor: what is in front hides what is behind, hidden
// poxels and empty cells draw nothing, and the boxes computed level by level are the mesh's.

#include "render/CpuPicture.h"
#include "core/Lattice.h"
#include "core/MapGenerator.h"
#include "render/SceneBounds.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace lw;

namespace {

std::unique_ptr<TPoxel> block(uint32_t colour, TVec3 pos) {
    auto p = makePoxel(4, 4, 4);
    for (auto& cell : p->Voxels)
        cell = 3; // texture box 1
    p->Color = colour;
    p->Pos = pos;
    return p;
}

TCamera framed(TPoxel& root) {
    computeBoxesByLevels(root);
    TCamera c;
    c.Width = c.Height = 64;
    c.CamYaw = 0;
    c.CamPitch = 0;
    fitCameraToPoints(c, worldCorners(root));
    return c;
}

std::array<uint8_t, 3> centre(const std::vector<uint8_t>& rgb) {
    const size_t at = (32 * 64 + 32) * 3;
    return {rgb[at], rgb[at + 1], rgb[at + 2]};
}

TEST(CpuPicture, TheNearerPoxelHidesTheFartherOneWhicheverIsDrawnFirst) {
    // The camera looks along +z: the red block stands between the eye and the blue one, first
    // or last in the tree.
    for (const bool redFirst : {true, false}) {
        auto root = newMapRoot();
        auto red = block(0x0000FFu, {0, 0, -10});
        auto blue = block(0xFF0000u, {0, 0, 10});
        AddChildPoxel(*root, std::move(redFirst ? red : blue));
        AddChildPoxel(*root, std::move(redFirst ? blue : red));
        TCamera c = framed(*root);
        const auto rgb = drawCellsOnCpu(*root, c);
        ASSERT_EQ(rgb.size(), size_t(64 * 64 * 3));
        const auto px = centre(rgb);
        EXPECT_GT(px[0], 40) << redFirst;
        EXPECT_EQ(px[1], 0);
        EXPECT_EQ(px[2], 0) << redFirst;
    }
}

TEST(CpuPicture, HiddenPoxelsAndEmptyCellsDrawNothing) {
    auto root = newMapRoot();
    TPoxel* hidden = AddChildPoxel(*root, block(0xFFFFFFu, {}));
    hidden->Surface2 &= ~0xFF0000u;
    TPoxel* empty = AddChildPoxel(*root, block(0xFFFFFFu, {6, 0, 0}));
    for (auto& cell : empty->Voxels)
        cell = 0;
    TCamera c = framed(*root);
    const auto rgb = drawCellsOnCpu(*root, c);
    EXPECT_EQ(std::count(rgb.begin(), rgb.end(), 0), std::ptrdiff_t(rgb.size()));

    // Shown again, the block is drawn.
    hidden->Surface2 |= 0x10000u;
    const auto shown = drawCellsOnCpu(*root, c);
    EXPECT_GT(std::count_if(shown.begin(), shown.end(), [](uint8_t v) { return v != 0; }), 300);
}

TEST(CpuPicture, BoxesByLevelsAreTheLatticeBoxes) {
    auto root = makeDemoMap();
    computeBoxesByLevels(*root);
    std::vector<TPoxel*> pending{root.get()};
    while (!pending.empty()) {
        TPoxel& p = *pending.back();
        pending.pop_back();
        for (auto& child : p.Children)
            pending.push_back(child.get());
        std::vector<TVec3> lattice;
        TVec3 lo, hi;
        if (p.IsGroup)
            continue;
        computeLattice(p, lattice, lo, hi);
        EXPECT_EQ(p.BoxMin, lo) << p.Name;
        EXPECT_EQ(p.BoxMax, hi) << p.Name;
    }
}

} // namespace

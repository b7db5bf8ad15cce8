// "Make Hmap" in the headless context: the depth of a node seen from above becomes heights.

#include "io/gl/HeightmapRender.h"

#include "render/gl/DisplayLists.h"
#include "render/gl/HeadlessContext.h"
#include "render/gl/PoxelLists.h"
#include "render/gl/SceneDrawer.h"

#include <gtest/gtest.h>

using namespace lw;

namespace {

float highest(const THmap& h) {
    float m = -1e9f;
    for (const auto& column : h)
        for (float v : column)
            m = std::max(m, v);
    return m;
}

} // namespace

TEST(HeightmapRender, TallerNodesGiveHigherHeightsWhereTheyStand) {
    auto context = gl::HeadlessContext::create(gl::kDepthSide, gl::kDepthSide);
    ASSERT_TRUE(context.ok()) << context.error().message();
    gl::installDisplayListReleaseHook();
    SceneState state;
    gl::SetupGLState(state);

    auto root = makePoxel();
    root->IsRoot = root->IsGroup = true;
    // A 10 x 1 x 10 slab, 1 unit high, and a taller block to its side.
    auto slab = makePoxel(10, 1, 10);
    slab->Size = {1.5f, 1.0f, 1.5f};
    TPoxel* s = AddChildPoxel(*root, std::move(slab));
    auto block = makePoxel(4, 1, 4);
    block->Size = {1.5f, 2.0f, 1.5f};
    block->Pos = {30.0f, 0.0f, 0.0f};
    AddChildPoxel(*root, std::move(block));
    gl::BuildPoxelTree(*root, nullptr);
    state.EditRoot = state.ShownRoot = root.get();
    state.SelectedId = s->ListId; // the selection plays no part

    auto whole = gl::MakeHeightmap(state, *root);
    ASSERT_TRUE(whole.ok());
    auto only = gl::MakeHeightmap(state, *s);
    ASSERT_TRUE(only.ok());
    const THmap& hw = whole->poxel->Heights;
    const THmap& hs = only->poxel->Heights;
    // Something was drawn, nothing at the far corners, and the tall block only in the map.
    EXPECT_GT(highest(hs), 0.0f);
    EXPECT_FLOAT_EQ(hw[0][0], 0.0f);
    EXPECT_FLOAT_EQ(hw[99][99], 0.0f);
    EXPECT_GT(highest(hw), highest(hs));
    int changed = 0;
    for (int r = 0; r < 100; ++r)
        for (int c = 0; c < 100; ++c)
            changed += hw[size_t(r)][size_t(c)] != hs[size_t(r)][size_t(c)];
    EXPECT_GT(changed, 0);
    // The same render twice gives the same heights.
    auto again = gl::MakeHeightmap(state, *root);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again->poxel->Heights, hw);
    EXPECT_EQ(state.SelectedId, s->ListId);
    root.reset();
    gl::forgetContextLists();
}

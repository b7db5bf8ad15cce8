// Display lists of large maps: far more nodes than the old numbering bands held, each with
// lists of its own, picked by its own identity, untouched when other nodes go.

#include "core/Poxel.h"
#include "render/gl/DisplayLists.h"
#include "render/gl/HeadlessContext.h"
#include "render/gl/PoxelLists.h"
#include "render/gl/SceneDrawer.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace lw;

namespace {

constexpr int kSize = 64;
constexpr int kNodes = 25000;

TEST(NodeLists, TwentyFiveThousandPoxelsEachDrawAndPickAsThemselves) {
    auto context = gl::HeadlessContext::create(kSize, kSize);
    ASSERT_TRUE(context) << context.error().message();
    ASSERT_TRUE(context.value()->makeCurrent().ok());
    gl::installDisplayListReleaseHook();
    SceneState state;
    gl::SetupGLState(state);
    gl::BuildFixedLists(0);
    state.Camera.Width = state.Camera.Height = kSize;

    ResetPoxelCounter();
    auto root = makePoxel();
    root->IsRoot = root->IsGroup = true;
    std::vector<TPoxel*> nodes;
    for (int i = 0; i < kNodes; ++i) {
        auto p = makePoxel(1, 1, 1);
        p->Pos = {float(i % 160) * 2.0f, 0.0f, float(i / 160) * 2.0f};
        nodes.push_back(AddChildPoxel(*root, std::move(p)));
    }
    gl::BuildPoxelTree(*root, nullptr);
    state.EditRoot = state.ShownRoot = root.get();

    // No two nodes share a list, and none takes the fixed lists or the font.
    std::vector<uint32_t> firsts;
    std::set<int32_t> identities;
    for (TPoxel* n : nodes) {
        ASSERT_TRUE(gl::hasLists(*n));
        firsts.push_back(n->GlLists);
        identities.insert(n->ListId);
    }
    EXPECT_EQ(identities.size(), nodes.size());
    std::sort(firsts.begin(), firsts.end());
    for (size_t i = 1; i < firsts.size(); ++i)
        ASSERT_GE(firsts[i], firsts[i - 1] + 3) << "lists overlap";
    for (uint32_t first : firsts) {
        ASSERT_FALSE(first <= gl::kListGrid && first + 2 >= gl::kListTripod);
        ASSERT_FALSE(first <= uint32_t(gl::kFontListBase) + 255 &&
                     first + 2 >= uint32_t(gl::kFontListBase));
    }

    // A pick on a node (alone in the frame, the camera on it) names that node.
    auto pickOf = [&state](TPoxel* n) {
        state.SelectedId = n->ListId;
        state.HideParent = true;
        state.ZoomSelectedRequest = true;
        gl::RenderFrame(state, false); // fits the camera to the node
        return gl::PickAt(state, kSize / 2, kSize / 2);
    };
    for (int i = 0; i < kNodes; i += 997)
        EXPECT_EQ(pickOf(nodes[size_t(i)]), uint32_t(nodes[size_t(i)]->ListId)) << i;

    // Deleting nodes leaves every other node's lists as they were.
    std::vector<uint32_t> deleted;
    for (int i = kNodes - 1; i >= 0; i -= 7) {
        deleted.push_back(nodes[size_t(i)]->GlLists);
        ASSERT_TRUE(RemovePoxel(*root, nodes[size_t(i)]));
        nodes.erase(nodes.begin() + i);
    }
    for (uint32_t first : deleted)
        EXPECT_FALSE(glIsList(first));
    for (TPoxel* n : nodes)
        ASSERT_TRUE(glIsList(n->GlLists) && glIsList(n->GlLists + gl::kPickListOffset));
    for (size_t i = 0; i < nodes.size(); i += 1013)
        EXPECT_EQ(pickOf(nodes[i]), uint32_t(nodes[i]->ListId)) << i;

    root.reset();
    gl::forgetContextLists();
}

TEST(NodeLists, NodesDestroyedWithoutAContextReleaseTheirListsLater) {
    auto context = gl::HeadlessContext::create(kSize, kSize);
    ASSERT_TRUE(context) << context.error().message();
    ASSERT_TRUE(context.value()->makeCurrent().ok());
    gl::installDisplayListReleaseHook();
    auto p = makePoxel(2, 1, 1);
    gl::BuildPoxelMesh(*p, nullptr);
    const uint32_t lists = p->GlLists;
    ASSERT_TRUE(glIsList(lists));
    context.value()->doneCurrent();
    p.reset(); // no context current: queued
    ASSERT_TRUE(context.value()->makeCurrent().ok());
    EXPECT_TRUE(glIsList(lists));
    gl::releasePendingLists();
    EXPECT_FALSE(glIsList(lists));

    // Lists of a context that is gone are never deleted in the next one.
    auto q = makePoxel(1, 1, 1);
    gl::BuildPoxelMesh(*q, nullptr);
    gl::forgetContextLists();
    EXPECT_FALSE(gl::hasLists(*q));
    auto r = makePoxel(1, 1, 1);
    gl::BuildPoxelMesh(*r, nullptr);
    q.reset();
    EXPECT_TRUE(glIsList(r->GlLists));
}

} // namespace

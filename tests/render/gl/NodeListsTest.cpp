// GPU meshes of large maps: far more nodes than the old numbering bands held, each with buffers
// of its own, picked by its own identity, untouched when other nodes go.

#include "core/Poxel.h"
#include "render/gl/DisplayLists.h"
#include "render/gl/GlFunctions.h"
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

    // No two nodes share a mesh or a buffer.
    std::set<uint32_t> handles, buffers;
    std::set<int32_t> identities;
    auto bufferOf = [](const TPoxel* n) { return gl::meshBuffersOf(*n).at(0); };
    for (TPoxel* n : nodes) {
        ASSERT_TRUE(gl::hasLists(*n));
        handles.insert(n->GlLists);
        buffers.insert(bufferOf(n));
        identities.insert(n->ListId);
    }
    EXPECT_EQ(identities.size(), nodes.size());
    EXPECT_EQ(handles.size(), nodes.size());
    EXPECT_EQ(buffers.size(), nodes.size());

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

    // Deleting nodes leaves every other node's buffers as they were.
    std::vector<uint32_t> deleted;
    for (int i = kNodes - 1; i >= 0; i -= 7) {
        deleted.push_back(bufferOf(nodes[size_t(i)]));
        ASSERT_TRUE(RemovePoxel(*root, nodes[size_t(i)]));
        nodes.erase(nodes.begin() + i);
    }
    for (uint32_t buffer : deleted)
        EXPECT_FALSE(gl::isBuffer(buffer));
    for (TPoxel* n : nodes)
        ASSERT_TRUE(gl::isBuffer(bufferOf(n)));
    for (size_t i = 0; i < nodes.size(); i += 1013)
        EXPECT_EQ(pickOf(nodes[i]), uint32_t(nodes[i]->ListId)) << i;

    root.reset();
    gl::forgetContextLists();
}

TEST(NodeLists, NodesDestroyedWithoutAContextReleaseTheirBuffersLater) {
    auto context = gl::HeadlessContext::create(kSize, kSize);
    ASSERT_TRUE(context) << context.error().message();
    ASSERT_TRUE(context.value()->makeCurrent().ok());
    gl::installDisplayListReleaseHook();
    auto p = makePoxel(2, 1, 1);
    gl::BuildPoxelMesh(*p, nullptr);
    const uint32_t buffer = gl::meshBuffersOf(*p).at(0);
    ASSERT_TRUE(gl::isBuffer(buffer));
    context.value()->doneCurrent();
    p.reset(); // no context current: queued
    ASSERT_TRUE(context.value()->makeCurrent().ok());
    EXPECT_TRUE(gl::isBuffer(buffer));
    gl::releasePendingLists();
    EXPECT_FALSE(gl::isBuffer(buffer));

    // Meshes of a context that is gone are never released in the next one.
    auto q = makePoxel(1, 1, 1);
    gl::BuildPoxelMesh(*q, nullptr);
    gl::forgetContextLists();
    EXPECT_FALSE(gl::hasLists(*q));
    auto r = makePoxel(1, 1, 1);
    gl::BuildPoxelMesh(*r, nullptr);
    q.reset();
    EXPECT_TRUE(gl::isBuffer(gl::meshBuffersOf(*r).at(0)));
}

} // namespace

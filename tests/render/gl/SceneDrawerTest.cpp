// The scene drawer in the headless context: pick read-back of nodes, gizmo handles and the
// background, camera focus, and what a normal frame shows.

#include "render/gl/SceneDrawer.h"

#include "core/MapGenerator.h"
#include "core/Poxel.h"
#include "render/PickSource.h"
#include "render/SceneBounds.h"
#include "render/ViewMath.h"
#include "render/gl/DisplayLists.h"
#include "render/gl/PoxelLists.h"
#include "support/HeadlessGlTest.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

using namespace lw;

namespace {

constexpr int kSize = 64;

class SceneDrawer : public lwtest::HeadlessGlTest<kSize> {
protected:
    void SetUp() override {
        HeadlessGlTest::SetUp();
        if (HasFatalFailure())
            return;
        gl::SetupGLState(state_);
        gl::BuildFixedLists(0);
        state_.Camera.Width = kSize;
        state_.Camera.Height = kSize;
        state_.Camera.CamPitch = 0;
        state_.Camera.CamYaw = 0;
        state_.Camera.CamDistance = 8;
    }
    void TearDown() override { root_.reset(); }

    // A root with one filled 2 x 2 x 2 poxel centred on the origin (a poxel's box is centred on
    // its position).
    TPoxel* makeScene(int32_t counterBase = 0) {
        if (counterBase)
            PushPoxelCounter(counterBase);
        root_ = makePoxel();
        root_->IsRoot = root_->IsGroup = true;
        auto block = makePoxel(2, 2, 2);
        FillVoxels(*block, kDefaultCellCode);
        TPoxel* b = AddChildPoxel(*root_, std::move(block));
        if (counterBase)
            PopPoxelCounter();
        gl::BuildPoxelTree(*root_, nullptr);
        state_.EditRoot = state_.ShownRoot = root_.get();
        return b;
    }

    SceneState state_;
    std::unique_ptr<TPoxel> root_;
};

TEST_F(SceneDrawer, PickReadsTheNodeUnderThePointerAndZeroOverTheBackground) {
    TPoxel* block = makeScene();
    block->Surface2 = 0; // "Visible" off: invisible poxels still take part in picking
    EXPECT_EQ(gl::PickAt(state_, kSize / 2, kSize / 2), static_cast<uint32_t>(block->ListId));
    EXPECT_EQ(gl::PickAt(state_, 1, 1), 0u);
    EXPECT_EQ(gl::PickAt(state_, kSize - 2, 2), 0u);

    // The imported map's band: the identity needs the blue channel too.
    block = makeScene(kImportMapCounterBase + 65);
    ASSERT_GT(block->ListId, 65535);
    EXPECT_EQ(gl::PickAt(state_, kSize / 2, kSize / 2), static_cast<uint32_t>(block->ListId));
}

TEST_F(SceneDrawer, HideParentLeavesOnlyTheSelectedSubtree) {
    TPoxel* block = makeScene();
    auto other = makePoxel(1, 1, 1);
    FillVoxels(*other, kDefaultCellCode);
    other->Pos = {0, 0, -3.5f}; // in front of the block, seen from -z
    TPoxel* front = AddChildPoxel(*root_, std::move(other));
    gl::BuildPoxelMesh(*front, nullptr);
    EXPECT_EQ(gl::PickAt(state_, kSize / 2, kSize / 2), static_cast<uint32_t>(front->ListId));
    state_.SelectedId = block->ListId;
    state_.HideParent = true;
    EXPECT_EQ(gl::PickAt(state_, kSize / 2, kSize / 2), static_cast<uint32_t>(block->ListId));
    EXPECT_EQ(state_.Selected, block);
}

TEST_F(SceneDrawer, GizmoHandlesWinOverGeometry) {
    TPoxel* block = makeScene();
    state_.SelectedId = block->ListId;
    state_.Gizmo = GizmoKind::Move;
    state_.MoveArmed = true;
    state_.Camera.CamFov = 10; // the gizmo keeps its size on screen; make it cover pixels
    // Looking along +z: the x axis runs across the middle rows, y up the middle columns.
    std::set<uint32_t> row;
    std::set<uint32_t> column;
    for (int i = 0; i < kSize; i += 2)
        for (int across = kSize / 2 - 2; across <= kSize / 2 + 2; ++across) {
            row.insert(gl::PickAt(state_, i, across));
            column.insert(gl::PickAt(state_, across, i));
        }
    EXPECT_TRUE(row.count(1)) << "x handle";
    EXPECT_TRUE(column.count(2)) << "y handle";
    // Off the handles the selected poxel itself answers.
    EXPECT_TRUE(row.count(static_cast<uint32_t>(block->ListId)));
    // In layers mode a press drags level corners: only the handles answer (in the node's frame,
    // here the same axes).
    state_.LayersMode = true;
    std::set<uint32_t> layersRow;
    for (int i = 0; i < kSize; i += 2)
        layersRow.insert(gl::PickAt(state_, i, kSize / 2));
    EXPECT_TRUE(layersRow.count(1)) << "x handle";
    EXPECT_FALSE(layersRow.count(static_cast<uint32_t>(block->ListId)));
    EXPECT_EQ(state_.Selected, block);
    state_.LayersMode = false;

    state_.Gizmo = GizmoKind::Scale;
    state_.MoveArmed = false;
    state_.ScaleArmed = true;
    // The centre triangle of the scale gizmo sits around the origin.
    std::set<uint32_t> centre;
    for (int dy = -8; dy <= 8; ++dy)
        for (int dx = -8; dx <= 8; ++dx)
            centre.insert(gl::PickAt(state_, kSize / 2 + dx, kSize / 2 + dy));
    EXPECT_TRUE(centre.count(kHandleCentre));
}

// A window of pixels around the pointer reads, pixel for pixel, what single picks there read, so
// the nearest handle found in it is the one drawn nearest to the pointer.
TEST_F(SceneDrawer, APickWindowReadsWhatSinglePicksAroundThePointerRead) {
    TPoxel* block = makeScene();
    state_.SelectedId = block->ListId;
    state_.Gizmo = GizmoKind::Move;
    state_.MoveArmed = true;
    state_.Camera.CamFov = 10;
    for (const auto& [x, y] :
         {std::pair{kSize / 2, kSize / 2}, {kSize / 2 + 9, kSize / 2 - 5}, {3, kSize - 4}}) {
        const std::vector<uint32_t> window = gl::PickWindow(state_, x, y, 3);
        ASSERT_EQ(window.size(), 49u);
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx)
                EXPECT_EQ(window[size_t(dy + 3) * 7 + size_t(dx + 3)],
                          gl::PickAt(state_, x + dx, y + dy))
                    << x << "," << y << " + " << dx << "," << dy;
    }
    // The y handle runs up the middle columns: from 5 pixels beside it, it is the nearest.
    int handleX = -1;
    for (int x = 0; x < kSize && handleX < 0; ++x)
        if (gl::PickAt(state_, x, kSize / 4) == 2)
            handleX = x;
    ASSERT_GE(handleX, 0) << "the y handle is in the picture";
    const auto isHandle = [](uint32_t id) { return id >= 1 && id <= kHandleCentre; };
    PickWindow near;
    near.Radius = 6;
    near.Ids = gl::PickWindow(state_, handleX - 5, kSize / 4, 6);
    EXPECT_EQ(nearestInWindow(near, 6, isHandle), 2u);
}

TEST_F(SceneDrawer, PointPicksReachTheSelectedPoxelBelowTheRoot) {
    TPoxel* block = makeScene();
    state_.SelectedId = block->ListId;
    for (bool heights : {true, false}) {
        SCOPED_TRACE(heights ? "heightmap points" : "level corners");
        state_.HeightPick = heights;
        state_.LayersMode = !heights;
        std::set<uint32_t> seen;
        for (int y = 0; y < kSize; y += 2)
            for (int x = 0; x < kSize; x += 2)
                seen.insert(gl::PickAt(state_, x, y));
        seen.erase(0);
        EXPECT_FALSE(seen.empty()) << "the points answer";
        EXPECT_FALSE(seen.count(static_cast<uint32_t>(block->ListId)));
        EXPECT_EQ(state_.Selected, block);
    }
}

TEST_F(SceneDrawer, FocusFitsTheCameraToThePoxel) {
    TPoxel* block = makeScene();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    block->Size = {1, 3, 1};
    TCamera c;
    gl::FocusCamera(c, *block);
    EXPECT_FLOAT_EQ(c.CamPan.X, -1);
    EXPECT_FLOAT_EQ(c.CamPan.Y, -2);
    EXPECT_FLOAT_EQ(c.CamPan.Z, -3);
    EXPECT_FLOAT_EQ(c.CamDistance, 3 * (block->BoxMax.Y - block->BoxMin.Y) * 3);
    // The root frames the poxels below it: here the one block, 3 high, placed at the origin.
    glLoadIdentity();
    gl::FocusCamera(c, *root_);
    EXPECT_FLOAT_EQ(c.CamDistance, 3 * (block->BoxMax.Y - block->BoxMin.Y) * 3);
}

TEST_F(SceneDrawer, ZoomRequestIsServedByTheFrameThatDrawsTheSelection) {
    TPoxel* block = makeScene();
    block->Pos = {3, 0, 0};
    state_.SelectedId = block->ListId;
    state_.ZoomSelectedRequest = true;
    gl::RenderFrame(state_, false);
    EXPECT_FALSE(state_.ZoomSelectedRequest);
    EXPECT_EQ(state_.Selected, block);
    EXPECT_NEAR(state_.Camera.CamPan.X, -3, 1e-5);
}

TEST_F(SceneDrawer, NormalFrameShowsTheMapAndTheGridSwitch) {
    makeScene();
    state_.Camera.CamPitch = -30;
    gl::RenderFrame(state_, false);
    auto centre = context()->pixel(kSize / 2 + 8, kSize / 2 + 8); // inside a cell, off its edges
    EXPECT_GT(centre[0] + centre[1] + centre[2], 60) << "the lit block";
    // Without the grid and the map, only black is left in the upper corner.
    state_.ShowGrid = false;
    state_.ShownRoot = nullptr;
    gl::RenderFrame(state_, false);
    auto corner = context()->pixel(kSize - 2, kSize - 2);
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
}

// Where a world point appears, by the camera maths the object drags use (client pixels, y
// down, as PickAt takes them).
std::pair<int, int> clientPixelOf(const TCamera& c, const DVec3& world) {
    const auto w = projectPoint(world, identityMatrix(), cameraProjection(c), cameraViewport(c));
    EXPECT_TRUE(w);
    return {static_cast<int>(std::lround(w->X)),
            c.Height - 1 - static_cast<int>(std::lround(w->Y))};
}

TEST_F(SceneDrawer, TheCpuCameraPutsPointsWhereTheFrameDrawsThem) {
    TPoxel* block = makeScene();
    block->Pos = {1.5f, 0.5f, 0};
    block->Size = {0.3f, 0.3f, 0.3f};
    state_.Camera.CamPitch = -25;
    state_.Camera.CamYaw = 40;
    const auto [x, y] = clientPixelOf(state_.Camera, {1.5, 0.5, 0});
    EXPECT_EQ(gl::PickAt(state_, x, y), static_cast<uint32_t>(block->ListId));
    const auto [ox, oy] = clientPixelOf(state_.Camera, {-1.5, 0.5, 0});
    EXPECT_EQ(gl::PickAt(state_, ox, oy), 0u);
}

TEST_F(SceneDrawer, CullingDrawsAndPicksExactlyWhatTheFullPassesDo) {
    // A generated map from outside and from inside, with groups and entities shown (poxels
    // skipped one by one) and hidden (whole groups skipped too).
    root_ = makeGeneratedMap(120, 7);
    gl::BuildPoxelTree(*root_, nullptr);
    state_.EditRoot = state_.ShownRoot = root_.get();
    const auto bounds = worldBounds(*root_);
    ASSERT_TRUE(bounds);
    focusCameraOnBounds(state_.Camera, *bounds);
    const float distance = state_.Camera.CamDistance;
    struct View {
        float pitch, yaw, distanceScale;
    };
    int hits = 0;
    auto compare = [&](const View& v) {
        state_.Camera.CamPitch = v.pitch;
        state_.Camera.CamYaw = v.yaw;
        state_.Camera.CamDistance = distance * v.distanceScale;
        state_.FrameCulling = false;
        gl::RenderFrame(state_, false);
        const auto whole = context()->readPixels();
        state_.FrameCulling = true;
        gl::RenderFrame(state_, false);
        ASSERT_TRUE(context()->readPixels() == whole) << "pitch " << v.pitch;
        for (int y = 1; y < kSize; y += 5)
            for (int x = 1; x < kSize; x += 5) {
                state_.PickCulling = false;
                const uint32_t full = gl::PickAt(state_, x, y);
                state_.PickCulling = true;
                const uint32_t culled = gl::PickAt(state_, x, y);
                ASSERT_EQ(culled, full) << "at " << x << ", " << y;
                hits += full != 0;
            }
    };
    const View views[] = {{-20, 136, 1}, {-70, 10, 0.6f}, {-5, 250, 0.05f}};
    for (const bool dummies : {true, false}) {
        state_.ShowDummy = dummies;
        for (const View& v : views)
            compare(v);
    }
    EXPECT_GT(hits, 80) << "the views must see the map";

    // A group moved and a poxel grown after those frames are drawn where they are now, and a
    // selected node out of view is still reached (its gizmo stands on it).
    TPoxel* group = nullptr;
    for (auto& child : root_->Children)
        if (child->IsGroup && !child->Children.empty())
            group = child.get();
    ASSERT_NE(group, nullptr);
    group->Pos.X -= 15;
    group->Rot.Y += 30;
    TPoxel* poxel = group->Children.front().get();
    poxel->Size = {3, 3, 3};
    for (const View& v : views)
        compare(v);
    state_.SelectedId = poxel->ListId;
    state_.Camera.CamPan = {-1000, 0, 0};
    gl::RenderFrame(state_, false);
    EXPECT_EQ(state_.Selected, poxel);
    state_.SelectedId = 0;
}

TEST_F(SceneDrawer, MeshesBuiltOnWorkersDrawAsThoseBuiltOneByOne) {
    auto serial = makeGeneratedMap(300, 11);
    root_ = makeGeneratedMap(300, 11);
    std::vector<TPoxel*> nodes;
    std::vector<TPoxel*> pending{root_.get()};
    while (!pending.empty()) {
        TPoxel* n = pending.back();
        pending.pop_back();
        nodes.push_back(n);
        for (auto& child : n->Children)
            pending.push_back(child.get());
    }
    size_t last = 0, calls = 0;
    gl::BuildPoxelMeshes(nodes, nullptr, [&](size_t done, size_t total) {
        EXPECT_EQ(total, nodes.size());
        EXPECT_GT(done, last);
        last = done;
        ++calls;
    });
    EXPECT_EQ(last, nodes.size());
    EXPECT_GT(calls, 1u);
    pending = {serial.get()};
    while (!pending.empty()) {
        TPoxel* n = pending.back();
        pending.pop_back();
        gl::BuildPoxelMesh(*n, nullptr);
        for (auto& child : n->Children)
            pending.push_back(child.get());
    }
    const auto bounds = worldBounds(*root_);
    ASSERT_TRUE(bounds);
    focusCameraOnBounds(state_.Camera, *bounds);
    state_.Camera.CamPitch = -30;
    state_.EditRoot = state_.ShownRoot = serial.get();
    gl::RenderFrame(state_, false);
    const auto expected = context()->readPixels();
    state_.EditRoot = state_.ShownRoot = root_.get();
    gl::RenderFrame(state_, false);
    EXPECT_TRUE(context()->readPixels() == expected);
    state_.EditRoot = state_.ShownRoot = nullptr;
}

TEST_F(SceneDrawer, TheDragPreviewDrawsTheSelectedNodeAndItsChildrenInItsFrames) {
    TPoxel* block = makeScene();
    auto small = makePoxel(1, 1, 1);
    FillVoxels(*small, kDefaultCellCode);
    small->Pos = {0, 2.5f, 0};
    TPoxel* child = AddChildPoxel(*block, std::move(small));
    gl::BuildPoxelMesh(*child, nullptr);
    state_.Camera.CamDistance = 14;
    state_.SelectedId = block->ListId;
    const auto [bx, by] = clientPixelOf(state_.Camera, {0, 0, 0});
    const auto [mx, my] = clientPixelOf(state_.Camera, {3, 0, 0});
    const auto [cx, cy] = clientPixelOf(state_.Camera, {3, 2.5, 0});
    ASSERT_EQ(gl::PickAt(state_, bx, by), static_cast<uint32_t>(block->ListId));

    // A move preview three units along x: node and child go along, the old place is empty.
    DragPreview& d = state_.DragStep;
    d.Active = true;
    d.ListId = block->ListId;
    d.Draw = d.Children = d.Gizmo = translation({3, 0, 0});
    EXPECT_EQ(gl::PickAt(state_, mx, my), static_cast<uint32_t>(block->ListId));
    EXPECT_EQ(gl::PickAt(state_, cx, cy), static_cast<uint32_t>(child->ListId));
    EXPECT_EQ(gl::PickAt(state_, bx, by), 0u);
    EXPECT_EQ(block->Pos, (TVec3{})) << "the preview changes no node";

    // A scale preview leaves the children where they are unless they follow it.
    d.Draw = scaling({2, 2, 2});
    d.Children = identityMatrix();
    const auto [sx, sy] = clientPixelOf(state_.Camera, {0, 1.6, 0});
    EXPECT_EQ(gl::PickAt(state_, sx, sy), static_cast<uint32_t>(block->ListId));
    const auto [kx, ky] = clientPixelOf(state_.Camera, {0, 2.5, 0});
    EXPECT_EQ(gl::PickAt(state_, kx, ky), static_cast<uint32_t>(child->ListId));
    d.Children = d.Draw;
    const auto [fx, fy] = clientPixelOf(state_.Camera, {0, 5, 0});
    EXPECT_EQ(gl::PickAt(state_, fx, fy), static_cast<uint32_t>(child->ListId));

    // A Ctrl-move shows the copy where it lands, in the frame only (it takes no part in picks).
    d.Draw = d.Children = identityMatrix();
    d.CopyPreview = true;
    d.Copy = translation({3, 0, 0});
    EXPECT_EQ(gl::PickAt(state_, mx, my), 0u);
    EXPECT_EQ(gl::PickAt(state_, bx, by), static_cast<uint32_t>(block->ListId));
    state_.ShowGrid = false;
    gl::RenderFrame(state_, false);
    EXPECT_FALSE(state_.CopyPreview) << "the copy lives for one frame";
    auto lit = context()->pixel(mx, kSize - 1 - my);
    EXPECT_GT(lit[0] + lit[1] + lit[2], 30) << "the copy is drawn";
}

} // namespace

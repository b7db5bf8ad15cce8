// The scene drawer in the headless context: pick read-back of nodes, gizmo handles and the
// background, camera focus, and what a normal frame shows.

#include "render/gl/SceneDrawer.h"

#include "core/Poxel.h"
#include "render/gl/DisplayLists.h"
#include "render/gl/HeadlessContext.h"
#include "render/gl/PoxelLists.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <set>

using namespace lw;
using lw::gl::HeadlessContext;

namespace {

constexpr int kSize = 64;

class SceneDrawer : public ::testing::Test {
protected:
    static std::unique_ptr<HeadlessContext>& context() {
        static std::unique_ptr<HeadlessContext> c;
        return c;
    }
    static void SetUpTestSuite() {
        auto created = HeadlessContext::create(kSize, kSize);
        if (created)
            context() = std::move(created.value());
    }
    static void TearDownTestSuite() { context().reset(); }

    void SetUp() override {
        ASSERT_TRUE(context()) << "no headless OpenGL context";
        ASSERT_TRUE(context()->makeCurrent().ok());
        gl::installDisplayListReleaseHook();
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
    EXPECT_EQ(gl::PickAt(state_, kSize / 2, kSize / 2), static_cast<uint32_t>(block->ListId));
    EXPECT_EQ(gl::PickAt(state_, 1, 1), 0u);
    EXPECT_EQ(gl::PickAt(state_, kSize - 2, 2), 0u);
}

TEST_F(SceneDrawer, PickKeepsAllTwentyFourBitsOfAnIdentity) {
    // The imported map's band: the identity needs the blue channel too.
    TPoxel* block = makeScene(kImportMapCounterBase + 65);
    ASSERT_GT(block->ListId, 65535);
    EXPECT_EQ(gl::PickAt(state_, kSize / 2, kSize / 2), static_cast<uint32_t>(block->ListId));
}

TEST_F(SceneDrawer, InvisiblePoxelsStillTakePartInPicking) {
    TPoxel* block = makeScene();
    block->Surface2 = 0; // "Visible" off
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
    gl::FocusCamera(c, *root_);
    EXPECT_FLOAT_EQ(c.CamDistance, 100);
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

} // namespace

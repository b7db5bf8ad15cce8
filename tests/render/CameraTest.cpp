// Camera limits, drag steps, head light and the endless-drag pointer wrap.

#include "render/Camera.h"
#include "render/SceneBounds.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace lw;

TEST(Camera, ClampsAtEachFrameAndWrapsTheYawOnce) {
    TCamera c;
    c.CamPitch = 120;
    c.CamDistance = 5000;
    c.CamFov = 2;
    c.CamYaw = 365;
    clampCamera(c);
    EXPECT_FLOAT_EQ(c.CamPitch, 90);
    EXPECT_FLOAT_EQ(c.CamDistance, 1000);
    EXPECT_FLOAT_EQ(c.CamFov, 10);
    EXPECT_FLOAT_EQ(c.CamYaw, 5);

    c.CamPitch = -91;
    c.CamDistance = -3;
    c.CamFov = 400;
    c.CamYaw = -370;
    clampCamera(c);
    EXPECT_FLOAT_EQ(c.CamPitch, -90);
    EXPECT_FLOAT_EQ(c.CamDistance, 0.1f);
    EXPECT_FLOAT_EQ(c.CamFov, 150);
    EXPECT_FLOAT_EQ(c.CamYaw, -10);

    // Only one turn is taken off per frame.
    c.CamYaw = 1000;
    clampCamera(c);
    EXPECT_FLOAT_EQ(c.CamYaw, 640);
}

TEST(Camera, ZoomRotationAndPerspectiveSteps) {
    TCamera c;
    cameraDragStep(c, ModeZoom, 0, 100); // 100 pixels up
    EXPECT_FLOAT_EQ(c.CamDistance, 5);
    cameraDragStep(c, ModeZoom, 0, 100);
    EXPECT_FLOAT_EQ(c.CamDistance, -5); // stored as is, clamped by the next frame
    clampCamera(c);
    EXPECT_FLOAT_EQ(c.CamDistance, 0.1f);

    TCamera r;
    cameraDragStep(r, ModeRotation, 10, 5);
    EXPECT_FLOAT_EQ(r.CamPitch, -19);
    EXPECT_FLOAT_EQ(r.CamYaw, 134);

    TCamera p;
    cameraDragStep(p, ModePerspective, 0, -50);
    EXPECT_FLOAT_EQ(p.CamFov, 40);
}

TEST(Camera, DollyMovesAlongTheViewAndPanKeepsTheDistance) {
    TCamera c;
    c.CamPitch = 0;
    c.CamYaw = 90;
    DollyCamera(c, 2);
    // Level view: nothing moves vertically, the orbit point moves by the full amount.
    EXPECT_NEAR(c.CamPan.Y, 0, 1e-5);
    EXPECT_NEAR(std::hypot(c.CamPan.X, c.CamPan.Z), 2, 1e-5);

    TCamera d;
    d.Width = 800;
    d.Height = 600;
    const float distance = d.CamDistance;
    cameraDragStep(d, ModePan, 40, 0);
    EXPECT_FLOAT_EQ(d.CamDistance, distance);
    EXPECT_NEAR(d.CamPan.Y, 0, 1e-6);
    EXPECT_GT(std::hypot(d.CamPan.X, d.CamPan.Z), 0.1f);

    // A zero height must not poison the camera.
    TCamera z;
    z.Height = 0;
    cameraDragStep(z, ModePan, 3, 3);
    EXPECT_TRUE(std::isfinite(z.CamPan.X) && std::isfinite(z.CamPan.Y));
    EXPECT_TRUE(std::isfinite(aspectRatio(z)));
}

TEST(Camera, HeadLightSitsAtTheEye) {
    TCamera c;
    c.CamPitch = -90; // straight down? a = -180 degrees
    c.CamYaw = 90;
    const auto light = headLightPosition(c);
    EXPECT_NEAR(light[1], c.CamDistance, 1e-3);
    EXPECT_FLOAT_EQ(light[3], 1);
}

TEST(Camera, PointerWrapsSixteenPixelsFromTheDesktopEdges) {
    const ScreenRect desktop{0, 0, 1280, 900};
    EXPECT_FALSE(wrapPointer({600, 400}, desktop));
    EXPECT_EQ(*wrapPointer({1270, 400}, desktop), (ScreenPoint{16, 400}));
    EXPECT_EQ(*wrapPointer({3, 400}, desktop), (ScreenPoint{1263, 400}));
    EXPECT_EQ(*wrapPointer({600, 890}, desktop), (ScreenPoint{600, 16}));
    EXPECT_EQ(*wrapPointer({600, 2}, desktop), (ScreenPoint{600, 883}));
    // A second screen to the right keeps its own edges.
    const ScreenRect right{1280, 0, 2560, 900};
    EXPECT_EQ(*wrapPointer({1285, 400}, right), (ScreenPoint{2543, 400}));
}

TEST(SceneBounds, FollowsPositionsRotationsAndSizes) {
    auto root = makePoxel();
    root->IsRoot = root->IsGroup = true;
    auto child = makePoxel(2, 1, 2);
    child->BoxMin = {0, 0, 0};
    child->BoxMax = {2, 1, 2};
    child->Pos = {10, 0, 0};
    child->Size = {2, 1, 1};
    child->Rot = {0, 90, 0};
    AddChildPoxel(*root, std::move(child));
    const auto b = worldBounds(*root);
    ASSERT_TRUE(b);
    // x in [0, 4] and z in [0, 2] turned by 90 degrees about y: x' = z, z' = -x.
    EXPECT_NEAR(b->lo.X, 10, 1e-4);
    EXPECT_NEAR(b->hi.X, 12, 1e-4);
    EXPECT_NEAR(b->lo.Z, -4, 1e-4);
    EXPECT_NEAR(b->hi.Z, 0, 1e-4);

    TCamera c;
    c.Width = 400;
    c.Height = 300;
    focusCameraOnBounds(c, *b);
    EXPECT_NEAR(c.CamPan.X, -11, 1e-4);
    EXPECT_NEAR(c.CamPan.Z, 2, 1e-4);
    EXPECT_GT(c.CamDistance, 3);

    auto empty = makePoxel();
    empty->IsGroup = true;
    EXPECT_FALSE(worldBounds(*empty));
}

TEST(SceneBounds, ZoomSelectedFramesAPoxelByItsBoxAndAGroupByItsSubtree) {
    auto group = makePoxel();
    group->IsGroup = true;
    group->Pos = {100, 0, 0};
    for (float x : {0.0f, 20.0f}) {
        auto child = makePoxel(1, 1, 1);
        child->BoxMin = {0, 0, 0};
        child->BoxMax = {2, 1, 1};
        child->Pos = {x, 5, 0};
        AddChildPoxel(*group, std::move(child));
    }
    const Mat4 groupAt = nodeMatrix(identityMatrix(), *group);
    TCamera c;
    focusCameraOnNode(c, *group, groupAt);
    // Children from x = 100 to 122 and y = 5 to 6: the middle, three times the widest extent.
    EXPECT_NEAR(c.CamPan.X, -111, 1e-4);
    EXPECT_NEAR(c.CamPan.Y, -5.5, 1e-4);
    EXPECT_NEAR(c.CamDistance, 66, 1e-4);

    // A poxel keeps its own box around its origin, children or not.
    TPoxel& first = *group->Children[0];
    focusCameraOnNode(c, first, nodeMatrix(groupAt, first));
    EXPECT_NEAR(c.CamPan.X, -100, 1e-4);
    EXPECT_NEAR(c.CamPan.Y, -5, 1e-4);
    EXPECT_NEAR(c.CamDistance, 6, 1e-4);

    // Nothing with a box below: a group at its origin by its own box, the root at 100.
    auto lone = makePoxel();
    lone->IsGroup = true;
    lone->BoxMax = {1, 1, 1};
    lone->Pos = {3, 0, 0};
    focusCameraOnNode(c, *lone, nodeMatrix(identityMatrix(), *lone));
    EXPECT_NEAR(c.CamPan.X, -3, 1e-4);
    EXPECT_NEAR(c.CamDistance, 3, 1e-4);
    lone->IsRoot = true;
    focusCameraOnNode(c, *lone, nodeMatrix(identityMatrix(), *lone));
    EXPECT_EQ(c.CamDistance, 100);
}

TEST(SceneBounds, CornersOfEveryPoxelButNotOfGroups) {
    auto root = makePoxel();
    root->IsRoot = root->IsGroup = true;
    for (float x : {0.0f, 20.0f}) {
        auto child = makePoxel(1, 1, 1);
        child->BoxMin = {0, 0, 0};
        child->BoxMax = {1, 1, 1};
        child->Pos = {x, 0, 0};
        child->Size = {1, 1, 1};
        AddChildPoxel(*root, std::move(child));
    }
    const auto corners = worldCorners(*root);
    ASSERT_EQ(corners.size(), 16u);
    EXPECT_NEAR(corners[15].X, 21, 1e-4);
    EXPECT_TRUE(worldCorners(*makePoxel()).size() == 8u);
}

// The distance and orbit point that fitCameraToPoints finds for `points`.
TCamera fitted(const std::vector<TVec3>& points, int width = 256, int height = 256) {
    TCamera c;
    c.Width = width;
    c.Height = height;
    fitCameraToPoints(c, points);
    return c;
}

std::vector<TVec3> boxCorners(TVec3 lo, TVec3 hi) {
    std::vector<TVec3> out;
    for (int i = 0; i < 8; ++i)
        out.push_back({(i & 1) ? hi.X : lo.X, (i & 2) ? hi.Y : lo.Y, (i & 4) ? hi.Z : lo.Z});
    return out;
}

TEST(SceneBounds, FittingFollowsTheMapAndKeepsTheAngles) {
    const auto box = boxCorners({0, 0, 0}, {10, 2, 6});
    const TCamera base = fitted(box);
    EXPECT_FLOAT_EQ(base.CamYaw, TCamera{}.CamYaw);
    EXPECT_FLOAT_EQ(base.CamPitch, TCamera{}.CamPitch);
    EXPECT_GT(base.CamDistance, 5);
    EXPECT_LT(base.CamDistance, 100);

    // Moving the map moves the orbit point with it and keeps the distance.
    std::vector<TVec3> moved;
    for (const TVec3& p : box)
        moved.push_back({p.X + 100, p.Y - 7, p.Z + 3});
    const TCamera m = fitted(moved);
    EXPECT_NEAR(m.CamDistance, base.CamDistance, 1e-3 * base.CamDistance);
    EXPECT_NEAR(m.CamPan.X, base.CamPan.X - 100, 1e-3);
    EXPECT_NEAR(m.CamPan.Y, base.CamPan.Y + 7, 1e-3);
    EXPECT_NEAR(m.CamPan.Z, base.CamPan.Z - 3, 1e-3);

    // A map twice as large is seen from twice as far.
    std::vector<TVec3> large;
    for (const TVec3& p : box)
        large.push_back({p.X * 2, p.Y * 2, p.Z * 2});
    EXPECT_NEAR(fitted(large).CamDistance, 2 * base.CamDistance, 1e-3 * base.CamDistance);

    // A long flat map fits a wide picture from closer than a square one.
    const auto flat = boxCorners({-30, 0, -1}, {30, 1, 1});
    EXPECT_LT(fitted(flat, 512, 128).CamDistance, fitted(flat, 128, 128).CamDistance);

    // Without points the camera stays as it was.
    TCamera c;
    c.CamDistance = 42;
    c.CamPan = {1, 2, 3};
    fitCameraToPoints(c, {});
    EXPECT_FLOAT_EQ(c.CamDistance, 42);
    EXPECT_FLOAT_EQ(c.CamPan.Y, 2);
}

// The view's matrices on the CPU: projection and its inverse, node placement as the view
// draws it, and the box test of the pick pass.

#include "render/ViewMath.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace lw;

namespace {

TCamera camera800x600() {
    TCamera c;
    c.Width = 800;
    c.Height = 600;
    return c;
}

void expectNear(const DVec3& a, const DVec3& b, double tolerance = 1e-6) {
    EXPECT_NEAR(a.X, b.X, tolerance);
    EXPECT_NEAR(a.Y, b.Y, tolerance);
    EXPECT_NEAR(a.Z, b.Z, tolerance);
}

TEST(ViewMath, TheOrbitPointLandsInTheMiddleOfTheViewAndPointsComeBack) {
    TCamera c = camera800x600();
    c.CamPan = {-3.0f, 1.0f, 2.0f}; // the orbit point is -CamPan
    const Mat4 P = cameraProjection(c);
    const Viewport V = cameraViewport(c);
    const auto centre = projectPoint({3, -1, -2}, identityMatrix(), P, V);
    ASSERT_TRUE(centre);
    EXPECT_NEAR(centre->X, 400, 1e-6);
    EXPECT_NEAR(centre->Y, 300, 1e-6);
    EXPECT_GT(centre->Z, 0);
    EXPECT_LT(centre->Z, 1);

    // Through a node frame and back.
    const Mat4 frame = multiply(translation({1, 2, 3}), rotation(40, 1));
    const DVec3 p{0.5, -0.25, 2};
    const auto w = projectPoint(p, frame, P, V);
    ASSERT_TRUE(w);
    const auto back = unProjectPoint(*w, frame, P, V);
    ASSERT_TRUE(back);
    expectNear(*back, p, 1e-6);
}

TEST(ViewMath, TheCameraClampsAsTheFrameDoes) {
    TCamera wide = camera800x600();
    wide.CamFov = 400; // the frame draws with 150
    TCamera clamped = wide;
    clamped.CamFov = 150;
    EXPECT_EQ(cameraProjection(wide), cameraProjection(clamped));
    TCamera flat = camera800x600();
    flat.Height = 0; // aspect ratio stays finite
    for (double v : cameraProjection(flat))
        EXPECT_TRUE(std::isfinite(v));
}

TEST(ViewMath, AParallelOrSingularTransformHasNoInverse) {
    Mat4 singular = identityMatrix();
    singular[10] = 0; // flattens z
    EXPECT_FALSE(invertMatrix(singular));
    EXPECT_FALSE(unProjectPoint({1, 1, 0.5}, singular, identityMatrix(), {0, 0, 10, 10}));
    const auto inv = invertMatrix(translation({1, 2, 3}));
    ASSERT_TRUE(inv);
    expectNear(transformPoint(*inv, DVec3{1, 2, 3}), {0, 0, 0});
}

TEST(ViewMath, EntitiesSitInTheirOwnersScaledLattice) {
    auto owner = makePoxel(4, 2, 6);
    owner->Size = {2, 3, 0.5f};
    auto entity = makePoxel();
    entity->IsEntity = true;
    entity->Pos = {3, 1, 1};
    const Mat4 m = placeNode(identityMatrix(), *entity, owner.get(), false);
    // (Pos - N / 2) x owner Size.
    expectNear({m[12], m[13], m[14]}, {(3 - 2) * 2.0, (1 - 1) * 3.0, (1 - 3) * 0.5});
    const Mat4 k = placeNode(identityMatrix(), *entity, owner.get(), true);
    expectNear({k[12], k[13], k[14]}, {6, 3, 0.5});
    // A child is placed by its Pos alone and turned z, then y, then x.
    auto child = makePoxel();
    child->Pos = {1, 0, 0};
    child->Rot = {90, 0, 0};
    const Mat4 c = placeNode(translation({0, 5, 0}), *child, nullptr, false);
    expectNear(transformPoint(c, DVec3{0, 1, 0}), {1, 5, 1}, 1e-6);
}

TEST(ViewMath, BoxesBeyondOnePlaneAreRejectedOthersKept) {
    const TCamera c = camera800x600();
    const Mat4 P = cameraProjection(c);
    const TVec3 lo{-0.5f, -0.5f, -0.5f}, hi{0.5f, 0.5f, 0.5f};
    EXPECT_TRUE(boxMayBeVisible(P, lo, hi)) << "the box at the orbit point";
    EXPECT_FALSE(boxMayBeVisible(multiply(P, translation({500, 0, 0})), lo, hi));
    // Far behind the eye: beyond the near plane, even though x and y may look inside.
    const auto eye = unProjectPoint({400, 300, 0}, identityMatrix(), P, cameraViewport(c));
    ASSERT_TRUE(eye);
    const DVec3 back = {eye->X * 3, eye->Y * 3, eye->Z * 3};
    EXPECT_FALSE(boxMayBeVisible(
        multiply(P, translation({float(back.X), float(back.Y), float(back.Z)})), lo, hi));
    // A long box reaching across the view from outside on both sides is kept.
    EXPECT_TRUE(boxMayBeVisible(P, {-900, -0.1f, -0.1f}, {900, 0.1f, 0.1f}));
}

} // namespace

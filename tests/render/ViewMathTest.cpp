// The view's matrices on the CPU: projection and its inverse, node placement as the view
// draws it, and the box test of the pick pass.

#include "render/ViewMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

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

TEST(ViewMath, TheBallTestRejectsOnlyNodesTheBoxTestRejects) {
    // Nodes turned, scaled (some mirrored) and placed around the view of a whole frame and of
    // a 3-pixel pick square, in a turned parent frame: whatever the ball test passes over must
    // be what placing the node and testing its box rejects, and most far nodes are passed over.
    const TCamera c = camera800x600();
    Mat4 pickSquare = identityMatrix();
    pickSquare[0] = 800.0 / 3, pickSquare[5] = 600.0 / 3;
    pickSquare[12] = (800 - 2 * 310.5) / 3, pickSquare[13] = (600 - 2 * 200.5) / 3;
    std::mt19937 rng(11);
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution(lo, hi)(rng); };
    for (const Mat4& projection :
         {cameraProjection(c), multiply(pickSquare, cameraProjection(c))}) {
        const Mat4 frame = multiply(translation({2, -1, 3}), rotation(35, 1));
        const FramePlanes planes = framePlanes(multiply(projection, frame));
        int passedOver = 0;
        for (int i = 0; i < 4000; ++i) {
            auto node = makePoxel();
            node->Pos = {uniform(-60, 60), uniform(-40, 40), uniform(-60, 60)};
            node->Rot = {uniform(-180, 180), uniform(-180, 180), uniform(-180, 180)};
            node->Size = {uniform(-3, 3), uniform(0.1f, 3), uniform(0.1f, 3)};
            node->BoxMin = {uniform(-4, 0), uniform(-4, 0), uniform(-4, 0)};
            node->BoxMax = {uniform(0, 4), uniform(0, 4), uniform(0, 4)};
            if (!nodeSurelyOutside(planes, *node))
                continue;
            ++passedOver;
            const Mat4 placed =
                multiply(placeNode(frame, *node, nullptr, false), scaling(node->Size));
            ASSERT_FALSE(boxMayBeVisible(multiply(projection, placed), node->BoxMin, node->BoxMax))
                << "node " << i;
        }
        EXPECT_GT(passedOver, 2000);
    }
    // A node whose box holds the view's middle, or whose position is not a number, is kept.
    const FramePlanes whole = framePlanes(cameraProjection(c));
    auto node = makePoxel();
    node->BoxMin = {-1, -1, -1};
    node->BoxMax = {1, 1, 1};
    EXPECT_FALSE(nodeSurelyOutside(whole, *node));
    node->Pos = {500, 0, 0};
    EXPECT_TRUE(nodeSurelyOutside(whole, *node));
    node->Pos.Y = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(nodeSurelyOutside(whole, *node));
}

} // namespace

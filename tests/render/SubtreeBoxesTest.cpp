// Subtree boxes kept between frames: what they hold, and that a change anywhere below a node
// reaches its box at the next refresh.

#include "render/SubtreeBoxes.h"

#include <gtest/gtest.h>

using namespace lw;

namespace {

// A poxel with a mesh: the unit box around its origin.
TPoxel* addMeshed(TPoxel& parent, TVec3 pos) {
    auto p = makePoxel(1, 1, 1);
    p->Pos = pos;
    p->BoxMin = {-0.5f, -0.5f, -0.5f};
    p->BoxMax = {0.5f, 0.5f, 0.5f};
    p->ListsBuilt = true;
    return AddChildPoxel(parent, std::move(p));
}

void expectNear(const TVec3& a, const TVec3& b) {
    EXPECT_NEAR(a.X, b.X, 1e-3f);
    EXPECT_NEAR(a.Y, b.Y, 1e-3f);
    EXPECT_NEAR(a.Z, b.Z, 1e-3f);
}

TEST(SubtreeBoxes, HoldThePoxelsBelowAndFollowEveryChange) {
    auto root = makePoxel();
    root->IsRoot = root->IsGroup = true;
    auto groupNode = makePoxel();
    groupNode->IsGroup = true;
    groupNode->Pos = {10, 0, 0};
    TPoxel* group = AddChildPoxel(*root, std::move(groupNode));
    TPoxel* a = addMeshed(*group, {0, 0, 0});
    TPoxel* b = addMeshed(*group, {0, 4, 0});
    auto unbuilt = makePoxel(1, 1, 1);
    unbuilt->Pos = {-50, 0, 0};
    AddChildPoxel(*group, std::move(unbuilt)); // no mesh yet: not in any box

    SubtreeBoxes boxes;
    boxes.refresh(*root, b->ListId);
    const SubtreeBoxes::Box* g = boxes.find(*group);
    ASSERT_TRUE(g && g->Any);
    expectNear(g->Lo, {-0.5f, -0.5f, -0.5f}); // in the group's own frame
    expectNear(g->Hi, {0.5f, 4.5f, 0.5f});
    EXPECT_TRUE(g->HoldsSelected);
    const SubtreeBoxes::Box* r = boxes.find(*root);
    ASSERT_TRUE(r);
    expectNear(r->Lo, {9.5f, -0.5f, -0.5f});

    // A grown poxel, a turned one and a moved group all show at the next refresh.
    b->Size = {2, 2, 2};
    a->Rot = {0, 0, 90};
    a->BoxMax = {3.5f, 0.5f, 0.5f};
    group->Pos = {-10, 0, 0};
    boxes.refresh(*root, 0);
    g = boxes.find(*group);
    ASSERT_TRUE(g);
    expectNear(g->Lo, {-1.0f, -0.5f, -1.0f});
    expectNear(g->Hi, {1.0f, 5.0f, 1.0f});
    EXPECT_FALSE(g->HoldsSelected);
    expectNear(boxes.find(*root)->Hi, {-9.0f, 5.0f, 1.0f});

    // Nodes the last refresh did not reach have no box.
    auto other = makePoxel();
    boxes.refresh(*other, 0);
    EXPECT_EQ(boxes.find(*group), nullptr);
}

} // namespace

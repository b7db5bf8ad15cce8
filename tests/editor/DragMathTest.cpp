// Object drags without a window: plane hits and angles, the steps of move, rotate and scale
// with their restrictions, Shift and Ctrl, and the release written into the document as one
// step that undo takes back to the identical map. Layers-mode drags of level corners too.

#include "editor/DragMath.h"

#include "core/MapGenerator.h"
#include "core/MapWriter.h"
#include "editor/MapDocument.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace lw;
using lwtest::mapBytes;

namespace {

DragView view800x600(float pitch = TCamera{}.CamPitch) {
    TCamera c;
    c.Width = 800;
    c.Height = 600;
    c.CamPitch = pitch;
    return dragViewOf(c);
}

// The window point under `local` of `frame`.
DVec3 windowOf(const DragView& v, const Mat4& frame, const DVec3& local) {
    const auto w = projectPoint(local, frame, v.Projection, v.View);
    EXPECT_TRUE(w);
    return w.value_or(DVec3{});
}

void expectNear(const DVec3& a, const DVec3& b, double tolerance = 1e-4) {
    EXPECT_NEAR(a.X, b.X, tolerance);
    EXPECT_NEAR(a.Y, b.Y, tolerance);
    EXPECT_NEAR(a.Z, b.Z, tolerance);
}

// A small map: a group holding a poxel "Box" with a child poxel and an entity.
class Drags : public ::testing::Test {
protected:
    void SetUp() override {
        auto root = newMapRoot();
        TPoxel* group = place(AddChildPoxel(*root, makePoxel()), "Group", {1, 0, 2});
        group->IsGroup = true;
        box_ = place(AddChildPoxel(*group, makePoxel(4, 2, 4)), "Box", {2, 1, -1}, {1, 2, 1});
        box_->Rot = {0, 30, 0};
        TPoxel* inner =
            place(AddChildPoxel(*box_, makePoxel(2, 2, 2)), "Inner", {1, 3, 1}, {0.5f, 0.5f, 0.5f});
        place(AddChildPoxel(*inner, makePoxel()), "Leaf", {0.5f, 0.25f, 0});
        entity_ = place(AddEntity(*box_, makePoxel()), "Emitter_01", {3, 1, 2});
        entity_->IsEntity = true;
        doc_.adoptMap(std::move(root), QString(), false);
    }

    static TPoxel* place(TPoxel* node, const char* name, TVec3 pos, TVec3 size = {1, 1, 1}) {
        node->Name = name;
        node->Pos = pos;
        node->Size = size;
        return node;
    }

    NodeFrames framesOf(const TPoxel& node) {
        auto f = nodeFrames(*doc_.root(), node, false);
        EXPECT_TRUE(f);
        return f.value_or(NodeFrames{});
    }

    // A drag of `node` from the window point of `from` to that of `to`, both given in the
    // node's frame of the drag plane `frame`.
    ObjectDrag drag(TPoxel& node, DragKind kind, int restriction, const Mat4& frame,
                    const DVec3& from, const DVec3& to, bool ctrl = false, bool shift = false) {
        ObjectDrag d;
        const DVec3 a = windowOf(view_, frame, from);
        const DVec3 b = windowOf(view_, frame, to);
        beginDrag(d, kind, restriction, false, node, framesOf(node), view_, a.X, a.Y);
        DragStep(d, view_, (a.X + b.X) / 2, (a.Y + b.Y) / 2, ctrl, shift);
        DragStep(d, view_, b.X, b.Y, ctrl, shift);
        return d;
    }

    // Applies `d` to `node`, checks one step named `text`, that undo restores the map exactly
    // and that redo gives the result again.
    TPoxel* applyChecked(TPoxel& node, const ObjectDrag& d, const QString& text) {
        const auto before = mapBytes(*doc_.root());
        const int steps = doc_.undoStack()->index();
        TPoxel* result = ApplyDrag(doc_, node, d);
        EXPECT_TRUE(result);
        EXPECT_EQ(doc_.undoStack()->index(), steps + 1) << "one drag, one step";
        EXPECT_EQ(doc_.undoStack()->undoText(), text);
        const auto after = mapBytes(*doc_.root());
        doc_.undoStack()->undo();
        EXPECT_EQ(mapBytes(*doc_.root()), before);
        doc_.undoStack()->redo();
        EXPECT_EQ(mapBytes(*doc_.root()), after);
        return result;
    }

    MapDocument doc_;
    TPoxel* box_ = nullptr;
    TPoxel* entity_ = nullptr;
    DragView view_ = view800x600();
};

// ---- Plane hits and angles ------------------------------------------------------------------

TEST(DragPlane, HitsLieInTheRestrictedPlaneOrOnTheAxis) {
    const DragView v = view800x600();
    const Mat4 frame = multiply(translation({1, -1, 2}), rotation(25, 1));
    const DVec3 p{0.75, -0.5, 0}; // in the frame's xy plane
    const DVec3 w = windowOf(v, frame, p);
    bool valid = false;
    expectNear(DragPlaneHit(frame, v, w.X, w.Y, RestrictXY, &valid), p);
    EXPECT_TRUE(valid);
    const DVec3 q{0.5, 0, -1.25}; // the zx plane
    const DVec3 wq = windowOf(v, frame, q);
    expectNear(DragPlaneHit(frame, v, wq.X, wq.Y, RestrictZX), q);
    // An axis keeps only its own coordinate, the point on the axis itself is hit exactly.
    const DVec3 onX = windowOf(v, frame, {1.5, 0, 0});
    expectNear(DragPlaneHit(frame, v, onX.X, onX.Y, RestrictX), {1.5, 0, 0});
    const DVec3 hitY = DragPlaneHit(frame, v, w.X, w.Y, RestrictY);
    EXPECT_EQ(hitY.X, 0);
    EXPECT_EQ(hitY.Z, 0);
    // The screen plane through the origin (uniform): the pointer on the origin hits it.
    const DVec3 o = windowOf(v, frame, {0, 0, 0});
    expectNear(DragPlaneHit(frame, v, o.X, o.Y, RestrictXYZ), {0, 0, 0});
}

TEST(DragPlane, ARayParallelToThePlaneOrMissingItGivesZero) {
    bool valid = true;
    // Looking level: the ground plane (zx) is edge-on.
    const DVec3 hit = DragPlaneHit(identityMatrix(), view800x600(0), 400, 300, RestrictZX, &valid);
    EXPECT_EQ(hit, DVec3{});
    EXPECT_FALSE(valid);
    // Looking down at the ground, a point above the horizon meets it behind the eye.
    EXPECT_EQ(DragPlaneHit(identityMatrix(), view800x600(-5), 400, 599, RestrictZX, &valid),
              DVec3{});
    EXPECT_FALSE(valid);
}

TEST(DragPlane, AnglesAreSignedAndUndefinedOnTheAxis) {
    EXPECT_NEAR(PlaneAngle(0, 1, 1, 0), 90, 1e-4);     // from (0, 1) to (1, 0)
    EXPECT_NEAR(PlaneAngle(1, 0, 0, 1), -90, 1e-4);    // and back
    EXPECT_NEAR(PlaneAngle(1, 0, -1, 0), -180, 1e-4);  // p < 0 adds half a turn
    EXPECT_NEAR(PlaneAngle(-1, 1, -1, -1), -90, 1e-4); // both in the left half
    EXPECT_TRUE(std::isnan(PlaneAngle(0, 0, 1, 0)));
}

// ---- Move ------------------------------------------------------------------------------------

TEST_F(Drags, AMoveRestrictedToXChangesOnlyPosX) {
    const NodeFrames f = framesOf(*box_);
    const Mat4 gizmo = gizmoFrame(DragKind::Move, false, f);
    const TVec3 before = box_->Pos;
    ObjectDrag d = drag(*box_, DragKind::Move, RestrictX, gizmo, {0.2, 0, 0}, {2.2, 0, 0});
    EXPECT_NEAR(d.MoveDelta.X, 2, 1e-3);
    EXPECT_EQ(d.MoveDelta.Y, 0);
    EXPECT_EQ(d.MoveDelta.Z, 0);
    const DragPreview p = dragPreview(d);
    EXPECT_TRUE(p.Active);
    EXPECT_FALSE(p.CopyPreview);
    // The node is drawn moved along its parent's x axis (the parent is unturned).
    EXPECT_NEAR(p.Draw[12] - f.Own[12], 2, 1e-3);
    EXPECT_EQ(box_->Pos, before) << "a drag changes nothing before the release";
    applyChecked(*box_, d, "Move");
    EXPECT_NEAR(box_->Pos.X, before.X + 2, 1e-3);
    EXPECT_EQ(box_->Pos.Y, before.Y);
    EXPECT_EQ(box_->Pos.Z, before.Z);
    EXPECT_EQ(box_->Rot, (TVec3{0, 30, 0}));
}

TEST_F(Drags, AMoveRestrictedToXYChangesXAndY) {
    const Mat4 gizmo = gizmoFrame(DragKind::Move, false, framesOf(*box_));
    const TVec3 before = box_->Pos;
    ObjectDrag d = drag(*box_, DragKind::Move, RestrictXY, gizmo, {0, 0, 0}, {1, -0.5, 0});
    applyChecked(*box_, d, "Move");
    EXPECT_NEAR(box_->Pos.X, before.X + 1, 1e-3);
    EXPECT_NEAR(box_->Pos.Y, before.Y - 0.5, 1e-3);
    EXPECT_NEAR(box_->Pos.Z, before.Z, 1e-4);
}

TEST_F(Drags, ACtrlMoveCopiesOnReleaseOnlyAndOnlyAfterAMovement) {
    TPoxel* group = doc_.root()->Children[0].get();
    const TVec3 before = box_->Pos;
    const Mat4 gizmo = gizmoFrame(DragKind::Move, false, framesOf(*box_));
    ObjectDrag d = drag(*box_, DragKind::Move, RestrictZ, gizmo, {0, 0, 0}, {0, 0, 1.5}, true);
    EXPECT_TRUE(d.CopyPreview);
    const DragPreview p = dragPreview(d);
    EXPECT_TRUE(p.CopyPreview);
    EXPECT_EQ(p.Draw, framesOf(*box_).Own) << "the node itself stays in place";
    EXPECT_EQ(group->Children.size(), 1u) << "no copy while dragging";

    TPoxel* copy = applyChecked(*box_, d, "Move");
    ASSERT_EQ(group->Children.size(), 2u);
    EXPECT_EQ(group->Children[1].get(), copy);
    EXPECT_NE(copy, box_);
    EXPECT_NE(copy->ListId, box_->ListId);
    EXPECT_EQ(box_->Pos, before) << "the original stays";
    EXPECT_NEAR(copy->Pos.Z, before.Z + 1.5, 1e-3);
    EXPECT_EQ(copy->Name, "Box");
    ASSERT_EQ(copy->Children.size(), 1u) << "the copy holds the subtree";
    EXPECT_EQ(copy->Entities.size(), 1u);

    // A press and release without a step in between: nothing, no copy.
    doc_.undoStack()->undo();
    const auto bytes = mapBytes(*doc_.root());
    ObjectDrag still;
    const DVec3 w = windowOf(view_, gizmo, {0, 0, 0});
    beginDrag(still, DragKind::Move, RestrictX, false, *box_, framesOf(*box_), view_, w.X, w.Y);
    still.DragCtrl = true;
    EXPECT_EQ(ApplyDrag(doc_, *box_, still), nullptr);
    // A step that ends where it began moves nothing, so it copies nothing either.
    DragStep(still, view_, w.X, w.Y, true, false);
    EXPECT_EQ(ApplyDrag(doc_, *box_, still), nullptr);
    EXPECT_EQ(mapBytes(*doc_.root()), bytes);
    EXPECT_EQ(doc_.undoStack()->index(), doc_.undoStack()->count() - 1);
}

TEST_F(Drags, EntitiesMoveInTheirOwnersScaledFrame) {
    const Mat4 gizmo = gizmoFrame(DragKind::Move, false, framesOf(*entity_));
    // The same pointer movement in world units, with the owner at Size 1 and at Size 4 on x.
    const DVec3 start = windowOf(view_, gizmo, {0, 0, 0});
    const DVec3 end = windowOf(view_, gizmo, {2, 0, 0});
    auto moved = [&] {
        ObjectDrag d;
        beginDrag(d, DragKind::Move, RestrictX, false, *entity_, framesOf(*entity_), view_, start.X,
                  start.Y);
        DragStep(d, view_, end.X, end.Y, false, false);
        return d.MoveDelta.X;
    };
    EXPECT_NEAR(moved(), 2, 1e-3);
    box_->Size.X = 4;
    EXPECT_NEAR(moved(), 0.5, 1e-3) << "Pos counts in the owner's scaled lattice";
}

TEST_F(Drags, ARayThatMissesThePlaneKeepsTheLastHit) {
    view_ = view800x600(-5); // the horizon lies low in the view
    const Mat4 gizmo = gizmoFrame(DragKind::Move, false, framesOf(*box_));
    const DVec3 a = windowOf(view_, gizmo, {0, 0, 0});
    const DVec3 b = windowOf(view_, gizmo, {1, 0, 0});
    ObjectDrag d;
    beginDrag(d, DragKind::Move, RestrictZX, false, *box_, framesOf(*box_), view_, a.X, a.Y);
    DragStep(d, view_, b.X, b.Y, false, false);
    const DVec3 delta = d.MoveDelta;
    EXPECT_NEAR(delta.X, 1, 1e-3);
    // Far above the horizon the ground plane lies behind the eye.
    DragStep(d, view_, b.X, 599, false, false);
    EXPECT_EQ(d.MoveDelta, delta);
}

// ---- Rotate ----------------------------------------------------------------------------------

TEST_F(Drags, RotatingAboutZFollowsTheAngleAroundTheAxis) {
    const NodeFrames f = framesOf(*box_);
    // Restriction Z hits the xy plane of the parent's axes turned by Rot.z.
    const Mat4 plane = multiply(withTranslationOf(f.Parent, f.Own), rotation(box_->Rot.Z, 2));
    ObjectDrag d = drag(*box_, DragKind::Rotate, RestrictZ, plane, {1, 0, 0}, {0, 1, 0});
    EXPECT_NEAR(d.RotateDelta.Z, 90, 1e-2);
    EXPECT_EQ(d.RotateDelta.X, 0);
    EXPECT_EQ(d.RotateDelta.Y, 0);
    const DragPreview p = dragPreview(d);
    EXPECT_TRUE(p.Lines);
    EXPECT_NEAR(p.GizmoRot.Z, 90, 1e-2);
    applyChecked(*box_, d, "Rotate");
    EXPECT_NEAR(box_->Rot.Z, 90, 1e-2);
    EXPECT_EQ(box_->Rot.Y, 30);
}

TEST_F(Drags, RotatingAboutXUsesTheNodesOwnFrame) {
    const NodeFrames f = framesOf(*box_);
    ObjectDrag d = drag(*box_, DragKind::Rotate, RestrictX, f.Own, {0, 1, 0}, {0, 0, 1});
    EXPECT_NEAR(d.RotateDelta.X, 90, 1e-2);
    // A hit on the axis itself has no angle: the last one stays.
    const DVec3 origin = windowOf(view_, f.Own, {0, 0, 0});
    DragStep(d, view_, origin.X, origin.Y, false, false);
    EXPECT_NEAR(d.RotateDelta.X, 90, 1e-2);
}

// ---- Scale -----------------------------------------------------------------------------------

TEST_F(Drags, ShiftScalesBothAxesOfAPlaneByTheLargerFactor) {
    const Mat4 own = framesOf(*box_).Own;
    ObjectDrag d =
        drag(*box_, DragKind::Scale, RestrictXY, own, {0.5, 0.5, 0}, {1.5, 1.0, 0}, false, true);
    expectNear(d.ScaleFactor, {2, 2, 1}, 1e-3);
    ObjectDrag plain = drag(*box_, DragKind::Scale, RestrictXY, own, {0.5, 0.5, 0}, {1.5, 1.0, 0});
    expectNear(plain.ScaleFactor, {2, 1.5, 1}, 1e-3);
    applyChecked(*box_, d, "Scale");
    EXPECT_NEAR(box_->Size.X, 2, 1e-3);
    EXPECT_NEAR(box_->Size.Y, 4, 1e-3);
    EXPECT_EQ(box_->Size.Z, 1);
}

TEST_F(Drags, TheUniformHandleTakesTheLargerOfXAndZ) {
    const Mat4 own = framesOf(*box_).Own;
    const DVec3 a = windowOf(view_, own, {0, 0, 0});
    ObjectDrag d;
    beginDrag(d, DragKind::Scale, RestrictXYZ, false, *box_, framesOf(*box_), view_, a.X, a.Y);
    // Straight up on the screen: whatever y does, the factor comes from x and z.
    DragStep(d, view_, a.X + 40, a.Y + 200, false, false);
    EXPECT_EQ(d.ScaleFactor.X, d.ScaleFactor.Y);
    EXPECT_EQ(d.ScaleFactor.Z, d.ScaleFactor.Y);
    const DVec3 hit = d.DragHit - d.DragStart;
    EXPECT_NEAR(d.ScaleFactor.X, std::max({hit.X + 1, hit.Z + 1, 0.0}), 1e-9);
    EXPECT_NE(hit.Y + 1, d.ScaleFactor.X);
}

TEST_F(Drags, ScalingBackBeyondTheStartGivesZeroNotANegativeSize) {
    const Mat4 own = framesOf(*box_).Own;
    ObjectDrag d = drag(*box_, DragKind::Scale, RestrictX, own, {1, 0, 0}, {-0.5, 0, 0});
    EXPECT_EQ(d.ScaleFactor.X, 0);
    EXPECT_EQ(d.ScaleFactor.Y, 1);
    applyChecked(*box_, d, "Scale");
    EXPECT_EQ(box_->Size.X, 0);
    EXPECT_EQ(box_->Size.Y, 2);
}

TEST_F(Drags, ACtrlUniformScaleScalesTheSubtree) {
    TPoxel* inner = box_->Children[0].get();
    TPoxel* leaf = inner->Children[0].get();
    const TVec3 innerPos = inner->Pos, leafPos = leaf->Pos, entityPos = entity_->Pos;
    const Mat4 own = framesOf(*box_).Own;
    ObjectDrag d;
    const DVec3 a = windowOf(view_, own, {0, 0, 0});
    beginDrag(d, DragKind::Scale, RestrictXYZ, false, *box_, framesOf(*box_), view_, a.X, a.Y);
    // Factor 2 exactly: the step's factor is set from the hit, so drive it straight.
    DragStep(d, view_, a.X + 50, a.Y, true, false);
    ASSERT_TRUE(d.ScaleChildren);
    d.ScaleFactor = {2, 2, 2};
    const DragPreview p = dragPreview(d);
    EXPECT_EQ(p.Children, p.Draw) << "the children take the preview scale";

    applyChecked(*box_, d, "Scale");
    EXPECT_EQ(box_->Size, (TVec3{2, 4, 2}));
    EXPECT_EQ(box_->Pos, (TVec3{2, 1, -1})) << "the selected node keeps its place";
    EXPECT_EQ(inner->Size, (TVec3{1, 1, 1}));
    EXPECT_EQ(inner->Pos, (TVec3{innerPos.X * 2, innerPos.Y * 2, innerPos.Z * 2}));
    EXPECT_EQ(leaf->Size, (TVec3{2, 2, 2}));
    EXPECT_EQ(leaf->Pos, (TVec3{leafPos.X * 2, leafPos.Y * 2, leafPos.Z * 2}));
    // The entity sits in the box's lattice, which the box's Size already scales.
    EXPECT_EQ(entity_->Pos, entityPos);
    EXPECT_EQ(entity_->Size, (TVec3{2, 2, 2}));

    // Without Ctrl only the node changes, and its children are drawn unscaled.
    doc_.undoStack()->undo();
    DragStep(d, view_, a.X + 50, a.Y, false, false);
    EXPECT_FALSE(d.ScaleChildren);
    EXPECT_EQ(dragPreview(d).Children, own);
    d.ScaleFactor = {2, 2, 2};
    applyChecked(*box_, d, "Scale");
    EXPECT_EQ(inner->Pos, innerPos);
    EXPECT_EQ(inner->Size, (TVec3{0.5f, 0.5f, 0.5f}));
}

TEST_F(Drags, ANodeGoneFromTheMapTakesNothing) {
    const Mat4 gizmo = gizmoFrame(DragKind::Move, false, framesOf(*box_));
    ObjectDrag d = drag(*box_, DragKind::Move, RestrictX, gizmo, {0, 0, 0}, {1, 0, 0});
    auto stray = makePoxel();
    EXPECT_EQ(ApplyDrag(doc_, *stray, d), nullptr);
    ASSERT_TRUE(doc_.removeNode(*box_, "Delete"));
    const int steps = doc_.undoStack()->count();
    EXPECT_EQ(ApplyDrag(doc_, *box_, d), nullptr);
    EXPECT_EQ(doc_.undoStack()->count(), steps);
}

// ---- Layers mode -----------------------------------------------------------------------------

TEST(LayerDrags, OneCornerMovesItsTwoEdgesOnItsLevelOnly) {
    auto p = makePoxel(3, 4, 3);
    p->LowCount = p->HighCount = 5;
    p->LayerLow.assign(5, TLayer{0.25f, -0.5f});
    p->LayerHigh.assign(5, TLayer{0.125f, 0.75f});
    TLPickArray picks;
    picks.SoftLen = 1;
    picks.SetOnly(1 + 10 * 2); // corner 1 of level 2
    const LayerSnapshot snap = SnapshotLayers(*p);
    // Moving by 2 on x: only the x = 0 edge (LayerHigh.X) of level 2 follows.
    DragLayers(*p, snap, picks, 2, 0, +1);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(p->LayerHigh[i].X, i == 2 ? 2.125f : 0.125f) << i;
        EXPECT_EQ(p->LayerHigh[i].Z, 0.75f);
        EXPECT_EQ(p->LayerLow[i], (TLayer{0.25f, -0.5f}));
    }
    // Each step starts from the snapshot, not from the last step.
    DragLayers(*p, snap, picks, 1, 1, +1);
    EXPECT_EQ(p->LayerHigh[2].X, 1.125f);
    EXPECT_EQ(p->LayerHigh[2].Z, 1.75f);
    // Scaling moves the low-coordinate edges the other way: corner 2 (x = NX, z = 0) owns the
    // LayerLow.X and LayerHigh.Z edges.
    picks.SetOnly(2 + 10 * 3);
    DragLayers(*p, snap, picks, 0.5, 0.5, -1);
    EXPECT_EQ(p->LayerLow[3].X, 0.75f);
    EXPECT_EQ(p->LayerHigh[3].Z, 0.25f);
    EXPECT_EQ(p->LayerHigh[3].X, 0.125f);
}

TEST(LayerDrags, ShortLayerArraysAreLeftAlone) {
    auto p = makePoxel(2, 4, 2);
    p->LayerLow.assign(2, TLayer{});
    p->LayerHigh.assign(5, TLayer{});
    TLPickArray picks;
    picks.SoftLen = 10;
    picks.SetOnly(1 + 10 * 4);
    DragLayers(*p, SnapshotLayers(*p), picks, 1, 1, 1);
    EXPECT_EQ(p->LayerLow.size(), 2u);
    EXPECT_EQ(p->LayerHigh[4].X, 0) << "beyond the shorter array nothing is touched";
    EXPECT_GT(p->LayerHigh[1].X, 0);
}

TEST_F(Drags, ALayersModeDragIsOneStepFromTheSnapshot) {
    box_->LowCount = box_->HighCount = 3;
    box_->LayerLow.assign(3, TLayer{});
    box_->LayerHigh.assign(3, TLayer{});
    doc_.undoStack()->setClean();
    const auto before = mapBytes(*doc_.root());
    TLPickArray picks;
    picks.SoftLen = 1;
    picks.SetOnly(4 + 10 * 1); // corner 4 of level 1: x = 0 and z = NZ edges
    const NodeFrames f = framesOf(*box_);
    ObjectDrag d;
    const DVec3 a = windowOf(view_, f.Own, {0, 0, 0});
    const DVec3 b = windowOf(view_, f.Own, {1, 0, 0});
    beginDrag(d, DragKind::Move, RestrictX, true, *box_, f, view_, a.X, a.Y);
    EXPECT_EQ(gizmoFrame(DragKind::Move, true, f), f.Own) << "layers mode moves in the node";
    const DragPreview p = DragStep(d, view_, b.X, b.Y, false, false);
    EXPECT_EQ(p.Draw, f.Own) << "the node itself stays";
    applyLayerStep(d, picks, *box_); // what the window does at every step
    EXPECT_NEAR(box_->LayerHigh[1].X, 1, 1e-3);
    const TPoxel* result = ApplyDrag(doc_, *box_, d);
    EXPECT_EQ(result, box_);
    EXPECT_NEAR(box_->LayerHigh[1].X, 1, 1e-3);
    EXPECT_EQ(doc_.undoStack()->undoText(), "Layers");
    doc_.undoStack()->undo();
    EXPECT_EQ(mapBytes(*doc_.root()), before);
    EXPECT_TRUE(doc_.undoStack()->isClean());
}

} // namespace

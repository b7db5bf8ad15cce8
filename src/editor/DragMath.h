#pragma once
// Object drags of the move, rotate and scale tools: the pointer's ray meets a plane chosen by
// the axis restriction, and the hit turns into a change of Pos, Rot or Size. Everything here
// is plain maths on the frames the view draws in (render/ViewMath), so the main window runs a
// step per pointer movement without OpenGL, the frame only shows the step (SceneState's
// DragPreview), and the release writes the result through the document as one undo step.
// Layers mode uses the same drags to move the level corners picked in the layer pick list.

#include "core/Poxel.h"
#include "render/PickArrays.h"
#include "render/SceneState.h"
#include "render/ViewMath.h"

#include <optional>

namespace lw {

class MapDocument;

// The view a drag is computed in: the camera projection and the viewport (widget pixels).
struct DragView {
    Mat4 Projection = identityMatrix();
    Viewport View{0, 0, 1, 1};
};
DragView dragViewOf(const TCamera& camera);

// The ray under the window point (px, py) (y from the bottom) met with the plane of
// restriction `t` through the origin of the model-view frame `frame`, in that frame's
// coordinates. A ray parallel to the plane or meeting it outside the near..far range gives
// (0, 0, 0) and, when `valid` is given, false there. Restrictions 0..2 keep only their axis.
DVec3 DragPlaneHit(const Mat4& frame, const DragView& view, double px, double py, int t,
                   bool* valid = nullptr);

// The signed angle in degrees from the direction (p, q) of `start` to that of `current`, as
// θ(start) - θ(current) with θ(p, q) = atan(q / p) (+ π when p < 0). Not a number when either
// direction is undefined (0 / 0).
float PlaneAngle(double startP, double startQ, double currentP, double currentQ);

// Where a node is drawn: the model-view frame before its own transform (`Parent`) and after it
// (`Own`), and the node that places it (the owner of an entity, else nullptr).
struct NodeFrames {
    Mat4 Parent = identityMatrix();
    Mat4 Own = identityMatrix();
    const TPoxel* Owner = nullptr;
    // The node's tree parent (for entities the owner as well); nullptr for the root.
    const TPoxel* TreeParent = nullptr;
};
// The frames of `node` inside the tree of `root` as the scene drawer places it; nothing when
// the node is not in that tree.
std::optional<NodeFrames> nodeFrames(const TPoxel& root, const TPoxel& node, bool kestrelEmitters);

enum class DragKind { Move, Rotate, Scale };

// A layer snapshot: LayerLow and LayerHigh at the first step of a layers-mode drag.
struct LayerSnapshot {
    ALayer Low;
    ALayer High;
};
LayerSnapshot SnapshotLayers(const PoxelContent& poxel);
// Moves the level offsets of `poxel` from `snapshot` by (dx, dz), each edge weighted by the
// larger layer weight of its two corners; q = +1 moves both edges alike (the move tool), -1
// moves the low-coordinate edges the other way (the scale tool). Levels missing from either
// the snapshot or the poxel are left alone.
void DragLayers(PoxelContent& poxel, const LayerSnapshot& snapshot, const TLPickArray& picks,
                double dx, double dz, int q);

// One drag from press to release: what the press fixed and the values of the last step.
struct ObjectDrag {
    bool Active = false;
    DragKind Kind = DragKind::Move;
    int Restriction = RestrictX;
    bool LayersMode = false;
    int32_t ListId = 0;
    NodeFrames Frames;
    // The node's fields at the press (the drag never changes them before the release).
    TVec3 PosAtStart;
    TVec3 RotAtStart;
    TVec3 SizeAtStart;
    bool IsEntity = false;
    TVec3 OwnerSize{1.0f, 1.0f, 1.0f};

    bool HaveStart = false; // DragStart holds a real plane hit
    bool Stepped = false;   // a pointer movement ran a step since the press
    bool DragCtrl = false;
    bool DragShift = false;
    DVec3 DragStart;
    DVec3 DragHit;
    DVec3 MoveDelta;
    DVec3 ScaleFactor{1.0, 1.0, 1.0};
    TVec3 RotateDelta;
    bool ScaleChildren = false;
    bool CopyPreview = false;
    LayerSnapshot Layers;
};

// Starts a drag of `node` (whose frames are `frames`) at the window point (px, py): the start
// point is the plane hit under the press.
void beginDrag(ObjectDrag& drag, DragKind kind, int restriction, bool layersMode,
               const TPoxel& node, const NodeFrames& frames, const DragView& view, double px,
               double py);
// One step at the window point (px, py) with the modifier keys held: recomputes the delta,
// angles or factors and returns what the frame shows.
DragPreview DragStep(ObjectDrag& drag, const DragView& view, double px, double py, bool ctrl,
                     bool shift);
// The preview of the current values (the same as the last DragStep returned).
DragPreview dragPreview(const ObjectDrag& drag);
// The gizmo's frame of a tool without a drag: the parent's axes at the node's origin for
// moving (the node's own frame in layers mode), the node's own frame otherwise.
Mat4 gizmoFrame(DragKind kind, bool layersMode, const NodeFrames& frames);
// The layer offsets the running layers-mode step gives (from the snapshot).
void applyLayerStep(const ObjectDrag& drag, const TLPickArray& picks, PoxelContent& poxel);

// The node's fields after the drag: Pos + MoveDelta, Rot + RotateDelta, Size x ScaleFactor.
PoxelContent draggedContent(const ObjectDrag& drag, const PoxelContent& node);

// Writes a finished drag into the document as one undo step ("Move", "Rotate", "Scale"): the
// Ctrl-move copy (appended to the node's parent, then moved), the Ctrl-uniform scale of the
// subtree, or the node's own change. Returns the node that is to be selected afterwards (the
// copy of a Ctrl-move), or nullptr when nothing was applied: no step ran since the press, the
// node is no longer in the map, or the drag changed nothing.
TPoxel* ApplyDrag(MapDocument& doc, TPoxel& node, const ObjectDrag& drag);

} // namespace lw

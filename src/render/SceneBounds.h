#pragma once
// Where a map's poxels lie in the world, the way the scene drawer places them, and a camera
// that shows all of it (used by the command-line renderer).

#include "core/Poxel.h"
#include "core/Transform.h"
#include "render/Camera.h"

#include <optional>
#include <vector>

namespace lw {

struct Bounds {
    TVec3 lo;
    TVec3 hi;
};

// The world box of every poxel with a box under `root` (groups and entities left out); nothing
// when there is none.
std::optional<Bounds> worldBounds(const TPoxel& root);
// The world box of every poxel with a box in the subtree of `node` (itself included), the node
// standing at `nodeWorld` (its placement in the world, without its size); nothing when none.
std::optional<Bounds> subtreeBounds(const TPoxel& node, const Mat4& nodeWorld);
// "Zoom Selected" on `node` standing at `nodeWorld`: a poxel is framed by its own box around
// its origin, at three times its largest extent; a group or the root by the box of the poxels
// below it, centred (a group without any falls back to its own box, the root to distance 100
// at its origin).
void focusCameraOnNode(TCamera& camera, const TPoxel& node, const Mat4& nodeWorld);
// Points the orbit at the centre of `bounds` and backs off until the whole box fits the view
// at the camera's current angles.
void focusCameraOnBounds(TCamera& camera, const Bounds& bounds);
// The world corners of every poxel's box under `root`, eight per poxel (groups and entities
// left out).
std::vector<TVec3> worldCorners(const TPoxel& root);
// Keeps the camera's angles and moves the orbit point and the distance so that every point is
// in view and as large as it can be, `margin` (0..1) of the half view kept free at the edges:
// the map then fills the picture, as a thumbnail wants. Nothing changes without points.
void fitCameraToPoints(TCamera& camera, const std::vector<TVec3>& points, float margin = 0.04f);

} // namespace lw

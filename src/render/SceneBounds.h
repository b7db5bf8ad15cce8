#pragma once
// Where a map's poxels lie in the world, the way the scene drawer places them, and a camera
// that shows all of it (used by the command-line renderer).

#include "core/Poxel.h"
#include "render/Camera.h"

#include <optional>

namespace lw {

struct Bounds {
    TVec3 lo;
    TVec3 hi;
};

// The world box of every poxel with a box under `root` (groups and entities left out); nothing
// when there is none.
std::optional<Bounds> worldBounds(const TPoxel& root);
// Points the orbit at the centre of `bounds` and backs off until the whole box fits the view
// at the camera's current angles.
void focusCameraOnBounds(TCamera& camera, const Bounds& bounds);

} // namespace lw

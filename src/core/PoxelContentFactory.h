#pragma once
// Node contents made without a node.

#include "core/Poxel.h"

namespace lw {

// The content a new TPoxel(nx, ny, nz) starts with. Touches no counter, so any thread may
// prepare contents that the thread owning the map later turns into nodes.
PoxelContent newPoxelContent(int32_t nx, int32_t ny, int32_t nz);

} // namespace lw

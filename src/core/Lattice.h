#pragma once
// The deformed vertex lattice of a poxel and its local bounding box.

#include "core/Poxel.h"

namespace lw {

// Index of lattice point (x, y, z) in Vertices: levels outermost, then z, then x.
inline size_t latticeIndex(const TPoxel& p, int32_t x, int32_t y, int32_t z) {
    const size_t nx1 = static_cast<size_t>(p.NX) + 1;
    const size_t nz1 = static_cast<size_t>(p.NZ) + 1;
    return (static_cast<size_t>(y) * nz1 + static_cast<size_t>(z)) * nx1 + static_cast<size_t>(x);
}

// Computes the (NY + 1) * (NX + 1) * (NZ + 1) lattice points of `p` and the box that holds them
// and the local origin. Pure: `p` is not changed. Groups are not special here.
void computeLattice(const TPoxel& p, std::vector<TVec3>& vertices, TVec3& boxMin, TVec3& boxMax);

// The points of one level y (0..NY) of the lattice, x fastest then z; `scratch` is reused
// between calls.
void computeLatticeLevel(const TPoxel& p, int32_t y, std::vector<TVec3>& points,
                         std::vector<double>& scratch);

// Writes Vertices, BoxMin and BoxMax of `p`; a group gets the unit box and no lattice.
void updateLattice(TPoxel& p);

} // namespace lw

#pragma once
// A picture of a map drawn on the processor, a level of cells at a time, for maps too large to
// hand to OpenGL whole: file managers ask for a thumbnail of any map the reader accepts, and
// the full meshes of the largest take many gigabytes. Every filled cell is drawn as its
// deformed box (no caps, bevels or textures) in the poxel's colour, lit by the head light as
// the view lights it. Memory is that of the map plus two lattice levels and the picture.

#include "core/Poxel.h"
#include "render/Camera.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lw {

// The cells of every poxel under `root` (groups, entities and hidden poxels left out), the
// camera's size and view. Rows run top down, three bytes a pixel; the background is black.
std::vector<uint8_t> drawCellsOnCpu(const TPoxel& root, const TCamera& camera);

// Writes BoxMin and BoxMax of every poxel under `root` (groups get the unit box) without
// keeping a lattice, so that the world boxes (SceneBounds.h) can frame the map.
void computeBoxesByLevels(TPoxel& root);

// The poxels under `root` and their cells: what decides whether a map is drawn here.
struct PoxelCount {
    size_t poxels = 0;
    size_t cells = 0;
};
PoxelCount countPoxels(const TPoxel& root);

} // namespace lw

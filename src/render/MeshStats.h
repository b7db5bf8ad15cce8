#pragma once
// `landwright-cli mesh-stats`: triangle and edge counts and boxes of every poxel of a map.

#include "core/Poxel.h"

#include <string>
#include <vector>

namespace lw {

struct PoxelMeshStats {
    std::string Name;
    size_t Triangles = 0;
    size_t Edges = 0;
    TVec3 BoxMin;
    TVec3 BoxMax;
};

// One entry per poxel (not groups, not entities) below and including `root`, in pre-order with
// a node's entities before its children. The geometry is built without a texture table, as
// opening a map does; the nodes are not changed.
std::vector<PoxelMeshStats> collectMeshStats(const TPoxel& root);

// The command's output. Text: one line per poxel and a total line. JSON:
// {"poxels": [{"name": ..., "triangles": N, "edges": N, "box_min": [x, y, z],
// "box_max": [x, y, z]}], "triangles": N, "edges": N}
std::string meshStatsText(const TPoxel& root, bool json);

} // namespace lw

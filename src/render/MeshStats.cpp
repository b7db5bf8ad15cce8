#include "render/MeshStats.h"

#include "core/JsonText.h"
#include "render/PoxelMesh.h"

#include <cmath>
#include <cstdio>

namespace lw {

namespace {

std::string textVec(const TVec3& v) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "(%g, %g, %g)", static_cast<double>(v.X),
                  static_cast<double>(v.Y), static_cast<double>(v.Z));
    return buf;
}

} // namespace

std::vector<PoxelMeshStats> collectMeshStats(const TPoxel& root) {
    std::vector<PoxelMeshStats> stats;
    PoxelMesh mesh;
    // Explicit stack: maps can nest deeper than the call stack would like.
    std::vector<const TPoxel*> pending{&root};
    while (!pending.empty()) {
        const TPoxel* node = pending.back();
        pending.pop_back();
        if (!node->IsGroup && !node->IsEntity) {
            computePoxelGeometry(*node, nullptr, mesh);
            stats.push_back(PoxelMeshStats{node->Name, mesh.triangleCount(), mesh.edgeCount(),
                                           mesh.BoxMin, mesh.BoxMax});
        }
        for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it)
            pending.push_back(it->get());
        for (auto it = node->Entities.rbegin(); it != node->Entities.rend(); ++it)
            pending.push_back(it->get());
    }
    return stats;
}

std::string meshStatsText(const TPoxel& root, bool json) {
    const std::vector<PoxelMeshStats> stats = collectMeshStats(root);
    size_t triangles = 0, edges = 0;
    for (const auto& s : stats) {
        triangles += s.Triangles;
        edges += s.Edges;
    }
    std::string out;
    if (json) {
        out = "{\"poxels\": [";
        for (size_t i = 0; i < stats.size(); ++i) {
            const auto& s = stats[i];
            if (i > 0)
                out += ", ";
            out += "{\"name\": " + jsonString(s.Name) +
                   ", \"triangles\": " + std::to_string(s.Triangles) +
                   ", \"edges\": " + std::to_string(s.Edges) +
                   ", \"box_min\": " + jsonVec(s.BoxMin) + ", \"box_max\": " + jsonVec(s.BoxMax) +
                   "}";
        }
        out += "], \"triangles\": " + std::to_string(triangles) +
               ", \"edges\": " + std::to_string(edges) + "}\n";
        return out;
    }
    for (const auto& s : stats) {
        out += latin1ToUtf8(s.Name) + ": " + std::to_string(s.Triangles) + " triangles, " +
               std::to_string(s.Edges) + " edges, box " + textVec(s.BoxMin) + " to " +
               textVec(s.BoxMax) + "\n";
    }
    out +=
        "total: " + std::to_string(triangles) + " triangles, " + std::to_string(edges) + " edges\n";
    return out;
}

} // namespace lw

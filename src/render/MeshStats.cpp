#include "render/MeshStats.h"

#include "render/PoxelMesh.h"

#include <cmath>
#include <cstdio>

namespace lw {

namespace {

// Names are 8-bit Latin-1 bytes; the output is UTF-8.
std::string latin1ToUtf8(const std::string& in) {
    std::string out;
    out.reserve(in.size());
    for (unsigned char c : in) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string jsonString(const std::string& latin1) {
    std::string out = "\"";
    for (char ch : latin1ToUtf8(latin1)) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string jsonFloat(float v) {
    if (std::isnan(v))
        return "\"nan\"";
    if (std::isinf(v))
        return v > 0 ? "\"inf\"" : "\"-inf\"";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
    return buf;
}

std::string jsonVec(const TVec3& v) {
    return "[" + jsonFloat(v.X) + ", " + jsonFloat(v.Y) + ", " + jsonFloat(v.Z) + "]";
}

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

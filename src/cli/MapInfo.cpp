#include "cli/MapInfo.h"

#include "core/JsonText.h"

#include <cmath>
#include <cstdio>

namespace lw::cli {

namespace {

std::string num(float f) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", double(f));
    return buf;
}

std::string vec(const TVec3& v) {
    return num(v.X) + " " + num(v.Y) + " " + num(v.Z);
}

std::string hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08x", v);
    return buf;
}

struct Totals {
    long nodes = 0, poxels = 0, groups = 0, entities = 0;
    long long cells = 0;
};

void textNode(const TPoxel& n, int depth, long& index, Totals& t, std::string& out) {
    out += std::string(size_t(depth) * 2, ' ') + "[" + std::to_string(index++) + "] " +
           latin1ToUtf8(n.Name) + "  " + nodeKind(n) + "  id " + std::to_string(n.Serial);
    ++t.nodes;
    if (n.IsEntity) {
        ++t.entities;
        out += "  lib " + latin1ToUtf8(n.LibName) + "  pos " + vec(n.Pos) + "  rot " + vec(n.Rot) +
               "  size " + vec(n.Size) + "  clip " + vec(n.Clip);
    } else {
        if (n.IsGroup)
            ++t.groups;
        else
            ++t.poxels;
        long filled = 0;
        for (uint32_t v : n.Voxels)
            filled += (v & 0xFFu) != 0;
        t.cells += n.VoxelCount;
        out += "  " + std::to_string(n.NX) + "x" + std::to_string(n.NY) + "x" +
               std::to_string(n.NZ) + "  pos " + vec(n.Pos) + "  rot " + vec(n.Rot) + "  size " +
               vec(n.Size);
        if (!n.IsGroup)
            out += "  cells " + std::to_string(n.VoxelCount) + " (" + std::to_string(filled) +
                   " filled)  surface " + hex(n.Surface) + " " + hex(n.Surface2) + "  color " +
                   hex(n.Color);
        if (!n.Entities.empty() || !n.Children.empty())
            out += "  entities " + std::to_string(n.Entities.size()) + "  children " +
                   std::to_string(n.Children.size());
    }
    out += "\n";
    for (const auto& e : n.Entities)
        textNode(*e, depth + 1, index, t, out);
    for (const auto& c : n.Children)
        textNode(*c, depth + 1, index, t, out);
}

void jsonNode(const TPoxel& n, std::string& out) {
    out += "{\"name\": " + jsonString(n.Name) + ", \"kind\": \"" + nodeKind(n) +
           "\", \"id\": " + std::to_string(n.Serial) + ", \"pos\": " + jsonVec(n.Pos) +
           ", \"rot\": " + jsonVec(n.Rot) + ", \"size\": " + jsonVec(n.Size);
    if (n.IsEntity) {
        out += ", \"lib_name\": " + jsonString(n.LibName) + ", \"clip\": " + jsonVec(n.Clip);
    } else {
        out += ", \"dims\": [" + std::to_string(n.NX) + ", " + std::to_string(n.NY) + ", " +
               std::to_string(n.NZ) + "], \"text_coord\": [";
        for (size_t i = 0; i < 16; ++i)
            out += (i ? ", " : "") + jsonNumber(n.TextCoord[i]);
        auto layers = [&out](const ALayer& l) {
            out += "[";
            for (size_t i = 0; i < l.size(); ++i)
                out += (i ? ", [" : "[") + jsonNumber(l[i].X) + ", " + jsonNumber(l[i].Z) + "]";
            out += "]";
        };
        out += "], \"layer_low\": ";
        layers(n.LayerLow);
        out += ", \"layer_high\": ";
        layers(n.LayerHigh);
        out += ", \"heights\": [";
        for (size_t x = 0; x < n.Heights.size(); ++x) {
            out += x ? ", [" : "[";
            for (size_t z = 0; z < n.Heights[x].size(); ++z)
                out += (z ? ", " : "") + jsonNumber(n.Heights[x][z]);
            out += "]";
        }
        out += "], \"surface\": " + std::to_string(n.Surface) +
               ", \"surface2\": " + std::to_string(n.Surface2) +
               ", \"color\": " + std::to_string(n.Color) + ", \"voxels\": [";
        for (size_t i = 0; i < n.Voxels.size(); ++i)
            out += (i ? ", " : "") + std::to_string(n.Voxels[i]);
        out += "]";
    }
    out += ", \"entities\": [";
    for (size_t i = 0; i < n.Entities.size(); ++i) {
        out += i ? ", " : "";
        jsonNode(*n.Entities[i], out);
    }
    out += "], \"children\": [";
    for (size_t i = 0; i < n.Children.size(); ++i) {
        out += i ? ", " : "";
        jsonNode(*n.Children[i], out);
    }
    out += "]}";
}

} // namespace

const char* nodeKind(const TPoxel& n) {
    if (n.IsRoot)
        return "root";
    if (n.IsEntity)
        return "entity";
    return n.IsGroup ? "group" : "poxel";
}

std::string mapInfoText(const TPoxel& root) {
    std::string out;
    long index = 0;
    Totals t;
    textNode(root, 0, index, t, out);
    out += std::to_string(t.nodes) + " nodes: " + std::to_string(t.poxels) + " poxels, " +
           std::to_string(t.groups) + " groups, " + std::to_string(t.entities) + " entities, " +
           std::to_string(t.cells) + " cells\n";
    return out;
}

std::string mapInfoJson(const TPoxel& root) {
    std::string out = "{\"root\": ";
    jsonNode(root, out);
    out += "}\n";
    return out;
}

} // namespace lw::cli

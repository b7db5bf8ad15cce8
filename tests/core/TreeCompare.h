#pragma once
// Deep comparison of the saved fields of two trees, with a readable first difference.

#include "core/Poxel.h"

#include <cstring>
#include <string>

namespace lwtest {

inline bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, 4) == 0;
}
inline bool sameVec(const lw::TVec3& a, const lw::TVec3& b) {
    return sameBits(a.X, b.X) && sameBits(a.Y, b.Y) && sameBits(a.Z, b.Z);
}

// Empty when equal, else where the first difference is. Root placement is not compared: a
// saved root always reads back with zero placement.
inline std::string firstDifference(const lw::TPoxel& a, const lw::TPoxel& b,
                                   const std::string& path = "") {
    const std::string here = path + "/" + a.Name;
    auto diff = [&here](const char* what) { return here + ": " + what; };
    if (a.Name != b.Name)
        return diff("name");
    if (a.IsEntity != b.IsEntity || a.IsGroup != b.IsGroup || a.IsRoot != b.IsRoot)
        return diff("kind");
    if (!a.IsRoot && (!sameVec(a.Pos, b.Pos) || !sameVec(a.Rot, b.Rot) || !sameVec(a.Size, b.Size)))
        return diff("placement");
    if (a.IsEntity) {
        if (a.LibName != b.LibName || !sameVec(a.Clip, b.Clip))
            return diff("entity fields");
    } else if (!a.IsRoot || !a.Entities.empty()) {
        if (a.NX != b.NX || a.NY != b.NY || a.NZ != b.NZ)
            return diff("dimensions");
        if (a.Voxels != b.Voxels)
            return diff("cells");
        for (size_t i = 0; i < 16; ++i)
            if (!sameBits(a.TextCoord[i], b.TextCoord[i]))
                return diff("texture coordinates");
        for (size_t y = 0; y < a.LayerLow.size(); ++y)
            if (!sameBits(a.LayerLow[y].X, b.LayerLow[y].X) ||
                !sameBits(a.LayerLow[y].Z, b.LayerLow[y].Z) ||
                !sameBits(a.LayerHigh[y].X, b.LayerHigh[y].X) ||
                !sameBits(a.LayerHigh[y].Z, b.LayerHigh[y].Z))
                return diff("level offsets");
        for (size_t x = 0; x < a.Heights.size(); ++x)
            for (size_t z = 0; z < a.Heights[x].size(); ++z)
                if (!sameBits(a.Heights[x][z], b.Heights[x][z]))
                    return diff("heights");
        if (a.Surface != b.Surface || a.Surface2 != b.Surface2 || a.Color != b.Color)
            return diff("surface or colour");
    }
    if (a.Entities.size() != b.Entities.size())
        return diff("entity count");
    if (a.Children.size() != b.Children.size())
        return diff("child count");
    for (size_t i = 0; i < a.Entities.size(); ++i)
        if (auto d = firstDifference(*a.Entities[i], *b.Entities[i], here); !d.empty())
            return d;
    for (size_t i = 0; i < a.Children.size(); ++i)
        if (auto d = firstDifference(*a.Children[i], *b.Children[i], here); !d.empty())
            return d;
    return "";
}

} // namespace lwtest

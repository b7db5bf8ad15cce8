#pragma once
// Pick lists of the heightmap and layers tools and the weights that spread a pick smoothly over
// its neighbours (for the heat tint and the brushes).

#include <cstdint>
#include <utility>
#include <vector>

namespace lw {

using TPickPairs = std::vector<std::pair<int32_t, int32_t>>;

// Picked grid points of the top level: (x + 1, z + 1) from identities 1001 + z + 1000 x.
struct TPickArray {
    TPickPairs Picks;
    float Radius = 2.0f;

    void Add(int32_t v) { Picks.emplace_back(v / 1000, v % 1000); }
    void SetOnly(int32_t v) {
        Picks.clear();
        Add(v);
    }
    void Clear() { Picks.clear(); }
};

// Picked level corners: (level, corner) from identities corner + 10 level.
struct TLPickArray {
    TPickPairs Picks;
    float SoftLen = 2.0f;

    void Add(int32_t v) { Picks.emplace_back(v / 10, v % 10); }
    void SetOnly(int32_t v) {
        Picks.clear();
        Add(v);
    }
    void Clear() { Picks.clear(); }
};

// Influence in percent (0..100) of the picks on grid point (x, z): a cosine fall-off over
// `Radius`; the strongest pick wins.
double HeightWeight(int32_t x, int32_t z, const TPickArray& list);
// Influence on corner `corner` of level `level`: the same fall-off over `SoftLen` along the
// levels, from picks of that corner only.
double LayerWeight(int32_t corner, int32_t level, const TLPickArray& list);

} // namespace lw

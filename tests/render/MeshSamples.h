#pragma once
// Poxels for the mesh tests and benchmarks.

#include "core/Poxel.h"
#include "render/TextureList.h"

#include <memory>
#include <random>

namespace lwtest {

// A table whose names tell row and slot apart: row n, slot k is 1000 + 4n + k.
inline lw::TTextureList numberedTextureTable() {
    lw::TTextureList t{};
    for (size_t n = 0; n < t.size(); ++n)
        for (size_t k = 0; k < 4; ++k)
            t[n][k] = static_cast<uint32_t>(1000 + 4 * n + k);
    return t;
}

struct RandomPoxelOptions {
    int maxSize = 5;
    double fill = 0.6;
    bool deform = false; // random heights and level offsets
};

// A poxel of random size, cells, textures, corner flags and smoothing switches.
inline std::unique_ptr<lw::TPoxel> randomPoxel(std::mt19937& rng, const RandomPoxelOptions& o) {
    std::uniform_int_distribution<int> size(1, o.maxSize);
    auto p = lw::makePoxel(size(rng), size(rng), size(rng));
    std::bernoulli_distribution filled(o.fill);
    std::uniform_int_distribution<uint32_t> box(1, 64), second(0, 64), flags(0, 255);
    for (auto& cell : p->Voxels) {
        if (!filled(rng)) {
            cell = 0;
            continue;
        }
        const uint32_t s = second(rng);
        cell = (4 * box(rng) - 1) | (s == 0 ? 0 : (4 * s - 1)) << 8 | flags(rng) << 16;
    }
    std::uniform_int_distribution<int> bit(0, 1);
    p->Surface = static_cast<uint32_t>(bit(rng)) | static_cast<uint32_t>(bit(rng)) << 8;
    p->Color = 0xFF000000u | (flags(rng) | flags(rng) << 8 | flags(rng) << 16);
    if (o.deform) {
        std::uniform_real_distribution<float> height(-1.5f, 1.5f), offset(-0.8f, 0.8f);
        for (auto& column : p->Heights)
            for (auto& h : column)
                h = height(rng);
        for (auto& l : p->LayerLow)
            l = lw::TLayer{offset(rng), offset(rng)};
        for (auto& l : p->LayerHigh)
            l = lw::TLayer{offset(rng), offset(rng)};
    }
    return p;
}

} // namespace lwtest

#pragma once
// The largest poxel the editor makes, shared by the mesh and the brush benchmarks.

#include "core/Poxel.h"

#include <memory>
#include <random>

namespace lwbench {

using namespace lw;

// The largest poxel the editor makes, every cell filled, both smoothings on, corner flags
// everywhere. Textures come in painted patches of 8 x 8 columns (four boxes, each blending into
// the next) or, for the worst case, change from cell to cell among eight boxes.
inline std::unique_ptr<TPoxel> largestPoxel(bool checkerboard, bool randomTextures = false) {
    auto p = makePoxel(30, 25, 30);
    p->Surface = 0x0101;
    std::mt19937 rng(11);
    std::uniform_int_distribution<uint32_t> box(1, 8), flags(0, 255);
    for (int z = 0; z < p->NZ; ++z)
        for (int x = 0; x < p->NX; ++x)
            for (int y = 0; y < p->NY; ++y) {
                const uint32_t patch = static_cast<uint32_t>(x / 8 + z / 8) % 4 + 1;
                const uint32_t first = randomTextures ? box(rng) : patch;
                const uint32_t second = randomTextures ? box(rng) : patch % 4 + 1;
                uint32_t& cell = p->Voxels[p->cellIndex(x, y, z)];
                cell = (4 * first - 1) | (4 * second - 1) << 8 | flags(rng) << 16;
                if (checkerboard && (x + y + z) % 2 == 1)
                    cell = 0;
            }
    return p;
}

} // namespace lwbench

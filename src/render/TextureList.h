#pragma once
// The OpenGL texture names of the loaded texture boxes, one row per texture index.

#include <array>
#include <cstdint>

namespace lw {

// Slots of a row.
enum TextureSlot : int {
    SlotTop = 0,
    SlotSide = 1,
    SlotBottom = 2,
    SlotEdge = 3,
};

constexpr int kTextureListRows = 64;
// Edge slot value of a box without an edge overlay.
constexpr uint32_t kNoEdgeTexture = 257;

using TTextureRow = std::array<uint32_t, 4>;
using TTextureList = std::array<TTextureRow, kTextureListRows>;

} // namespace lw

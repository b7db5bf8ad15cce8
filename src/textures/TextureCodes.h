#pragma once
// The numbers around texture boxes: the box codes in a cell's texture word, and where a box's
// tile lies in the box overview.

#include <cstdint>
#include <string>

namespace lw {

// The code of box n (1 to 64) in bits 0-7 or 8-15 of a cell: 4 n - 1; 0 (no box) stays 0.
constexpr uint32_t boxCode(int box) {
    return box <= 0 ? 0u : uint32_t(4 * box - 1);
}
// The box a code stands for: (code + 1) div 4.
constexpr int boxOfCode(uint32_t code) {
    return int((code & 0xFF) + 1) / 4;
}

// A cell word as the code editor writes it: box, second box ("Mat"), four corner flags and four
// "Blur" flags (each 0-15); bits 24-31 stay zero.
uint32_t composeCellCode(int box, int mat, int corners, int blur);
// The code editor's text of a cell word, "[%.2d] [%.2d] [%.2d] [%.2d]": blur, corners, second
// box, box.
std::string cellCodeText(uint32_t code);

// Overview of 8 x 8 tiles of 64 pixels at a pitch of 66, starting at (2, 2).
constexpr int kBoxTileSize = 64;
constexpr int kBoxOverviewSize = 530;
struct TileOrigin {
    int x = 0;
    int y = 0;
};
// The tile of box k (1 to 64).
constexpr TileOrigin boxTileOrigin(int box) {
    return {((box - 1) % 8) * 66 + 2, ((box - 1) / 8) * 66 + 2};
}
// The tile the current-box thumbnail shows for the value n; it wraps, so 0 shows box 64.
constexpr TileOrigin thumbnailTileOrigin(int n) {
    return boxTileOrigin(((n - 1) & 63) + 1);
}

} // namespace lw

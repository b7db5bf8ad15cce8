#include "render/Icons.h"

#include <array>
#include <cstdlib>
#include <string>

namespace lw {

namespace {

using Pixel = std::array<uint8_t, 4>; // B, G, R, A

std::vector<uint8_t> makeTga(Pixel (*shade)(int x, int y)) {
    std::vector<uint8_t> tga(kIconTgaBytes, 0);
    tga[2] = 2; // uncompressed true colour
    tga[12] = kIconSize;
    tga[14] = kIconSize;
    tga[16] = 32;
    tga[17] = 8; // eight alpha bits, rows bottom first
    for (int y = 0; y < kIconSize; ++y)
        for (int x = 0; x < kIconSize; ++x) {
            const Pixel p = shade(x, y);
            const size_t at = 18 + static_cast<size_t>(y * kIconSize + x) * 4;
            for (int c = 0; c < 4; ++c)
                tga[at + static_cast<size_t>(c)] = p[static_cast<size_t>(c)];
        }
    return tga;
}

// A detail entity: an orange diamond with a dark rim.
Pixel detailPixel(int x, int y) {
    const int d = std::abs(2 * x - 15) + std::abs(2 * y - 15);
    if (d > 15)
        return {0, 0, 0, 0};
    if (d > 11)
        return {20, 40, 90, 255};
    return {40, 150, 250, 255};
}

// A group: a light blue box outline with a cross in its middle.
Pixel dummyPixel(int x, int y) {
    const bool rim = x == 1 || x == 14 || y == 1 || y == 14;
    const bool inside = x >= 1 && x <= 14 && y >= 1 && y <= 14;
    const bool cross =
        (x == 7 || x == 8 || y == 7 || y == 8) && x >= 4 && x <= 11 && y >= 4 && y <= 11;
    if (inside && (rim || cross))
        return {240, 200, 90, 255};
    return {0, 0, 0, 0};
}

} // namespace

const std::vector<uint8_t>& iconTga(IconKind kind) {
    static const std::vector<uint8_t> detail = makeTga(&detailPixel);
    static const std::vector<uint8_t> dummy = makeTga(&dummyPixel);
    return kind == IconKind::Detail ? detail : dummy;
}

Result<std::vector<uint8_t>> iconPixelsOfTga(const std::vector<uint8_t>& tga) {
    if (tga.size() != kIconTgaBytes)
        return Error{"", "Bad icon image",
                     "expected " + std::to_string(kIconTgaBytes) + " bytes, got " +
                         std::to_string(tga.size())};
    if (tga[2] != 2 || tga[12] != kIconSize || tga[13] != 0 || tga[14] != kIconSize ||
        tga[15] != 0 || tga[16] != 32)
        return Error{"", "Bad icon image", "not a 16 x 16 32-bit true-colour TGA"};
    const size_t skip = 18 + static_cast<size_t>(tga[0]); // ID field length
    if (skip != 18)
        return Error{"", "Bad icon image", "unexpected ID field"};
    return std::vector<uint8_t>(tga.begin() + 18, tga.end());
}

} // namespace lw

#pragma once
// Identity colours of the pick passes and the heat tint of pick weights.

#include <array>
#include <cstdint>

namespace lw {

// Identity n as RGBA: red = n & 255, green = n >> 8 & 255, blue = n >> 16 & 255,
// alpha = n >> 24, each divided by 255.
inline std::array<float, 4> identityColour(uint32_t n) {
    return {static_cast<float>(n & 255u) / 255.0f, static_cast<float>(n >> 8 & 255u) / 255.0f,
            static_cast<float>(n >> 16 & 255u) / 255.0f, static_cast<float>(n >> 24) / 255.0f};
}

// The identity read back from a pixel (alpha is not read).
inline uint32_t identityOfPixel(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 |
           static_cast<uint32_t>(b) << 16;
}

// Colour word of a weight percentage: green at 0 %, yellow at 50 %, red at 100 %.
uint32_t HeatColour(double percent);

} // namespace lw

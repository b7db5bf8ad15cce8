#pragma once
// Writing texture bundles: XOM containers of a graph set and XImage objects, in the layout the
// browser reads. The program writes them only for its own demo textures.

#include "core/Result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lw {

// One image to store. `pixels`: rows bottom first, R, G, B (24 bits) or R, G, B, A (32 bits).
struct BundleImageSource {
    std::string name; // as stored, e.g. "Demo\grass.tga"; the browser shows "grass"
    int width = 0;
    int height = 0;
    int bits = 24;
    std::vector<uint8_t> pixels;
};

// The bytes of a bundle holding `images` in the given order (none: a bundle without images).
// Refuses images the browser could not show (no pixels, more than 512 on a side, pixel data
// of the wrong size) and images whose bytes spell the record tag, which would cut their record.
Result<std::vector<uint8_t>> encodeTextureBundle(const std::vector<BundleImageSource>& images);

} // namespace lw

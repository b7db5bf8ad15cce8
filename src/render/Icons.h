#pragma once
// The two 16 x 16 icons of the view: "DETAIL" (detail entities) and "DUMMY" (groups). They are
// kept in the uncompressed true-colour TGA layout (18-byte header, then 32-bit B, G, R, A pixels,
// 1042 bytes), which is also how they are drawn.

#include "core/Result.h"

#include <cstdint>
#include <vector>

namespace lw {

constexpr int kIconSize = 16;
constexpr size_t kIconTgaBytes = 18 + kIconSize * kIconSize * 4;

enum class IconKind { Detail, Dummy };

// The icon as a TGA file image (our own drawing).
const std::vector<uint8_t>& iconTga(IconKind kind);
// The pixels of a 16 x 16 32-bit TGA image, as drawn with GL_BGRA; anything else is refused.
Result<std::vector<uint8_t>> iconPixelsOfTga(const std::vector<uint8_t>& tga);

} // namespace lw

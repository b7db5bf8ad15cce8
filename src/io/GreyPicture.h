#pragma once
// Grey pictures and the pure steps of the heightmap picture dialog: resampling, the area
// stretch, invert and contrast. Pictures are grey from the moment they are loaded, so one byte
// per pixel carries what a 24-bit picture with three equal bytes would.

#include "core/Result.h"

#include <cstdint>
#include <vector>

namespace lw {

struct GreyPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // rows from the top, `width` bytes each

    GreyPicture() = default;
    GreyPicture(int w, int h, uint8_t fill = 0)
        : width(w), height(h), pixels(size_t(w > 0 ? w : 0) * size_t(h > 0 ? h : 0), fill) {}

    bool empty() const { return width <= 0 || height <= 0; }
    uint8_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    uint8_t& at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }

    friend bool operator==(const GreyPicture&, const GreyPicture&) = default;
};

Error sourceBitmapTooSmall();

// Two-pass resampling with the quadratic kernel (horizontal, then vertical); every pass rounds
// halves to even and clamps to 0..255. An empty source is refused with "Source bitmap too
// small"; an empty destination size gives an empty picture.
Result<GreyPicture> resamplePicture(const GreyPicture& source, int width, int height);

// Stretch by area averaging: each destination pixel is the mean of the source area it covers.
// Used where the picture is shown or kept at grid size, and for grids smaller than 5 points.
GreyPicture stretchPicture(const GreyPicture& source, int width, int height);

// Every byte b becomes 255 - b.
void invertPicture(GreyPicture& picture);

// Contrast around 128 with factor k / 10 + 1 for k > 0 and 1 - sqrt(-k) / 10 for k < 0;
// k = 0 leaves the picture as it is.
void changeContrast(GreyPicture& picture, double k);

} // namespace lw

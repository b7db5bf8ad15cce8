#include "io/HeightPicture.h"

#include "io/PictureFile.h"

#include <algorithm>
#include <cmath>

namespace lw {

GreyPicture gridPicture(const THmap& grid, GridRange* range) {
    const int width = int(grid.size());
    const int height = grid.empty() ? 0 : int(grid.front().size());
    GridRange r;
    bool first = true;
    for (const auto& column : grid)
        for (float v : column) {
            r.min = first ? v : std::min(r.min, v);
            r.max = first ? v : std::max(r.max, v);
            first = false;
        }
    if (range)
        *range = r;
    GreyPicture out(width, height);
    const double span = double(r.max) - double(r.min);
    if (!(span > 0.0))
        return out; // a flat grid has no grey scale: all 0
    for (int x = 0; x < width; ++x) {
        const auto& column = grid[size_t(x)];
        for (int z = 0; z < std::min(height, int(column.size())); ++z) {
            const double g = (double(column[size_t(z)]) - r.min) * 255.0 / span;
            out.at(x, z) = uint8_t(std::clamp(std::nearbyint(g), 0.0, 255.0));
        }
    }
    return out;
}

void applyPictureToGrid(const GreyPicture& picture, THmap& grid, double minVal, double maxVal) {
    const int width = std::min(picture.width, int(grid.size()));
    for (int x = 0; x < width; ++x) {
        auto& column = grid[size_t(x)];
        const int height = std::min(picture.height, int(column.size()));
        for (int z = 0; z < height; ++z)
            column[size_t(z)] = float(minVal + (maxVal - minVal) * picture.at(x, z) / 255.0);
    }
}

HeightPictureSession::HeightPictureSession(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {}

Status HeightPictureSession::setPreviewFrom(const GreyPicture& gridSized) {
    auto preview = resamplePicture(gridSized, kPicturePreviewSize, kPicturePreviewSize);
    if (!preview)
        return preview.error();
    loaded_ = std::move(*preview);
    processed_ = loaded_;
    picture_ = stretchPicture(processed_, width_, height_);
    return Ok{};
}

GridRange HeightPictureSession::prepareFromGrid(const THmap& grid) {
    GridRange range;
    const GreyPicture picture = gridPicture(grid, &range);
    width_ = picture.width;
    height_ = picture.height;
    if (!setPreviewFrom(picture)) {
        // An empty grid has nothing to show.
        loaded_ = processed_ = picture_ = GreyPicture{};
    }
    return range;
}

Status HeightPictureSession::prepareFromPicture(const GreyPicture& picture) {
    if (picture.empty())
        return sourceBitmapTooSmall();
    width_ = picture.width;
    height_ = picture.height;
    return setPreviewFrom(picture);
}

Status HeightPictureSession::openPicture(const GreyPicture& loaded, double contrast, bool invert) {
    if (loaded.empty())
        return sourceBitmapTooSmall();
    // The resampler's window needs a few points; tiny grids are stretched instead.
    GreyPicture gridSized;
    if (width_ < 5 || height_ < 5) {
        gridSized = stretchPicture(loaded, width_, height_);
    } else {
        auto resampled = resamplePicture(loaded, width_, height_);
        if (!resampled)
            return resampled.error();
        gridSized = std::move(*resampled);
    }
    if (auto st = setPreviewFrom(gridSized); !st)
        return st;
    process(contrast, invert);
    return Ok{};
}

void HeightPictureSession::process(double contrast, bool invert) {
    processed_ = loaded_;
    if (invert)
        invertPicture(processed_);
    changeContrast(processed_, contrast);
    picture_ = stretchPicture(processed_, width_, height_);
}

void HeightPictureSession::applyToGrid(THmap& grid, double minVal, double maxVal) const {
    applyPictureToGrid(picture_, grid, minVal, maxVal);
}

Result<std::string> HeightPictureSession::saveImage(const std::string& chosen) const {
    const std::string name = bitmapFileName(chosen);
    if (auto st = savePictureBmp(processed_, name); !st)
        return st.error();
    return name;
}

} // namespace lw

#pragma once
// Height map files (.hmp) and pictures for the height map dialog.

#include "Fuzz.h"

#include "core/MapWriter.h"
#include "io/HeightPicture.h"
#include "io/HeightmapFile.h"
#include "io/PictureFile.h"

#include <cmath>

namespace lwfuzz {

inline void readHmpFile(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    if (auto preview = lw::decodeHmp(bytes)) {
        const std::vector<uint8_t> saved = lw::encodeHmp(*preview);
        require(saved.size() == lw::kHmpFileSize &&
                    std::equal(saved.begin(), saved.end(), bytes.begin()),
                "a height map saved again gives the bytes it was read from");
    }
    auto grid = lw::decodeHmpHeights(bytes);
    if (!grid)
        return;
    auto root = lw::makePoxel();
    root->IsRoot = root->IsGroup = true;
    lw::AddChildPoxel(*root, lw::buildHeightmapTerrain(*grid));
    require(lw::encodeMap(*root).ok(), "the terrain of a height map can be saved");
}

// The first byte chooses the name (bitmap or JPEG first), the grid size and the processing.
inline void readPicture(const uint8_t* data, size_t size) {
    InputSplitter in(data, size);
    const uint8_t choice = in.byte();
    const int width = 1 + (in.byte() % 40);
    const int height = 1 + (in.byte() % 40);
    const std::vector<uint8_t> bytes = in.rest();
    auto picture = lw::decodePicture(bytes, choice & 1 ? "fuzz.bmp" : "fuzz.jpg");
    if (!picture)
        return;
    require(picture->width > 0 && picture->height > 0 && picture->width <= lw::kMaxPictureSide &&
                picture->height <= lw::kMaxPictureSide,
            "a picture taken has a size the dialog takes");
    lw::HeightPictureSession session(width, height);
    const double contrast = double(int(choice >> 1) - 64) * 100.0 / 64.0;
    if (!session.openPicture(*picture, contrast, choice & 0x80))
        return;
    lw::THmap grid(size_t(width), std::vector<float>(size_t(height), 0.0f));
    session.applyToGrid(grid, -2.0, 3.0);
    for (const auto& column : grid)
        for (float v : column)
            require(v >= -2.0f && v <= 3.0f, "heights stay within the range applied");
}

} // namespace lwfuzz

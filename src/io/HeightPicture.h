#pragma once
// The working state of the heightmap picture dialog without its window: a grid of heights (or
// the preview's mask picture) on one side, a grey picture on the other. The dialog shows
// preview() and picture() and forwards its buttons here.

#include "core/Poxel.h"
#include "core/Result.h"
#include "io/GreyPicture.h"

#include <string>

namespace lw {

// Side of the square preview picture (the dialog's PaintBox1).
constexpr int kPicturePreviewSize = 335;

struct GridRange {
    float min = 0.0f;
    float max = 0.0f;
};

// Grey picture of a grid indexed [x][z]: pixel (column x, row z) has the grey level of
// (v - min) · 255 / (max - min), halves rounded to even. A flat grid gives grey 0.
GreyPicture gridPicture(const THmap& grid, GridRange* range = nullptr);

// grid[x][z] = minVal + (maxVal - minVal) · g / 255 for the picture's pixel (column x, row z);
// the picture has the grid's size.
void applyPictureToGrid(const GreyPicture& picture, THmap& grid, double minVal, double maxVal);

class HeightPictureSession {
public:
    // A session for a grid of width × height points (NX + 1 by NZ + 1 for a poxel's heights).
    HeightPictureSession(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool hasPicture() const { return !picture_.empty(); }

    // Export of heights: the grid's picture becomes the preview (contrast 0, no invert).
    // Returns the range for "Max Val" and "Min Val".
    GridRange prepareFromGrid(const THmap& grid);
    // Import or export of a picture (the mask): the grid size becomes the picture's size.
    Status prepareFromPicture(const GreyPicture& picture);
    // "Open Image...": a loaded picture brought to the grid size, previewed and processed.
    Status openPicture(const GreyPicture& loaded, double contrast, bool invert);
    // "Contrast" or "Invert" changed: processes the preview again.
    void process(double contrast, bool invert);

    // The processed preview (kPicturePreviewSize square) and its stretch to the grid size.
    const GreyPicture& preview() const { return processed_; }
    const GreyPicture& picture() const { return picture_; }

    // "Apply" for heights; the grid must have the session's size.
    void applyToGrid(THmap& grid, double minVal, double maxVal) const;
    // "Save Image...": the processed preview, under the name with ".bmp" made sure of.
    // Returns the name written.
    Result<std::string> saveImage(const std::string& chosen) const;

private:
    Status setPreviewFrom(const GreyPicture& gridSized);

    int width_;
    int height_;
    GreyPicture loaded_;    // the picture at preview size, before processing
    GreyPicture processed_; // after invert and contrast
    GreyPicture picture_;   // processed_ at the grid size
};

} // namespace lw

#pragma once
// Reading BMP and JPEG pictures as grey pictures, and saving grey pictures as bitmaps.

#include "core/Result.h"
#include "io/GreyPicture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lw {

// Largest width and height of a picture the height map dialog takes: far more than its grids
// (at most 256 points a side) and its 335-pixel preview can show, and small enough to decode
// and resample in well under a second and a few dozen megabytes.
constexpr int kMaxPictureSide = 4096;

// Loads a picture and makes it grey (0.299 R + 0.587 G + 0.114 B). A name containing ".bmp"
// is read as a bitmap, any other as JPEG; a file whose content says otherwise is still read by
// its content. Unreadable files give an error naming the file and the reason. The size a
// picture claims is checked before it is decoded: pictures wider or higher than
// kMaxPictureSide are refused with both sizes in the message.
Result<GreyPicture> loadPicture(const std::string& fileName);
// The same for a picture already in memory; `fileName` chooses the first decoder as above and
// names the picture in errors.
Result<GreyPicture> decodePicture(const std::vector<uint8_t>& bytes, const std::string& fileName);

// The grey picture as a 24-bit bitmap file image.
Result<std::vector<uint8_t>> encodeBitmap(const GreyPicture& picture);
// Saves under `fileName` exactly, atomically.
Status savePictureBmp(const GreyPicture& picture, const std::string& fileName);

// "Save Image...": ".bmp" is appended unless the name already contains it somewhere.
std::string bitmapFileName(const std::string& chosen);

} // namespace lw

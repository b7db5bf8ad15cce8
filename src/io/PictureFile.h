#pragma once
// Reading BMP and JPEG pictures as grey pictures, and saving grey pictures as bitmaps.

#include "core/Result.h"
#include "io/GreyPicture.h"

#include <string>

namespace lw {

// Loads a picture and makes it grey (0.299 R + 0.587 G + 0.114 B). A name containing ".bmp"
// is read as a bitmap, any other as JPEG; a file whose content says otherwise is still read by
// its content. Unreadable files give an error naming the file and the reason.
Result<GreyPicture> loadPicture(const std::string& fileName);

// The grey picture as a 24-bit bitmap file image.
Result<std::vector<uint8_t>> encodeBitmap(const GreyPicture& picture);
// Saves under `fileName` exactly, atomically.
Status savePictureBmp(const GreyPicture& picture, const std::string& fileName);

// "Save Image...": ".bmp" is appended unless the name already contains it somewhere.
std::string bitmapFileName(const std::string& chosen);

} // namespace lw

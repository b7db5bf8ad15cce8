#pragma once
// The texture browser's images: every XImage object of a bundle file, and TGA files. A decoded
// image written as TGA must decode to the same pixels.

#include "Fuzz.h"

#include "textures/ImageFolder.h"
#include "textures/ImageRecord.h"

namespace lwfuzz {

inline void decodeImageRecord(const std::vector<uint8_t>& record) {
    (void)lw::ShowImage(record, true);
    auto plain = lw::ShowImage(record, false);
    if (!plain)
        return;
    require(plain->pixels.size() ==
                size_t(plain->width) * size_t(plain->height) * size_t(plain->bits / 8),
            "a decoded image holds width x height pixels");
    (void)plain->description();
    auto again = lw::ShowImage(lw::encodeTga(*plain), false);
    require(again.ok() && again->width == plain->width && again->height == plain->height &&
                again->pixels == plain->pixels,
            "an image saved as TGA reads back the same");
}

inline void readBundleImages(const uint8_t* data, size_t size) {
    auto images = lw::readBundleImages(std::vector<uint8_t>(data, data + size));
    if (!images)
        return;
    for (const lw::NamedImage& image : *images)
        decodeImageRecord(image.record);
}

inline void readTgaImage(const uint8_t* data, size_t size) {
    decodeImageRecord(std::vector<uint8_t>(data, data + size));
}

} // namespace lwfuzz

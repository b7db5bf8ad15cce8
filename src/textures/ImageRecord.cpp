#include "textures/ImageRecord.h"

#include "core/ByteIO.h"

#include <cstdio>
#include <utility>

namespace lw {

namespace {

Error badImage(std::string detail) {
    return Error{"sBadImage", "Image cannot be shown", std::move(detail)};
}

std::string number(size_t n) {
    return std::to_string(n);
}

} // namespace

Result<ImageLayout> imageLayout(const std::vector<uint8_t>& record, bool* overLimits) {
    if (overLimits)
        *overLimits = false;
    const uint8_t* d = record.data();
    ImageLayout l;
    // The name slot at byte 3 is one or two bytes long; the width follows it. A TGA header has
    // a zero there (colour-map fields), which marks the record as a TGA file.
    ByteReader r(d, 0, record.size());
    int32_t nameSlot = 0;
    uint32_t width = 0;
    if (!r.skip(3) || !r.varint(nameSlot) || !r.has(2))
        return badImage("the record is " + number(record.size()) +
                        " bytes long, too short for "
                        "an image header");
    width = loadU16(d + r.pos());
    if (width == 0) {
        if (record.size() < kTgaHeaderSize)
            return badImage("the TGA file is " + number(record.size()) +
                            " bytes long, shorter than its 18-byte header");
        l.kind = ImageKind::Tga;
        l.width = loadU16(d + 12);
        l.height = loadU16(d + 14);
        l.bits = d[16] == 32 ? 32 : 24;
        l.pixelOffset = kTgaHeaderSize;
    } else {
        const size_t n = r.pos();
        if (!r.skip(7))
            return badImage("the image header is cut off");
        l.width = int(width);
        l.height = loadU16(d + n + 2);
        l.levels = d[n + 4];
        const uint8_t format = d[n + 6];
        l.bits = (format == 2 || format == 4) ? 32 : 24;
    }
    if (overLimits)
        *overLimits =
            l.width > kMaxImageSide || l.height > kMaxImageSide || l.levels > kMaxImageLevels;
    if (l.width > kMaxImageSide || l.height > kMaxImageSide)
        return badImage("the image is " + std::to_string(l.width) + "x" + std::to_string(l.height) +
                        ", larger than " + std::to_string(kMaxImageSide) + " pixels on a side");
    if (l.levels > kMaxImageLevels)
        return badImage("the image has " + std::to_string(l.levels) + " levels, more than " +
                        std::to_string(kMaxImageLevels));
    if (l.width == 0 || l.height == 0)
        return badImage("the image has no pixels");
    if (l.kind == ImageKind::Bundle) {
        // 8 + 8 bytes per level that the browser does not need, then a varint before the pixels.
        int32_t unused = 0;
        if (!r.skip(8 + 8 * size_t(l.levels)) || !r.varint(unused))
            return badImage("the image header is cut off");
        l.pixelOffset = r.pos();
    }
    const size_t available = record.size() - l.pixelOffset;
    if (l.pixelBytes() > available)
        return badImage("the " + std::to_string(l.width) + "x" + std::to_string(l.height) + "x" +
                        std::to_string(l.bits) + "bit image needs " + number(l.pixelBytes()) +
                        " bytes of pixels, the record holds " + number(available));
    return l;
}

uint8_t blendOverBackground(uint8_t source, uint8_t alpha, uint8_t background) {
    // (alpha * source + (256 - alpha) * background) / 256, halves rounded to even as the
    // floating-point arithmetic of the blend does by default.
    const unsigned n = unsigned(alpha) * source + (256u - alpha) * background;
    unsigned q = n >> 8;
    const unsigned rest = n & 255u;
    if (rest > 128u || (rest == 128u && (q & 1u)))
        ++q;
    return uint8_t(q);
}

Result<DecodedImage> ShowImage(const std::vector<uint8_t>& record, bool checkerboard) {
    auto layout = imageLayout(record);
    if (!layout)
        return layout.error();
    const ImageLayout& l = *layout;
    const bool tga = l.kind == ImageKind::Tga;
    const size_t bpp = size_t(l.bytesPerPixel());
    const size_t rowBytes = size_t(l.width) * bpp;

    DecodedImage img;
    img.width = l.width;
    img.height = l.height;
    img.bits = l.bits;
    img.levels = l.levels;
    img.pixels.resize(l.pixelBytes());
    for (int k = 0; k < l.height; ++k) {
        const uint8_t* src = record.data() + l.pixelOffset + size_t(k) * rowBytes;
        uint8_t* dst = img.pixels.data() + size_t(l.height - 1 - k) * rowBytes;
        for (int i = 0; i < l.width; ++i, src += bpp, dst += bpp) {
            if (bpp == 4 && checkerboard) {
                const uint8_t back = ((i / 8 + k / 8) % 2 == 0) ? 255 : 192;
                const uint8_t a = src[3];
                // Channels come out reversed: B, G, R for a bundle pixel, R, G, B for a TGA one.
                uint8_t c0 = blendOverBackground(src[2], a, back);
                const uint8_t c1 = blendOverBackground(src[1], a, back);
                uint8_t c2 = blendOverBackground(src[0], a, back);
                if (tga)
                    std::swap(c0, c2);
                dst[0] = c0;
                dst[1] = c1;
                dst[2] = c2;
                dst[3] = a;
                continue;
            }
            for (size_t b = 0; b < bpp; ++b)
                dst[b] = src[b];
            if (!tga)
                std::swap(dst[0], dst[2]);
        }
    }
    return img;
}

std::string DecodedImage::description() const {
    char text[64];
    std::snprintf(text, sizeof text, "%dx%dx%dbit type:%d", width, height, bits, levels);
    return text;
}

std::vector<uint8_t> encodeTga(const DecodedImage& image) {
    std::vector<uint8_t> out(kTgaHeaderSize, 0);
    out[2] = 2; // uncompressed true-colour
    out[12] = uint8_t(image.width);
    out[13] = uint8_t(image.width >> 8);
    out[14] = uint8_t(image.height);
    out[15] = uint8_t(image.height >> 8);
    out[16] = uint8_t(image.bits);
    const size_t rowBytes = size_t(image.width) * size_t(image.bits / 8);
    out.reserve(kTgaHeaderSize + rowBytes * size_t(image.height));
    for (int y = image.height - 1; y >= 0; --y) {
        const auto row = image.pixels.begin() + std::ptrdiff_t(size_t(y) * rowBytes);
        out.insert(out.end(), row, row + std::ptrdiff_t(rowBytes));
    }
    return out;
}

} // namespace lw

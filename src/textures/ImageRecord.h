#pragma once
// Decoding of the browser's image records: an XImage object of a texture bundle or a whole TGA
// file. Pure functions; the windows show, thumbnail and upload what these return.

#include "core/Result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lw {

// Largest width and height, and most mipmap levels, an image may have to be shown or uploaded.
constexpr int kMaxImageSide = 512;
constexpr int kMaxImageLevels = 9;
constexpr size_t kTgaHeaderSize = 18;

enum class ImageKind { Bundle, Tga };

// Where the pixels of a record are and how they are stored: rows bottom first, `bits` / 8
// bytes per pixel, R, G, B(, A) for bundle images and B, G, R(, A) for TGA files.
struct ImageLayout {
    ImageKind kind = ImageKind::Bundle;
    int width = 0;
    int height = 0;
    int bits = 24;
    int levels = 0; // a TGA file has none
    size_t pixelOffset = 0;

    int bytesPerPixel() const { return bits / 8; }
    size_t pixelBytes() const { return size_t(width) * size_t(height) * size_t(bytesPerPixel()); }
    // The order the upload hands to OpenGL: blue first for TGA files.
    bool blueFirst() const { return kind == ImageKind::Tga; }
};

// Reads the header of a record and checks its limits and that its pixels lie inside it.
// `overLimits` tells whether a refusal was for the size or the level count alone.
Result<ImageLayout> imageLayout(const std::vector<uint8_t>& record, bool* overLimits = nullptr);

// A decoded image: top row first, B, G, R(, A) per pixel, `bits` / 8 bytes per pixel.
struct DecodedImage {
    int width = 0;
    int height = 0;
    int bits = 24;
    int levels = 0;
    std::vector<uint8_t> pixels;

    // The browser's status text, "%dx%dx%dbit type:%d".
    std::string description() const;
};

// Decodes a record. With `checkerboard`, 32-bit pixels are blended over 8 x 8 squares of 255
// and 192 (aligned to the bottom-left corner) by alpha / 256; the alpha byte is kept.
Result<DecodedImage> ShowImage(const std::vector<uint8_t>& record, bool checkerboard);

// One channel of the checkerboard blend: alpha / 256 of `source` over the background.
uint8_t blendOverBackground(uint8_t source, uint8_t alpha, uint8_t background);

// An uncompressed, bottom-left TGA file of a decoded image (B, G, R(, A) rows, written bottom
// row first).
std::vector<uint8_t> encodeTga(const DecodedImage& image);

} // namespace lw

#pragma once
// Image records and texture bundles built byte by byte in the layouts the browser reads.

#include "core/ByteIO.h"
#include "core/Xom.h"
#include "core/XomBuilder.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace lwtest {

// The bytes of an XImage object from its "CTNR" tag on. `pixels` are rows bottom first,
// R, G, B(, A); pixel format 4 means 32 bits.
inline std::vector<uint8_t> ximageObject(int nameSlot, int width, int height, uint8_t format,
                                         const std::vector<uint8_t>& pixels, int levels = 1) {
    RecordBytes r(nameSlot);
    r.b.push_back(uint8_t(width));
    r.b.push_back(uint8_t(width >> 8));
    r.b.push_back(uint8_t(height));
    r.b.push_back(uint8_t(height >> 8));
    r.u8(uint8_t(levels)).u8(0).u8(format);
    r.zeros(8 + 8 * size_t(levels));
    r.var(300); // a two-byte varint the browser skips
    r.b.insert(r.b.end(), pixels.begin(), pixels.end());
    return r.b;
}

// The record the browser keeps for an object: everything after the tag.
inline std::vector<uint8_t> recordOf(const std::vector<uint8_t>& object) {
    return std::vector<uint8_t>(object.begin() + 4, object.end());
}

// An uncompressed TGA file, rows bottom first as given (B, G, R(, A)).
inline std::vector<uint8_t> tgaFile(int width, int height, int bits,
                                    const std::vector<uint8_t>& pixels) {
    // Sized once: GCC 12 misreads an insert after the header as writing past it.
    std::vector<uint8_t> out(18 + pixels.size(), 0);
    std::copy(pixels.begin(), pixels.end(), out.begin() + 18);
    out[2] = 2;
    out[12] = uint8_t(width);
    out[13] = uint8_t(width >> 8);
    out[14] = uint8_t(height);
    out[15] = uint8_t(height >> 8);
    out[16] = uint8_t(bits);
    return out;
}

// A pattern of `n` bytes that differs from pixel to pixel.
inline std::vector<uint8_t> pattern(size_t n, uint8_t seed = 1) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = uint8_t(i * 7 + seed * 13 + i / 5);
    return v;
}

struct BundleImage {
    std::string name;
    int width = 2;
    int height = 2;
    uint8_t seed = 1;
};

// A texture bundle: a graph set, a palette type before the images (skipped) and a type after
// them (never reached), with one 24-bit image per entry.
inline std::vector<uint8_t> bundleFile(const std::vector<BundleImage>& images) {
    XomBuilder x;
    x.types.push_back({"XGraphSet", {RecordBytes(0).zeros(6).b}, 7});
    x.types.push_back({"XPalette", {RecordBytes(0).zeros(5).b}});
    XomType ximage{"XImage", {}};
    for (const BundleImage& im : images) {
        x.strings.push_back(im.name);
        ximage.records.push_back(ximageObject(int(x.strings.size()), im.width, im.height, 0,
                                              pattern(size_t(im.width * im.height * 3), im.seed)));
    }
    x.types.push_back(ximage);
    x.types.push_back({"XTexture", {RecordBytes(0).zeros(9).b}});
    return x.build();
}

} // namespace lwtest

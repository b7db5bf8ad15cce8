#include "textures/TextureBundle.h"

#include "core/ByteIO.h"
#include "core/Xom.h"
#include "textures/ImageRecord.h"

#include <cstring>
#include <string_view>

namespace lw {

namespace {

Error refuse(std::string detail) {
    return Error{"sCannotWriteBundle", "Cannot write texture bundle", std::move(detail)};
}

// Pixel format byte: 4 is read as 32-bit R, G, B, A; anything but 2 and 4 as 24-bit R, G, B.
constexpr uint8_t kFormatRgb = 0;
constexpr uint8_t kFormatRgba = 4;
constexpr size_t kMaxPoolSize = 65535;

void appendU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

} // namespace

Result<std::vector<uint8_t>> encodeTextureBundle(const std::vector<BundleImageSource>& images) {
    if (images.size() + 1 > size_t(kMaxVarInt))
        return refuse(std::to_string(images.size()) + " images; a bundle holds at most " +
                      std::to_string(kMaxVarInt - 1));
    size_t poolSize = 1;
    for (const BundleImageSource& im : images) {
        const std::string what = "image \"" + im.name + "\"";
        if (im.name.empty() || im.name.find('\0') != std::string::npos)
            return refuse("an image needs a name without zero bytes");
        if (im.width < 1 || im.height < 1 || im.width > kMaxImageSide || im.height > kMaxImageSide)
            return refuse(what + " is " + std::to_string(im.width) + "x" +
                          std::to_string(im.height) + "; sides run from 1 to " +
                          std::to_string(kMaxImageSide));
        if (im.bits != 24 && im.bits != 32)
            return refuse(what + " has " + std::to_string(im.bits) +
                          " bits per pixel, not 24 or 32");
        const size_t needed = size_t(im.width) * size_t(im.height) * size_t(im.bits / 8);
        if (im.pixels.size() != needed)
            return refuse(what + " has " + std::to_string(im.pixels.size()) +
                          " bytes of pixels, its size needs " + std::to_string(needed));
        poolSize += im.name.size() + 1;
    }
    if (poolSize > kMaxPoolSize)
        return refuse("the image names take " + std::to_string(poolSize) +
                      " bytes; at most 65535 fit");

    const bool hasImages = !images.empty();
    const uint32_t typeCount = hasImages ? 2 : 1;
    std::vector<uint8_t> out(kXomHeaderSize, 0);
    std::memcpy(out.data(), "MOIK", 4);
    out[7] = 1;
    storeU32(out, 24, typeCount);
    storeU32(out, 28, uint32_t(images.size() + 1));
    storeU32(out, 32, 1);
    auto typeRecord = [&out](const char* name, size_t count) {
        const size_t at = out.size();
        out.resize(at + kXomTypeRecordSize, 0);
        std::memcpy(out.data() + at, "TYPE", 4);
        storeU32(out, at + 8, uint32_t(count));
        std::memcpy(out.data() + at + 32, name, std::strlen(name));
    };
    typeRecord("XGraphSet", 1);
    if (hasImages)
        typeRecord("XImage", images.size());

    appendBytes(out, "SCHM", 4);
    out.insert(out.end(), 12, 0);
    appendBytes(out, "STRS", 4);
    appendU32(out, uint32_t(images.size() + 1));
    appendU32(out, uint32_t(poolSize));
    appendU32(out, 0);
    uint32_t offset = 1;
    for (const BundleImageSource& im : images) {
        appendU32(out, offset);
        offset += uint32_t(im.name.size() + 1);
    }
    out.push_back(0);
    for (const BundleImageSource& im : images) {
        appendBytes(out, im.name.data(), im.name.size());
        out.push_back(0);
    }

    // The graph set: no name, the number of images.
    appendBytes(out, "CTNR", 4);
    out.insert(out.end(), {0, 0, 0, 0});
    appendU16(out, uint32_t(images.size()));

    for (size_t i = 0; i < images.size(); ++i) {
        const BundleImageSource& im = images[i];
        const size_t start = out.size();
        appendBytes(out, "CTNR", 4);
        out.insert(out.end(), {0, 0, 0});
        WriteVarInt(int32_t(i + 1), out);
        appendU16(out, uint32_t(im.width));
        appendU16(out, uint32_t(im.height));
        out.push_back(1); // one level: the pixels that follow
        out.push_back(0);
        out.push_back(im.bits == 32 ? kFormatRgba : kFormatRgb);
        out.insert(out.end(), 8 + 8, 0);
        WriteVarInt(0, out);
        out.insert(out.end(), im.pixels.begin(), im.pixels.end());
        // A record ends where the next tag starts; its own bytes must never spell one.
        const std::string_view body(reinterpret_cast<const char*>(out.data()) + start + 4,
                                    out.size() - start - 4);
        if (body.find("CTNR") != std::string_view::npos)
            return refuse("image \"" + im.name + "\" holds bytes that spell CTNR");
    }
    return out;
}

} // namespace lw

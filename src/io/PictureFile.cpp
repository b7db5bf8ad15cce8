#include "io/PictureFile.h"

#include "core/AtomicFile.h"
#include "core/ByteIO.h"
#include "core/Xom.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <algorithm>
#include <cctype>
#include <optional>

namespace lw {

namespace {

bool containsIgnoreCase(const std::string& text, const std::string& part) {
    auto it = std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
    return it != text.end();
}

Error cannotReadPicture(const std::string& fileName, const std::string& why) {
    return Error{"sCannotReadPicture", "Cannot read picture", "'" + fileName + "': " + why};
}

GreyPicture greyOf(const QImage& image) {
    GreyPicture out(image.width(), image.height());
    if (image.format() == QImage::Format_Grayscale8) {
        for (int y = 0; y < image.height(); ++y) {
            const uchar* line = image.constScanLine(y);
            std::copy(line, line + image.width(), &out.pixels[size_t(y) * size_t(out.width)]);
        }
        return out;
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb p = line[x];
            // Fixed-point luminance weights summing to 65536, so grey input stays unchanged.
            const uint32_t y16 = 19595u * uint32_t(qRed(p)) + 38470u * uint32_t(qGreen(p)) +
                                 7471u * uint32_t(qBlue(p)) + 32768u;
            out.at(x, y) = uint8_t(y16 >> 16);
        }
    }
    return out;
}

} // namespace

namespace {

// ---- Pictures that end too early ----------------------------------------------------------------
// The decoders fill what a cut-off file lacks with black and report success, which would make
// heights of zero out of a truncated download. The file's own structure says where it ends.

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return loadU32(b.data() + at);
}

// A bitmap ends after its pixel rows (uncompressed) or at its end-of-bitmap code (RLE).
bool bitmapIsWhole(const std::vector<uint8_t>& b) {
    if (b.size() < 26)
        return false;
    const size_t offset = le32(b, 10);
    const uint32_t header = le32(b, 14);
    int64_t width = 0, height = 0;
    uint32_t bits = 0, compression = 0;
    if (header == 12) {
        width = loadU16(b.data() + 18);
        height = loadU16(b.data() + 20);
        bits = loadU16(b.data() + 24);
    } else {
        if (b.size() < 34)
            return false;
        width = int32_t(le32(b, 18));
        height = int32_t(le32(b, 22));
        bits = loadU16(b.data() + 28);
        compression = le32(b, 30);
    }
    height = height < 0 ? -height : height;
    if (compression == 0 || compression == 3 || compression == 6) {
        const uint64_t stride = (uint64_t(width < 0 ? 0 : width) * bits + 31) / 32 * 4;
        return uint64_t(offset) + stride * uint64_t(height) <= b.size();
    }
    if (compression == 1 || compression == 2) {
        // Run-length codes up to the end-of-bitmap code, every code inside the file.
        size_t pos = offset;
        while (pos + 2 <= b.size()) {
            const uint8_t count = b[pos], code = b[pos + 1];
            pos += 2;
            if (count != 0 || code == 0)
                continue; // a run, or the end of a line
            if (code == 1)
                return true; // the end of the bitmap
            if (code == 2) {
                pos += 2; // a move
                continue;
            }
            const size_t literal = compression == 1 ? code : (size_t(code) + 1) / 2;
            pos += (literal + 1) & ~size_t(1); // literal pixels, padded to a word
        }
        return false;
    }
    return true; // compressions the checks do not know are left to the decoder
}

// A JPEG ends with its end-of-image marker, after every segment and every scan.
bool jpegIsWhole(const std::vector<uint8_t>& b) {
    size_t pos = 2;
    const size_t n = b.size();
    while (pos + 1 < n) {
        if (b[pos] != 0xFF) {
            ++pos; // stray bytes between segments
            continue;
        }
        const uint8_t marker = b[pos + 1];
        if (marker == 0xFF) {
            ++pos; // fill byte
            continue;
        }
        if (marker == 0xD9)
            return true;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        if (pos + 4 > n)
            return false;
        const size_t length = size_t(b[pos + 2]) << 8 | b[pos + 3];
        pos += 2 + length;
        if (pos > n)
            return false;
        if (marker != 0xDA)
            continue;
        // The entropy-coded data of a scan runs to the next marker that is not a stuffed zero
        // or a restart.
        while (pos + 1 < n &&
               !(b[pos] == 0xFF && b[pos + 1] != 0 && !(b[pos + 1] >= 0xD0 && b[pos + 1] <= 0xD7)))
            ++pos;
    }
    return false;
}

// Why the picture in `bytes` is cut off, judged by its content; nothing when it is whole or of
// another kind.
std::optional<std::string> cutOff(const std::vector<uint8_t>& bytes) {
    const bool bitmap = bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
    const bool jpeg = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
    if ((bitmap && !bitmapIsWhole(bytes)) || (jpeg && !jpegIsWhole(bytes)))
        return "the picture is cut off: the file ends before its image data does (" +
               std::to_string(bytes.size()) + " bytes)";
    return std::nullopt;
}

// Decoders give up on images that would need more than this (in MiB); pictures of the largest
// size taken need a quarter of it.
constexpr int kPictureAllocationLimitMiB = 128;

Error pictureTooLarge(const std::string& fileName, QSize size) {
    return cannotReadPicture(fileName, "the picture is " + std::to_string(size.width()) + " x " +
                                           std::to_string(size.height()) +
                                           " pixels; the height map dialog takes pictures of "
                                           "at most " +
                                           std::to_string(kMaxPictureSide) + " x " +
                                           std::to_string(kMaxPictureSide));
}

bool tooLarge(QSize size) {
    return size.width() > kMaxPictureSide || size.height() > kMaxPictureSide;
}

struct ImageRead {
    QImage image;
    std::optional<Error> error;
    bool tooLarge = false; // refused by its size: no other decoder is tried
};

// Reads one image from `device` with the given format (empty: by content). The size the
// picture claims is checked before any pixel is decoded.
ImageRead readImage(QIODevice& device, const QByteArray& format, const std::string& fileName) {
    ImageRead out;
    device.seek(0);
    QImageReader reader(&device, format);
    if (format.isEmpty())
        reader.setDecideFormatFromContent(true);
    const QSize claimed = reader.size();
    if (claimed.isValid() && tooLarge(claimed)) {
        out.error = pictureTooLarge(fileName, claimed);
        out.tooLarge = true;
    } else if (!reader.read(&out.image)) {
        out.error = cannotReadPicture(fileName, reader.errorString().toStdString());
    }
    return out;
}

} // namespace

Result<GreyPicture> decodePicture(const std::vector<uint8_t>& bytes, const std::string& fileName) {
    QImageReader::setAllocationLimit(kPictureAllocationLimitMiB);
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              qsizetype(bytes.size()));
    QBuffer device(&data);
    device.open(QIODevice::ReadOnly);
    const QByteArray format = containsIgnoreCase(fileName, ".bmp") ? "bmp" : "jpeg";
    ImageRead read = readImage(device, format, fileName);
    if (read.error && !read.tooLarge) {
        // A misnamed picture is still read by what it holds; the error stays the first one.
        ImageRead byContent = readImage(device, QByteArray(), fileName);
        if (!byContent.error)
            read = std::move(byContent);
        else if (byContent.tooLarge)
            read = std::move(byContent);
    }
    if (read.error && read.tooLarge)
        return *read.error;
    if (const auto why = cutOff(bytes))
        return cannotReadPicture(fileName, *why);
    if (read.error)
        return *read.error;
    const QImage& image = read.image;
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return cannotReadPicture(fileName, "the picture is empty");
    // A decoder that could not tell the size beforehand is held to the same limit.
    if (tooLarge(image.size()))
        return pictureTooLarge(fileName, image.size());
    return greyOf(image);
}

Result<GreyPicture> loadPicture(const std::string& fileName) {
    auto bytes = readFileBytes(fileName);
    if (!bytes)
        return Error{"sCannotReadPicture", "Cannot read picture", bytes.error().detail};
    return decodePicture(*bytes, fileName);
}

Result<std::vector<uint8_t>> encodeBitmap(const GreyPicture& picture) {
    if (picture.empty())
        return sourceBitmapTooSmall();
    QImage image(picture.width, picture.height, QImage::Format_RGB888);
    for (int y = 0; y < picture.height; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < picture.width; ++x)
            line[3 * x] = line[3 * x + 1] = line[3 * x + 2] = picture.at(x, y);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "BMP"))
        return Error{"sCannotWriteFile", "Cannot write file", "the bitmap could not be encoded"};
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

Status savePictureBmp(const GreyPicture& picture, const std::string& fileName) {
    auto bytes = encodeBitmap(picture);
    if (!bytes)
        return bytes.error();
    return writeFileAtomically(fileName, *bytes);
}

std::string bitmapFileName(const std::string& chosen) {
    return chosen.find(".bmp") == std::string::npos ? chosen + ".bmp" : chosen;
}

} // namespace lw

#include "io/PictureFile.h"

#include "core/AtomicFile.h"
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
            read.error = byContent.error;
    }
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

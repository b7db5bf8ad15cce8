// landwright-cli render: a picture of a map, written only when everything worked.

#include "core/MapGenerator.h"
#include "core/MapWriter.h"
#include "support/TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>

using namespace lwtest;

namespace {

std::string cli() {
    return LW_CLI_PATH;
}

class RenderCli : public ::testing::Test {
protected:
    void SetUp() override {
        map_ = (dir_ / "demo.xom").string();
        ASSERT_TRUE(lw::WriteMapFile(*lw::makeDemoMap(), map_).ok());
    }
    TempDir dir_;
    std::string map_;
};

bool isPng(const std::vector<uint8_t>& bytes) {
    return bytes.size() > 24 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' &&
           bytes[3] == 'G';
}

// Width and height from the PNG header.
std::pair<uint32_t, uint32_t> pngSize(const std::vector<uint8_t>& b) {
    auto be = [&](size_t at) {
        return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 |
               uint32_t(b[at + 3]);
    };
    return {be(16), be(20)};
}

QImage decoded(const std::vector<uint8_t>& png) {
    return QImage::fromData(png.data(), int(png.size()), "PNG")
        .convertToFormat(QImage::Format_RGB32);
}

bool isBlack(QRgb p) {
    return qRed(p) == 0 && qGreen(p) == 0 && qBlue(p) == 0;
}

// The share of pixels that are not the clear colour.
double coverage(const QImage& image) {
    size_t lit = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            lit += isBlack(image.pixel(x, y)) ? 0 : 1;
    return double(lit) / double(image.width() * image.height());
}

TEST_F(RenderCli, WritesAPictureOfTheRequestedSize) {
    const std::string out = (dir_ / "demo.png").string();
    const auto r = runCommand(cli() + " render " + map_ + " -o " + out +
                              " --size 160x120 --yaw 45 --pitch -30 --wireframe");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto bytes = readBytes(out);
    ASSERT_TRUE(isPng(bytes));
    EXPECT_EQ(pngSize(bytes), std::make_pair(160u, 120u));
    const QImage picture = decoded(bytes);
    ASSERT_EQ(picture.size(), QSize(160, 120));
    // The sky above the grid keeps the clear colour, OpenGL's black.
    EXPECT_TRUE(isBlack(picture.pixel(1, 1)));
}

TEST_F(RenderCli, TheMapIsFramedInTheMiddleOfThePicture) {
    // Without the grid every pixel that is not the map keeps the clear colour.
    const std::string near = (dir_ / "near.png").string();
    ASSERT_EQ(runCommand(cli() + " render " + map_ + " -o " + near + " --size 160x120 --no-grid")
                  .exitCode,
              0);
    const QImage framed = decoded(readBytes(near));
    ASSERT_FALSE(framed.isNull());
    // The camera looks at the middle of the map's bounds: the centre shows lit ground, the
    // corners show nothing.
    EXPECT_FALSE(isBlack(framed.pixel(80, 60)));
    for (const QPoint corner : {QPoint(0, 0), QPoint(159, 0), QPoint(0, 119), QPoint(159, 119)})
        EXPECT_TRUE(isBlack(framed.pixel(corner))) << corner.x() << "," << corner.y();
    const double nearShare = coverage(framed);
    EXPECT_GT(nearShare, 0.05);
    EXPECT_LT(nearShare, 0.9);

    // Ten times as far away the map covers far less of the picture, and still its middle.
    const std::string far = (dir_ / "far.png").string();
    ASSERT_EQ(runCommand(cli() + " render " + map_ + " -o " + far +
                         " --size 160x120 --no-grid --distance 900")
                  .exitCode,
              0);
    const QImage small = decoded(readBytes(far));
    EXPECT_LT(coverage(small), nearShare / 4);
    EXPECT_GT(coverage(small), 0.0);
}

TEST_F(RenderCli, RefusesBadInputAndWritesNothing) {
    const std::string out = (dir_ / "x.png").string();
    for (const char* args :
         {" --size 0x10", " --size 100", " --size 99999x10", " --yaw north", " --distance 1e99"}) {
        const auto r = runCommand(cli() + " render " + map_ + " -o " + out + args);
        EXPECT_EQ(r.exitCode, 1) << args << r.err;
    }
    EXPECT_EQ(runCommand(cli() + " render " + map_).exitCode, 2); // no -o
    lwtest::writeBytes(dir_ / "bad.xom", {'M', 'O', 'I', 'K', 0, 0});
    const auto bad = runCommand(cli() + " render " + (dir_ / "bad.xom").string() + " -o " + out);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("Bad Xom Format File!"), std::string::npos) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

// The box of the pixels that differ from the picture's corner (the background).
QRect drawnBox(const QImage& image) {
    const QRgb background = image.pixel(0, 0);
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

int drawnPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) != image.pixel(0, 0);
    return n;
}

TEST_F(RenderCli, ThumbnailIsASquareFilledByTheMap) {
    const std::string thumb = (dir_ / "thumb.png").string();
    const auto r = runCommand(cli() + " thumbnail " + map_ + " " + thumb + " --size 128");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QImage image(QString::fromStdString(thumb));
    ASSERT_EQ(image.size(), QSize(128, 128));
    const QRect box = drawnBox(image);
    // The map reaches close to two opposite sides but keeps a margin to all of them.
    EXPECT_TRUE(box.width() >= 115 || box.height() >= 115) << box.width() << "x" << box.height();
    EXPECT_GT(box.left(), 0);
    EXPECT_GT(box.top(), 0);
    EXPECT_LT(box.right(), 127);
    EXPECT_LT(box.bottom(), 127);

    // The picture of render at the same size shows the map much smaller.
    const std::string shot = (dir_ / "shot.png").string();
    ASSERT_EQ(runCommand(cli() + " render " + map_ + " -o " + shot + " --size 128x128 --no-grid")
                  .exitCode,
              0);
    EXPECT_GT(drawnPixels(image) * 2, 3 * drawnPixels(QImage(QString::fromStdString(shot))));

    // The default side, and the form the thumbnailer entry uses.
    ASSERT_EQ(runCommand(cli() + " thumbnail --size=64 -- " + map_ + " " + thumb).exitCode, 0);
    EXPECT_EQ(QImage(QString::fromStdString(thumb)).size(), QSize(64, 64));
    ASSERT_EQ(runCommand(cli() + " thumbnail " + map_ + " " + thumb).exitCode, 0);
    EXPECT_EQ(QImage(QString::fromStdString(thumb)).size(), QSize(256, 256));
}

TEST_F(RenderCli, ThumbnailOfAnEmptyMapIsBlankAndBadInputWritesNothing) {
    const std::string empty = (dir_ / "empty.xom").string();
    ASSERT_EQ(runCommand(cli() + " new " + empty).exitCode, 0);
    const std::string blank = (dir_ / "blank.png").string();
    ASSERT_EQ(runCommand(cli() + " thumbnail " + empty + " " + blank + " --size 32").exitCode, 0);
    EXPECT_TRUE(drawnBox(QImage(QString::fromStdString(blank))).isEmpty());

    const std::string out = (dir_ / "t.png").string();
    for (const char* size : {"0", "-5", "8193", "big", "12x12", ""}) {
        const auto r =
            runCommand(cli() + " thumbnail " + map_ + " " + out + " --size '" + size + "'");
        EXPECT_EQ(r.exitCode, 1) << size;
        EXPECT_NE(r.err.find("--size"), std::string::npos) << size << r.err;
    }
    EXPECT_EQ(runCommand(cli() + " thumbnail " + map_).exitCode, 2);
    EXPECT_EQ(runCommand(cli() + " thumbnail " + map_ + " " + out + " --size").exitCode, 2);
    lwtest::writeBytes(dir_ / "bad.xom", {'M', 'O', 'I', 'K', 0, 0});
    const auto bad = runCommand(cli() + " thumbnail " + (dir_ / "bad.xom").string() + " " + out);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("Bad Xom Format File!"), std::string::npos) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

} // namespace

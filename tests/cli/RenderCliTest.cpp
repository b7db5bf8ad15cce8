// landwright-cli render: a picture of a map, written only when everything worked.

#include "CliRun.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>

using namespace lwtest;

namespace {

using RenderCli = DemoCli;

QImage picture(const std::filesystem::path& png) {
    return QImage(QString::fromStdString(png.string()));
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

// The pixels that differ from the picture's corner (the background), and their box.
int drawnPixels(const QImage& image, QRect* box = nullptr) {
    const QRgb background = image.pixel(0, 0);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background) {
                ++n;
                if (box)
                    *box |= QRect(x, y, 1, 1);
            }
    return n;
}

TEST_F(RenderCli, WritesAPictureOfTheRequestedSize) {
    const auto out = dir_ / "demo.png";
    const auto r =
        cli({"render", demo_, "-o", out, "--size 160x120 --yaw 45 --pitch -30 --wireframe"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto bytes = readBytes(out);
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(bytes[0], 0x89);
    EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG");
    const QImage shot = picture(out);
    ASSERT_EQ(shot.size(), QSize(160, 120));
    // The sky above the grid keeps the clear colour, OpenGL's black.
    EXPECT_TRUE(isBlack(shot.pixel(1, 1)));
}

TEST_F(RenderCli, TheMapIsFramedInTheMiddleOfThePicture) {
    // Without the grid every pixel that is not the map keeps the clear colour.
    const auto near = dir_ / "near.png";
    ASSERT_EQ(cli({"render", demo_, "-o", near, "--size 160x120 --no-grid"}).exitCode, 0);
    const QImage framed = picture(near);
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
    const auto far = dir_ / "far.png";
    ASSERT_EQ(cli({"render", demo_, "-o", far, "--size 160x120 --no-grid --distance 900"}).exitCode,
              0);
    const QImage small = picture(far);
    EXPECT_LT(coverage(small), nearShare / 4);
    EXPECT_GT(coverage(small), 0.0);
}

TEST_F(RenderCli, RefusesBadInputAndWritesNothing) {
    const auto out = dir_ / "x.png";
    for (const char* args :
         {"--size 0x10", "--size 100", "--size 99999x10", "--yaw north", "--distance 1e99"}) {
        const auto r = cli({"render", demo_, "-o", out, args});
        EXPECT_EQ(r.exitCode, 1) << args << r.err;
    }
    EXPECT_EQ(cli({"render", demo_}).exitCode, 2); // no -o
    writeBytes(dir_ / "bad.xom", {'M', 'O', 'I', 'K', 0, 0});
    const auto bad = cli({"render", dir_ / "bad.xom", "-o", out});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("Bad Xom Format File!"), std::string::npos) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(RenderCli, ThumbnailIsASquareFilledByTheMap) {
    const auto thumb = dir_ / "thumb.png";
    const auto r = cli({"thumbnail", demo_, thumb, "--size 128"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QImage image = picture(thumb);
    ASSERT_EQ(image.size(), QSize(128, 128));
    QRect box;
    const int drawn = drawnPixels(image, &box);
    // The map reaches close to two opposite sides but keeps a margin to all of them.
    EXPECT_TRUE(box.width() >= 115 || box.height() >= 115) << box.width() << "x" << box.height();
    EXPECT_GT(box.left(), 0);
    EXPECT_GT(box.top(), 0);
    EXPECT_LT(box.right(), 127);
    EXPECT_LT(box.bottom(), 127);

    // The picture of render at the same size shows the map much smaller.
    const auto shot = dir_ / "shot.png";
    ASSERT_EQ(cli({"render", demo_, "-o", shot, "--size 128x128 --no-grid"}).exitCode, 0);
    EXPECT_GT(drawn * 2, 3 * drawnPixels(picture(shot)));

    // The default side, and the form the thumbnailer entry uses.
    ASSERT_EQ(cli({"thumbnail --size=64 --", demo_, thumb}).exitCode, 0);
    EXPECT_EQ(picture(thumb).size(), QSize(64, 64));
    ASSERT_EQ(cli({"thumbnail", demo_, thumb}).exitCode, 0);
    EXPECT_EQ(picture(thumb).size(), QSize(256, 256));
}

// Large maps are drawn on the processor; the demo map drawn that way covers the same part of
// the picture as the full drawing, lit and in the poxels' colours.
TEST_F(RenderCli, CoarseThumbnailCoversWhatTheFullOneDoes) {
    const auto full = dir_ / "full.png", coarse = dir_ / "coarse.png";
    ASSERT_EQ(cli({"thumbnail", demo_, full, "--size 96"}).exitCode, 0);
    const auto r = cli({"thumbnail", demo_, coarse, "--size 96 --coarse"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QImage a = picture(full), b = picture(coarse);
    ASSERT_EQ(b.size(), QSize(96, 96));
    int both = 0, either = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x) {
            const bool inA = qGray(a.pixel(x, y)) > 0, inB = qGray(b.pixel(x, y)) > 0;
            both += inA && inB;
            either += inA || inB;
        }
    ASSERT_GT(either, 96 * 96 / 10);
    EXPECT_GT(both * 10, either * 8) << both << " of " << either;
}

TEST_F(RenderCli, ThumbnailOfAnEmptyMapIsBlankAndBadInputWritesNothing) {
    const auto empty = dir_ / "empty.xom", blank = dir_ / "blank.png";
    ASSERT_EQ(cli({"new", empty}).exitCode, 0);
    ASSERT_EQ(cli({"thumbnail", empty, blank, "--size 32"}).exitCode, 0);
    EXPECT_EQ(drawnPixels(picture(blank)), 0);
    ASSERT_EQ(cli({"thumbnail", empty, blank, "--size 32 --coarse"}).exitCode, 0);
    EXPECT_EQ(drawnPixels(picture(blank)), 0);

    const auto out = dir_ / "t.png";
    for (const char* size : {"0", "-5", "8193", "big", "12x12", ""}) {
        const auto r = cli({"thumbnail", demo_, out, "--size '" + std::string(size) + "'"});
        EXPECT_EQ(r.exitCode, 1) << size;
        EXPECT_NE(r.err.find("--size"), std::string::npos) << size << r.err;
    }
    EXPECT_EQ(cli({"thumbnail", demo_}).exitCode, 2);
    EXPECT_EQ(cli({"thumbnail", demo_, out, "--size"}).exitCode, 2);
    writeBytes(dir_ / "bad.xom", {'M', 'O', 'I', 'K', 0, 0});
    const auto bad = cli({"thumbnail", dir_ / "bad.xom", out});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("Bad Xom Format File!"), std::string::npos) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

} // namespace

// Decoding bundle image records and TGA records into top-down B, G, R(, A) pixels.

#include "textures/ImageRecord.h"
#include "TextureSamples.h"

#include <gtest/gtest.h>

using namespace lw;
using namespace lwtest;

namespace {

// Pixel (x, y) of a decoded image, y counted from the top.
std::vector<uint8_t> pixelAt(const DecodedImage& img, int x, int y) {
    const size_t bpp = size_t(img.bits / 8);
    const auto at =
        img.pixels.begin() + std::ptrdiff_t((size_t(y) * size_t(img.width) + size_t(x)) * bpp);
    return std::vector<uint8_t>(at, at + std::ptrdiff_t(bpp));
}

} // namespace

TEST(ShowImage, BundleImagesComeOutTopDownInBlueGreenRedOrder) {
    // 2 x 2, rows bottom first: bottom row red, green; top row blue, white.
    const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    auto img = ShowImage(recordOf(ximageObject(5, 2, 2, 0, rgb)), true);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->bits, 24);
    EXPECT_EQ(img->description(), "2x2x24bit type:1");
    EXPECT_EQ(pixelAt(*img, 0, 0), (std::vector<uint8_t>{255, 0, 0})); // blue
    EXPECT_EQ(pixelAt(*img, 0, 1), (std::vector<uint8_t>{0, 0, 255})); // red
    EXPECT_EQ(pixelAt(*img, 1, 1), (std::vector<uint8_t>{0, 255, 0})); // green

    // Without the checkerboard a 32-bit bundle pixel only swaps red and blue.
    const std::vector<uint8_t> rgba = {10, 20, 30, 40};
    auto plain = ShowImage(recordOf(ximageObject(5, 1, 1, 4, rgba, 0)), false);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->pixels, (std::vector<uint8_t>{30, 20, 10, 40}));
    EXPECT_EQ(plain->description(), "1x1x32bit type:0");
    // Pixel format 2 is 32 bits as well; any other is 24.
    EXPECT_EQ(ShowImage(recordOf(ximageObject(5, 1, 1, 2, rgba, 0)), false)->bits, 32);
    EXPECT_EQ(ShowImage(recordOf(ximageObject(5, 1, 1, 3, rgba, 0)), false)->bits, 24);
}

TEST(ShowImage, TwoByteNameIndexShiftsEveryField) {
    const std::vector<uint8_t> rgb = pattern(3 * 4 * 3);
    auto one = ShowImage(recordOf(ximageObject(100, 4, 3, 0, rgb)), false);
    auto two = ShowImage(recordOf(ximageObject(200, 4, 3, 0, rgb)), false);
    ASSERT_TRUE(one);
    ASSERT_TRUE(two);
    EXPECT_EQ(two->width, 4);
    EXPECT_EQ(two->height, 3);
    EXPECT_EQ(one->pixels, two->pixels);
}

TEST(ShowImage, CheckerboardBlendDividesBy256) {
    EXPECT_EQ(blendOverBackground(0, 255, 255), 1); // opaque black is not black
    EXPECT_EQ(blendOverBackground(0, 255, 192), 1); // 0.75 rounds up
    EXPECT_EQ(blendOverBackground(255, 255, 192), 255);
    EXPECT_EQ(blendOverBackground(200, 0, 192), 192); // transparent shows the background
    // Halves go to the even neighbour.
    EXPECT_EQ(blendOverBackground(0, 128, 255), 128); // 127.5
    EXPECT_EQ(blendOverBackground(2, 128, 255), 128); // 128.5
    EXPECT_EQ(blendOverBackground(1, 128, 2), 2);     // 1.5
}

TEST(ShowImage, CheckerboardSquaresAreEightPixelsFromTheBottomLeft) {
    // 16 x 16 fully transparent: only the background shows.
    const int w = 16, h = 16;
    auto img =
        ShowImage(recordOf(ximageObject(1, w, h, 4, std::vector<uint8_t>(w * h * 4, 0))), true);
    ASSERT_TRUE(img);
    auto back = [&](int x, int yFromBottom) { return pixelAt(*img, x, h - 1 - yFromBottom)[0]; };
    EXPECT_EQ(back(0, 0), 255);
    EXPECT_EQ(back(7, 7), 255);
    EXPECT_EQ(back(8, 0), 192);
    EXPECT_EQ(back(0, 8), 192);
    EXPECT_EQ(back(8, 8), 255);
    EXPECT_EQ(pixelAt(*img, 0, 0)[3], 0); // alpha is kept
}

TEST(ShowImage, BothKindsEndAsBlendedBlueGreenRed) {
    // The same opaque colour as a bundle pixel (R, G, B, A) and a TGA pixel (B, G, R, A).
    auto bundle = ShowImage(recordOf(ximageObject(1, 1, 1, 4, {200, 100, 50, 255}, 0)), true);
    auto tga = ShowImage(tgaFile(1, 1, 32, {50, 100, 200, 255}), true);
    ASSERT_TRUE(bundle);
    ASSERT_TRUE(tga);
    const std::vector<uint8_t> expected = {blendOverBackground(50, 255, 255),
                                           blendOverBackground(100, 255, 255),
                                           blendOverBackground(200, 255, 255), 255};
    EXPECT_EQ(bundle->pixels, expected);
    EXPECT_EQ(tga->pixels, expected);
    // Without the checkerboard a TGA pixel is copied as it is.
    EXPECT_EQ(ShowImage(tgaFile(1, 1, 32, {50, 100, 200, 7}), false)->pixels,
              (std::vector<uint8_t>{50, 100, 200, 7}));
}

TEST(ShowImage, SizeAndLevelLimits) {
    auto sized = [](int w, int h, int levels) {
        return recordOf(ximageObject(1, w, h, 0, std::vector<uint8_t>(size_t(w * h * 3)), levels));
    };
    EXPECT_TRUE(ShowImage(sized(512, 1, 9), false));
    EXPECT_TRUE(ShowImage(sized(1, 512, 0), false));
    for (auto bad : {sized(513, 1, 1), sized(1, 513, 1), sized(4, 4, 10), sized(4, 0, 1)}) {
        auto r = ShowImage(bad, true);
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error().text, "Image cannot be shown");
    }
    EXPECT_FALSE(ShowImage(tgaFile(513, 1, 24, std::vector<uint8_t>(513 * 3)), false));
    EXPECT_FALSE(ShowImage(tgaFile(0, 0, 24, {}), false));
}

TEST(ShowImage, TruncatedRecordsAreRefusedNeverReadPast) {
    const auto bundle = recordOf(ximageObject(200, 3, 2, 4, pattern(3 * 2 * 4)));
    const auto tga = tgaFile(3, 2, 24, pattern(3 * 2 * 3));
    for (const auto* full : {&bundle, &tga}) {
        ASSERT_TRUE(ShowImage(*full, true));
        for (size_t n = 0; n < full->size(); ++n) {
            const std::vector<uint8_t> cut(full->begin(), full->begin() + std::ptrdiff_t(n));
            EXPECT_FALSE(ShowImage(cut, true)) << n << " of " << full->size();
        }
    }
    // Extra bytes after the pixels are allowed.
    auto longer = tga;
    longer.resize(longer.size() + 26, 0xEE);
    EXPECT_TRUE(ShowImage(longer, false));
}

TEST(ShowImage, TgaWithColourMapLengthIsTakenForABundleImage) {
    // Colour-map length 1 puts a 1 in byte 5: the width of a bundle image reads 256, the height
    // comes from the colour-map entry size, and the pixels run past the file.
    auto file = tgaFile(2, 2, 24, pattern(12));
    file[1] = 1;
    file[5] = 1;
    file[7] = 24;
    auto layout = imageLayout(file);
    ASSERT_FALSE(layout);
    EXPECT_NE(layout.error().detail.find("256x"), std::string::npos) << layout.error().detail;

    // A length of 256 leaves bytes 4 and 5 zero: still read as a TGA of 24 bits.
    file[5] = 0;
    file[6] = 1;
    layout = imageLayout(file);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->kind, ImageKind::Tga);
    EXPECT_TRUE(layout->blueFirst());
}

TEST(EncodeTga, HeaderAndBottomRowFirst) {
    const std::vector<uint8_t> rgb = pattern(3 * 2 * 3);
    auto img = ShowImage(recordOf(ximageObject(1, 3, 2, 0, rgb)), false);
    ASSERT_TRUE(img);
    const auto file = encodeTga(*img);
    ASSERT_EQ(file.size(), 18u + 18u);
    const std::vector<uint8_t> header(file.begin(), file.begin() + 18);
    EXPECT_EQ(header,
              (std::vector<uint8_t>{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 2, 0, 24, 0}));
    // The first pixel written is the bundle's first (bottom-left) pixel in B, G, R order.
    EXPECT_EQ(file[18], rgb[2]);
    EXPECT_EQ(file[19], rgb[1]);
    EXPECT_EQ(file[20], rgb[0]);
    auto again = ShowImage(file, false);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->pixels, img->pixels);
}

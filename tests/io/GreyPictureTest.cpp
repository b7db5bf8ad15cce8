// Resampling, the area stretch, invert and contrast, against values worked out by hand.

#include "io/GreyPicture.h"

#include <gtest/gtest.h>

using namespace lw;

namespace {

GreyPicture picture(int w, int h, std::vector<uint8_t> pixels) {
    GreyPicture p(w, h);
    p.pixels = std::move(pixels);
    return p;
}

GreyPicture resampled(const GreyPicture& p, int w, int h) {
    auto r = resamplePicture(p, w, h);
    EXPECT_TRUE(r.ok());
    return r.ok() ? *r : GreyPicture{};
}

} // namespace

TEST(Resample, OnePixelSourceFillsAnySize) {
    for (uint8_t v : {uint8_t(0), uint8_t(137), uint8_t(255)}) {
        const GreyPicture out = resampled(picture(1, 1, {v}), 4, 3);
        EXPECT_EQ(out, GreyPicture(4, 3, v)) << int(v);
    }
}

TEST(Resample, TwoByTwoUpToThreeByThree) {
    // Scale 2: the weights are (0.75, 0.25), (0.5, 0.5) and (0.125, 0.875); the low edge
    // reflects about 0 and the high edge repeats the last sample, hence the asymmetry.
    // Row 0 becomes 50.5 -> 50 (half to even), 101, 176.75 -> 177; row 1: 85, 70, 47.5 -> 48.
    const GreyPicture out = resampled(picture(2, 2, {0, 202, 100, 40}), 3, 3);
    EXPECT_EQ(out.pixels, (std::vector<uint8_t>{59, 93, 145, 68, 86, 112, 81, 74, 64}));
}

TEST(Resample, ThreeUpToFive) {
    // 0.75·0 + 0.25·100, mid-points, 0.125·0 + 0.75·100 + 0.125·202 = 100.25, ...
    EXPECT_EQ(resampled(picture(3, 1, {0, 100, 202}), 5, 1).pixels,
              (std::vector<uint8_t>{25, 50, 100, 151, 189}));
}

TEST(Resample, ThreeByThreeDownToTwoByTwo) {
    // Scale 0.5 stretches the kernel by 2: weights (0.375, 0.5, 0.125) and
    // (0.0625, 0.3125, 0.625). Row 0: 171.5 -> 172, 187.4375 -> 187.
    const GreyPicture camera = picture(3, 3, {179, 158, 203, 33, 85, 159, 47, 148, 148});
    EXPECT_EQ(resampled(camera, 2, 2).pixels, (std::vector<uint8_t>{116, 152, 103, 140}));
}

TEST(Resample, DownToOnePixelUsesThePlainRatio) {
    // (d - 1) / (n - 1) would be 0; d / n = 0.5 gives weights 0.375 and 0.625.
    // Row 0: 125, row 1: 62.5 -> 62; then 0.375·125 + 0.625·62 = 85.625.
    EXPECT_EQ(resampled(picture(2, 2, {0, 200, 100, 40}), 1, 1).pixels, (std::vector<uint8_t>{86}));
}

TEST(Resample, WindowsWiderThanTheSourceStayInside) {
    // Strong reduction makes the window reach far past both edges (run under the sanitizer).
    GreyPicture ramp(50, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 50; ++x)
            ramp.at(x, y) = uint8_t(5 * x);
    const GreyPicture small = resampled(ramp, 2, 1);
    EXPECT_EQ(small.width, 2);
    EXPECT_LT(small.at(0, 0), small.at(1, 0));
    const GreyPicture big = resampled(picture(1, 2, {10, 250}), 7, 40);
    EXPECT_EQ(big.width, 7);
    EXPECT_EQ(big.height, 40);
}

TEST(Resample, ClampsAndKeepsFlatPicturesFlat) {
    // The weights of an enlargement sum to 1, so white stays white (not 256 -> 0).
    EXPECT_EQ(resampled(GreyPicture(3, 3, 255), 17, 9), GreyPicture(17, 9, 255));
    EXPECT_EQ(resampled(GreyPicture(6, 6, 0), 335, 335), GreyPicture(335, 335, 0));
}

TEST(Resample, EmptySourceIsRefused) {
    auto r = resamplePicture(GreyPicture(0, 5), 3, 3);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().key, "sSourcebitmapSmall");
    EXPECT_EQ(r.error().text, "Source bitmap too small");
    EXPECT_FALSE(resamplePicture(GreyPicture{}, 3, 3).ok());
    EXPECT_TRUE(resampled(GreyPicture(2, 2), 0, 4).empty());
}

TEST(Stretch, AveragesCoveredAreasAndRoundsHalvesToEven) {
    const GreyPicture p = picture(4, 4,
                                  {10, 11, 1, 2, //
                                   12, 13, 1, 2, //
                                   3, 4, 2, 3,   //
                                   3, 4, 2, 3});
    EXPECT_EQ(stretchPicture(p, 2, 2).pixels, (std::vector<uint8_t>{12, 2, 4, 2}));
    EXPECT_EQ(stretchPicture(p, 4, 4), p);
    // 3 -> 2: destination 0 is two thirds of source 0 and one third of source 1.
    EXPECT_EQ(stretchPicture(picture(3, 1, {0, 90, 210}), 2, 1).pixels,
              (std::vector<uint8_t>{30, 170}));
    EXPECT_EQ(stretchPicture(picture(1, 1, {77}), 3, 2), GreyPicture(3, 2, 77));
}

TEST(Adjust, InvertAndContrastAroundTheMiddle) {
    GreyPicture p = picture(4, 1, {0, 1, 128, 255});
    invertPicture(p);
    EXPECT_EQ(p.pixels, (std::vector<uint8_t>{255, 254, 127, 0}));

    GreyPicture up = picture(4, 1, {100, 129, 200, 0});
    changeContrast(up, 10); // factor 2
    EXPECT_EQ(up.pixels, (std::vector<uint8_t>{72, 130, 255, 0}));

    // Factor 1 - sqrt(25) / 10 = 0.5; (1 - 128) · 0.5 = -63.5 truncates towards zero.
    GreyPicture down = picture(4, 1, {201, 0, 1, 128});
    changeContrast(down, -25);
    EXPECT_EQ(down.pixels, (std::vector<uint8_t>{164, 64, 65, 128}));

    GreyPicture same = picture(2, 1, {3, 250});
    changeContrast(same, 0);
    EXPECT_EQ(same.pixels, (std::vector<uint8_t>{3, 250}));
}

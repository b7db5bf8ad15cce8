#include "ui/Style.h"
#include "ui/GridColumns.h"
#include "ui/Settings.h"

#include "QtPrinters.h"
#include "SettingsSandbox.h"

#include <gtest/gtest.h>

using lw::GradientDirection;
using lw::StyleColors;
using lw::StyleKind;
using lw::TColor;

namespace {

// The pixel at index i of a gradient image, back in the 0x00BBGGRR layout.
TColor at(const QImage& image, int i) {
    const bool vertical = image.width() == 1;
    return lw::fromQColor(image.pixelColor(vertical ? 0 : i, vertical ? i : 0));
}

TEST(StyleGradient, NonSymmetricRunsFromSecondToFirst) {
    const TColor first = 0xBBAB9D, second = 0xFFFFFF;
    const QImage g = lw::styleGradient(GradientDirection::Vertical, 24, first, false, second);
    ASSERT_EQ(g.size(), QSize(1, 24));
    EXPECT_EQ(g.format(), QImage::Format_RGB888);
    EXPECT_EQ(at(g, 0), second);
    EXPECT_EQ(at(g, 23), first);
    // Index 12 of 23 steps, worked by hand: red 255 - 98 * 12 / 23 = 203.87, green
    // 255 - 84 * 12 / 23 = 211.17, blue 255 - 68 * 12 / 23 = 219.52, each to the nearest.
    EXPECT_EQ(at(g, 12), lw::rgbColor(204, 211, 220));
}

TEST(StyleGradient, SymmetricHasSecondInTheMiddle) {
    const TColor first = lw::rgbColor(0, 100, 200), second = lw::rgbColor(250, 50, 0);
    const QImage odd = lw::styleGradient(GradientDirection::Horizontal, 9, first, true, second);
    ASSERT_EQ(odd.size(), QSize(9, 1));
    EXPECT_EQ(at(odd, 0), first);
    EXPECT_EQ(at(odd, 8), first);
    EXPECT_EQ(at(odd, 4), second);
    EXPECT_EQ(at(odd, 2), at(odd, 6));
    // Even length: no pixel reaches the second colour; the two middle ones are a third of the
    // way from it (|2i - 3| / 3 for length 4).
    const QImage even = lw::styleGradient(GradientDirection::Horizontal, 4, first, true, second);
    EXPECT_EQ(at(even, 0), first);
    EXPECT_EQ(at(even, 1), at(even, 2));
    EXPECT_EQ(at(even, 1), lw::rgbColor(167, 67, 67)); // 250 - 250/3, 50 + 50/3, 200/3
}

TEST(StyleGradient, RoundsHalvesToEvenAndHandlesShortLengths) {
    // Length 3, index 1: t = 0.5 exactly; 0.5 rounds to 0, 1.5 and 2.5 to 2.
    const QImage g = lw::styleGradient(GradientDirection::Horizontal, 3, lw::rgbColor(1, 3, 5),
                                       false, lw::rgbColor(0, 0, 0));
    EXPECT_EQ(at(g, 1), lw::rgbColor(0, 2, 2));

    const QImage one = lw::styleGradient(GradientDirection::Vertical, 1, 0x123456, true, 0x654321);
    ASSERT_EQ(one.size(), QSize(1, 1));
    EXPECT_EQ(at(one, 0), 0x654321u);
    EXPECT_TRUE(lw::styleGradient(GradientDirection::Vertical, 0, 0, false, 0).isNull());
    EXPECT_TRUE(lw::styleGradient(GradientDirection::Horizontal, -5, 0, true, 0).isNull());
}

TEST(StyleColor, LowByteIsRed) {
    EXPECT_EQ(lw::toQColor(0x00332211), QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(lw::fromQColor(QColor(0x11, 0x22, 0x33, 0x80)), 0x00332211u);
}

class StyleSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { lw::setStyleColors(lw::kInitialStyleColors); }
    void TearDown() override { lw::setStyleColors(lw::kInitialStyleColors); }

    static QPalette systemPalette() {
        QPalette p;
        p.setColor(QPalette::Active, QPalette::Base, QColor(0xF0, 0xF1, 0xF2));
        p.setColor(QPalette::Active, QPalette::Button, QColor(0x10, 0x20, 0x30));
        return p;
    }

    lwtest::SettingsSandbox sandbox;
};

TEST_F(StyleSettingsTest, NothingStoredMeansDefaultStyle) {
    EXPECT_EQ(lw::loadStyle(lw::Settings(), systemPalette()), StyleKind::Default);
    EXPECT_EQ(lw::styleColors(), lw::kDefaultStyleColors);
    // Panels fade from 0xBBAB9D at the edges to white in the middle.
    const QImage panel = lw::styleGradient(GradientDirection::Horizontal, 101, true);
    EXPECT_EQ(at(panel, 0), 0xBBAB9Du);
    EXPECT_EQ(at(panel, 100), 0xBBAB9Du);
    EXPECT_EQ(at(panel, 50), 0xFFFFFFu);
}

TEST_F(StyleSettingsTest, EachStyleStoredAndReadBack) {
    lw::Settings settings;
    lw::writeStyleChoice(settings, StyleKind::User, {0x123456, 0x654321});
    EXPECT_EQ(settings.integer("Style"), 3);
    EXPECT_EQ(settings.integer("UserActiveColor"), 0x123456);
    EXPECT_EQ(settings.integer("UserUnActiveColor"), 0x654321);
    EXPECT_EQ(lw::loadStyle(lw::Settings(), systemPalette()), StyleKind::User);
    EXPECT_EQ(lw::styleColors(), (StyleColors{0x123456, 0x654321}));

    // System and Default store only the number; the user pair stays stored.
    lw::writeStyleChoice(settings, StyleKind::System, {1, 2});
    EXPECT_EQ(settings.integer("UserActiveColor"), 0x123456);
    EXPECT_EQ(lw::loadStyle(lw::Settings(), systemPalette()), StyleKind::System);
    EXPECT_EQ(lw::styleColors(), (StyleColors{0xF2F1F0, 0x302010}));

    lw::writeStyleChoice(settings, StyleKind::Default, {});
    EXPECT_EQ(lw::loadStyle(lw::Settings(), systemPalette()), StyleKind::Default);
    EXPECT_EQ(lw::styleColors(), lw::kDefaultStyleColors);
}

TEST_F(StyleSettingsTest, UnknownOrMalformedStyleLeavesColours) {
    lw::Settings settings;
    for (const char* stored : {"0", "4", "-1", "abc", ""}) {
        settings.setString("Style", stored);
        EXPECT_EQ(lw::loadStyle(lw::Settings(), systemPalette()), std::nullopt) << stored;
        EXPECT_EQ(lw::styleColors(), lw::kInitialStyleColors) << stored;
    }
    // The user style without colours is black.
    settings.setInteger("Style", 3);
    EXPECT_EQ(lw::loadStyle(lw::Settings(), systemPalette()), StyleKind::User);
    EXPECT_EQ(lw::styleColors(), (StyleColors{0, 0}));
    // Colour values keep their low 24 bits; one that is no number reads as black.
    settings.setInteger("UserActiveColor", 0x7F00FF00);
    settings.setString("UserUnActiveColor", "blue");
    lw::loadStyle(lw::Settings(), systemPalette());
    EXPECT_EQ(lw::styleColors(), (StyleColors{0x00FF00, 0}));
}

TEST(GridColumns, FourAndFiveColumnGridsFillTheirWidth) {
    EXPECT_EQ(lw::gridColumnWidths(4, 400), std::vector<int>({100, 100, 100, 93}));
    EXPECT_EQ(lw::gridColumnWidths(4, 403), std::vector<int>({100, 100, 100, 96}));
    EXPECT_EQ(lw::gridColumnWidths(5, 422), std::vector<int>({16, 100, 100, 100, 98}));
    EXPECT_EQ(lw::gridColumnWidths(5, 425), std::vector<int>({16, 100, 100, 100, 101}));
    EXPECT_TRUE(lw::gridColumnWidths(3, 400).empty());
    EXPECT_TRUE(lw::gridColumnWidths(6, 400).empty());
    // A grid squeezed to nothing gets no negative widths.
    EXPECT_EQ(lw::gridColumnWidths(4, 3), std::vector<int>({0, 0, 0, 0}));
    EXPECT_EQ(lw::gridColumnWidths(5, 10), std::vector<int>({16, 0, 0, 0, 0}));
}

} // namespace

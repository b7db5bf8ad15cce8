#include "ui/FloatText.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QLocale kC = QLocale::c();
const QLocale kGerman(QLocale::German, QLocale::Germany);

TEST(FloatText, FixedNotationWithPrecision) {
    EXPECT_EQ(lw::formatFixed(2000, 6, kC), "2000.000000");
    EXPECT_EQ(lw::formatFixed(-1.25, 1, kC), "-1.3"); // exact halves away from zero
    EXPECT_EQ(lw::formatFixed(0.5, 0, kC), "1");
    EXPECT_EQ(lw::formatFixed(1234567.5, 2, kC), "1234567.50");    // no digit grouping
    EXPECT_EQ(lw::formatFixed(3.0, 20, kC), "3.0000000000000000"); // precision stops at 16
    EXPECT_EQ(lw::formatFixed(2.5, 6, kGerman), "2,500000");
}

TEST(FloatText, AtMostSixteenSignificantDigits) {
    // 0.1 is not exact in binary; the digits beyond the 16th read 0, not binary noise.
    EXPECT_EQ(lw::formatFixed(1234.5678, 16, kC), "1234.5678000000000000");
    EXPECT_EQ(lw::formatFixed(0.1, 16, kC), "0.1000000000000000");
    EXPECT_EQ(lw::formatFixed(123456789012345678.0, 2, kC), "1.234567890123457e+17");
}

TEST(FloatText, NoMinusOnAValueThatRoundsToZero) {
    EXPECT_EQ(lw::formatFixed(-0.0000001, 6, kC), "0.000000");
    EXPECT_EQ(lw::formatFixed(-0.0, 2, kC), "0.00");
    EXPECT_EQ(lw::formatFixed(-0.001, 2, kGerman), "0,00");
    EXPECT_EQ(lw::formatFixed(-0.006, 2, kC), "-0.01");
}

TEST(FloatText, ParsesWithTheLocaleSeparatorOnly) {
    EXPECT_EQ(lw::parseFloatText(" 2500 ", kC), 2500.0);
    EXPECT_EQ(lw::parseFloatText("-1.5e2", kC), -150.0);
    EXPECT_EQ(lw::parseFloatText("2,5", kGerman), 2.5);
    EXPECT_EQ(lw::parseFloatText("2.5", kGerman), std::nullopt);
    EXPECT_EQ(lw::parseFloatText("1,000.5", kC), std::nullopt);
    for (const char* bad : {"abc", "", "1.2.3", "12abc", "nan", "inf", "1e999"})
        EXPECT_EQ(lw::parseFloatText(bad, kC), std::nullopt) << bad;
}

} // namespace

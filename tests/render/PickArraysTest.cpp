// Pick lists, their weights and the heat colours.

#include "render/PickArrays.h"
#include "render/Icons.h"
#include "render/IdentityColour.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace lw;

TEST(PickArrays, HeightIdentitiesSplitIntoGridPoints) {
    TPickArray list;
    list.Add(1001 + 4 + 1000 * 2); // grid point (2, 4)
    ASSERT_EQ(list.Picks.size(), 1u);
    EXPECT_EQ(list.Picks[0], std::make_pair(3, 5));
    list.Add(1001);
    EXPECT_EQ(list.Picks.size(), 2u);
    list.SetOnly(1001 + 1000 * 7);
    ASSERT_EQ(list.Picks.size(), 1u);
    EXPECT_EQ(list.Picks[0], std::make_pair(8, 1));
    list.Clear();
    EXPECT_TRUE(list.Picks.empty());

    TLPickArray layers;
    layers.Add(3 + 10 * 6);
    EXPECT_EQ(layers.Picks[0], std::make_pair(6, 3));
}

TEST(PickArrays, HeightWeightFallsOffByCosine) {
    TPickArray list;
    list.Radius = 2;
    list.Picks = {{3, 5}};
    EXPECT_DOUBLE_EQ(HeightWeight(2, 4, list), 100); // the picked point itself
    const double half = HeightWeight(3, 4, list);    // distance 1
    EXPECT_NEAR(half, (std::cos(1.570796) + 1) / 2 * 100, 1e-3);
    EXPECT_EQ(HeatColour(HeightWeight(2, 4, list)), 255u); // red
    EXPECT_EQ(HeightWeight(5, 4, list), 0);                // beyond the radius
    // The strongest pick wins; duplicates change nothing.
    list.Picks.push_back({5, 5});
    list.Picks.push_back({5, 5});
    EXPECT_DOUBLE_EQ(HeightWeight(4, 4, list), 100);
    EXPECT_EQ(HeightWeight(0, 0, TPickArray{}), 0);
}

TEST(PickArrays, LayerWeightCountsOnlyItsCorner) {
    TLPickArray list;
    list.SoftLen = 2;
    list.Picks = {{4, 2}};
    EXPECT_DOUBLE_EQ(LayerWeight(2, 4, list), 100);
    EXPECT_NEAR(LayerWeight(2, 5, list), 50, 1e-3);
    EXPECT_EQ(LayerWeight(3, 4, list), 0); // another corner
}

TEST(PickArrays, ZeroRadiusReachesNothing) {
    TPickArray list;
    list.Radius = 0;
    list.Picks = {{3, 5}};
    EXPECT_EQ(HeightWeight(2, 4, list), 0);
    TLPickArray layers;
    layers.SoftLen = 0;
    layers.Picks = {{2, 1}};
    EXPECT_EQ(LayerWeight(1, 2, layers), 0);
}

TEST(Icons, AreSixteenSquareTgaImagesWithTransparentCorners) {
    for (IconKind kind : {IconKind::Detail, IconKind::Dummy}) {
        const auto& tga = iconTga(kind);
        ASSERT_EQ(tga.size(), 1042u);
        const auto pixels = iconPixelsOfTga(tga);
        ASSERT_TRUE(pixels.ok());
        EXPECT_EQ(pixels.value()[3], 0); // corner alpha: transparent
        bool opaque = false;
        for (size_t i = 3; i < pixels.value().size(); i += 4)
            opaque = opaque || pixels.value()[i] == 255;
        EXPECT_TRUE(opaque);
    }
    EXPECT_NE(iconTga(IconKind::Detail), iconTga(IconKind::Dummy));
    auto truncated = iconTga(IconKind::Detail);
    truncated.pop_back();
    EXPECT_FALSE(iconPixelsOfTga(truncated).ok());
    auto wrongDepth = iconTga(IconKind::Dummy);
    wrongDepth[16] = 24;
    EXPECT_FALSE(iconPixelsOfTga(wrongDepth).ok());
}

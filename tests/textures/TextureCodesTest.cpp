// Box codes of cell words and the tiles of the box overview.

#include "textures/TextureCodes.h"

#include <gtest/gtest.h>

using namespace lw;

TEST(TextureCodes, BoxCodesAndCellWords) {
    EXPECT_EQ(boxCode(0), 0u);
    EXPECT_EQ(boxCode(1), 3u);
    EXPECT_EQ(boxCode(64), 255u);
    for (int box = 0; box <= 64; ++box)
        EXPECT_EQ(boxOfCode(boxCode(box)), box);
    const uint32_t code = composeCellCode(5, 64, 9, 15);
    EXPECT_EQ(code, 19u | 255u << 8 | 9u << 16 | 15u << 20);
    EXPECT_EQ(cellCodeText(code), "[15] [09] [64] [05]");
    EXPECT_EQ(cellCodeText(0), "[00] [00] [00] [00]");
}

TEST(TextureCodes, OverviewTilesAndTheWrappingThumbnail) {
    EXPECT_EQ(boxTileOrigin(1).x, 2);
    EXPECT_EQ(boxTileOrigin(1).y, 2);
    EXPECT_EQ(boxTileOrigin(10).x, 68);
    EXPECT_EQ(boxTileOrigin(10).y, 68);
    EXPECT_EQ(boxTileOrigin(64).x + kBoxTileSize, 528);
    EXPECT_LE(boxTileOrigin(64).y + kBoxTileSize, kBoxOverviewSize);
    EXPECT_EQ(thumbnailTileOrigin(0).x, boxTileOrigin(64).x);
    EXPECT_EQ(thumbnailTileOrigin(0).y, boxTileOrigin(64).y);
    EXPECT_EQ(thumbnailTileOrigin(65).y, boxTileOrigin(1).y);
}

// The clipboard text of the value tables: the written layout, reading it back, and pastes that
// are short, ragged, huge or hold no numbers.

#include "editor/ValueTables.h"

#include <gtest/gtest.h>

#include <limits>

using namespace lw;

namespace {

TEST(ValueTables, CopyWritesSixDecimalsTabsAndCrLf) {
    TPoxel p(1, 1, 1);
    p.Heights[0][1] = 1.5f;
    p.Heights[1][0] = -0.25f;
    EXPECT_EQ(copyValueTable(p, ValueGrid::Heights),
              "0.000000\t1.500000\r\n-0.250000\t0.000000\r\n");
    EXPECT_EQ(copyValueTable(p, ValueGrid::Heights, ','),
              "0,000000\t1,500000\r\n-0,250000\t0,000000\r\n");
    p.LayerLow[1] = {0.5f, 1};
    p.LayerHigh[0] = {2, 3};
    EXPECT_EQ(copyValueTable(p, ValueGrid::Layers), "0.000000\t0.000000\t2.000000\t3.000000\r\n"
                                                    "0.500000\t1.000000\t0.000000\t0.000000\r\n");
    // The default texture matrix: [0] = [5] = [10] = 0.25, [6] = 0.15, [8] = -0.2.
    EXPECT_EQ(copyValueTable(TPoxel(1, 1, 1), ValueGrid::TextCoord),
              "0.250000\t0.000000\t0.000000\t0.000000\r\n"
              "0.000000\t0.250000\t0.150000\t0.000000\r\n"
              "-0.200000\t0.000000\t0.250000\t0.000000\r\n"
              "0.000000\t0.000000\t0.000000\t0.000000\r\n");
}

TEST(ValueTables, ACopiedTableReadsBackIntoTheSameShape) {
    TPoxel from(2, 3, 2);
    for (size_t x = 0; x < from.Heights.size(); ++x)
        for (size_t z = 0; z < from.Heights[x].size(); ++z)
            from.Heights[x][z] = float(x) * 10 + float(z) + 0.125f;
    for (size_t y = 0; y < from.LayerLow.size(); ++y) {
        from.LayerLow[y] = {float(y), -float(y)};
        from.LayerHigh[y] = {0.5f * float(y), 2};
    }
    TPoxel to(2, 3, 2);
    EXPECT_EQ(pasteValueTable(to, ValueGrid::Heights, copyValueTable(from, ValueGrid::Heights)),
              9u);
    EXPECT_EQ(to.Heights, from.Heights);
    EXPECT_EQ(pasteValueTable(to, ValueGrid::Layers, copyValueTable(from, ValueGrid::Layers)), 16u);
    EXPECT_EQ(to.LayerLow, from.LayerLow);
    EXPECT_EQ(to.LayerHigh, from.LayerHigh);
    from.TextCoord[15] = 7;
    EXPECT_EQ(pasteValueTable(to, ValueGrid::TextCoord, copyValueTable(from, ValueGrid::TextCoord)),
              16u);
    EXPECT_EQ(to.TextCoord, from.TextCoord);
}

TEST(ValueTables, ASmallerTableFillsOnlyTheLeadingValues) {
    // Three values a line from a 2 x 1 x 2 poxel into a 3 x 1 x 3 one, which wants four: the
    // third value's text runs to the next tab, across the line break, and is no number.
    TPoxel small(2, 1, 2);
    for (auto& column : small.Heights)
        for (float& h : column)
            h = 1;
    TPoxel big(3, 1, 3);
    for (auto& column : big.Heights)
        for (float& h : column)
            h = 9;
    EXPECT_EQ(pasteValueTable(big, ValueGrid::Heights, copyValueTable(small, ValueGrid::Heights)),
              2u);
    EXPECT_EQ(big.Heights[0][0], 1);
    EXPECT_EQ(big.Heights[0][1], 1);
    EXPECT_EQ(big.Heights[0][2], 9);
    EXPECT_EQ(big.Heights[1][0], 9);
}

TEST(ValueTables, ReadingStopsAtTheFirstBadValueAndKeepsWhatCameBefore) {
    TPoxel p(1, 1, 1);
    const THmap before = p.Heights;
    // Not numbers, numbers no float holds, a missing separator, and no text at all.
    for (const char* text : {"", "abc\t1\r\n", "nan\t1\r\n", "inf\t1\r\n", "1e39\t1\r\n",
                             "0x10\t1\r\n", "1", "1 2\t3\r\n", "\t\t\r\n"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(text)));
        EXPECT_EQ(pasteValueTable(p, ValueGrid::Heights, text), 0u);
        EXPECT_EQ(p.Heights, before);
    }
    // The first value stays when the second is bad or has no CR after it; the rest keeps its
    // old values.
    EXPECT_EQ(pasteValueTable(p, ValueGrid::Heights, "3\t2"), 1u);
    EXPECT_EQ(p.Heights[0][0], 3);
    EXPECT_EQ(pasteValueTable(p, ValueGrid::Heights, "4\tx\r\n5\t6\r\n"), 1u);
    EXPECT_EQ(p.Heights[0][0], 4);
    EXPECT_EQ(p.Heights[0][1], 0);
    // A line with more values than the table stops at the first that does not fit.
    EXPECT_EQ(pasteValueTable(p, ValueGrid::Heights, "1\t2\t3\r\n4\t5\r\n"), 1u);
    // The character after a CR is passed whatever it is; blanks around a number are allowed.
    EXPECT_EQ(pasteValueTable(p, ValueGrid::Heights, " 1 \t2\rX3\t4\r"), 4u);
    EXPECT_EQ(p.Heights[1][1], 4);
    // Largest float still fits.
    EXPECT_EQ(pasteValueTable(p, ValueGrid::Heights, "3.4e38\t1\r\n"), 2u);
    EXPECT_EQ(p.Heights[0][0], 3.4e38f);
}

TEST(ValueTables, HugePastesAreReadOnceAndOnlyAsFarAsTheTableGoes) {
    TPoxel p(2, 1, 2);
    std::string text;
    while (text.size() < 10'000'000)
        text += "1.5\t";
    EXPECT_EQ(pasteValueTable(p, ValueGrid::Heights, text), 2u) << "the third value needs a CR";
    std::string lines;
    while (lines.size() < 10'000'000)
        lines += "2\t2\t2\r\n";
    EXPECT_EQ(pasteValueTable(p, ValueGrid::Heights, lines), 9u);
    EXPECT_EQ(p.Heights[2][2], 2);
}

TEST(ValueTables, TablesFollowTheArraysAPoxelHolds) {
    // A poxel whose arrays disagree with its dimensions is read and written only as far as
    // its arrays go.
    TPoxel p(2, 2, 2);
    p.Heights.resize(1);
    p.LayerHigh.resize(1);
    EXPECT_EQ(copyValueTable(p, ValueGrid::Heights), "0.000000\t0.000000\t0.000000\r\n");
    EXPECT_EQ(pasteValueTable(p, ValueGrid::Layers, "1\t1\t1\t1\r\n1\t1\t1\t1\r\n"), 4u);
}

TEST(ValueTables, PasteIsOfferedWhenTheTextStartsWithANumberAndATab) {
    EXPECT_TRUE(clipboardHoldsTable("0.250000\t1"));
    EXPECT_TRUE(clipboardHoldsTable("0,25\tx", ','));
    EXPECT_FALSE(clipboardHoldsTable("0.25"));
    EXPECT_FALSE(clipboardHoldsTable("Rock\t1"));
    EXPECT_FALSE(clipboardHoldsTable(""));
}

} // namespace

// The name list and the table of OpenGL texture names built from a texture list.

#include "textures/TextureTable.h"

#include <gtest/gtest.h>

using namespace lw;

namespace {

TextureBoxList sampleList() {
    TextureBoxList list;
    list.Boxes.push_back({"One", {"grass", "Rock", "b01", "NULL", "fifth-only"}});
    list.Boxes.push_back({"Two", {"GRASS", "rock", "Edge", "null", "x"}});
    list.Boxes.push_back({"Three", {"Zebra", "apple", "grass", "EDGE", "grass"}});
    return list;
}

} // namespace

TEST(TextureNameList, DistinctIgnoringCaseFirstSpellingKeptSortedByBytes) {
    // "Edge" is met (box 2, bottom) before "EDGE" (box 3, edge); NULL in any case and the
    // fifth slot are never loaded. Upper case sorts before lower case.
    EXPECT_EQ(buildTextureNameList(sampleList()),
              (std::vector<std::string>{"Edge", "Rock", "Zebra", "apple", "b01", "grass"}));
    EXPECT_TRUE(buildTextureNameList({}).empty());
}

TEST(TextureTable, RowsHoldPositionsAndNoEdgeForNull) {
    const TextureBoxList list = sampleList();
    const auto names = buildTextureNameList(list);
    TTextureList table;
    for (auto& row : table)
        row = {99, 99, 99, 99};
    ASSERT_TRUE(fillTextureTable(list, names, table));
    EXPECT_EQ(table[0], (TTextureRow{5, 1, 4, kNoEdgeTexture}));
    // Names that differ only in case share one texture.
    EXPECT_EQ(table[1], (TTextureRow{5, 1, 0, kNoEdgeTexture}));
    EXPECT_EQ(table[2], (TTextureRow{2, 3, 5, 0}));
    // Rows that belong to no box keep what they held.
    EXPECT_EQ(table[3], (TTextureRow{99, 99, 99, 99}));
    EXPECT_EQ(table[63], (TTextureRow{99, 99, 99, 99}));
}

TEST(TextureTable, AMissingNameLeavesTheTableAlone) {
    const TextureBoxList list = sampleList();
    auto names = buildTextureNameList(list);
    names.erase(names.begin() + 1); // "Rock"
    TTextureList table{};
    table[0][0] = 7;
    auto st = fillTextureTable(list, names, table);
    ASSERT_FALSE(st);
    EXPECT_NE(st.error().detail.find("Rock"), std::string::npos);
    EXPECT_EQ(table[0][0], 7u);
    EXPECT_EQ(table[2][3], 0u);
}

TEST(TextureUploadPlan, StopsAtTheFirstNameNoImageCarries) {
    ImageList images = {{"apple", {1}}, {"Edge", {2}}, {"Rock", {3}},
                        {"Zebra", {4}}, {"b01", {5}},  {"grass", {6}}};
    auto plan = planTextureUpload(sampleList(), images);
    ASSERT_TRUE(plan.status);
    ASSERT_EQ(plan.images.size(), 6u);
    EXPECT_EQ(plan.images[0], &images[1]); // "Edge" is texture 0
    EXPECT_EQ(plan.images[5], &images[5]);

    // Images are found by exact name: "rock" does not carry "Rock".
    images[2].name = "rock";
    plan = planTextureUpload(sampleList(), images);
    ASSERT_FALSE(plan.status);
    EXPECT_EQ(plan.status.error().text, "Texture not found");
    EXPECT_NE(plan.status.error().detail.find("'Rock'"), std::string::npos);
    // The textures before it are still uploaded.
    EXPECT_EQ(plan.images.size(), 1u);
    EXPECT_EQ(plan.TextureNameList.size(), 6u);

    EXPECT_FALSE(planTextureUpload(sampleList(), {}).status);
}

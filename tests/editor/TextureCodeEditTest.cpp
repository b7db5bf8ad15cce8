// The cell texture code editor: fill, erase and get on one row of the cell table, each edit one
// undo step that puts the map back exactly.

#include "editor/TextureCodeEdit.h"

#include "editor/PropertyEdits.h"

#include "core/MapGenerator.h"
#include "core/MapWriter.h"

#include <gtest/gtest.h>

using namespace lw;

namespace {

class TextureCodeEdit : public ::testing::Test {
protected:
    void SetUp() override {
        doc_.adoptMap(makeDemoMap(), QString(), false);
        // The bridge: 8 x 2 x 2 cells with codes of their own.
        bridge_ = doc_.root()->Children[0]->Children[2].get();
        ASSERT_EQ(bridge_->Name, "Bridge");
    }
    std::vector<uint8_t> bytes() { return encodeMap(*doc_.root()).value(); }

    MapDocument doc_;
    TPoxel* bridge_ = nullptr;
};

} // namespace

TEST_F(TextureCodeEdit, FillWritesTheBrushCodeAsOneUndoableStep) {
    const auto before = bytes();
    TextureBrushValues v;
    v.Box = 2;
    v.Mat = 0;
    const auto text = TextCodeTabDblClick(doc_, *bridge_, 4, TextureBrushMode::Fill, v);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "[00] [00] [00] [02]");
    EXPECT_EQ(bridge_->Voxels[3], 7u);
    EXPECT_TRUE(doc_.isModified());
    EXPECT_EQ(doc_.undoStack()->undoText(), "Texture Code");
    const auto after = bytes();
    doc_.undoStack()->undo();
    EXPECT_EQ(bytes(), before);
    EXPECT_FALSE(doc_.isModified());
    doc_.undoStack()->redo();
    EXPECT_EQ(bytes(), after);
}

TEST_F(TextureCodeEdit, FillTakesTheNearestValuesInTheirRanges) {
    TextureBrushValues v{2.4, 3.6, 3.2, 15.0};
    EXPECT_EQ(fillCellCode(v), 7u | 15u << 8 | 3u << 16 | 15u << 20);
    EXPECT_EQ(fillCellCode({0, 0, 0, 0}), 0u) << "box 0: a cell without a first texture";
    EXPECT_EQ(fillCellCode({70, -3, 99, 16}), 255u | 15u << 16 | 15u << 20);
    EXPECT_EQ(fillCellCode({std::nan(""), 1, 0, 0}), 3u << 8);
}

TEST_F(TextureCodeEdit, GetReadsTheCellIntoTheBrushWithoutAnEdit) {
    ASSERT_TRUE(setCellCode(doc_, *bridge_, 0, 0x00F30B07u));
    const int steps = doc_.undoStack()->count();
    TextureBrushValues v;
    const auto text = TextCodeTabDblClick(doc_, *bridge_, 1, TextureBrushMode::Get, v);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "[15] [03] [03] [02]");
    EXPECT_EQ(v.Box, 2);
    EXPECT_EQ(v.Mat, 3);
    EXPECT_EQ(v.Corners, 3);
    EXPECT_EQ(v.Blur, 15);
    EXPECT_EQ(doc_.undoStack()->count(), steps);
}

TEST_F(TextureCodeEdit, EraseEmptiesTheCellAndARepeatRecordsNothing) {
    TextureBrushValues v;
    const auto text = TextCodeTabDblClick(doc_, *bridge_, 2, TextureBrushMode::Erase, v);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "[00] [00] [00] [00]");
    EXPECT_EQ(bridge_->Voxels[1], 0u);
    const int steps = doc_.undoStack()->count();
    EXPECT_TRUE(TextCodeTabDblClick(doc_, *bridge_, 2, TextureBrushMode::Erase, v));
    EXPECT_EQ(doc_.undoStack()->count(), steps) << "the cell was already empty";
    doc_.undoStack()->undo();
    EXPECT_NE(bridge_->Voxels[1], 0u);
}

TEST_F(TextureCodeEdit, NothingHappensOffTheCellsOrOnNodesWithoutCells) {
    const auto before = bytes();
    TextureBrushValues v;
    EXPECT_FALSE(TextCodeTabDblClick(doc_, *bridge_, 0, TextureBrushMode::Fill, v))
        << "the title row";
    EXPECT_FALSE(TextCodeTabDblClick(doc_, *bridge_, 33, TextureBrushMode::Fill, v));
    TPoxel* island = doc_.root()->Children[0].get();
    EXPECT_FALSE(TextCodeTabDblClick(doc_, *island, 1, TextureBrushMode::Fill, v)) << "a group";
    // A node of another tree is not the document's to change.
    auto stray = makePoxel(1, 1, 1);
    EXPECT_FALSE(TextCodeTabDblClick(doc_, *stray, 1, TextureBrushMode::Fill, v));
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(doc_.undoStack()->count(), 0);
}

// The brushes as plain functions and document steps: the fill and get codes, the corner boxes,
// Auto Blur and Blur, the heightmap fall-off over its snapshot, and strokes that are one undo
// step each, undone to the very map bytes they started from.

#include "editor/Brushes.h"

#include "core/MapWriter.h"
#include "editor/MapDocument.h"
#include "render/MeshSamples.h"
#include "render/PoxelMesh.h"
#include "support/TestSupport.h"
#include "textures/TextureCodes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace lw;
using lwtest::mapBytes;

namespace {

// Identity of grid point (x, z) of the top level, as the heightmap pick pass draws it.
int32_t gridIdentity(int x, int z) {
    return 1001 + z + 1000 * x;
}

class Brushes : public ::testing::Test {
protected:
    void SetUp() override {
        auto root = makePoxel();
        root->IsRoot = root->IsGroup = true;
        root->Name = "Root";
        auto p = makePoxel(6, 3, 7);
        p->Name = "Block";
        FillVoxels(*p, kDefaultCellCode);
        AddChildPoxel(*root, std::move(p));
        doc_.adoptMap(std::move(root), QString(), false);
    }

    TPoxel& block() { return *doc_.root()->Children[0]; }
    QUndoStack& stack() { return *doc_.undoStack(); }

    MapDocument doc_;
};

} // namespace

// ---- Codes --------------------------------------------------------------------------------------

TEST(BrushCodes, FillWritesTheCodeOfTheSettings) {
    EXPECT_EQ(fillCodeOf({2, 0, 0, 0}), 7u);
    EXPECT_EQ(cellCodeText(fillCodeOf({2, 0, 0, 0})), "[00] [00] [00] [02]");
    EXPECT_EQ(fillCodeOf({1, 2, 3, 15}), 3u | 7u << 8 | 3u << 16 | 15u << 20);
    // Box 0 writes no first texture: the cell counts as empty.
    EXPECT_EQ(fillCodeOf({0, 2, 0, 0}) & 0xFFu, 0u);
    EXPECT_EQ(fillCodeOf({64, 64, 15, 15}), 0x00FFFFFFu) << "64 gives 255, no bit beyond 23";
    // Fields hold real numbers: halves go to the even neighbour.
    EXPECT_EQ(fillCodeOf({2.5, 0, 0, 0}), boxCode(2));
    EXPECT_EQ(fillCodeOf({3.5, 0, 0, 0}), boxCode(4));
    EXPECT_EQ(fillCodeOf({1.4, 0.6, 1.5, 0.5}), boxCode(1) | boxCode(1) << 8 | 2u << 16);
    // Out of the fields' ranges (a bound value written elsewhere): brought back into them.
    EXPECT_EQ(fillCodeOf({70, -3, 16, 99}), 0x00FF00FFu | 15u << 16 | 15u << 20);
    EXPECT_EQ(fillCodeOf({std::numeric_limits<double>::quiet_NaN(), 0, 0, 0}), 0u);
}

TEST(BrushCodes, GetReadsTheSettingsBack) {
    const CellBrushSettings s = settingsOfCell(0x00F30B07u);
    EXPECT_EQ(s, (CellBrushSettings{2, 3, 3, 15}));
    EXPECT_EQ(cornerBoxesOf(int(s.Corners)), (std::array<bool, 4>{true, true, false, false}));
    EXPECT_EQ(cornerBoxesOf(int(s.Blur)), (std::array<bool, 4>{true, true, true, true}));
    // Bits 24-31 are not read; a code that is not 4n - 1 reads as the box it rounds into.
    EXPECT_EQ(settingsOfCell(0xAB000003u), (CellBrushSettings{1, 0, 0, 0}));
    EXPECT_EQ(settingsOfCell(2u).Box, 0.0);
    // What get reads, fill writes again.
    for (uint32_t code : {0u, 3u, 7u, 0x00F30B07u, 0x00FFFFFFu, 0x005A3F17u})
        EXPECT_EQ(fillCodeOf(settingsOfCell(code)), code) << std::hex << code;
}

TEST(BrushCodes, CornerBoxesAndTheirValue) {
    for (int v = 0; v < 16; ++v)
        EXPECT_EQ(cornerValueOf(cornerBoxesOf(v)), v);
    EXPECT_EQ(cornerValueOf({false, false, true, false}), 4);
    EXPECT_EQ(cornerBoxesOf(8), (std::array<bool, 4>{false, false, false, true}));
}

TEST(BrushCodes, NearestGoesToTheEvenNeighbour) {
    EXPECT_EQ(nearestInt(0.5), 0);
    EXPECT_EQ(nearestInt(1.5), 2);
    EXPECT_EQ(nearestInt(-2.5), -2);
    EXPECT_EQ(nearestInt(2.49), 2);
    EXPECT_EQ(nearestInt(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(nearestInt(1e300), std::numeric_limits<int>::max());
}

// ---- Auto Blur ----------------------------------------------------------------------------------

TEST(BrushAutoBlur, TurnsCellsOfEitherBoxIntoThePair) {
    const uint32_t t1 = boxCode(1), t2 = boxCode(2);
    EXPECT_EQ(autoBlurCell(3, t1, t2), 0x00FF0307u);
    EXPECT_EQ(autoBlurCell(7, t1, t2), 0x00000307u);
    EXPECT_EQ(autoBlurCell(0x00100003u, t1, t2), 0x00100003u) << "bit 20 set: left alone";
    EXPECT_EQ(autoBlurCell(0x08000003u, t1, t2), 0x08000003u) << "bit 27 set: left alone";
    EXPECT_EQ(autoBlurCell(0x000F0007u, t1, t2), 0x00000307u) << "top flags are replaced";
    EXPECT_EQ(autoBlurCell(11, t1, t2), 11u);
    EXPECT_EQ(autoBlurCell(0, t1, t2), 0u);
    EXPECT_EQ(autoBlurQuestion(1, 2), "You sure, Blur from [1] to [2]?");
}

TEST_F(Brushes, AutoBlurIsOneStepAndNeverFillsOrEmptiesCells) {
    TPoxel& p = block();
    p.Voxels[0] = 3;
    p.Voxels[1] = 7;
    p.Voxels[2] = 0x00100003u;
    p.Voxels[3] = 0;
    p.Voxels[4] = 11;
    const auto before = mapBytes(*doc_.root());
    const std::vector<uint32_t> cells = p.Voxels;

    // Without a first or a second box the pair names "no texture": nothing may change.
    EXPECT_FALSE(autoBlur(doc_, p, 0, 2));
    EXPECT_FALSE(autoBlur(doc_, p, 1, 0));
    EXPECT_EQ(p.Voxels, cells);
    EXPECT_EQ(stack().count(), 0);

    ASSERT_TRUE(autoBlur(doc_, p, 1, 2));
    EXPECT_EQ(stack().count(), 1);
    EXPECT_EQ(stack().undoText(), "Auto Blur");
    EXPECT_EQ(p.Voxels[0], 0x00FF0307u);
    EXPECT_EQ(p.Voxels[1], 0x00000307u);
    EXPECT_EQ(p.Voxels[2], 0x00100003u);
    EXPECT_EQ(p.Voxels[3], 0u);
    EXPECT_EQ(p.Voxels[4], 11u);
    EXPECT_EQ(p.Voxels[5], 0x00FF0307u) << "every cell of box 1";
    const auto after = mapBytes(*doc_.root());
    stack().undo();
    EXPECT_EQ(mapBytes(*doc_.root()), before);
    stack().redo();
    EXPECT_EQ(mapBytes(*doc_.root()), after);
}

// ---- Blur ---------------------------------------------------------------------------------------

TEST_F(Brushes, BlurSpreadsCornerFlagsToTheCellsThatShareTheCorner) {
    TPoxel& p = block();
    FillVoxels(p, 0);
    // Cell (0, 0, 0) flags its corner (1, 1, 1); (1, 0, 0) shares that point as its (0, 1, 1).
    p.Voxels[p.cellIndex(0, 0, 0)] = 3u | 1u << cornerFlagBit(1, 1, 1);
    p.Voxels[p.cellIndex(1, 0, 0)] = 7u;
    p.Voxels[p.cellIndex(1, 1, 1)] = 7u; // shares the point as its corner (0, 0, 0)
    // A corner whose y and z differ: cell (2, 1, 0) flags the point (3, 2, 0), which cell
    // (3, 2, 0) has as its corner (0, 0, 0); cell (3, 0, 0) touches (3, 1, 1) but not it.
    p.Voxels[p.cellIndex(2, 1, 0)] = 7u | 1u << cornerFlagBit(1, 1, 0);
    p.Voxels[p.cellIndex(3, 2, 0)] = 7u;
    p.Voxels[p.cellIndex(3, 0, 0)] = 11u;
    const auto before = mapBytes(*doc_.root());

    // Corner flags combine only in textured cells: no texture list, no change.
    EXPECT_EQ(blurredCells(p, nullptr), p.Voxels);
    EXPECT_FALSE(blur(doc_, p, nullptr));
    EXPECT_EQ(stack().count(), 0);

    const TTextureList table = lwtest::numberedTextureTable();
    ASSERT_TRUE(blur(doc_, p, &table));
    EXPECT_EQ(stack().undoText(), "Blur");
    EXPECT_EQ(p.Voxels[p.cellIndex(0, 0, 0)], 3u | 1u << cornerFlagBit(1, 1, 1));
    EXPECT_EQ(p.Voxels[p.cellIndex(1, 0, 0)], 7u | 1u << cornerFlagBit(0, 1, 1));
    EXPECT_EQ(p.Voxels[p.cellIndex(1, 1, 1)], 7u | 1u << cornerFlagBit(0, 0, 0));
    EXPECT_EQ(p.Voxels[p.cellIndex(3, 2, 0)], 7u | 1u << cornerFlagBit(0, 0, 0));
    EXPECT_EQ(p.Voxels[p.cellIndex(3, 0, 0)], 11u);
    EXPECT_FALSE(p.BlurPass) << "the builder's switch is put back";
    EXPECT_FALSE(blur(doc_, p, &table)) << "a second blur has nothing left to spread";

    const auto after = mapBytes(*doc_.root());
    stack().undo();
    EXPECT_EQ(mapBytes(*doc_.root()), before);
    stack().redo();
    EXPECT_EQ(mapBytes(*doc_.root()), after);
}

// ---- Heightmap brush ----------------------------------------------------------------------------

TEST(BrushHeights, FallOffAtDistanceZeroOneAndTwo) {
    auto p = makePoxel(6, 2, 7);
    const HeightSnapshot snapshot = p->Heights;
    TPickArray picks;
    picks.Radius = 2;
    picks.SetOnly(gridIdentity(2, 4));
    applyHeightBrush(*p, snapshot, picks, 10);
    EXPECT_FLOAT_EQ(p->Heights[2][4], 10.0f);
    EXPECT_NEAR(p->Heights[3][4], 5.0f, 1e-5);
    EXPECT_NEAR(p->Heights[2][3], 5.0f, 1e-5);
    EXPECT_NEAR(p->Heights[4][4], 0.0f, 1e-5) << "(almost) nothing at the radius itself";
    EXPECT_EQ(p->Heights[5][4], 0.0f) << "beyond the radius";
    EXPECT_EQ(p->Heights[0][0], 0.0f);
    // Lowering works alike, and 0 gives the snapshot back bit for bit.
    applyHeightBrush(*p, snapshot, picks, -4);
    EXPECT_FLOAT_EQ(p->Heights[2][4], -4.0f);
    applyHeightBrush(*p, snapshot, picks, 0);
    EXPECT_EQ(p->Heights, snapshot);
}

TEST(BrushHeights, OffsetsAreFromTheSnapshotNotIncrements) {
    auto p = makePoxel(4, 1, 4);
    for (auto& column : p->Heights)
        for (float& h : column)
            h = 1.5f;
    const HeightSnapshot snapshot = p->Heights;
    TPickArray picks;
    picks.Radius = 1;
    picks.SetOnly(gridIdentity(1, 1));
    picks.Add(gridIdentity(3, 3));
    applyHeightBrush(*p, snapshot, picks, 2);
    applyHeightBrush(*p, snapshot, picks, 2);
    EXPECT_FLOAT_EQ(p->Heights[1][1], 3.5f);
    EXPECT_FLOAT_EQ(p->Heights[3][3], 3.5f) << "every pick raises its point";
    EXPECT_FLOAT_EQ(p->Heights[2][2], 1.5f);
    // Radius 0 reaches nothing, the picked points included.
    picks.Radius = 0;
    applyHeightBrush(*p, snapshot, picks, 50);
    EXPECT_EQ(p->Heights, snapshot);
    // A snapshot of another size (the poxel was resized) touches only the points both have.
    picks.Radius = 10;
    HeightSnapshot small(2, std::vector<float>(2, 0.0f));
    applyHeightBrush(*p, small, picks, 1);
    EXPECT_GT(p->Heights[1][1], 0.0f);
    EXPECT_FLOAT_EQ(p->Heights[4][4], 1.5f);
    applyHeightBrush(*p, snapshot, picks, std::numeric_limits<double>::quiet_NaN());
    EXPECT_FALSE(std::isnan(p->Heights[0][0]));
}

TEST_F(Brushes, APickSessionOfHeightsIsOneStepAndTheNextPickKeepsTheRaise) {
    TPoxel& p = block();
    const auto before = mapBytes(*doc_.root());
    TPickArray picks;
    picks.Radius = 2;
    picks.SetOnly(gridIdentity(2, 2));
    BrushStroke session;
    session.begin(BrushKind::Heights);
    HeightSnapshot snapshot = p.Heights;
    // Spinning the height: every value is a sample of the same step.
    for (double h = 0.5; h <= 10.0; h += 0.5)
        paintHeights(doc_, p, snapshot, picks, h, session);
    EXPECT_EQ(stack().count(), 1);
    EXPECT_EQ(stack().undoText(), "Heights");
    EXPECT_FLOAT_EQ(p.Heights[2][2], 10.0f);
    const auto raised = mapBytes(*doc_.root());

    // A new pick: a new snapshot of the raised heights, the height back at 0.
    picks.SetOnly(gridIdentity(4, 4));
    session.begin(BrushKind::Heights);
    snapshot = p.Heights;
    EXPECT_FALSE(paintHeights(doc_, p, snapshot, picks, 0, session)) << "0 changes nothing";
    EXPECT_FLOAT_EQ(p.Heights[2][2], 10.0f) << "the raise stays";
    paintHeights(doc_, p, snapshot, picks, 3, session);
    EXPECT_FLOAT_EQ(p.Heights[4][4], 3.0f);
    EXPECT_FLOAT_EQ(p.Heights[2][2], 10.0f);
    EXPECT_EQ(stack().count(), 2) << "one step per pick";

    stack().undo();
    EXPECT_EQ(mapBytes(*doc_.root()), raised);
    stack().undo();
    EXPECT_EQ(mapBytes(*doc_.root()), before);
    stack().redo();
    stack().redo();
    EXPECT_FLOAT_EQ(p.Heights[4][4], 3.0f);
}

TEST_F(Brushes, ASessionThatEndsWhereItBeganLeavesNoStep) {
    TPoxel& p = block();
    TPickArray picks;
    picks.Radius = 3;
    picks.SetOnly(gridIdentity(1, 1));
    BrushStroke session;
    session.begin(BrushKind::Heights);
    const HeightSnapshot snapshot = p.Heights;
    paintHeights(doc_, p, snapshot, picks, 2, session);
    paintHeights(doc_, p, snapshot, picks, 1, session);
    paintHeights(doc_, p, snapshot, picks, 0, session);
    EXPECT_EQ(stack().count(), 0);
    EXPECT_FALSE(doc_.isModified());
    EXPECT_EQ(p.Heights, snapshot);
}

// ---- Strokes ------------------------------------------------------------------------------------

TEST_F(Brushes, AStrokeOfManySamplesIsOneStep) {
    TPoxel& p = block();
    const auto before = mapBytes(*doc_.root());
    BrushStroke stroke;
    stroke.begin(BrushKind::Fill);
    const uint32_t code = fillCodeOf({2, 1, 5, 0});
    for (size_t i = 0; i < 200; ++i)
        paintCell(doc_, p, (i * 7) % p.Voxels.size(), code, stroke);
    stroke.end();
    EXPECT_EQ(stack().count(), 1);
    EXPECT_EQ(stack().undoText(), "Fill");
    EXPECT_EQ(p.Voxels[7], code);
    const auto filled = mapBytes(*doc_.root());
    EXPECT_NE(filled, before);

    // The next stroke is a step of its own, even on the same cells.
    stroke.begin(BrushKind::Erase);
    paintCell(doc_, p, 7, 0, stroke);
    paintCell(doc_, p, 14, 0, stroke);
    stroke.end();
    EXPECT_EQ(stack().count(), 2);
    EXPECT_EQ(stack().undoText(), "Erase");
    EXPECT_EQ(p.Voxels[7], 0u);
    stroke.begin(BrushKind::Erase);
    paintCell(doc_, p, 21, 0, stroke);
    EXPECT_EQ(stack().count(), 3) << "two erase strokes, two steps";

    stack().undo();
    stack().undo();
    EXPECT_EQ(mapBytes(*doc_.root()), filled);
    stack().undo();
    EXPECT_EQ(mapBytes(*doc_.root()), before);
    stack().redo();
    EXPECT_EQ(mapBytes(*doc_.root()), filled);
}

TEST_F(Brushes, SamplesThatChangeNothingRecordNothing) {
    TPoxel& p = block();
    BrushStroke stroke;
    stroke.begin(BrushKind::Fill);
    EXPECT_FALSE(paintCell(doc_, p, 0, p.Voxels[0], stroke));
    EXPECT_FALSE(paintCell(doc_, p, p.Voxels.size(), 7, stroke)) << "no such cell";
    EXPECT_EQ(stack().count(), 0);
    // A stroke that paints a cell and then paints it back leaves nothing to undo.
    const uint32_t was = p.Voxels[3];
    paintCell(doc_, p, 3, 7, stroke);
    paintCell(doc_, p, 3, was, stroke);
    EXPECT_EQ(stack().count(), 0);
    EXPECT_FALSE(doc_.isModified());
}

TEST(BrushStrokes, KeysOfBrushesAndStrokesDiffer) {
    EXPECT_GE(brushMergeKey(BrushKind::Fill, 0), kPropertyMergeKeyEnd);
    EXPECT_NE(brushMergeKey(BrushKind::Fill, 1), brushMergeKey(BrushKind::Fill, 2));
    EXPECT_NE(brushMergeKey(BrushKind::Fill, 1), brushMergeKey(BrushKind::Erase, 1));
    BrushStroke a;
    a.begin(BrushKind::Heights);
    const int first = a.mergeKey();
    a.end();
    EXPECT_FALSE(a.active());
    a.begin(BrushKind::Heights);
    EXPECT_NE(a.mergeKey(), first);
}

// The property edits as document steps: each field kind edited, checked, undone to the same map
// bytes and redone; merging while a field keeps changing; the value tables' clipboard text and
// its parse rule, with huge, ragged and non-numeric pastes; VOX imports that are refused.

#include "editor/PropertyEdits.h"

#include "core/MapGenerator.h"
#include "core/MapWriter.h"
#include "editor/MapDocument.h"
#include "io/VoxFile.h"
#include "support/TestSupport.h"
#include "textures/TextureCodes.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

using namespace lw;
using lwtest::mapBytes;

namespace {

class PropertyEdits : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        doc_.adoptMap(makeDemoMap(), QString(), false);
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    TPoxel& island() { return *doc_.root()->Children[0]; }
    TPoxel& ground() { return *island().Children[0]; }
    TPoxel& tower() { return *island().Children[1]; }
    TPoxel& bridge() { return *island().Children[2]; }
    TPoxel& emitter() { return *ground().Entities[0]; }
    int steps() { return doc_.undoStack()->index(); }

    // Runs `op` (one step), then checks undo gives back the map bytes before it and redo those
    // after it.
    template <typename Op> void checkUndoRedo(Op op) {
        const auto before = mapBytes(*doc_.root());
        const int count = steps();
        op();
        ASSERT_EQ(steps(), count + 1) << "one edit, one step";
        const auto after = mapBytes(*doc_.root());
        EXPECT_NE(after, before);
        doc_.undoStack()->undo();
        EXPECT_EQ(mapBytes(*doc_.root()), before);
        doc_.undoStack()->redo();
        EXPECT_EQ(mapBytes(*doc_.root()), after);
    }

    lwtest::TempDir dir_;
    MapDocument doc_;
};

} // namespace

TEST_F(PropertyEdits, VectorFieldsAreStepsNamedByPanelAndAxis) {
    checkUndoRedo(
        [&] { EXPECT_TRUE(setVectorComponent(doc_, tower(), VectorField::Pos, 0, 5.5f)); });
    EXPECT_EQ(tower().Pos.X, 5.5f);
    EXPECT_EQ(doc_.undoStack()->undoText(), "Position X");
    checkUndoRedo([&] { setVectorComponent(doc_, tower(), VectorField::Rot, 1, -12.25f); });
    EXPECT_EQ(tower().Rot.Y, -12.25f);
    EXPECT_EQ(doc_.undoStack()->undoText(), "Rotate Y");
    checkUndoRedo([&] { setVectorComponent(doc_, tower(), VectorField::Size, 2, 0.5f); });
    EXPECT_EQ(tower().Size.Z, 0.5f);
    checkUndoRedo([&] { setVectorComponent(doc_, emitter(), VectorField::Clip, 0, 3.0f); });
    EXPECT_EQ(emitter().Clip.X, 3.0f);
    EXPECT_EQ(doc_.undoStack()->undoText(), "Clip X");

    // Nothing that would not change the node, and no number that is not finite, is a step.
    const int count = steps();
    EXPECT_FALSE(setVectorComponent(doc_, tower(), VectorField::Size, 2, 0.5f));
    EXPECT_FALSE(setVectorComponent(doc_, tower(), VectorField::Pos, 0,
                                    std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(setVectorComponent(doc_, tower(), VectorField::Pos, 0,
                                    std::numeric_limits<float>::infinity()));
    EXPECT_FALSE(setVectorComponent(doc_, tower(), VectorField::Pos, 3, 1.0f));
    EXPECT_EQ(steps(), count);
}

TEST_F(PropertyEdits, OneSessionOfOneFieldOfOneNodeIsOneStep) {
    const auto before = mapBytes(*doc_.root());
    const int count = steps();
    const int drag = propertyMergeKey(vectorFieldId(VectorField::Pos, 1), 7);
    for (int i = 1; i <= 20; ++i)
        setVectorComponent(doc_, tower(), VectorField::Pos, 1, 2.5f + 0.1f * float(i), drag);
    EXPECT_EQ(steps(), count + 1);
    // Another field, another node or another session starts a step of its own.
    setVectorComponent(doc_, tower(), VectorField::Pos, 2, 1.0f,
                       propertyMergeKey(vectorFieldId(VectorField::Pos, 2), 7));
    setVectorComponent(doc_, bridge(), VectorField::Pos, 2, 1.0f,
                       propertyMergeKey(vectorFieldId(VectorField::Pos, 2), 7));
    setVectorComponent(doc_, bridge(), VectorField::Pos, 2, 2.0f,
                       propertyMergeKey(vectorFieldId(VectorField::Pos, 2), 8));
    EXPECT_EQ(steps(), count + 4);
    for (int i = 0; i < 4; ++i)
        doc_.undoStack()->undo();
    EXPECT_EQ(mapBytes(*doc_.root()), before);

    // Keys stay in their range and tell fields apart.
    std::set<int> keys;
    for (int f = 0; f < 4; ++f)
        for (int axis = 0; axis < 3; ++axis)
            keys.insert(propertyMergeKey(vectorFieldId(VectorField(f), axis), 3));
    keys.insert(propertyMergeKey(kNameFieldId, 3));
    keys.insert(propertyMergeKey(kLibNameFieldId, 3));
    for (int i = 0; i < 16; ++i)
        keys.insert(propertyMergeKey(textCoordFieldId(i), 3));
    for (int level = 0; level < 26; ++level)
        for (int c = 0; c < 4; ++c)
            keys.insert(propertyMergeKey(layerFieldId(level, c), 3));
    for (int x = 0; x <= 30; ++x)
        for (int z = 0; z <= 30; ++z)
            keys.insert(propertyMergeKey(heightFieldId(x, z), 3));
    EXPECT_EQ(keys.size(), size_t(12 + 2 + 16 + 104 + 961));
    EXPECT_GE(*keys.begin(), kPropertyMergeKeyBase);
    EXPECT_LT(propertyMergeKey(4095, 0xFFFFFFFFu), kPropertyMergeKeyEnd);
}

TEST_F(PropertyEdits, NamesAndLibraryNames) {
    checkUndoRedo([&] { EXPECT_TRUE(setNodeName(doc_, tower(), "Keep")); });
    EXPECT_EQ(tower().Name, "Keep");
    EXPECT_EQ(doc_.undoStack()->undoText(), "Name");
    checkUndoRedo([&] { EXPECT_TRUE(setLibName(doc_, emitter(), "Base_09")); });
    EXPECT_EQ(emitter().LibName, "Base_09");
    // Typing merges into one step.
    const int count = steps();
    const int key = propertyMergeKey(kNameFieldId, 1);
    for (const char* typed : {"E", "Em", "Emi"})
        setNodeName(doc_, emitter(), typed, key);
    EXPECT_EQ(steps(), count + 1);
    EXPECT_EQ(emitter().Name, "Emi");
    doc_.undoStack()->undo();
    EXPECT_EQ(emitter().Name, "Emitter_01");
}

TEST_F(PropertyEdits, ApplySizeResizesAndFillsEveryCell) {
    checkUndoRedo([&] { EXPECT_TRUE(applyPoxelSize(doc_, tower(), 3, 2, 3, 2)); });
    EXPECT_EQ(tower().NX, 3);
    EXPECT_EQ(tower().NY, 2);
    EXPECT_EQ(tower().NZ, 3);
    EXPECT_EQ(tower().LowCount, 3);
    EXPECT_EQ(tower().HeightCount, 16);
    ASSERT_EQ(tower().Voxels.size(), 18u);
    for (uint32_t code : tower().Voxels)
        EXPECT_EQ(code, 7u);
    EXPECT_EQ(doc_.undoStack()->undoText(), "Poxels Size");

    // Texture 0 empties every cell; counts below 1 become 1; box numbers beyond 64 are box 64.
    checkUndoRedo([&] { applyPoxelSize(doc_, tower(), 3, 2, 3, 0); });
    for (uint32_t code : tower().Voxels)
        EXPECT_EQ(code, 0u);
    PoxelContent c = tower().content();
    applyPoxelSizeTo(c, 0, -3, 2, 99);
    EXPECT_EQ(c.NX, 1);
    EXPECT_EQ(c.NY, 1);
    EXPECT_EQ(c.Voxels, std::vector<uint32_t>(2, 255u));

    // Heights of the columns both sizes have are kept.
    ground().Heights[1][2] = 0.75f;
    PoxelContent g = ground().content();
    applyPoxelSizeTo(g, 2, 1, 3, 1);
    EXPECT_EQ(g.Heights[1][2], 0.75f);
    EXPECT_EQ(g.Heights.size(), 3u);
    EXPECT_EQ(g.Heights[0].size(), 4u);
}

TEST_F(PropertyEdits, SurfaceSwitchesKeepTheSurfaceCodes) {
    // The bridge: top smoothing and surface code 0x0012; Surface2 0x00010034 (visible, code B).
    const SurfaceSwitches now = surfaceSwitchesOf(bridge());
    EXPECT_TRUE(now.topSmooth);
    EXPECT_FALSE(now.sideSmooth);
    EXPECT_TRUE(now.visible);
    EXPECT_FALSE(now.question);
    EXPECT_TRUE(now.alpha);

    SurfaceSwitches s;
    s.sideSmooth = true;
    s.question = true;
    checkUndoRedo([&] { EXPECT_TRUE(applySurfaceSwitches(doc_, bridge(), s)); });
    EXPECT_EQ(bridge().Surface, 0x00120001u);
    EXPECT_EQ(bridge().Surface2, 0x01000034u);
    EXPECT_EQ(bridge().Color >> 24, 0u) << "Alpha unticked writes 0";
    EXPECT_EQ(bridge().Color & 0xFFFFFFu, 0xFFFFFFu);
    EXPECT_EQ(surfaceSwitchesOf(bridge()), s);

    // A side-smoothing byte of 5 reads as ticked and is written back as 1.
    tower().Surface = 0x00AB0005;
    PoxelContent c = tower().content();
    applySurfaceSwitchesTo(c, surfaceSwitchesOf(c));
    EXPECT_EQ(c.Surface, 0x00AB0001u);
}

TEST_F(PropertyEdits, ColourKeepsTheAlphaByte) {
    tower().Color = 0x7F102030u;
    checkUndoRedo([&] { EXPECT_TRUE(setPoxelColour(doc_, tower(), 0xFFAABBCCu)); });
    EXPECT_EQ(tower().Color, 0x7FAABBCCu);
}

TEST_F(PropertyEdits, OneCellCodeForTheCodeTable) {
    checkUndoRedo([&] { EXPECT_TRUE(setCellCode(doc_, tower(), 5, 0x00F30B07u)); });
    EXPECT_EQ(tower().Voxels[5], 0x00F30B07u);
    const int count = steps();
    EXPECT_FALSE(setCellCode(doc_, tower(), tower().Voxels.size(), 7u));
    EXPECT_EQ(steps(), count);
}

TEST_F(PropertyEdits, TableCellsNameTheirFloats) {
    PoxelContent& g = ground();
    // Texture coordinates: row r (1..4), column c show TextCoord[4 (r - 1) + c]; row 0 is titles.
    EXPECT_EQ(tableValue(g, ValueTable::TextCoord, 2, 3), &g.TextCoord[10]);
    EXPECT_EQ(tableValue(g, ValueTable::TextCoord, 0, 0), nullptr);
    EXPECT_EQ(tableValue(g, ValueTable::TextCoord, 0, 5), nullptr);
    EXPECT_EQ(tableValue(g, ValueTable::TextCoord, 4, 1), nullptr);
    // Layers: column 0 is the level number.
    EXPECT_EQ(tableValue(g, ValueTable::Layers, 0, 1), nullptr);
    EXPECT_EQ(tableValue(g, ValueTable::Layers, 1, 2), &g.LayerLow[1].X);
    EXPECT_EQ(tableValue(g, ValueTable::Layers, 2, 2), &g.LayerLow[1].Z);
    EXPECT_EQ(tableValue(g, ValueTable::Layers, 3, 4), &g.LayerHigh[3].X);
    EXPECT_EQ(tableValue(g, ValueTable::Layers, 4, 4), &g.LayerHigh[3].Z);
    EXPECT_EQ(tableValue(g, ValueTable::Layers, 1, g.LowCount + 1), nullptr);
    // Heights: column x + 1, row z + 1.
    EXPECT_EQ(tableValue(g, ValueTable::HeightMap, 3, 2), &g.Heights[2][1]);
    EXPECT_EQ(tableValue(g, ValueTable::HeightMap, 0, 2), nullptr);
    EXPECT_EQ(tableValue(g, ValueTable::HeightMap, g.NX + 2, 1), nullptr);
    EXPECT_EQ(tableValue(g, ValueTable::None, 1, 1), nullptr);

    EXPECT_EQ(tableValueLabel(g, ValueTable::Layers, 3, 4), "[Ground].[Layers].[4].[+X]");
    EXPECT_EQ(tableValueLabel(g, ValueTable::HeightMap, 3, 2), "[Ground].[HMap].[3,2]");
    EXPECT_EQ(tableValueLabel(g, ValueTable::TextCoord, 2, 3), "[Ground].[TextCoord].[2].[2]");

    checkUndoRedo(
        [&] { EXPECT_TRUE(setTableValue(doc_, ground(), ValueTable::HeightMap, 3, 2, 1.5f)); });
    EXPECT_EQ(ground().Heights[2][1], 1.5f);
    EXPECT_EQ(doc_.undoStack()->undoText(), "HMap");
    checkUndoRedo([&] { setTableValue(doc_, ground(), ValueTable::Layers, 4, 1, -0.5f); });
    EXPECT_EQ(ground().LayerHigh[0].Z, -0.5f);
    checkUndoRedo([&] { setTableValue(doc_, ground(), ValueTable::TextCoord, 3, 4, 2.0f); });
    EXPECT_EQ(ground().TextCoord[15], 2.0f);
    const int count = steps();
    EXPECT_FALSE(setTableValue(doc_, ground(), ValueTable::Layers, 0, 1, 1.0f));
    EXPECT_FALSE(setTableValue(doc_, ground(), ValueTable::HeightMap, 1, 1,
                               std::numeric_limits<float>::infinity()));
    EXPECT_EQ(steps(), count);
}

TEST_F(PropertyEdits, CopiedTablesReadBackAsTheyWere) {
    auto p = makePoxel(2, 1, 2);
    p->Heights = {{0.0f, 0.5f, 1.0f}, {-1.25f, 2.0f, 3.0f}, {4.0f, 5.0f, 6.5f}};
    EXPECT_EQ(tableText(*p, ValueTable::HeightMap), "0.000000\t0.500000\t1.000000\r\n"
                                                    "-1.250000\t2.000000\t3.000000\r\n"
                                                    "4.000000\t5.000000\t6.500000\r\n");
    EXPECT_EQ(tableText(*p, ValueTable::TextCoord).count(QLatin1Char('\n')), 4);
    EXPECT_TRUE(
        tableText(*p, ValueTable::TextCoord)
            .startsWith("0.250000\t0.000000\t0.000000\t0.000000\r\n0.000000\t0.250000\t0.150000"));
    EXPECT_EQ(tableText(*p, ValueTable::None), QString());

    for (ValueTable table : {ValueTable::TextCoord, ValueTable::Layers, ValueTable::HeightMap}) {
        PoxelContent source = tower().content();
        source.TextCoord[7] = -3.5f;
        source.Heights[1][1] = 0.125f;
        source.LayerLow[2].Z = 9.0f;
        PoxelContent target = tower().content();
        const QString text = tableText(source, table);
        EXPECT_EQ(pasteTableInto(target, table, text),
                  tableLines(source, table) * tableLineValues(source, table));
        EXPECT_EQ(tableText(target, table), text);
    }

    // The decimal separator is the locale's.
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_TRUE(tableText(*p, ValueTable::HeightMap).startsWith("0,000000\t0,500000"));
    PoxelContent q = p->content();
    EXPECT_EQ(pasteTableInto(q, ValueTable::HeightMap, "7,5\t1\t2\r\n"), 3);
    EXPECT_EQ(q.Heights[0][0], 7.5f);
}

TEST_F(PropertyEdits, HeightsOfASmallerPoxelStopAfterTwoValues) {
    auto small = makePoxel(2, 1, 2);
    small->Heights = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    const QString text = tableText(*small, ValueTable::HeightMap);
    auto big = makePoxel(3, 1, 3);
    for (auto& column : big->Heights)
        std::fill(column.begin(), column.end(), -1.0f);
    const PoxelContent before = big->content();
    // The third value now runs up to the tab after the line break and does not parse.
    EXPECT_EQ(pasteTableInto(*big, ValueTable::HeightMap, text), 2);
    EXPECT_EQ(big->Heights[0][0], 1.0f);
    EXPECT_EQ(big->Heights[0][1], 2.0f);
    PoxelContent expected = before;
    expected.Heights[0][0] = 1.0f;
    expected.Heights[0][1] = 2.0f;
    EXPECT_TRUE(big->content() == expected) << "every other height unchanged";
}

TEST_F(PropertyEdits, PastesOfBadTextsStoreWhatLeadsAndNothingElse) {
    const PoxelContent before = ground().content();
    auto paste = [&](const QString& text) {
        PoxelContent c = before;
        const int stored = pasteTableInto(c, ValueTable::Layers, text);
        return std::pair{stored, c};
    };
    // Fewer lines than the table has: only the leading values change.
    auto [stored, c] = paste("1\t2\t3\t4\r\n5\t6\t7\t8\r\n");
    EXPECT_EQ(stored, 8);
    EXPECT_EQ(c.LayerLow[1].X, 5.0f);
    EXPECT_EQ(c.LayerHigh[1].Z, 8.0f);
    EXPECT_EQ(c.LayerLow[2], before.LayerLow[2]);
    // Ragged: a short line runs into the next one.
    EXPECT_EQ(paste("1\t2\r\n3\t4\t5\t6\r\n").first, 1);
    // Non-numbers, non-finite values and values no 32-bit float holds end the reading.
    EXPECT_EQ(paste("1\tabc\t3\t4\r\n").first, 1);
    EXPECT_EQ(paste("1\t2\tnan\t4\r\n").first, 2);
    EXPECT_EQ(paste("inf\t2\t3\t4\r\n").first, 0);
    EXPECT_EQ(paste("1\t1e39\t3\t4\r\n").first, 1);
    EXPECT_EQ(paste("1,5\t2\t3\t4\r\n").first, 0) << "no thousands separators";
    // No separator after the last value of a line, or none at all.
    EXPECT_EQ(paste("1\t2\t3\t4").first, 3);
    EXPECT_EQ(paste("12345").first, 0);
    EXPECT_EQ(paste(QString()).first, 0);
    // Lines that end in a bare line feed, as other programs write them, read the same.
    auto [lf, lfc] = paste("1\t2\t3\t4\n5\t6\t7\t8\n");
    EXPECT_EQ(lf, 8);
    EXPECT_EQ(lfc.LayerLow[1].X, 5.0f);
    // Blanks around a number are no harm.
    EXPECT_EQ(paste(" 1 \t2\t3\t4\r\n").first, 4);
    // A value never reaches across a separator for a number: neither over a line end into the
    // next line, nor, as the last of a line, over a tab.
    auto [across, ac] = paste("1\t\r\n5\t6\t7\r\n");
    EXPECT_EQ(across, 1);
    EXPECT_EQ(ac.LayerLow[0].Z, before.LayerLow[0].Z);
    EXPECT_EQ(paste("1\t2\t3\t4\t\r\n").first, 3);
    EXPECT_FALSE(clipboardStartsWithNumber("\r\n1\t2"));
}

TEST_F(PropertyEdits, HugePastesEndCleanly) {
    const PoxelContent before = ground().content();
    // Ten megabytes of digits without a separator, and with one at the very end.
    QString digits(10 * 1024 * 1024, QLatin1Char('7'));
    PoxelContent c = before;
    EXPECT_EQ(pasteTableInto(c, ValueTable::HeightMap, digits), 0);
    EXPECT_TRUE(c == before);
    EXPECT_EQ(pasteTableInto(c, ValueTable::HeightMap, digits + QLatin1Char('\t')), 0);
    EXPECT_TRUE(c == before);
    EXPECT_FALSE(clipboardStartsWithNumber(digits + QLatin1Char('\t')));

    // Ten megabytes of good values: the table takes what it holds and no more.
    QString many;
    many.reserve(10 * 1024 * 1024 + 16);
    while (many.size() < 10 * 1024 * 1024)
        many += QStringLiteral("0.5\t");
    many += QStringLiteral("\r\n");
    // Ground has 11 heights a line: the eleventh runs on to the line end and does not parse.
    const int stored = pasteTableInto(c, ValueTable::HeightMap, many);
    EXPECT_EQ(stored, ground().NZ);
    EXPECT_EQ(c.Heights[0][0], 0.5f);
    EXPECT_EQ(c.Heights[0][size_t(ground().NZ)], before.Heights[0][size_t(ground().NZ)]);

    // As a document step: one step, and undo gives back the heights.
    const auto bytes = mapBytes(*doc_.root());
    EXPECT_EQ(pasteTable(doc_, ground(), ValueTable::HeightMap, many), ground().NZ);
    doc_.undoStack()->undo();
    EXPECT_EQ(mapBytes(*doc_.root()), bytes);
    const int count = steps();
    EXPECT_EQ(pasteTable(doc_, ground(), ValueTable::HeightMap, digits), 0);
    EXPECT_EQ(steps(), count) << "a paste that stores nothing is no step";
}

TEST_F(PropertyEdits, PasteIsOneStep) {
    PoxelContent source = ground().content();
    for (auto& column : source.Heights)
        for (float& h : column)
            h += 1.0f;
    checkUndoRedo([&] {
        EXPECT_EQ(pasteTable(doc_, ground(), ValueTable::HeightMap,
                             tableText(source, ValueTable::HeightMap)),
                  ground().HeightCount);
    });
    // Six decimals travel through the clipboard.
    for (size_t x = 0; x < source.Heights.size(); ++x)
        for (size_t z = 0; z < source.Heights[x].size(); ++z)
            EXPECT_NEAR(ground().Heights[x][z], source.Heights[x][z], 5e-7);
    EXPECT_EQ(doc_.undoStack()->undoText(), "Paste Table");
}

TEST_F(PropertyEdits, ClipboardOfferAndShownNumbers) {
    EXPECT_TRUE(clipboardStartsWithNumber("0.250000\t1\r\n"));
    EXPECT_TRUE(clipboardStartsWithNumber("-3\t"));
    EXPECT_FALSE(clipboardStartsWithNumber("0.25"));
    EXPECT_FALSE(clipboardStartsWithNumber("x\t1"));
    EXPECT_FALSE(clipboardStartsWithNumber("\t1"));
    EXPECT_FALSE(clipboardStartsWithNumber(""));

    EXPECT_EQ(groupedNumber(1234.5), "1,234.500000");
    EXPECT_EQ(groupedNumber(-1234567.25), "-1,234,567.250000");
    EXPECT_EQ(groupedNumber(0.25), "0.250000");
    EXPECT_EQ(groupedNumber(-999.0), "-999.000000");
}

TEST_F(PropertyEdits, VoxImportIsOneStepAndBadFilesChangeNothing) {
    TPoxel& t = tower(); // 2 x 6 x 2
    PoxelContent painted = t.content();
    for (size_t i = 0; i < painted.Voxels.size(); ++i)
        painted.Voxels[i] = i % 3 == 0 ? 0u : boxCode(int(i % 5) + 1);
    const std::string good = (dir_ / "tower.vox").string();
    ASSERT_TRUE(writeVoxFile(painted, good).ok());
    t.Voxels[0] = 0x00F30B07u; // bits 8-31 stay through an import
    checkUndoRedo([&] { ASSERT_TRUE(importVoxCells(doc_, t, good).ok()); });
    EXPECT_EQ(t.Voxels[0], 0x00F30B00u);
    EXPECT_EQ(t.Voxels[1], painted.Voxels[1]);
    EXPECT_EQ(doc_.undoStack()->undoText(), "Import VOX");

    const auto bytes = mapBytes(*doc_.root());
    const int count = steps();
    auto refused = [&](const std::string& file, const char* reason) {
        const Status st = importVoxCells(doc_, t, file);
        ASSERT_FALSE(st.ok()) << file;
        const std::string message = st.error().message();
        EXPECT_NE(message.find(reason), std::string::npos) << message;
        EXPECT_NE(message.find(file), std::string::npos) << "names the file: " << message;
        EXPECT_EQ(mapBytes(*doc_.root()), bytes);
        EXPECT_EQ(steps(), count);
    };
    refused((dir_ / "missing.vox").string(), "Bad File Name");
    PoxelContent other = painted;
    ResizePoxel(other, 2, 6, 3);
    const std::string wrongSize = (dir_ / "wrong.vox").string();
    ASSERT_TRUE(writeVoxFile(other, wrongSize).ok());
    refused(wrongSize, "Bad Size (X:2=2, Y:6=6, Z:3=2)");
    auto truncated = encodeVox(painted);
    truncated.resize(kVoxHeaderSize + 10);
    const std::string shortFile = (dir_ / "short.vox").string();
    lwtest::writeBytes(shortFile, truncated);
    refused(shortFile, "cells");
}

#include "TreeCompare.h"
#include "XomBuilder.h"

#include "core/MapReader.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace lw;
using namespace lwtest;

namespace {

Result<std::unique_ptr<TPoxel>> decode(const XomBuilder& x) {
    auto table = parseXom(x.build(), XomMode::Map);
    if (!table)
        return table.error();
    return decodeMapRoot(*table, CounterMode::Reset);
}

} // namespace

TEST(MapDecoding, GroupRecordKeepsPlacementAndFindsChildrenAt132) {
    XomBuilder x;
    x.strings = {"Group", "Hill", "Root"};
    auto g = groupRecord(1, {3}, 4.0f, 5.0f, 6.0f);
    x.types.push_back({"LandFrameStore", {groupRecord(3, {2}), g, poxelRecord(2, 2, 1, 1, 3)}});
    auto root = decode(x);
    ASSERT_TRUE(root) << root.error().message();
    EXPECT_TRUE((*root)->IsRoot);
    ASSERT_EQ((*root)->Children.size(), 1u);
    const TPoxel& group = *(*root)->Children[0];
    EXPECT_TRUE(group.IsGroup);
    EXPECT_EQ(group.Pos, (TVec3{4, 5, 6}));
    // A group record carries no cells: the node gets the single empty cell of a group.
    EXPECT_EQ(group.Voxels, std::vector<uint32_t>{0});
    ASSERT_EQ(group.Children.size(), 1u);
    EXPECT_EQ(group.Children[0]->Name, "Hill");
}

TEST(MapDecoding, PoxelFieldsDecodeInRecordOrder) {
    XomBuilder x;
    x.strings = {"Big", "Empty", "Root"};
    x.types.push_back(
        {"LandFrameStore",
         {groupRecord(3, {2, 3}), poxelRecord(1, 200, 1, 1, 3), poxelRecord(2, 1, 1, 1, 0)}});
    auto root = decode(x);
    ASSERT_TRUE(root) << root.error().message();
    const TPoxel& big = *(*root)->Children[0];
    EXPECT_EQ(big.NX, 200); // dimensions are unsigned bytes
    EXPECT_FALSE(big.IsGroup);
    EXPECT_EQ(big.Pos, (TVec3{1, 2, 3}));
    // Heights are stored in rows of constant z: (0,0), (1,0), ..., (200,0), (0,1), ...
    EXPECT_EQ(big.Heights[1][0], 1.0f);
    EXPECT_EQ(big.Heights[0][1], 201.0f);
    EXPECT_EQ(big.Heights[200][1], 401.0f);
    const TPoxel& empty = *(*root)->Children[1];
    EXPECT_TRUE(empty.IsGroup); // one empty cell reads as a group that keeps its geometry
    EXPECT_EQ(empty.HeightCount, 4);
    EXPECT_EQ(empty.Heights[1][1], 3.0f);
}

TEST(MapDecoding, RadiansBecomeDegrees) {
    XomBuilder x;
    x.strings = {"Root", "Turned"};
    RecordBytes r(2);
    r.vec(0, 0, 0).vec(0, float(M_PI / 2), float(-M_PI)).vec(1, 1, 1);
    auto rec = poxelRecord(2, 1, 1, 1, 3);
    // Patch the rotation of a plain poxel record (after "CTNR", 3 bytes, name, position).
    std::memcpy(rec.data() + 8 + 12, r.b.data() + 8 + 12, 12);
    x.types.push_back({"LandFrameStore", {groupRecord(1, {2}), rec}});
    auto root = decode(x);
    ASSERT_TRUE(root);
    EXPECT_EQ((*root)->Children[0]->Rot.Y, 90.0f);
    EXPECT_EQ((*root)->Children[0]->Rot.Z, -180.0f);
}

TEST(MapDecoding, LibraryDragsLeaveOutReservedEntitiesOnly) {
    XomBuilder x;
    x.strings = {"Bounds", "Emitter", "Hill", "Root", "wTable"};
    x.types.push_back(
        {"DetailEntityStore", {entityRecord(1, 0), entityRecord(2, 0), entityRecord(5, 0)}});
    x.types.push_back(
        {"LandFrameStore", {groupRecord(4, {5}), poxelRecord(3, 1, 1, 1, 3, {1, 2, 3})}});
    x.rootNumber = 4;
    auto table = parseXom(x.build(), XomMode::Map);
    ASSERT_TRUE(table);

    auto opened = decodeMapRoot(*table, CounterMode::Reset);
    ASSERT_TRUE(opened);
    EXPECT_EQ((*opened)->Children[0]->Entities.size(), 3u);

    auto dragged = decodeLibraryObject(*table, 4, true, CounterMode::Keep);
    ASSERT_TRUE(dragged);
    ASSERT_EQ((*dragged)->Entities.size(), 1u);
    EXPECT_EQ((*dragged)->Entities[0]->Name, "Emitter");

    // The filter applies to the entities of a dragged poxel, not to a dragged entity.
    auto bounds = decodeLibraryObject(*table, 0, true, CounterMode::Keep);
    ASSERT_TRUE(bounds);
    EXPECT_TRUE((*bounds)->IsEntity);
    EXPECT_EQ((*bounds)->Name, "Bounds");
    EXPECT_FALSE(IsImportableEntity("SpiritLevel"));
    EXPECT_TRUE(IsImportableEntity("bounds")); // the names are compared exactly
}

TEST(MapDecoding, DisplayListBandsAndCounterRestoreOnFailure) {
    XomBuilder x;
    x.strings = {"Hill", "Root"};
    x.types.push_back({"LandFrameStore", {groupRecord(2, {2}), poxelRecord(1, 1, 1, 1, 3)}});
    auto table = parseXom(x.build(), XomMode::Map);
    ASSERT_TRUE(table);

    auto edited = decodeMapRoot(*table, CounterMode::Reset);
    ASSERT_TRUE(edited);
    EXPECT_EQ((*edited)->ListId, 10000);
    EXPECT_EQ((*edited)->Children[0]->ListId, 10001);

    auto imported = decodeMapRoot(*table, CounterMode::Band, kImportMapCounterBase);
    ASSERT_TRUE(imported);
    EXPECT_EQ((*imported)->ListId, 310000);
    // The edited map's numbering continues after the import.
    EXPECT_EQ(makePoxel()->ListId, 10002);

    // A refused file leaves the counter as it was, whatever the mode.
    XomBuilder bad = x;
    bad.types[0].records[0] = groupRecord(2, {2, 9});
    auto badTable = parseXom(bad.build(), XomMode::Map);
    ASSERT_TRUE(badTable);
    const int32_t before = PoxelCounter();
    EXPECT_FALSE(decodeMapRoot(*badTable, CounterMode::Reset));
    EXPECT_EQ(PoxelCounter(), before);
    EXPECT_FALSE(decodeMapRoot(*badTable, CounterMode::Band, kPreviewCounterBase));
    EXPECT_EQ(PoxelCounter(), before);
}

#include "TreeCompare.h"

#include "core/ByteIO.h"
#include "core/MapGenerator.h"
#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace lw;
using namespace lwtest;

namespace {

std::unique_ptr<TPoxel> reread(const std::vector<uint8_t>& bytes) {
    auto table = parseXom(bytes, XomMode::Map);
    EXPECT_TRUE(table) << table.error().message();
    if (!table)
        return nullptr;
    auto root = decodeMapRoot(*table, CounterMode::Keep);
    EXPECT_TRUE(root) << root.error().message();
    return root ? std::move(*root) : nullptr;
}

std::unique_ptr<TPoxel> roundTrip(const TPoxel& root) {
    auto bytes = encodeMap(root);
    EXPECT_TRUE(bytes) << bytes.error().message();
    return bytes ? reread(*bytes) : nullptr;
}

TPoxel* addRock(TPoxel& parent, TVec3 pos) {
    TPoxel* p = AddChildPoxel(parent, makePoxel(2, 1, 2));
    p->Name = "Rock";
    p->Pos = pos;
    return p;
}

} // namespace

TEST(MapEncoding, IdenticalCopiesShareOneRecord) {
    auto root = newMapRoot();
    addRock(*root, {1, 0, 0});
    addRock(*root, {1, 0, 0});
    addRock(*root, {2, 0, 0}); // differs only in position
    RecordLists lists;
    CollectRecords(*root, lists);
    ASSERT_EQ(lists.land.size(), 3u);
    EXPECT_EQ(ObjectNumber(*root->Children[0], lists), ObjectNumber(*root->Children[1], lists));
    EXPECT_NE(ObjectNumber(*root->Children[0], lists), ObjectNumber(*root->Children[2], lists));

    auto back = roundTrip(*root);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->Children.size(), 3u); // reopening gives separate nodes again
    EXPECT_NE(back->Children[0].get(), back->Children[1].get());
    EXPECT_EQ(firstDifference(*root, *back), "");
}

TEST(MapEncoding, EqualityLooksAtTheWholeSubtreeAndTheLattice) {
    auto root = newMapRoot();
    TPoxel* a = addRock(*root, {});
    TPoxel* b = addRock(*root, {});
    AddChildPoxel(*a, makePoxel())->Name = "Pebble";
    AddChildPoxel(*b, makePoxel())->Name = "Pebble";
    TPoxel* c = addRock(*root, {});
    c->LayerLow[1].X = 0.5f; // only the level offsets differ
    TPoxel* d = addRock(*root, {});
    AddEntity(*d, makePoxel())->IsEntity = true;
    RecordLists lists;
    CollectRecords(*root, lists);
    // Root, the shared rock, its pebble, the sheared rock, the rock with an entity.
    EXPECT_EQ(lists.land.size(), 5u);
    EXPECT_EQ(lists.entities.size(), 1u);
    EXPECT_EQ(FindLandRecord(*a, lists), FindLandRecord(*b, lists));
    EXPECT_NE(FindLandRecord(*a, lists), FindLandRecord(*c, lists));
    // The root comes first, entity records are numbered before land records.
    EXPECT_EQ(ObjectNumber(*root, lists), 2);
    EXPECT_EQ(ObjectNumber(*d->Entities[0], lists), 1);
}

TEST(MapEncoding, NamesDotsAndLetterCase) {
    auto root = newMapRoot();
    addRock(*root, {})->Name = "...";
    addRock(*root, {1, 0, 0})->Name = "Stone";
    addRock(*root, {2, 0, 0})->Name = "STONE";
    StringList strings;
    CollectStrings(*root, strings);
    EXPECT_EQ(strings.sorted, (std::vector<std::string>{"Root", "Stone"}));
    EXPECT_EQ(strings.slot("..."), 0);
    EXPECT_EQ(strings.slot("STONE"), strings.slot("Stone"));
    auto back = roundTrip(*root);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Children[0]->Name, "...");
    EXPECT_EQ(back->Children[2]->Name, "Stone"); // the letters of the one met first
}

TEST(MapEncoding, GroupsAndRootEntitiesSurviveASave) {
    auto root = newMapRoot();
    TPoxel* g = AddChildPoxel(*root, makePoxel());
    g->Name = "Dummy01";
    g->IsGroup = true;
    FillVoxels(*g, 0);
    TPoxel* e = AddEntity(*root, makePoxel());
    e->IsEntity = true;
    e->Name = "Emitter_01";
    e->LibName = "Base_01";
    e->Clip = {1, 2, 3};
    auto back = roundTrip(*root);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->Children[0]->IsGroup);
    EXPECT_TRUE(back->IsGroup);
    ASSERT_EQ(back->Entities.size(), 1u); // not dropped
    EXPECT_EQ(firstDifference(*root, *back), "");
}

TEST(MapEncoding, RotationIsWrittenAsRadians) {
    auto root = newMapRoot();
    addRock(*root, {})->Rot = {0, 90, 0};
    auto bytes = encodeMap(*root);
    ASSERT_TRUE(bytes);
    auto table = parseXom(*bytes, XomMode::Map);
    const StrRec& rock = table->entries[1];
    // Name varint, then 3 floats of position, then the rotation.
    EXPECT_EQ(loadF32(table->bytes() + rock.Data + 4 + 12 + 4), float(M_PI / 2));
}

TEST(MapEncoding, GeneratedMapsRoundTripAndResaveByteForByte) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        auto root = makeGeneratedMap(300, seed);
        // Angles that are not whole numbers of degrees convert with rounding both ways.
        root->Children[0]->Children[0]->Rot = {12.345f, -77.7f, 0.1f};
        auto first = encodeMap(*root);
        ASSERT_TRUE(first);
        auto back = reread(*first);
        ASSERT_TRUE(back);
        EXPECT_EQ(firstDifference(*root, *back), "") << "seed " << seed;
        auto second = encodeMap(*back);
        ASSERT_TRUE(second);
        EXPECT_TRUE(*first == *second) << "seed " << seed;
    }
    auto demo = makeDemoMap();
    auto bytes = encodeMap(*demo);
    auto back = reread(*bytes);
    EXPECT_EQ(*encodeMap(*back), *bytes);
}

TEST(MapEncoding, ValuesTheFormatCannotHoldAreRefusedNamingTheNode) {
    struct Case {
        const char* what;
        void (*change)(TPoxel&);
    };
    const Case cases[] = {
        {"NX 256", [](TPoxel& p) { ResizePoxel(p, 256, 1, 1); }},
        {"NY 255", [](TPoxel& p) { ResizePoxel(p, 1, 255, 1); }},
        {"32768 cells", [](TPoxel& p) { ResizePoxel(p, 128, 16, 16); }},
        {"heights beyond a varint", [](TPoxel& p) { ResizePoxel(p, 255, 1, 200); }},
        {"arrays out of step", [](TPoxel& p) { p.Voxels.pop_back(); }},
        {"CTNR in a value", [](TPoxel& p) { std::memcpy(&p.Pos.X, "CTNR", 4); }},
        {"NUL in a name", [](TPoxel& p) { p.Name = std::string("a\0b", 3); }},
    };
    for (const Case& c : cases) {
        auto root = newMapRoot();
        TPoxel* group = AddChildPoxel(*root, makePoxel());
        group->Name = "Group_01";
        group->IsGroup = true;
        TPoxel* rock = addRock(*group, {});
        c.change(*rock);
        auto bytes = encodeMap(*root);
        ASSERT_FALSE(bytes) << c.what;
        EXPECT_EQ(bytes.error().text, "Cannot save map") << c.what;
        EXPECT_NE(bytes.error().detail.find("Root/Group_01/"), std::string::npos)
            << c.what << ": " << bytes.error().detail;
    }
    // The largest poxel the format holds is accepted.
    auto root = newMapRoot();
    ResizePoxel(*addRock(*root, {}), 127, 2, 127);
    EXPECT_TRUE(encodeMap(*root));
}

TEST(MapEncoding, TooManyChildrenForAReferenceListAreRefused) {
    auto root = newMapRoot();
    for (int i = 0; i < 32768; ++i)
        AddChildPoxel(*root, makePoxel())->Pos = {float(i), 0, 0};
    auto bytes = encodeMap(*root);
    ASSERT_FALSE(bytes);
    EXPECT_NE(bytes.error().detail.find("32767"), std::string::npos);
}

TEST(MapEncoding, SavingIsAtomic) {
    TempDir dir;
    const std::string file = (dir / "map.xom").string();
    auto root = makeDemoMap();
    ASSERT_TRUE(WriteMapFile(*root, file));
    const auto good = readBytes(file);

    // A refused save leaves the previous file as it was.
    ResizePoxel(*root->Children[0]->Children[0], 300, 1, 1);
    EXPECT_FALSE(WriteMapFile(*root, file));
    EXPECT_EQ(readBytes(file), good);

    // A save into a folder that does not exist fails and writes nothing.
    auto empty = newMapRoot();
    auto st = WriteMapFile(*empty, (dir / "missing" / "map.xom").string());
    ASSERT_FALSE(st);
    EXPECT_NE(st.error().detail.find("missing"), std::string::npos);

    // No temporary files are left behind.
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

#include "XomBuilder.h"

#include "core/MapGenerator.h"
#include "core/MapWriter.h"
#include "core/Xom.h"

#include <gtest/gtest.h>

#include <map>

using namespace lw;
using namespace lwtest;

namespace {

std::vector<uint8_t> varintBytes(int v) {
    std::vector<uint8_t> out;
    WriteVarInt(v, out);
    return out;
}

struct ListingSink : ItemSink {
    struct Item {
        TreeItem parent;
        std::string text;
        int image;
        int object;
    };
    std::vector<Item> items;
    TreeItem addItem(TreeItem parent, const std::string& text, int image, TPoxel*,
                     int object) override {
        items.push_back({parent, text, image, object});
        return reinterpret_cast<TreeItem>(items.size());
    }
    void updateItem(TreeItem, const std::string&, int, TPoxel*) override {}
};

} // namespace

TEST(Varint, EncodesOneAndTwoByteForms) {
    EXPECT_EQ(varintBytes(127), (std::vector<uint8_t>{0x7F}));
    EXPECT_EQ(varintBytes(128), (std::vector<uint8_t>{0x80, 0x01}));
    EXPECT_EQ(varintBytes(300), (std::vector<uint8_t>{0xAC, 0x02}));
    EXPECT_EQ(varintBytes(32767), (std::vector<uint8_t>{0xFF, 0xFF}));
    for (int v : {0, 1, 127, 128, 255, 300, 16384, 32767}) {
        auto b = varintBytes(v);
        VarInt r;
        ASSERT_TRUE(ReadVarInt(b.data(), b.size(), 0, r));
        EXPECT_EQ(r.value, v);
        EXPECT_EQ(r.length, int(b.size()));
    }
    // A two-byte form cut after its first byte is not read.
    const uint8_t cut[] = {0x80};
    VarInt r;
    EXPECT_FALSE(ReadVarInt(cut, 1, 0, r));
}

TEST(XomContainer, MapWithoutEntitiesHasOneTypeAndStringsAt144) {
    auto root = newMapRoot();
    auto bytes = encodeMap(*root);
    ASSERT_TRUE(bytes);
    const auto& b = *bytes;
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "MOIK");
    EXPECT_EQ(b[7], 1);
    EXPECT_EQ(loadU32(&b[24]), 1u);
    EXPECT_EQ(loadU32(&b[28]), 1u);
    EXPECT_EQ(loadU32(&b[32]), 1u);
    EXPECT_EQ(std::string(b.begin() + 144, b.begin() + 148), "STRS");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[96])), "LandFrameStore");
}

TEST(XomContainer, AcceptsTheLayoutVariantsOfOtherWriters) {
    XomBuilder x;
    x.strings = {"Hill", "Root", "Tree", "Tree_lib"};
    x.schemaSize = 32;
    // Land type first, entity type after it, and an unknown type at the end; the root is the
    // second land record.
    x.types.push_back({"LandFrameStore", {poxelRecord(1, 2, 1, 1, 3, {3}), groupRecord(2, {1})}});
    x.types.push_back({"DetailEntityStore", {entityRecord(3, 4, 5.0f)}});
    x.types.push_back({"SomethingElse", {RecordBytes(0).zeros(20).b}});
    x.rootNumber = 2;
    auto table = parseXom(x.build(), XomMode::Map);
    ASSERT_TRUE(table) << table.error().message();
    EXPECT_EQ(table->rootIndex, 1);
    EXPECT_EQ(table->entries[2].Name, "Tree");
    EXPECT_EQ(table->entries[2].LibName, "Tree_lib");
    EXPECT_FALSE(table->entries[3].HasData);
    EXPECT_EQ(table->firstLand, 0);
}

TEST(XomContainer, NameSlotsResolveToDotsAndOut) {
    XomBuilder x;
    x.strings = {"Root"};
    x.types.push_back(
        {"LandFrameStore", {groupRecord(1, {2, 3}), groupRecord(0, {}), groupRecord(9, {})}});
    auto table = parseXom(x.build(), XomMode::Map);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->entries[1].Name, "...");
    EXPECT_EQ(table->entries[2].Name, "[OUT]");
    // The last record runs to the end of the file.
    EXPECT_EQ(table->entries[2].tagOffset() + table->entries[2].Size, table->size());
}

TEST(XomContainer, BundlesAreNotMapsAndMapsAreNotLibraries) {
    auto bundle = parseXom(sampleLibrary().build(), XomMode::Map);
    ASSERT_FALSE(bundle);
    EXPECT_EQ(bundle.error().text, "Bad Xom Format File!");
    EXPECT_NE(bundle.error().detail.find("texture bundle"), std::string::npos);

    auto map = encodeMap(*newMapRoot());
    auto asLibrary = parseXom(*map, XomMode::Library);
    ASSERT_FALSE(asLibrary);
    EXPECT_EQ(asLibrary.error().text, "Bad library Xom File!");
}

TEST(XomContainer, LibraryListingNestsChildrenAndSortsTheTop) {
    auto table = parseXom(sampleLibrary().build(), XomMode::Library);
    ASSERT_TRUE(table) << table.error().message();
    auto listing = buildLibraryListing(*table);
    ASSERT_TRUE(listing) << listing.error().message();
    ASSERT_EQ(listing->size(), 2u); // "child" is below "zeta", not at the top
    EXPECT_EQ((*listing)[0].name, "Alpha");
    EXPECT_EQ((*listing)[0].image, ImageEntity); // a group record
    const LibraryEntry& zeta = (*listing)[1];
    EXPECT_EQ(zeta.name, "zeta");
    EXPECT_EQ(zeta.image, ImagePoxel);
    ASSERT_EQ(zeta.children.size(), 2u);
    EXPECT_EQ(zeta.children[0].name, "Bounds");
    EXPECT_EQ(zeta.children[0].image, ImageEntity);
    EXPECT_EQ(zeta.children[1].name, "child");
    EXPECT_EQ(zeta.children[1].image, ImageGroup); // one empty cell

    ListingSink sink;
    emitLibraryListing(*listing, *table, sink);
    ASSERT_EQ(sink.items.size(), 4u);
    EXPECT_EQ(sink.items[2].text, "Bounds");
    EXPECT_EQ(sink.items[2].parent, reinterpret_cast<TreeItem>(2));
    EXPECT_EQ(table->entries[3].ListNode, reinterpret_cast<TreeItem>(4));
}

TEST(XomContainer, WrittenStringsReadBackInTheirSlots) {
    auto root = makeDemoMap();
    auto bytes = encodeMap(*root);
    ASSERT_TRUE(bytes);
    auto table = parseXom(*bytes, XomMode::Map);
    ASSERT_TRUE(table);
    StringList strings;
    CollectStrings(*root, strings);
    EXPECT_EQ(table->strings, strings.sorted);
    EXPECT_TRUE(std::is_sorted(table->strings.begin(), table->strings.end()));
}

TEST(XomContainer, ReadXomFileReportsLikeTheEditorExpects) {
    Error error;
    TStrArr objects;
    objects.rootIndex = 77;
    EXPECT_EQ(ReadXomFile("/nonexistent/map.xom", nullptr, true, objects, &error), -2);
    EXPECT_NE(error.detail.find("/nonexistent/map.xom"), std::string::npos);
    EXPECT_EQ(objects.rootIndex, 77); // untouched on failure
}

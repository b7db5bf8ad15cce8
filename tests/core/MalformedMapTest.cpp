// Files that are cut off, corrupted or hostile must be refused with a clear message; nothing
// may be read outside the file, and nothing may recurse or loop without bound.

#include "XomBuilder.h"

#include "core/MapGenerator.h"
#include "core/MapReader.h"
#include "core/MapWriter.h"

#include <gtest/gtest.h>

using namespace lw;
using namespace lwtest;

namespace {

// Reads `bytes` as a map (and as a library) the way the editor does.
Result<std::unique_ptr<TPoxel>> open(const std::vector<uint8_t>& bytes) {
    auto asLibrary = parseXom(bytes, XomMode::Library);
    if (asLibrary)
        (void)buildLibraryListing(*asLibrary);
    auto table = parseXom(bytes, XomMode::Map);
    if (!table)
        return table.error();
    return decodeMapRoot(*table, CounterMode::Keep);
}

void expectRefused(const std::vector<uint8_t>& bytes, const std::string& detailPart,
                   const char* what) {
    auto r = open(bytes);
    ASSERT_FALSE(r) << what;
    EXPECT_EQ(r.error().text, "Bad Xom Format File!") << what;
    EXPECT_NE(r.error().detail.find(detailPart), std::string::npos)
        << what << ": " << r.error().detail;
}

XomBuilder smallMap() {
    XomBuilder x;
    x.strings = {"Bounds", "Hill", "Root"};
    x.types.push_back({"DetailEntityStore", {entityRecord(1, 1)}});
    x.types.push_back({"LandFrameStore", {groupRecord(3, {3}), poxelRecord(2, 2, 1, 2, 3, {1})}});
    x.rootNumber = 2;
    return x;
}

} // namespace

TEST(MalformedMaps, EveryTruncationIsRefusedOrHarmless) {
    const auto bytes = *encodeMap(*makeDemoMap());
    ASSERT_TRUE(open(bytes));
    // Only the 21-byte trailer of the last record is never read.
    const size_t needed = bytes.size() - 21;
    for (size_t len = 0; len < bytes.size(); ++len) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(len));
        auto r = open(cut);
        if (len < needed)
            ASSERT_FALSE(r) << "cut at " << len;
        else
            ASSERT_TRUE(r) << "cut at " << len << ": " << r.error().message();
    }
}

TEST(MalformedMaps, FlippedBytesNeverCrash) {
    const auto bytes = *encodeMap(*makeDemoMap());
    size_t accepted = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        for (uint8_t mask : {uint8_t(0x01), uint8_t(0x80), uint8_t(0xFF)}) {
            auto copy = bytes;
            copy[i] ^= mask;
            auto r = open(copy);
            if (r) {
                ++accepted;
                // Whatever was accepted can be saved, or is refused with a reason.
                auto again = encodeMap(**r);
                if (!again) {
                    EXPECT_FALSE(again.error().detail.empty());
                }
            }
        }
    }
    EXPECT_GT(accepted, 0u); // flips inside floats are valid maps
}

TEST(MalformedMaps, InconsistentHeadersAndTables) {
    {
        XomBuilder x = smallMap();
        x.objectCountOverride = 1;
        expectRefused(x.build(), "objects", "type counts beyond the object count");
    }
    {
        XomBuilder x = smallMap();
        x.rootNumber = 0;
        expectRefused(x.build(), "root object 0", "root 0");
        x.rootNumber = 9;
        expectRefused(x.build(), "root object 9", "root beyond the count");
        x.rootNumber = 1;
        expectRefused(x.build(), "not a land record", "root is an entity");
    }
    {
        auto b = smallMap().build();
        lw::storeU32(b, 24, 0xFFFF);
        expectRefused(b, "type records", "huge type count");
    }
    {
        XomBuilder x = smallMap();
        x.types.erase(x.types.begin() + 1);
        expectRefused(x.build(), "no LandFrameStore", "no land type");
    }
    {
        auto b = smallMap().build();
        // The string table follows the two type records and the 16-byte schema.
        const size_t strs = 64 + 2 * 64 + 16;
        lw::storeU32(b, strs + 4, 0xFFFF);
        expectRefused(b, "string table", "huge slot count");
        b = smallMap().build();
        lw::storeU32(b, strs + 16, 0x7FFF); // slot 1 points far outside the pool
        expectRefused(b, "string slot 1", "slot offset outside the pool");
    }
    {
        XomBuilder x;
        x.types.push_back({"XGraphSet", {RecordBytes(0).b}});
        x.types.push_back({"LandFrameStore", {groupRecord(0, {})}});
        expectRefused(x.build(), "texture bundle", "bundle opened as a map");
    }
}

TEST(MalformedMaps, BadRecordsAndReferences) {
    auto withLand = [](std::vector<std::vector<uint8_t>> land) {
        XomBuilder x = smallMap();
        x.types[1].records = std::move(land);
        return x.build();
    };
    expectRefused(withLand({groupRecord(3, {7})}), "does not exist", "missing child");
    expectRefused(withLand({groupRecord(3, {1})}), "not a land record", "entity as a child");
    expectRefused(withLand({groupRecord(3, {3}), poxelRecord(2, 1, 1, 1, 3, {3})}),
                  "not an entity record", "land record as an entity");
    expectRefused(withLand({groupRecord(3, {2})}), "ancestor", "root refers to itself");
    expectRefused(withLand({groupRecord(3, {3}), poxelRecord(2, 1, 1, 1, 3, {}, {2})}), "ancestor",
                  "child refers to its parent");
    expectRefused(withLand({groupRecord(3, {3}), poxelRecord(2, 0, 1, 1, 3)}), "dimensions",
                  "zero dimension");

    auto patched = [&](size_t fieldFromName, uint8_t value) {
        auto rec = poxelRecord(2, 2, 1, 2, 3);
        rec[8 + fieldFromName] = value;
        return withLand({groupRecord(3, {3}), rec});
    };
    // Field offsets after the one-byte name: HighCount at 112, LowCount at 129, NX at 146.
    expectRefused(patched(147, 3), "level tables", "NY beyond the level tables");
    expectRefused(patched(112, 250), "", "HighCount past the record");
    expectRefused(patched(149, 5), "heights", "height count that disagrees");
    // Cell count: after NX, NY, NZ, the height varint, 9 heights and three words.
    expectRefused(patched(149 + 1 + 36 + 12, 7), "cells", "cell count that disagrees");

    // A group record too short to reach its child list.
    RecordBytes shortGroup(3);
    shortGroup.zeros(120);
    expectRefused(withLand({shortGroup.b}), "too short", "short group record");
}

TEST(MalformedMaps, DeepAndExplosiveStructuresAreBounded) {
    auto chain = [](int depth) {
        XomBuilder x;
        x.strings = {"Link"};
        std::vector<std::vector<uint8_t>> recs;
        for (int i = 0; i < depth; ++i)
            recs.push_back(i + 1 < depth ? groupRecord(1, {i + 2}) : groupRecord(1, {}));
        x.types.push_back({"LandFrameStore", recs});
        return x.build();
    };
    EXPECT_TRUE(open(chain(900)));
    expectRefused(chain(1500), "nested", "a chain deeper than the limit");

    // Forty records, each referring twice to the next: 2^40 nodes from a small file.
    expectRefused(doublingMap(39, 1, 1), "more than", "exponential sharing");

    // 65,535 string slots pointing at one string of 65,000 bytes: 130 KB that would expand to
    // 4 GB of names.
    std::vector<uint8_t> strings =
        XomBuilder{{{"LandFrameStore", {groupRecord(1, {})}}}, {}}.build();
    const size_t table = 64 + 64 + 16;
    std::vector<uint8_t> slots{'S', 'T', 'R', 'S'};
    appendU32(slots, 65535);
    appendU32(slots, 65002);
    appendU32(slots, 0);
    for (int k = 1; k < 65535; ++k)
        appendU32(slots, 1);
    slots.push_back(0);
    slots.insert(slots.end(), 65000, 'x');
    slots.push_back(0);
    strings.erase(strings.begin() + std::ptrdiff_t(table),
                  strings.begin() + std::ptrdiff_t(table + 17));
    strings.insert(strings.begin() + std::ptrdiff_t(table), slots.begin(), slots.end());
    expectRefused(strings, "string table expand to more than 16 MiB", "a string table of 4 GB");
}

// Shared records let a small file describe a large map; the editor writes such files when it
// saves copies. The limits count what the map holds: a map within them is read whatever the
// size of its file, and the writer refuses exactly what the reader would.
TEST(MapLimits, ASmallFileSharingItsRecordsIsReadWhenTheMapIsWithinTheLimits) {
    // Sixteen groups, each referring twice to the next: 131,071 nodes from a 3 KB file.
    const auto bytes = doublingMap(16, 1, 1);
    ASSERT_LT(bytes.size(), 4096u);
    auto root = open(bytes);
    ASSERT_TRUE(root) << root.error().message();
    auto saved = encodeMap(**root);
    ASSERT_TRUE(saved) << saved.error().message();
    EXPECT_TRUE(open(*saved));
}

TEST(MapLimits, TheWriterRefusesExactlyWhatTheReaderWould) {
    const auto root = makeDemoMap();
    // A long name counts on both sides.
    root->Children[0]->Name = std::string(5000, 'n');
    const auto bytes = *encodeMap(*root);
    auto reads = [&](const MapLimits& limits) {
        auto table = parseXom(bytes, XomMode::Map);
        return table && decodeMapRoot(*table, CounterMode::Keep, 0, limits).ok();
    };
    struct Case {
        const char* limit;
        size_t MapLimits::*field;
        const char* says;
    };
    for (const Case& c :
         {Case{"nodes", &MapLimits::nodes, "nodes"}, Case{"cells", &MapLimits::cells, "cells"},
          Case{"bytes", &MapLimits::bytes, "MiB in memory"}}) {
        SCOPED_TRACE(c.limit);
        // The smallest limit the reader takes the file with.
        size_t low = 0, high = MapLimits{}.*c.field;
        while (low + 1 < high) {
            const size_t mid = low + (high - low) / 2;
            MapLimits limits;
            limits.*c.field = mid;
            (reads(limits) ? high : low) = mid;
        }
        MapLimits fits, over;
        fits.*c.field = high;
        over.*c.field = high - 1;
        EXPECT_TRUE(encodeMap(*root, fits));
        auto refused = encodeMap(*root, over);
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error().text, "Cannot save map");
        EXPECT_NE(refused.error().detail.find(c.says), std::string::npos) << refused.error().detail;
    }
}

TEST(MalformedMaps, RecordsTooShortForTheirNameAreRefused) {
    // A record of nothing but its tag, directly followed by the next tag ("CTNRCTNR..."): the
    // readers start at the name three bytes after the tag, beyond such a record.
    const std::vector<uint8_t> tagOnly = {'C', 'T', 'N', 'R'};
    for (const char* store : {"LandFrameStore", "DetailEntityStore"}) {
        SCOPED_TRACE(store);
        XomBuilder x;
        x.strings = {"Root"};
        if (std::string(store) == "DetailEntityStore")
            x.types.push_back({"DetailEntityStore", {tagOnly}});
        x.types.push_back({"LandFrameStore", {groupRecord(1, {})}});
        if (std::string(store) == "LandFrameStore")
            x.types.back().records.insert(x.types.back().records.begin(), tagOnly);
        x.rootNumber = std::string(store) == "LandFrameStore" ? 1 : 2;
        const auto bytes = x.build();
        auto r = open(bytes);
        ASSERT_FALSE(r);
        EXPECT_NE(r.error().detail.find("4 bytes long"), std::string::npos) << r.error().detail;
        // The offset named lies inside the file.
        const size_t offset = std::stoul(r.error().detail.substr(std::string("offset ").size()));
        EXPECT_LT(offset, bytes.size());
    }
}

TEST(ByteReaderWindow, AWindowBeginningPastItsEndIsEmpty) {
    const std::vector<uint8_t> bytes(16, 0x7F);
    ByteReader r(bytes.data(), 10, 6);
    EXPECT_EQ(r.pos(), 6u);
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_FALSE(r.has(1));
    uint8_t b = 0;
    int32_t v = 0;
    float f = 0;
    EXPECT_FALSE(r.u8(b));
    EXPECT_FALSE(r.varint(v));
    EXPECT_FALSE(r.f32(f));
    EXPECT_FALSE(r.skip(1));
    EXPECT_TRUE(r.skip(0));
    // An ordinary window stops at its end too.
    ByteReader w(bytes.data(), 14, 16);
    uint32_t u = 0;
    EXPECT_FALSE(w.u32(u));
    EXPECT_EQ(w.pos(), 14u);
    EXPECT_TRUE(w.u8(b) && w.u8(b));
    EXPECT_FALSE(w.u8(b));
}

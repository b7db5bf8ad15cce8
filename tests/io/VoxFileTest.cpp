// .vox blocks: byte order, code mapping, palette and the refusals that leave cells alone.

#include "io/VoxFile.h"

#include "core/ByteIO.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace lw;
using namespace lwtest;

namespace {

std::unique_ptr<TPoxel> block() {
    auto p = makePoxel(2, 3, 4);
    p->Name = "Block";
    return p;
}

} // namespace

TEST(VoxFile, LayoutOfATwoByThreeByFourBlock) {
    auto p = block();
    FillVoxels(*p, 0);
    p->Voxels[p->cellIndex(1, 2, 3)] = 4 * 7 + 3;
    p->Voxels[p->cellIndex(0, 1, 0)] = 0x00FF0203u; // corner flags and second code stay out
    const auto bytes = encodeVox(*p);
    ASSERT_EQ(bytes.size(), 804u);
    EXPECT_EQ(loadU32(&bytes[0]), 2u);
    EXPECT_EQ(loadU32(&bytes[4]), 3u);
    EXPECT_EQ(loadU32(&bytes[8]), 4u);
    // Byte x·Y·Z + y·Z + z: x outermost, z innermost.
    EXPECT_EQ(bytes[12 + 1 * 12 + 2 * 4 + 3], 7);
    EXPECT_EQ(bytes[12 + 0 * 12 + 1 * 4 + 0], 0);
    EXPECT_EQ(bytes[12], 255);
    // Palette: greys 125 down to 61 for entries 0..64, white after.
    const size_t palette = 12 + 24;
    EXPECT_EQ(bytes[palette], 125);
    EXPECT_EQ(bytes[palette + 64 * 3 + 2], 61);
    EXPECT_EQ(bytes[palette + 65 * 3], 255);
    EXPECT_EQ(bytes.back(), 255);
    EXPECT_EQ(voxFileName(*p), "Block_2x3x4.vox");
}

TEST(VoxFile, CodesMapToBoxesAndBack) {
    auto p = makePoxel(8, 1, 1);
    const uint32_t codes[8] = {0, 1, 2, 3, 4, 7, 254, 255};
    for (int x = 0; x < 8; ++x)
        p->Voxels[p->cellIndex(x, 0, 0)] = 0xABCD00u | codes[x];
    const auto bytes = encodeVox(*p);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 12, bytes.begin() + 20),
              (std::vector<uint8_t>{255, 255, 255, 0, 0, 1, 62, 63}));

    ASSERT_TRUE(decodeVoxInto(*p, bytes).ok());
    // Codes of the form 4n - 1 come back; others snap to the box below, 1 and 2 to empty;
    // bits 8-31 are untouched.
    const uint32_t back[8] = {0, 0, 0, 3, 3, 7, 251, 255};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(p->Voxels[p->cellIndex(x, 0, 0)], 0xABCD00u | back[x]) << x;
}

TEST(VoxFile, HighBytesImportModulo256) {
    auto p = makePoxel(3, 1, 1);
    auto bytes = encodeVox(*p);
    bytes[12] = 64;
    bytes[13] = 100;
    bytes[14] = 254;
    ASSERT_TRUE(decodeVoxInto(*p, bytes).ok());
    EXPECT_EQ(p->Voxels[0], 3u);   // 259 mod 256
    EXPECT_EQ(p->Voxels[1], 147u); // 403 mod 256
    EXPECT_EQ(p->Voxels[2], 251u); // 1019 mod 256
}

TEST(VoxFile, OtherSizesAreRefusedNamingAllThreePairs) {
    auto p = block();
    auto other = makePoxel(2, 3, 5);
    FillVoxels(*other, 11);
    const auto before = p->Voxels;
    auto st = decodeVoxInto(*p, encodeVox(*other));
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().text, "Bad Size (X:2=2, Y:3=3, Z:5=4)");
    EXPECT_EQ(p->Voxels, before);
}

TEST(VoxFile, ShortFilesChangeNoCell) {
    auto p = block();
    auto source = block();
    FillVoxels(*source, 11);
    const auto before = p->Voxels;
    auto bytes = encodeVox(*source);

    // The palette is never read, so a file ending after its cells is complete enough.
    std::vector<uint8_t> cellsOnly(bytes.begin(), bytes.begin() + 12 + 24);
    auto copy = block();
    ASSERT_TRUE(decodeVoxInto(*copy, cellsOnly).ok());
    EXPECT_EQ(copy->Voxels, source->Voxels);

    for (size_t size : {size_t(0), size_t(11), size_t(12), size_t(12 + 23)}) {
        auto st =
            decodeVoxInto(*p, std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(size)));
        EXPECT_FALSE(st.ok()) << size;
        EXPECT_EQ(p->Voxels, before) << size;
    }
}

TEST(VoxFile, FilesOnDisk) {
    TempDir dir;
    auto p = block();
    FillVoxels(*p, 19);
    const std::string name = (dir / voxFileName(*p)).string();
    ASSERT_TRUE(writeVoxFile(*p, name).ok());
    EXPECT_EQ(readBytes(name).size(), 804u);

    auto target = block();
    ASSERT_TRUE(readVoxFile(*target, name).ok());
    EXPECT_EQ(target->Voxels, p->Voxels);

    auto missing = readVoxFile(*target, (dir / "none.vox").string());
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().text, "Bad File Name");
    EXPECT_FALSE(writeVoxFile(*p, (dir / "no" / "x.vox").string()).ok());
}

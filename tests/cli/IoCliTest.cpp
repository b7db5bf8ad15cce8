// landwright-cli hmp, heights and vox as a user runs them.

#include "core/ByteIO.h"
#include "core/MapReader.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace lwtest;

namespace {

std::string image(const char* name) {
    return shellQuoted(std::string(LW_SHARED_TESTDATA_DIR) + "/images/" + name);
}

void writeHmp(const std::filesystem::path& file, float height, size_t size) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 100 * 100; ++i)
        lw::appendF32(bytes, height);
    bytes.resize(size, 0);
    writeBytes(file, bytes);
}

std::unique_ptr<lw::TPoxel> readMap(const std::filesystem::path& file) {
    auto root = lw::readMapFile(file.string());
    EXPECT_TRUE(root.ok()) << root.error().message();
    return root.ok() ? std::move(*root) : nullptr;
}

} // namespace

TEST(IoCli, HmpTerrainIntoANewOrAnExistingMap) {
    TempDir dir;
    writeHmp(dir / "land.hmp", 1.0f, 50000);
    auto made =
        runCli("hmp terrain " + shellQuoted(dir / "land.hmp") + " new " + shellQuoted(dir / "new.xom"));
    ASSERT_EQ(made.exitCode, 0) << made.err;
    auto root = readMap(dir / "new.xom");
    ASSERT_TRUE(root);
    ASSERT_EQ(root->Children.size(), 1u);
    EXPECT_EQ(root->Children[0]->Name, "HMapDummy");
    EXPECT_EQ(root->Children[0]->Children.size(), 32u);
    EXPECT_EQ(root->Children[0]->Children[31]->Name, "HMapP_clip_04_04");

    ASSERT_EQ(runCli("demo " + shellQuoted(dir / "demo.xom")).exitCode, 0);
    ASSERT_EQ(runCli("hmp terrain " + shellQuoted(dir / "land.hmp") + " " + shellQuoted(dir / "demo.xom") +
                     " " + shellQuoted(dir / "more.xom"))
                  .exitCode,
              0);
    auto more = readMap(dir / "more.xom");
    ASSERT_TRUE(more);
    EXPECT_EQ(more->Children.back()->Name, "HMapDummy");
    EXPECT_GT(more->Children.size(), 1u);
}

TEST(IoCli, HmpRefusalsWriteNothing) {
    TempDir dir;
    writeHmp(dir / "short.hmp", 1.0f, 39999);
    auto r = runCli("hmp terrain " + shellQuoted(dir / "short.hmp") + " new " + shellQuoted(dir / "out.xom"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("39999"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.xom"));

    auto depth =
        runCli("hmp from-map " + shellQuoted(dir / "m.xom") + " " + shellQuoted(dir / "o.hmp") + " --node 1");
    EXPECT_EQ(depth.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "o.hmp"));
    EXPECT_EQ(runCli("hmp carve a b c").exitCode, 2);
    EXPECT_EQ(runCli("hmp terrain a b").exitCode, 2);
}

TEST(IoCli, HeightsImportAndExport) {
    TempDir dir;
    ASSERT_EQ(runCli("demo " + shellQuoted(dir / "demo.xom")).exitCode, 0);
    // Node 2 is the demo's "Ground", 12 x 3 x 10.
    auto imported =
        runCli("heights import " + shellQuoted(dir / "demo.xom") + " " + shellQuoted(dir / "h.xom") +
               " --node 2 --image " + image("testimgp_progressive.jpg") +
               " --min -1 --max 2.5 --contrast 5 --invert");
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    auto root = readMap(dir / "h.xom");
    ASSERT_TRUE(root);
    const lw::TPoxel& ground = *root->Children[0]->Children[0];
    ASSERT_EQ(ground.Name, "Ground");
    float lo = 99.0f, hi = -99.0f;
    for (const auto& column : ground.Heights)
        for (float v : column) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    EXPECT_GE(lo, -1.0f);
    EXPECT_LE(hi, 2.5f);
    EXPECT_LT(lo, hi);

    auto exported =
        runCli("heights export " + shellQuoted(dir / "h.xom") + " --node 2 " + shellQuoted(dir / "h"));
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_NE(exported.out.find("h.bmp"), std::string::npos);
    const auto bmp = readBytes(dir / "h.bmp");
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(lw::loadU32(&bmp[18]), 335u);
}

TEST(IoCli, HeightsRefusals) {
    TempDir dir;
    ASSERT_EQ(runCli("demo " + shellQuoted(dir / "demo.xom")).exitCode, 0);
    const std::string in = shellQuoted(dir / "demo.xom") + " " + shellQuoted(dir / "o.xom");
    EXPECT_EQ(runCli("heights import " + in + " --image x.jpg --min 0 --max 1").exitCode, 2);
    EXPECT_EQ(runCli("heights import " + in + " --node 2 --min 0 --max 1").exitCode, 2);
    EXPECT_EQ(runCli("heights import " + in + " --node 2 --image " + image("camera_3x3_gray8.bmp") +
                     " --min low --max 1")
                  .exitCode,
              1);
    auto group = runCli("heights import " + in + " --node 1 --image " +
                        image("camera_3x3_gray8.bmp") + " --min 0 --max 1");
    EXPECT_EQ(group.exitCode, 1);
    EXPECT_NE(group.err.find("Not a poxel"), std::string::npos);
    writeBytes(dir / "bad.jpg", std::vector<uint8_t>(300, 0xFF));
    auto bad = runCli("heights import " + in + " --node 2 --image " + shellQuoted(dir / "bad.jpg") +
                      " --min 0 --max 1");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "o.xom"));
}

TEST(IoCli, VoxExportImportRoundTripAndSizeCheck) {
    TempDir dir;
    ASSERT_EQ(runCli("demo " + shellQuoted(dir / "demo.xom")).exitCode, 0);
    ASSERT_EQ(
        runCli("vox export " + shellQuoted(dir / "demo.xom") + " --node 2 " + shellQuoted(dir / "g.vox"))
            .exitCode,
        0);
    EXPECT_EQ(readBytes(dir / "g.vox").size(), 12u + 12 * 3 * 10 + 768);

    ASSERT_EQ(runCli("vox import " + shellQuoted(dir / "demo.xom") + " --node 2 " +
                     shellQuoted(dir / "g.vox") + " " + shellQuoted(dir / "back.xom"))
                  .exitCode,
              0);
    auto before = readMap(dir / "demo.xom");
    auto after = readMap(dir / "back.xom");
    ASSERT_TRUE(before && after);
    EXPECT_EQ(after->Children[0]->Children[0]->Voxels, before->Children[0]->Children[0]->Voxels);

    // Node 5 is the 2 x 6 x 2 "Tower".
    auto wrong = runCli("vox import " + shellQuoted(dir / "demo.xom") + " --node 5 " +
                        shellQuoted(dir / "g.vox") + " " + shellQuoted(dir / "wrong.xom"));
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.err.find("Bad Size (X:12=2, Y:3=6, Z:10=2)"), std::string::npos) << wrong.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "wrong.xom"));

    auto missing = runCli("vox import " + shellQuoted(dir / "demo.xom") + " --node 2 " +
                          shellQuoted(dir / "none.vox") + " " + shellQuoted(dir / "x.xom"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("Bad File Name"), std::string::npos);
    EXPECT_EQ(
        runCli("vox export " + shellQuoted(dir / "demo.xom") + " " + shellQuoted(dir / "g.vox")).exitCode, 2);
    EXPECT_EQ(runCli("vox paint " + shellQuoted(dir / "demo.xom") + " a b").exitCode, 2);
}

TEST(IoCli, HmpFromMapRendersTheDepthOfANode) {
    TempDir dir;
    ASSERT_EQ(runCli("demo " + shellQuoted(dir / "demo.xom")).exitCode, 0);
    auto whole =
        runCli("hmp from-map " + shellQuoted(dir / "demo.xom") + " " + shellQuoted(dir / "all"));
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    EXPECT_NE(whole.out.find("all.hmp"), std::string::npos);
    const auto all = readBytes(dir / "all.hmp");
    ASSERT_EQ(all.size(), 50000u);
    // Node 2 is the demo's "Ground": drawn alone, it covers less than the whole map.
    auto ground = runCli("hmp from-map " + shellQuoted(dir / "demo.xom") + " " +
                         shellQuoted(dir / "ground.hmp") + " --node 2");
    ASSERT_EQ(ground.exitCode, 0) << ground.err;
    const auto one = readBytes(dir / "ground.hmp");
    ASSERT_EQ(one.size(), 50000u);
    int drawnAll = 0, drawnOne = 0;
    for (size_t i = 0; i < 100 * 100; ++i) {
        drawnAll += lw::loadF32(&all[4 * i]) > 0;
        drawnOne += lw::loadF32(&one[4 * i]) > 0;
        EXPECT_EQ(all[40000 + i], 0); // the mask is black
    }
    EXPECT_GT(drawnOne, 0);
    EXPECT_GE(drawnAll, drawnOne);

    auto far = runCli("hmp from-map " + shellQuoted(dir / "demo.xom") + " " +
                      shellQuoted(dir / "x.hmp") + " --node 9999");
    EXPECT_EQ(far.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.hmp"));
}

// landwright-cli hmp, heights and vox as a user runs them.

#include "CliRun.h"

#include "core/ByteIO.h"
#include "core/MapReader.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace lwtest;
using IoCli = DemoCli;

namespace {

std::string image(const char* name) {
    return shellQuoted(sharedFile(std::string("images/") + name));
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

TEST_F(IoCli, HmpTerrainIntoANewOrAnExistingMap) {
    writeHmp(dir_ / "land.hmp", 1.0f, 50000);
    auto made = cli({"hmp terrain", dir_ / "land.hmp", "new", dir_ / "new.xom"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    auto root = readMap(dir_ / "new.xom");
    ASSERT_TRUE(root);
    ASSERT_EQ(root->Children.size(), 1u);
    EXPECT_EQ(root->Children[0]->Name, "HMapDummy");
    EXPECT_EQ(root->Children[0]->Children.size(), 32u);

    ASSERT_EQ(cli({"hmp terrain", dir_ / "land.hmp", demo_, dir_ / "more.xom"}).exitCode, 0);
    auto more = readMap(dir_ / "more.xom");
    ASSERT_TRUE(more);
    EXPECT_EQ(more->Children.back()->Name, "HMapDummy");
    EXPECT_GT(more->Children.size(), 1u);
}

TEST_F(IoCli, HmpRefusalsWriteNothing) {
    writeHmp(dir_ / "short.hmp", 1.0f, 39999);
    auto r = cli({"hmp terrain", dir_ / "short.hmp", "new", dir_ / "out.xom"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("39999"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.xom"));

    EXPECT_EQ(cli({"hmp from-map", dir_ / "m.xom", dir_ / "o.hmp", "--node 1"}).exitCode, 1);
    auto far = cli({"hmp from-map", demo_, dir_ / "o.hmp", "--node 9999"});
    EXPECT_EQ(far.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "o.hmp"));
    EXPECT_EQ(runCli("hmp carve a b c").exitCode, 2);
    EXPECT_EQ(runCli("hmp terrain a b").exitCode, 2);
}

TEST_F(IoCli, HmpFromMapRendersTheDepthOfANode) {
    auto whole = cli({"hmp from-map", demo_, dir_ / "all"});
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    EXPECT_NE(whole.out.find("all.hmp"), std::string::npos);
    const auto all = readBytes(dir_ / "all.hmp");
    ASSERT_EQ(all.size(), 50000u);
    // Node 2 is the demo's "Ground": drawn alone, it covers less than the whole map.
    auto ground = cli({"hmp from-map", demo_, dir_ / "ground.hmp", "--node 2"});
    ASSERT_EQ(ground.exitCode, 0) << ground.err;
    const auto one = readBytes(dir_ / "ground.hmp");
    ASSERT_EQ(one.size(), 50000u);
    int drawnAll = 0, drawnOne = 0;
    for (size_t i = 0; i < 100 * 100; ++i) {
        drawnAll += lw::loadF32(&all[4 * i]) > 0;
        drawnOne += lw::loadF32(&one[4 * i]) > 0;
        EXPECT_EQ(all[40000 + i], 0); // the mask is black
    }
    EXPECT_GT(drawnOne, 0);
    EXPECT_GE(drawnAll, drawnOne);
}

TEST_F(IoCli, HeightsImportAndExport) {
    LW_REQUIRE_SHARED_TESTDATA();
    // Node 2 is the demo's "Ground", 12 x 3 x 10.
    auto imported =
        cli({"heights import", demo_, dir_ / "h.xom", "--node 2 --image",
             image("testimgp_progressive.jpg"), "--min -1 --max 2.5 --contrast 5", "--invert"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    auto root = readMap(dir_ / "h.xom");
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

    auto exported = cli({"heights export", dir_ / "h.xom", "--node 2", dir_ / "h"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_NE(exported.out.find("h.bmp"), std::string::npos);
    const auto bmp = readBytes(dir_ / "h.bmp");
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(lw::loadU32(&bmp[18]), 335u);
}

TEST_F(IoCli, HeightsRefusals) {
    LW_REQUIRE_SHARED_TESTDATA();
    const std::string in = shellQuoted(demo_) + " " + shellQuoted(dir_ / "o.xom");
    const std::string camera = image("camera_3x3_gray8.bmp");
    EXPECT_EQ(cli({"heights import", in, "--image x.jpg --min 0 --max 1"}).exitCode, 2);
    EXPECT_EQ(cli({"heights import", in, "--node 2 --min 0 --max 1"}).exitCode, 2);
    EXPECT_EQ(cli({"heights import", in, "--node 2 --image", camera, "--min low --max 1"}).exitCode,
              1);
    auto group = cli({"heights import", in, "--node 1 --image", camera, "--min 0 --max 1"});
    EXPECT_EQ(group.exitCode, 1);
    EXPECT_NE(group.err.find("Not a poxel"), std::string::npos);
    writeBytes(dir_ / "bad.jpg", std::vector<uint8_t>(300, 0xFF));
    auto bad = cli({"heights import", in, "--node 2 --image", dir_ / "bad.jpg", "--min 0 --max 1"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "o.xom"));
}

TEST_F(IoCli, VoxExportImportRoundTripAndSizeCheck) {
    ASSERT_EQ(cli({"vox export", demo_, "--node 2", dir_ / "g.vox"}).exitCode, 0);
    EXPECT_EQ(readBytes(dir_ / "g.vox").size(), 12u + 12 * 3 * 10 + 768);
    ASSERT_EQ(cli({"vox import", demo_, "--node 2", dir_ / "g.vox", dir_ / "back.xom"}).exitCode,
              0);
    auto before = readMap(demo_);
    auto after = readMap(dir_ / "back.xom");
    ASSERT_TRUE(before && after);
    EXPECT_EQ(after->Children[0]->Children[0]->Voxels, before->Children[0]->Children[0]->Voxels);

    // Node 5 is the 2 x 6 x 2 "Tower".
    auto wrong = cli({"vox import", demo_, "--node 5", dir_ / "g.vox", dir_ / "wrong.xom"});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.err.find("Bad Size (X:12=2, Y:3=6, Z:10=2)"), std::string::npos) << wrong.err;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "wrong.xom"));
    EXPECT_EQ(cli({"vox export", demo_, dir_ / "g.vox"}).exitCode, 2);
    EXPECT_EQ(cli({"vox paint", demo_, "a b"}).exitCode, 2);
}

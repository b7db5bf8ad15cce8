// landwright-cli textures: listing, extracting, checking and rewriting.

#include "CliRun.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace lwtest;
namespace fs = std::filesystem;

namespace {

// A TGA folder made of the shared test files: A01 is 24-bit, W68 32-bit, Grey cannot be shown.
class TexturesCli : public ::testing::Test {
protected:
    void SetUp() override {
        LW_REQUIRE_SHARED_TESTDATA();
        fs::copy_file(sharedFile("tga/200x32_rgb_bl_raw.tga"), dir_ / "A01.tga");
        fs::copy_file(sharedFile("tga/200x32_rgba_bl_raw.tga"), dir_ / "W68.tga");
        fs::copy_file(sharedFile("tga/200x32_l_bl_raw.tga"), dir_ / "Grey.tga");
    }
    void writeText(const std::string& name, const std::string& text) {
        writeBytes(dir_ / name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    TempDir dir_;
};

} // namespace

TEST_F(TexturesCli, ListShowsEveryImageOfAFolder) {
    auto text = cli({"textures list", dir_.path()});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("A01\t200\t32\t24\t0\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("W68\t200\t32\t32\t0\n"), std::string::npos);
    EXPECT_NE(text.out.find("Grey\tcannot be shown"), std::string::npos);

    auto json = cli({"textures list", dir_.path(), "--json"});
    ASSERT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.out.rfind("{\"layout\": \"tga\", \"images\": [", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("{\"name\": \"W68\", \"width\": 200, \"height\": 32, \"bits\": 32, "
                            "\"levels\": 0}"),
              std::string::npos);

    auto none = cli({"textures list", dir_ / "nowhere"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("Error Loading Files!!!"), std::string::npos);
}

TEST_F(TexturesCli, ExtractWritesTheImageOrNothing) {
    auto ok = cli({"textures extract", dir_.path(), "W68", dir_ / "out.tga"});
    ASSERT_EQ(ok.exitCode, 0) << ok.err;
    auto source = readBytes(dir_ / "W68.tga");
    auto written = readBytes(dir_ / "out.tga");
    // Same header but for the descriptor, same pixels, no footer.
    ASSERT_EQ(written.size(), 18u + 200u * 32u * 4u);
    EXPECT_TRUE(std::equal(written.begin() + 18, written.end(), source.begin() + 18));

    auto unknown = cli({"textures extract", dir_.path(), "w68", dir_ / "x.tga"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("'w68'"), std::string::npos);
    EXPECT_EQ(cli({"textures extract", dir_.path(), "Grey", dir_ / "x.tga"}).exitCode, 1);
    EXPECT_FALSE(fs::exists(dir_ / "x.tga"));
}

TEST_F(TexturesCli, CheckListPrintsTheTableAndMissingNames) {
    writeText("list.txt", "A01\r\nW68\r\na01\r\nnull\r\nFirst.box\r\n\r\n"
                          "W68\r\nMoss\r\nA01\r\nA01\r\nSecond\r\nx\r\n\r\n");
    auto r = cli({"textures check-list", dir_ / "list.txt", dir_.path()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("2 boxes, 3 textures\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1. First.box\t 0 2 0 257\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("2. Second\t 2 1 0 0\n"), std::string::npos);
    EXPECT_NE(r.out.find("missing: Moss\n"), std::string::npos);
    EXPECT_NE(r.err.find("Texture not found: 'Moss'"), std::string::npos) << r.err;

    writeText("good.txt", "A01\r\nW68\r\nA01\r\nNULL\r\nBox\r\n\r\n");
    EXPECT_EQ(cli({"textures check-list", dir_ / "good.txt", dir_.path()}).exitCode, 0);
}

TEST_F(TexturesCli, RoundtripListNormalisesLineEndsAndUsage) {
    writeText("in.txt", "a\nb\nc\nNULL\nBox.1\na\n\nshort\n");
    auto r = cli({"textures roundtrip-list", dir_ / "in.txt", dir_ / "out.txt"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readText(dir_ / "out.txt"), "a\r\nb\r\nc\r\nNULL\r\nBox.1\r\n\r\n");
    // What the reading left out is said, in one line.
    EXPECT_EQ(r.err, "landwright-cli: note: '" + (dir_ / "in.txt").string() +
                         "': box 2 at line 8 has 1 texture line of the four a box needs (top, "
                         "side, bottom, edge or NULL) and was left out\n");
    EXPECT_EQ(cli({"textures roundtrip-list", dir_ / "none.txt", dir_ / "o.txt"}).exitCode, 1);
    // A file that is not text is no list.
    writeText("binary.txt", std::string("a\nb\0c\n", 6));
    auto binary = cli({"textures roundtrip-list", dir_ / "binary.txt", dir_ / "o.txt"});
    EXPECT_EQ(binary.exitCode, 1);
    EXPECT_NE(binary.err.find("binary data"), std::string::npos) << binary.err;
    EXPECT_FALSE(fs::exists(dir_ / "o.txt"));

    for (const char* usage : {"", "frob", "list", "extract a b", "roundtrip-list a b --json"})
        EXPECT_EQ(runCli(std::string("textures ") + usage).exitCode, 2) << usage;
    auto help = runCli("textures --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("check-list"), std::string::npos);
}

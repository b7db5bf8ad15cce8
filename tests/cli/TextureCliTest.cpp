// landwright-cli textures: listing, extracting, checking and rewriting.

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace lwtest;
namespace fs = std::filesystem;

namespace {

CommandResult cli(const std::string& args) {
    return runCli("textures " + args);
}

// A TGA folder made of the shared test files: A01 is 24-bit, W68 32-bit, Grey cannot be shown.
void writeTgaFolder(const fs::path& dir) {
    const fs::path tga = fs::path(LW_SHARED_TESTDATA_DIR) / "tga";
    fs::copy_file(tga / "200x32_rgb_bl_raw.tga", dir / "A01.tga");
    fs::copy_file(tga / "200x32_rgba_bl_raw.tga", dir / "W68.tga");
    fs::copy_file(tga / "200x32_l_bl_raw.tga", dir / "Grey.tga");
}

void writeText(const fs::path& p, const std::string& text) {
    writeBytes(p, std::vector<uint8_t>(text.begin(), text.end()));
}

} // namespace

TEST(TexturesCli, ListShowsEveryImageOfAFolder) {
    TempDir dir;
    writeTgaFolder(dir.path());
    auto text = cli("list " + shellQuoted(dir.path()));
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("A01\t200\t32\t24\t0\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("W68\t200\t32\t32\t0\n"), std::string::npos);
    EXPECT_NE(text.out.find("Grey\tcannot be shown"), std::string::npos);

    auto json = cli("list " + shellQuoted(dir.path()) + " --json");
    ASSERT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.out.rfind("{\"layout\": \"tga\", \"images\": [", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("{\"name\": \"W68\", \"width\": 200, \"height\": 32, \"bits\": 32, "
                            "\"levels\": 0}"),
              std::string::npos);

    auto none = cli("list " + shellQuoted(dir / "nowhere"));
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("Error Loading Files!!!"), std::string::npos);
}

TEST(TexturesCli, ExtractWritesTheImageOrNothing) {
    TempDir dir;
    writeTgaFolder(dir.path());
    auto ok = cli("extract " + shellQuoted(dir.path()) + " W68 " + shellQuoted(dir / "out.tga"));
    ASSERT_EQ(ok.exitCode, 0) << ok.err;
    auto source = readBytes(dir / "W68.tga");
    auto written = readBytes(dir / "out.tga");
    // Same header but for the descriptor, same pixels, no footer.
    ASSERT_EQ(written.size(), 18u + 200u * 32u * 4u);
    EXPECT_TRUE(std::equal(written.begin() + 18, written.end(), source.begin() + 18));

    auto unknown = cli("extract " + shellQuoted(dir.path()) + " w68 " + shellQuoted(dir / "x.tga"));
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("'w68'"), std::string::npos);
    auto grey = cli("extract " + shellQuoted(dir.path()) + " Grey " + shellQuoted(dir / "x.tga"));
    EXPECT_EQ(grey.exitCode, 1);
    EXPECT_FALSE(fs::exists(dir / "x.tga"));
}

TEST(TexturesCli, CheckListPrintsTheTableAndMissingNames) {
    TempDir dir;
    writeTgaFolder(dir.path());
    writeText(dir / "list.txt", "A01\r\nW68\r\na01\r\nnull\r\nFirst.box\r\n\r\n"
                                "W68\r\nMoss\r\nA01\r\nA01\r\nSecond\r\nx\r\n\r\n");
    auto r = cli("check-list " + shellQuoted(dir / "list.txt") + " " + shellQuoted(dir.path()));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("2 boxes, 3 textures\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1. First.box\t 0 2 0 257\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("2. Second\t 2 1 0 0\n"), std::string::npos);
    EXPECT_NE(r.out.find("missing: Moss\n"), std::string::npos);
    EXPECT_NE(r.err.find("Texture not found: 'Moss'"), std::string::npos) << r.err;

    writeText(dir / "good.txt", "A01\r\nW68\r\nA01\r\nNULL\r\nBox\r\n\r\n");
    EXPECT_EQ(cli("check-list " + shellQuoted(dir / "good.txt") + " " + shellQuoted(dir.path())).exitCode, 0);
}

TEST(TexturesCli, RoundtripListNormalisesLineEndsAndUsage) {
    TempDir dir;
    writeText(dir / "in.txt", "a\nb\nc\nNULL\nBox.1\na\n\nshort\n");
    auto r = cli("roundtrip-list " + shellQuoted(dir / "in.txt") + " " + shellQuoted(dir / "out.txt"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto out = readBytes(dir / "out.txt");
    EXPECT_EQ(std::string(out.begin(), out.end()), "a\r\nb\r\nc\r\nNULL\r\nBox.1\r\n\r\n");
    EXPECT_EQ(
        cli("roundtrip-list " + shellQuoted(dir / "none.txt") + " " + shellQuoted(dir / "o.txt")).exitCode,
        1);

    EXPECT_EQ(cli("").exitCode, 2);
    EXPECT_EQ(cli("frob").exitCode, 2);
    EXPECT_EQ(cli("list").exitCode, 2);
    EXPECT_EQ(cli("extract a b").exitCode, 2);
    EXPECT_EQ(cli("roundtrip-list a b --json").exitCode, 2);
    auto help = cli("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("check-list"), std::string::npos);
}

// The demo writes its textures beside the map, and render draws a map with a texture list and
// the images of a folder, refusing what cannot be loaded.

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace lwtest;

namespace {

class DemoTexturesCli : public ::testing::Test {
protected:
    void SetUp() override {
        map_ = dir_ / "demo.xom";
        const auto r = runCli("demo " + shellQuoted(map_));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find("demo-textures.txt"), std::string::npos) << r.out;
    }
    CommandResult render(const std::string& out, const std::string& extra) {
        return runCli("render " + shellQuoted(map_) + " -o " + shellQuoted(dir_ / out) +
                      " --size 200x150 --no-grid " + extra);
    }
    std::string textures() const {
        return "--texture-list " + shellQuoted(dir_ / "demo-textures.txt") + " --bundles " +
               shellQuoted(dir_ / "demo-bundles");
    }

    TempDir dir_;
    std::filesystem::path map_;
};

} // namespace

TEST_F(DemoTexturesCli, TheDemoTexturesAreAListAndABundleFolderTheToolsRead) {
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_ / "demo-bundles" / "Bundle07.xom"));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_ / "demo-bundles" / "Bundle88.xom"));
    const auto listed = runCli("textures list " + shellQuoted(dir_ / "demo-bundles"));
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, "brick\t128\t128\t24\t1\ngrass\t128\t128\t24\t1\nrock\t128\t128\t24\t1\n"
                          "sand\t128\t128\t24\t1\nsnow\t128\t128\t24\t1\nwater\t128\t128\t32\t1\n");
    const auto checked = runCli("textures check-list " + shellQuoted(dir_ / "demo-textures.txt") +
                                " " + shellQuoted(dir_ / "demo-bundles"));
    EXPECT_EQ(checked.exitCode, 0) << checked.err;
    EXPECT_EQ(checked.out.rfind("8 boxes, 6 textures\n", 0), 0u) << checked.out;
}

TEST_F(DemoTexturesCli, RenderDrawsTexturedThroughTheUploadCode) {
    const auto plain = render("plain.png", "");
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    const auto textured = render("textured.png", textures());
    ASSERT_EQ(textured.exitCode, 0) << textured.err;
    EXPECT_NE(readBytes(dir_ / "plain.png"), readBytes(dir_ / "textured.png"));
}

TEST_F(DemoTexturesCli, RenderRefusesTexturesItCannotLoadAndWritesNothing) {
    const auto half =
        render("half.png", "--texture-list " + shellQuoted(dir_ / "demo-textures.txt"));
    EXPECT_EQ(half.exitCode, 2) << "--texture-list goes with --bundles";

    std::ofstream(dir_ / "marble.txt") << "marble\r\nrock\r\nrock\r\nNULL\r\nMarble\r\n\r\n";
    const auto missing =
        render("missing.png", "--texture-list " + shellQuoted(dir_ / "marble.txt") + " --bundles " +
                                  shellQuoted(dir_ / "demo-bundles"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("'marble'"), std::string::npos) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "missing.png"));

    std::ofstream(dir_ / "cut.txt") << "grass\r\nrock\r\n";
    const auto cut = render("cut.png", "--texture-list " + shellQuoted(dir_ / "cut.txt") +
                                           " --bundles " + shellQuoted(dir_ / "demo-bundles"));
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_NE(cut.err.find("Bad Texture File!"), std::string::npos) << cut.err;
    EXPECT_NE(cut.err.find("cut.txt"), std::string::npos) << cut.err;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "cut.png"));
}

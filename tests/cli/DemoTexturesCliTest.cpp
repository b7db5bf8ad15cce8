// The demo writes its textures beside the map, and render draws a map with a texture list and
// the images of a folder, refusing what cannot be loaded.

#include "CliRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace lwtest;

namespace {

class DemoTexturesCli : public DemoCli {
protected:
    // A picture of the demo map, textured with `list` and the demo's bundles unless it is empty.
    CommandResult render(const std::string& out, const std::string& list = "") {
        if (list.empty())
            return cli({"render", demo_, "-o", dir_ / out, "--size 200x150 --no-grid"});
        return cli({"render", demo_, "-o", dir_ / out, "--size 200x150 --no-grid", "--texture-list",
                    dir_ / list, "--bundles", dir_ / "demo-bundles"});
    }
};

} // namespace

TEST_F(DemoTexturesCli, TheDemoTexturesAreAListAndABundleFolderTheToolsRead) {
    EXPECT_NE(demoOutput_.find("demo-textures.txt"), std::string::npos) << demoOutput_;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_ / "demo-bundles" / "Bundle07.xom"));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_ / "demo-bundles" / "Bundle88.xom"));
    const auto listed = cli({"textures list", dir_ / "demo-bundles"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, "brick\t128\t128\t24\t1\ngrass\t128\t128\t24\t1\nrock\t128\t128\t24\t1\n"
                          "sand\t128\t128\t24\t1\nsnow\t128\t128\t24\t1\nwater\t128\t128\t32\t1\n");
    const auto checked =
        cli({"textures check-list", dir_ / "demo-textures.txt", dir_ / "demo-bundles"});
    EXPECT_EQ(checked.exitCode, 0) << checked.err;
    EXPECT_EQ(checked.out.rfind("8 boxes, 6 textures\n", 0), 0u) << checked.out;
}

TEST_F(DemoTexturesCli, RenderDrawsTexturedThroughTheUploadCode) {
    const auto plain = render("plain.png");
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    const auto textured = render("textured.png", "demo-textures.txt");
    ASSERT_EQ(textured.exitCode, 0) << textured.err;
    EXPECT_NE(readBytes(dir_ / "plain.png"), readBytes(dir_ / "textured.png"));
}

TEST_F(DemoTexturesCli, RenderRefusesTexturesItCannotLoadAndWritesNothing) {
    const auto half = cli(
        {"render", demo_, "-o", dir_ / "half.png", "--texture-list", dir_ / "demo-textures.txt"});
    EXPECT_EQ(half.exitCode, 2) << "--texture-list goes with --bundles";

    std::ofstream(dir_ / "marble.txt") << "marble\r\nrock\r\nrock\r\nNULL\r\nMarble\r\n\r\n";
    const auto missing = render("missing.png", "marble.txt");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("'marble'"), std::string::npos) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "missing.png"));

    std::ofstream(dir_ / "cut.txt") << std::string("grass\r\nro\0ck\r\n", 13);
    const auto cut = render("cut.png", "cut.txt");
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_NE(cut.err.find("Bad Texture File!"), std::string::npos) << cut.err;
    EXPECT_NE(cut.err.find("cut.txt"), std::string::npos) << cut.err;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "cut.png"));
}

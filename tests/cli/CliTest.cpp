// landwright-cli as a user runs it: exit status, the one-line errors, and the outputs.

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace lwtest;

TEST(Cli, HelpVersionAndUsageErrors) {
    auto help = runCli("--help");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* sub : {"info", "check", "resave", "new", "demo"})
        EXPECT_NE(help.out.find(sub), std::string::npos) << sub;
    EXPECT_EQ(runCli("info --help").exitCode, 0);
    EXPECT_NE(runCli("info --help").out.find("--json"), std::string::npos);
    auto version = runCli("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("landwright-cli ", 0), 0u);

    EXPECT_EQ(runCli("").exitCode, 2);
    EXPECT_EQ(runCli("frobnicate").exitCode, 2);
    EXPECT_EQ(runCli("info").exitCode, 2);
    EXPECT_EQ(runCli("info a b").exitCode, 2);
    auto unknown = runCli("info map.xom --yaml");
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("--yaml"), std::string::npos);
}

TEST(Cli, DemoNewInfoCheckAndResave) {
    TempDir dir;
    ASSERT_EQ(runCli("demo " + shellQuoted(dir / "demo.xom")).exitCode, 0);
    ASSERT_EQ(runCli("new " + shellQuoted(dir / "new.xom")).exitCode, 0);

    auto info = runCli("info " + shellQuoted(dir / "demo.xom"));
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_NE(info.out.find("[0] Root  root  id 1"), std::string::npos);
    EXPECT_NE(info.out.find("Emitter_01  entity  id 4  lib Base_01"), std::string::npos);

    auto empty = runCli("info " + shellQuoted(dir / "new.xom"));
    EXPECT_EQ(empty.out, "[0] Root  root  id 1  1x1x1  pos 0 0 0  rot 0 0 0  size 0 0 0\n"
                         "1 nodes: 0 poxels, 1 groups, 0 entities, 1 cells\n");

    auto check = runCli("check " + shellQuoted(dir / "demo.xom"));
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.out.rfind("ok: ", 0), 0u);

    ASSERT_EQ(
        runCli("resave " + shellQuoted(dir / "demo.xom") + " " + shellQuoted(dir / "again.xom")).exitCode, 0);
    EXPECT_EQ(readBytes(dir / "demo.xom"), readBytes(dir / "again.xom"));
}

TEST(Cli, JsonFollowsTheSchema) {
    TempDir dir;
    ASSERT_EQ(runCli("demo " + shellQuoted(dir / "demo.xom")).exitCode, 0);
    auto json = runCli("info --json " + shellQuoted(dir / "demo.xom"));
    ASSERT_EQ(json.exitCode, 0);
    const std::string& s = json.out;
    EXPECT_EQ(s.rfind("{\"root\": {\"name\": \"Root\", \"kind\": \"root\"", 0), 0u);
    for (const char* key :
         {"\"pos\": [", "\"rot\": [", "\"size\": [", "\"dims\": [", "\"text_coord\": [",
          "\"layer_low\": [[", "\"layer_high\": [[", "\"heights\": [[",
          "\"surface\": ", "\"surface2\": ", "\"color\": ", "\"voxels\": [",
          "\"lib_name\": \"Base_01\"", "\"clip\": [", "\"entities\": [", "\"children\": ["})
        EXPECT_NE(s.find(key), std::string::npos) << key;
    // Floats keep enough digits to read back as the same 32-bit value.
    EXPECT_NE(s.find("\"text_coord\": [0.25, 0, 0, 0, 0, 0.25, 0.150000006, 0, -0.200000003"),
              std::string::npos);
    // Brackets balance.
    long depth = 0;
    for (char c : s) {
        depth += (c == '[' || c == '{') - (c == ']' || c == '}');
        ASSERT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0);
}

TEST(Cli, RefusedInputsGiveOneLineAndStatusOne) {
    TempDir dir;
    auto missing = runCli("info " + shellQuoted(dir / "nope.xom"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("nope.xom"), std::string::npos);

    writeBytes(dir / "short.xom", {'M', 'O', 'I', 'K', 0, 0, 0, 1});
    auto shortFile = runCli("check " + shellQuoted(dir / "short.xom"));
    EXPECT_EQ(shortFile.exitCode, 1);
    EXPECT_EQ(shortFile.err.rfind("Bad Xom Format File!: ", 0), 0u);
    EXPECT_EQ(std::count(shortFile.err.begin(), shortFile.err.end(), '\n'), 1);

    // A truncated map is refused and nothing is written by resave.
    ASSERT_EQ(runCli("demo " + shellQuoted(dir / "demo.xom")).exitCode, 0);
    auto bytes = readBytes(dir / "demo.xom");
    bytes.resize(bytes.size() / 2);
    writeBytes(dir / "half.xom", bytes);
    auto resave = runCli("resave " + shellQuoted(dir / "half.xom") + " " + shellQuoted(dir / "out.xom"));
    EXPECT_EQ(resave.exitCode, 1);
    EXPECT_EQ(resave.err.rfind("Bad Xom Format File!: ", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.xom"));

    // Writing into a folder that does not exist fails cleanly.
    auto noFolder = runCli("new " + shellQuoted(dir / "no" / "such" / "map.xom"));
    EXPECT_EQ(noFolder.exitCode, 1);
}

TEST(Cli, MeshStatsCountsEveryPoxel) {
    TempDir dir;
    ASSERT_EQ(runCli("demo " + shellQuoted(dir / "demo.xom")).exitCode, 0);
    auto text = runCli("mesh-stats " + shellQuoted(dir / "demo.xom"));
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_NE(text.out.find("Ground: "), std::string::npos);
    EXPECT_NE(text.out.find("total: "), std::string::npos);
    auto json = runCli("mesh-stats --json " + shellQuoted(dir / "demo.xom"));
    ASSERT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.out.rfind("{\"poxels\": [{\"name\": \"Ground\", \"triangles\": ", 0), 0u);
    EXPECT_EQ(runCli("mesh-stats " + shellQuoted(dir / "missing.xom")).exitCode, 1);
}

TEST(Cli, OptionValuesAfterEqualsAndArgumentsAfterDoubleDash) {
    TempDir dir;
    ASSERT_EQ(runCli("demo " + shellQuoted(dir / "demo.xom")).exitCode, 0);
    const auto spaced = runCli("3ds export " + shellQuoted(dir / "demo.xom") + " " +
                               shellQuoted(dir / "a.3ds") + " --node 1");
    ASSERT_EQ(spaced.exitCode, 0) << spaced.err;
    const auto joined = runCli("3ds export " + shellQuoted(dir / "demo.xom") + " " +
                               shellQuoted(dir / "b.3ds") + " --node=1");
    ASSERT_EQ(joined.exitCode, 0) << joined.err;
    EXPECT_EQ(readBytes(dir / "a.3ds"), readBytes(dir / "b.3ds"));

    // The value may itself hold an equals sign, or be empty (then it is refused as a number).
    EXPECT_EQ(runCli("info --json=yes " + shellQuoted(dir / "demo.xom")).exitCode, 2);
    EXPECT_NE(runCli("info --json=yes " + shellQuoted(dir / "demo.xom"))
                  .err.find("--json takes no value"),
              std::string::npos);
    const auto empty = runCli("3ds export " + shellQuoted(dir / "demo.xom") + " " +
                              shellQuoted(dir / "c.3ds") + " --node=");
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_NE(empty.err.find("--node"), std::string::npos);
    EXPECT_EQ(runCli("info --yaml=1 " + shellQuoted(dir / "demo.xom")).exitCode, 2);

    // After -- a word that starts with a hyphen is a file name, and --help is not help.
    ASSERT_EQ(
        runCommand("cd " + shellQuoted(dir.path()) + " && " + LW_CLI_PATH + " new -- -dash.xom")
            .exitCode,
        0);
    EXPECT_TRUE(std::filesystem::exists(dir / "-dash.xom"));
    const auto afterDashes = runCli("check -- --help");
    EXPECT_EQ(afterDashes.exitCode, 1);
    EXPECT_NE(afterDashes.err.find("--help"), std::string::npos);
    // Before it, --help still wins over a mistake on the same line.
    EXPECT_EQ(runCli("info --yaml --help").exitCode, 0);
    // Too many words after -- are still too many.
    EXPECT_EQ(runCli("check -- a b").exitCode, 2);
}

TEST(Cli, ManualPageCoversEverySubcommand) {
    const auto page = runCli("--manpage");
    ASSERT_EQ(page.exitCode, 0);
    EXPECT_EQ(page.out.rfind(".TH \"LANDWRIGHT\\-CLI\" 1 ", 0), 0u);
    const auto help = runCli("--help");
    for (const char* sub : {"info", "render", "thumbnail", "3ds", "textures"}) {
        EXPECT_NE(help.out.find(std::string("  ") + sub + " "), std::string::npos) << sub;
        EXPECT_NE(page.out.find(std::string(".SS \"") + sub + "\""), std::string::npos) << sub;
    }
}

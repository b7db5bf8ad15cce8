// landwright-cli as a user runs it: exit status, the one-line errors, and the outputs. The JSON
// of info is pinned byte for byte by the golden cases of the replace tests.

#include "CliRun.h"
#include "core/XomBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

using namespace lwtest;
using Cli = DemoCli;

TEST(CliUsage, HelpVersionAndUsageErrors) {
    auto help = runCli("--help");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* sub : {"info", "check", "resave", "new", "demo"})
        EXPECT_NE(help.out.find(sub), std::string::npos) << sub;
    EXPECT_EQ(runCli("info --help").exitCode, 0);
    EXPECT_NE(runCli("info --help").out.find("--json"), std::string::npos);
    auto version = runCli("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("landwright-cli ", 0), 0u);

    for (const char* usage : {"", "frobnicate", "info", "info a b"})
        EXPECT_EQ(runCli(usage).exitCode, 2) << usage;
    auto unknown = runCli("info map.xom --yaml");
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("--yaml"), std::string::npos);
}

TEST_F(Cli, DemoNewInfoCheckAndResave) {
    ASSERT_EQ(cli({"new", dir_ / "new.xom"}).exitCode, 0);
    auto info = cli({"info", demo_});
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_NE(info.out.find("[0] Root  root  id 1"), std::string::npos);
    EXPECT_NE(info.out.find("Emitter_01  entity  id 4  lib Base_01"), std::string::npos);
    EXPECT_EQ(cli({"info", dir_ / "new.xom"}).out,
              "[0] Root  root  id 1  1x1x1  pos 0 0 0  rot 0 0 0  size 0 0 0\n"
              "1 nodes: 0 poxels, 1 groups, 0 entities, 1 cells\n");

    auto check = cli({"check", demo_});
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.out.rfind("ok: ", 0), 0u);
    ASSERT_EQ(cli({"resave", demo_, dir_ / "again.xom"}).exitCode, 0);
    EXPECT_EQ(readBytes(demo_), readBytes(dir_ / "again.xom"));
}

TEST_F(Cli, RefusedInputsGiveOneLineAndStatusOne) {
    auto missing = cli({"info", dir_ / "nope.xom"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("nope.xom"), std::string::npos);

    writeBytes(dir_ / "short.xom", {'M', 'O', 'I', 'K', 0, 0, 0, 1});
    auto shortFile = cli({"check", dir_ / "short.xom"});
    EXPECT_EQ(shortFile.exitCode, 1);
    EXPECT_EQ(shortFile.err.rfind("Bad Xom Format File!: ", 0), 0u);
    EXPECT_EQ(std::count(shortFile.err.begin(), shortFile.err.end(), '\n'), 1);

    // A truncated map is refused and nothing is written by resave.
    auto bytes = readBytes(demo_);
    bytes.resize(bytes.size() / 2);
    writeBytes(dir_ / "half.xom", bytes);
    auto resave = cli({"resave", dir_ / "half.xom", dir_ / "out.xom"});
    EXPECT_EQ(resave.exitCode, 1);
    EXPECT_EQ(resave.err.rfind("Bad Xom Format File!: ", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.xom"));

    // Writing into a folder that does not exist fails cleanly.
    EXPECT_EQ(cli({"new", dir_ / "no" / "such" / "map.xom"}).exitCode, 1);
}

TEST_F(Cli, InputsThatAreNoFilesAreRefusedAtOnce) {
    ASSERT_EQ(::mkfifo((dir_ / "pipe.xom").c_str(), 0600), 0);
    struct Case {
        std::filesystem::path input;
        const char* says;
    };
    // A FIFO with no writer would block a plain open; `timeout` turns a hang into a failure.
    for (const Case& c :
         {Case{dir_.path(), "is a folder"}, Case{"/dev/zero", "is not a regular file"},
          Case{dir_ / "pipe.xom", "is not a regular file"}}) {
        auto r =
            runCommand("timeout 20 " + std::string(LW_CLI_PATH) + " check " + shellQuoted(c.input));
        EXPECT_EQ(r.exitCode, 1) << c.input;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST_F(Cli, OutputsThatCannotBeWrittenFailTheCommand) {
    const std::string tool = LW_CLI_PATH;
    // stdout on a full disk: the JSON would be cut off.
    auto full = runCommand("(" + tool + " info --json " + shellQuoted(demo_) + " >/dev/full)");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_NE(full.err.find("cannot write the output: No space left on device"), std::string::npos)
        << full.err;

    // A file-size limit fails the save instead of killing the tool; the old file stays.
    writeBytes(dir_ / "old.xom", readBytes(demo_));
    auto limited = runCommand("(ulimit -f 1; exec " + tool + " resave " + shellQuoted(demo_) + " " +
                              shellQuoted(dir_ / "old.xom") + ")");
    EXPECT_EQ(limited.exitCode, 1);
    EXPECT_NE(limited.err.find("File too large"), std::string::npos) << limited.err;
    EXPECT_EQ(readBytes(dir_ / "old.xom"), readBytes(demo_));

    // A device or a FIFO is not replaced by a map.
    ASSERT_EQ(::mkfifo((dir_ / "pipe.xom").c_str(), 0600), 0);
    auto fifo = cli({"resave", demo_, dir_ / "pipe.xom"});
    EXPECT_EQ(fifo.exitCode, 1);
    EXPECT_NE(fifo.err.find("is not a regular file"), std::string::npos) << fifo.err;
    EXPECT_TRUE(std::filesystem::is_fifo(dir_ / "pipe.xom"));
}

TEST_F(Cli, AMapNeedingMoreMemoryThanThereIsIsRefusedNotACrash) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator reports instead of failing the allocation";
#endif
    // One of the largest poxels shared 1,024 times: 270 MB in memory from a 260 KB file, within
    // what a map may hold but more than this process may take.
    writeBytes(dir_ / "shared.xom", doublingMap(10, 180, 180));
    auto r = runCommand("(ulimit -v 160000; exec " + std::string(LW_CLI_PATH) + " check " +
                        shellQuoted(dir_ / "shared.xom") + ")");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("Not enough memory: ", 0), 0u) << r.err;
}

TEST_F(Cli, MeshStatsCountsEveryPoxel) {
    auto text = cli({"mesh-stats", demo_});
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_NE(text.out.find("Ground: "), std::string::npos);
    EXPECT_NE(text.out.find("total: "), std::string::npos);
    auto json = cli({"mesh-stats --json", demo_});
    ASSERT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.out.rfind("{\"poxels\": [{\"name\": \"Ground\", \"triangles\": ", 0), 0u);
    EXPECT_EQ(cli({"mesh-stats", dir_ / "missing.xom"}).exitCode, 1);
}

TEST_F(Cli, OptionValuesAfterEqualsAndArgumentsAfterDoubleDash) {
    const auto spaced = cli({"3ds export", demo_, dir_ / "a.3ds", "--node 1"});
    ASSERT_EQ(spaced.exitCode, 0) << spaced.err;
    const auto joined = cli({"3ds export", demo_, dir_ / "b.3ds", "--node=1"});
    ASSERT_EQ(joined.exitCode, 0) << joined.err;
    EXPECT_EQ(readBytes(dir_ / "a.3ds"), readBytes(dir_ / "b.3ds"));

    // The value may itself hold an equals sign, or be empty (then it is refused as a number).
    const auto valued = cli({"info --json=yes", demo_});
    EXPECT_EQ(valued.exitCode, 2);
    EXPECT_NE(valued.err.find("--json takes no value"), std::string::npos);
    const auto empty = cli({"3ds export", demo_, dir_ / "c.3ds", "--node="});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_NE(empty.err.find("--node"), std::string::npos);
    EXPECT_EQ(cli({"info --yaml=1", demo_}).exitCode, 2);

    // After -- a word that starts with a hyphen is a file name, and --help is not help.
    ASSERT_EQ(
        runCommand("cd " + shellQuoted(dir_.path()) + " && " + LW_CLI_PATH + " new -- -dash.xom")
            .exitCode,
        0);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "-dash.xom"));
    const auto afterDashes = runCli("check -- --help");
    EXPECT_EQ(afterDashes.exitCode, 1);
    EXPECT_NE(afterDashes.err.find("--help"), std::string::npos);
    // Before it, --help still wins over a mistake on the same line.
    EXPECT_EQ(runCli("info --yaml --help").exitCode, 0);
    // Too many words after -- are still too many.
    EXPECT_EQ(runCli("check -- a b").exitCode, 2);
}

TEST(CliUsage, ManualPageCoversEverySubcommand) {
    const auto page = runCli("--manpage");
    ASSERT_EQ(page.exitCode, 0);
    EXPECT_EQ(page.out.rfind(".TH \"LANDWRIGHT\\-CLI\" 1 ", 0), 0u);
    const auto help = runCli("--help");
    for (const char* sub : {"info", "render", "thumbnail", "3ds", "textures"}) {
        EXPECT_NE(help.out.find(std::string("  ") + sub + " "), std::string::npos) << sub;
        EXPECT_NE(page.out.find(std::string(".SS \"") + sub + "\""), std::string::npos) << sub;
    }
}

// landwright-cli replace: golden cases (a folder each under data/replace) and the refusals.
//
// A case folder holds input.xom, find.txt, replace.txt, optionally args.txt (more options), and
// what the run must give: expected.log (stdout) and expected.json (info --json of the result),
// or expected.err (stderr of a refused run, which writes nothing). Running the suite with
// LW_UPDATE_GOLDEN=1 rewrites the expected files from the current output.

#include "CliRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

using namespace lwtest;
namespace fs = std::filesystem;

namespace {

using CliReplaceRun = DemoCli;

void writeText(const fs::path& file, const std::string& text) {
    writeBytes(file, std::vector<uint8_t>(text.begin(), text.end()));
}

CommandResult runReplace(const fs::path& in, const fs::path& out, const std::string& find,
                         const std::string& replace, const std::string& more = "") {
    return cli({"replace", in, out, "--find '" + find + "' --replace '" + replace + "'", more});
}

} // namespace

TEST(CliReplace, GoldenCases) {
    const bool update = std::getenv("LW_UPDATE_GOLDEN") != nullptr;
    const std::vector<ReplaceCase> cases = replaceCases();
    ASSERT_GE(cases.size(), 8u);

    for (const auto& [dir, find, replace, args] : cases) {
        SCOPED_TRACE(dir.filename().string());
        TempDir tmp;
        const fs::path out = tmp / "out.xom";
        const auto run = runReplace(dir / "input.xom", out, find, replace, args);
        if (update) {
            if (run.exitCode == 0) {
                writeText(dir / "expected.log", run.out);
                writeText(dir / "expected.json", cli({"info --json", out}).out);
            } else {
                writeText(dir / "expected.err", run.err);
            }
            continue;
        }
        if (fs::exists(dir / "expected.err")) {
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_EQ(run.err, readText(dir / "expected.err"));
            EXPECT_EQ(run.out, "");
            EXPECT_FALSE(fs::exists(out));
            continue;
        }
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, readText(dir / "expected.log"));
        EXPECT_EQ(cli({"info --json", out}).out, readText(dir / "expected.json"));
    }
}

TEST(CliReplace, SyntaxHelp) {
    const auto help = runCli("replace --syntax");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(std::count(help.out.begin(), help.out.end(), '\n'), 44);
    EXPECT_EQ(help.out.rfind("Syntax for Find:\n\t(Const=Val)\n", 0), 0u);
    EXPECT_NE(help.out.find("\n\tor\t(Poxel=Delete)\n"), std::string::npos);
    EXPECT_EQ(runCli("replace --syntax a.xom").exitCode, 2);
    EXPECT_NE(runCli("--help").out.find("replace IN OUT"), std::string::npos);
}

TEST_F(CliReplaceRun, UsageErrors) {
    const fs::path out = dir_ / "out.xom";
    EXPECT_EQ(cli({"replace", demo_, out, "--find '(Poxel=Any)'"}).exitCode, 2);
    EXPECT_EQ(cli({"replace", demo_, "--find '(Poxel=Any)' --replace '(Name=x)'"}).exitCode, 2);
    EXPECT_EQ(runReplace(demo_, out, "Poxel=Any", "(Name=x)").exitCode, 2);
    EXPECT_EQ(runReplace(demo_, out, "(Poxel=Any)", "(Namex)").exitCode, 2);
    EXPECT_EQ(runReplace(demo_, out, "(Poxel=Any)", "(Name=x)", "--nodes 1").exitCode, 2);
    EXPECT_FALSE(fs::exists(out));
}

// The refusals of the replacer itself are its own tests' and the golden cases'; here, that a
// refused run writes nothing, and the refusals only the tool knows.
TEST_F(CliReplaceRun, RefusedRunsWriteNothing) {
    const fs::path out = dir_ / "out.xom";
    writeText(out, "keep me");
    auto expectRefused = [&](const CommandResult& r, const std::string& err) {
        EXPECT_EQ(r.exitCode, 1) << err;
        EXPECT_EQ(r.err, err);
        EXPECT_EQ(r.out, "") << err;
        EXPECT_TRUE(readText(out) == "keep me") << err;
    };
    // Changes before the refusal are not written either.
    expectRefused(runReplace(demo_, out, "(Poxel=Any)", "(Name=x)&(Poxel=Delete)"),
                  "Cannot delete: \"x\" (id 1) is the node the run starts from\n");
    expectRefused(runReplace(demo_, out, "(Name=Ground)", "(Poxel=4)"),
                  "Cannot replace: \"Ground\" (id 3) is not an entity and \"Emitter_01\" (id 4) "
                  "is\n");
    expectRefused(runReplace(demo_, out, "(Poxel=Any)", "(Name=x)", "--node 99"),
                  "No such node: node 99 does not exist; the map has 15 nodes (see info)\n");
    EXPECT_EQ(runReplace(demo_, out, "(Poxel=Any)", "(Name=x)", "--seed -1").exitCode, 1);
    EXPECT_EQ(runReplace(demo_, out, "(Poxel=Any)", "(Name=x)", "--seed x").exitCode, 1);

    // A truncated map is refused by the reader.
    auto bytes = readBytes(demo_);
    bytes.resize(bytes.size() / 2);
    writeBytes(dir_ / "cut.xom", bytes);
    EXPECT_EQ(runReplace(dir_ / "cut.xom", out, "(Poxel=Any)", "(Name=x)").exitCode, 1);
    EXPECT_TRUE(readText(out) == "keep me");
}

TEST_F(CliReplaceRun, IdentityNumbersOfInfoNameTheSameNodes) {
    const fs::path out = dir_ / "out.xom";
    const std::string listing = cli({"info", demo_}).out;
    const size_t at = listing.find("Tower  poxel  id ");
    ASSERT_NE(at, std::string::npos);
    const std::string towerId = listing.substr(at + 17, listing.find(' ', at + 17) - at - 17);

    // Reading the same file twice gives the same numbers.
    EXPECT_EQ(cli({"info", demo_}).out, listing);
    const auto r = runReplace(demo_, out, "(Name=Stone)", "(Color=" + towerId + ")");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "[#0] object [Stone] is changed\n");
    const std::string after = cli({"info", out}).out;
    EXPECT_NE(after.find("Stone  poxel  id 15  1x2x1  pos 9 1 0  rot 0 0 0  size 1 1 1  cells 2 (2 "
                         "filled)  surface 0x00000101 0x00010000  color 0xffc0e0ff"),
              std::string::npos)
        << after;

    // A seed gives the same file every time.
    const fs::path again = dir_ / "again.xom";
    ASSERT_EQ(runReplace(demo_, out, "(Poxel=Any)", "(Size.Z=[3])", "--seed 9").exitCode, 0);
    ASSERT_EQ(runReplace(demo_, again, "(Poxel=Any)", "(Size.Z=[3])", "--seed 9").exitCode, 0);
    EXPECT_EQ(readBytes(out), readBytes(again));
}

// The worked examples of the manual's replacer page run on the demo map as they are written and
// change something: the queries beside "Find:" and "Replace:", and the command lines.
TEST_F(CliReplaceRun, TheManualsExamplesRun) {
    const std::string page =
        readText(fs::path(LW_TEST_DATA_DIR) / "../../src/editor/gui/manual/replacer.md");
    // The identity number the page leaves to the reader ("N") is Tower's.
    const std::string listing = cli({"info", demo_}).out;
    const size_t tower = listing.find(" Tower  poxel  id ");
    ASSERT_NE(tower, std::string::npos);
    const std::string towerId =
        listing.substr(tower + 18, listing.find(' ', tower + 18) - tower - 18);

    std::vector<std::pair<std::string, std::string>> queries;
    std::vector<std::string> commands;
    std::string find;
    std::istringstream lines(page);
    for (std::string line; std::getline(lines, line);) {
        auto after = [&line](const char* prefix) {
            const std::string rest = line.substr(std::string(prefix).size());
            return rest.substr(rest.find_first_not_of(' '));
        };
        if (line.rfind("    Find:", 0) == 0) {
            find = after("    Find:");
        } else if (line.rfind("    Replace:", 0) == 0) {
            std::string replace = after("    Replace:");
            if (const size_t n = replace.find("=N)"); n != std::string::npos)
                replace.replace(n + 1, 1, towerId);
            queries.push_back({find, replace});
        } else if (line.rfind("    landwright-cli replace ", 0) == 0) {
            commands.push_back(line.substr(std::string("    landwright-cli ").size()));
        }
    }
    ASSERT_GE(queries.size(), 7u);
    ASSERT_GE(commands.size(), 2u);
    for (const auto& [f, r] : queries) {
        const auto run = runReplace(demo_, dir_ / "out.xom", f, r);
        EXPECT_EQ(run.exitCode, 0) << f << " " << r << "\n" << run.err;
        EXPECT_NE(run.out.find("is changed"), std::string::npos) << f << " " << r;
    }
    for (const std::string& command : commands) {
        const auto run = runCommand("cd " + shellQuoted(dir_.path()) + " && " +
                                    shellQuoted(LW_CLI_PATH) + " " + command);
        EXPECT_EQ(run.exitCode, 0) << command << "\n" << run.err;
        EXPECT_NE(run.out.find("is changed"), std::string::npos) << command;
    }
}

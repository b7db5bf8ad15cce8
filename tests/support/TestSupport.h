#pragma once
// Helpers shared by the test suites.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace lw {
class TPoxel;
}

namespace lwtest {

// A fresh, empty folder under the system's temporary folder, removed when the object dies.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// The test files made by others (3DS models, pictures) lie beside the checkout. A clone without
// them skips the tests that read them, saying why, instead of failing on missing files.
bool haveSharedTestData();
#define LW_REQUIRE_SHARED_TESTDATA()                                                          \
    if (!lwtest::haveSharedTestData())                                                         \
    GTEST_SKIP() << "the shared test files are not beside the checkout (../shared/testdata)"

std::vector<uint8_t> readBytes(const std::filesystem::path& file);
void writeBytes(const std::filesystem::path& file, const std::vector<uint8_t>& bytes);

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
// Runs a command line through the shell and captures its output.
CommandResult runCommand(const std::string& commandLine);

// Runs landwright-cli with `args` (already quoted as the shell needs).
CommandResult runCli(const std::string& args);
// A path in single quotes for a shell command line.
std::string shellQuoted(const std::filesystem::path& p);

std::string readText(const std::filesystem::path& file);
// The text up to the first line end.
std::string firstLine(const std::filesystem::path& file);

// The bytes the map writer makes of `root` (empty, and a test failure, when it refuses).
std::vector<uint8_t> mapBytes(const lw::TPoxel& root);

// Every node of a tree in pre-order, entities before children (as `info` lists them).
std::vector<lw::TPoxel*> nodesOf(lw::TPoxel& top);

// A golden case of the replacer: a folder of tests/data/replace with input.xom, the queries and
// the extra arguments of the command-line tool (args.txt, may be absent).
struct ReplaceCase {
    std::filesystem::path dir;
    std::string find, replace, args;
};
// Every case, sorted by folder name.
std::vector<ReplaceCase> replaceCases();

} // namespace lwtest

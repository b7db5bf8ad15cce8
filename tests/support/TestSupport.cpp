#include "support/TestSupport.h"

#include "core/MapWriter.h"
#include "core/Poxel.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>

namespace lwtest {

TempDir::TempDir() {
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
        path_ = base / ("lwtest-" + std::to_string(rd()));
        if (std::filesystem::create_directory(path_))
            break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

bool haveSharedTestData() {
    std::error_code ec;
    return std::filesystem::is_regular_file(
        std::filesystem::path(LW_SHARED_TESTDATA_DIR) / "SOURCES.md", ec);
}

std::vector<uint8_t> readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
}

void writeBytes(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

CommandResult runCommand(const std::string& commandLine) {
    TempDir dir;
    auto outFile = dir / "out.txt";
    auto errFile = dir / "err.txt";
    std::string full =
        commandLine + " >" + outFile.string() + " 2>" + errFile.string() + " </dev/null";
    int status = std::system(full.c_str());
    CommandResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    auto slurp = [](const std::filesystem::path& p) {
        std::ifstream in(p);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    };
    r.out = slurp(outFile);
    r.err = slurp(errFile);
    return r;
}

CommandResult runCli(const std::string& args) {
    return runCommand(std::string(LW_CLI_PATH) + " " + args);
}

std::string shellQuoted(const std::filesystem::path& p) {
    return "'" + p.string() + "'";
}

std::string readText(const std::filesystem::path& file) {
    const auto bytes = readBytes(file);
    return std::string(bytes.begin(), bytes.end());
}

std::string firstLine(const std::filesystem::path& file) {
    const std::string text = readText(file);
    return text.substr(0, text.find('\n'));
}

std::vector<uint8_t> mapBytes(const lw::TPoxel& root) {
    auto encoded = lw::encodeMap(root);
    EXPECT_TRUE(encoded.ok()) << (encoded.ok() ? "" : encoded.error().message());
    return encoded.ok() ? encoded.value() : std::vector<uint8_t>{};
}

std::vector<lw::TPoxel*> nodesOf(lw::TPoxel& top) {
    std::vector<lw::TPoxel*> out;
    std::vector<lw::TPoxel*> stack{&top};
    while (!stack.empty()) {
        lw::TPoxel* n = stack.back();
        stack.pop_back();
        out.push_back(n);
        for (auto it = n->Children.rbegin(); it != n->Children.rend(); ++it)
            stack.push_back(it->get());
        for (auto it = n->Entities.rbegin(); it != n->Entities.rend(); ++it)
            stack.push_back(it->get());
    }
    return out;
}

std::vector<ReplaceCase> replaceCases() {
    namespace fs = std::filesystem;
    std::vector<ReplaceCase> cases;
    for (const auto& entry : fs::directory_iterator(fs::path(LW_TEST_DATA_DIR) / "replace"))
        if (entry.is_directory()) {
            const fs::path& dir = entry.path();
            cases.push_back({dir, firstLine(dir / "find.txt"), firstLine(dir / "replace.txt"),
                             fs::exists(dir / "args.txt") ? firstLine(dir / "args.txt") : ""});
        }
    std::sort(cases.begin(), cases.end(),
              [](const ReplaceCase& a, const ReplaceCase& b) { return a.dir < b.dir; });
    return cases;
}

} // namespace lwtest

#pragma once
// landwright-cli as the suites of this folder run it: a command is a list of words, the paths
// among them quoted for the shell; most tests work on the demo map the tool writes itself.

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>

namespace lwtest {

// One word of a command line: a path is quoted, any other text is passed as written.
struct CliWord {
    CliWord(const char* word) : text(word) {}
    CliWord(std::string word) : text(std::move(word)) {}
    CliWord(const std::filesystem::path& file) : text(shellQuoted(file)) {}
    std::string text;
};

inline CommandResult cli(std::initializer_list<CliWord> words) {
    std::string line;
    for (const CliWord& w : words)
        line += (line.empty() ? "" : " ") + w.text;
    return runCli(line);
}

// A file of the shared test data, e.g. "3ds/jeep1.3ds".
inline std::filesystem::path sharedFile(const std::string& relative) {
    return std::filesystem::path(LW_SHARED_TESTDATA_DIR) / relative;
}

// A fresh folder holding demo.xom (with its texture list and bundles) as `demo` writes it.
class DemoCli : public ::testing::Test {
protected:
    void SetUp() override {
        const auto r = cli({"demo", demo_});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        demoOutput_ = r.out;
    }

    TempDir dir_;
    const std::filesystem::path demo_ = dir_ / "demo.xom";
    std::string demoOutput_;
};

} // namespace lwtest

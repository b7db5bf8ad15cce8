#pragma once
// Helpers shared by the test suites.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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

} // namespace lwtest

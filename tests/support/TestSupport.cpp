#include "support/TestSupport.h"

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

} // namespace lwtest

// The Debian package: built from the build folder with CPack, listed, its dependencies found
// from what the programs link; installed and removed again with dpkg where that is allowed
// (as root in CI, or when LW_TEST_INSTALL_PACKAGE=1 asks for it on a machine of one's own).

#include "dist/DistSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>
#include <unistd.h>

using namespace lwtest;

namespace {

// dpkg refuses to run while another dpkg or apt holds its lock; try again for a while.
CommandResult dpkgWithRetries(const std::string& args) {
    CommandResult r;
    for (int attempt = 0; attempt < 30; ++attempt) {
        r = runCommand("dpkg " + args);
        if (r.exitCode == 0 || r.err.find("lock") == std::string::npos)
            break;
        std::this_thread::sleep_for(std::chrono::seconds(2));
    }
    return r;
}

// True when the variable is set to a value that says yes ("CI=true", "LW_TEST_INSTALL_PACKAGE=1").
bool envSaysYes(const char* name) {
    const char* value = std::getenv(name);
    if (!value)
        return false;
    const std::string v = value;
    return v == "1" || v == "true" || v == "yes";
}

bool packageInstalled(const std::string& name) {
    return runCommand("dpkg-query -W -f='${Status}' " + name).out.find("install ok installed") !=
           std::string::npos;
}

TEST(Package, BuildsListsInstallsAndRemovesCleanly) {
    if (!haveTool("dpkg-deb") || !haveTool("dpkg-shlibdeps"))
        GTEST_SKIP() << "no dpkg here";
    TempDir dir;
    const auto built = runCommand("cd " + shellQuoted(LW_BUILD_DIR) + " && " +
                                  std::string(LW_CPACK) + " -G DEB -B " + shellQuoted(dir.path()));
    ASSERT_EQ(built.exitCode, 0) << built.out << built.err;
    std::filesystem::path deb;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (entry.path().extension() == ".deb")
            deb = entry.path();
    ASSERT_FALSE(deb.empty()) << built.out;
    EXPECT_EQ(deb.filename().string().rfind("landwright_" LW_VERSION "_", 0), 0u) << deb;

    // The same files as an install, under /usr.
    const auto listed = runCommand("dpkg-deb -c " + shellQuoted(deb));
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    std::set<std::string> files;
    std::istringstream lines(listed.out);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == 'd')
            continue;
        const std::string path = line.substr(line.rfind(" ./") + 3);
        files.insert(path);
    }
    std::set<std::string> expected;
    for (const std::string& f : expectedInstalledFiles())
        expected.insert("usr/" + f);
    EXPECT_EQ(files, expected);

    // Dependencies found from the libraries, and those only loaded at run time.
    const auto depends = runCommand("dpkg-deb -f " + shellQuoted(deb) + " Depends").out;
    for (const char* package : {"libc6", "libqt6widgets6", "libqt6svg6", "libqt6openglwidgets6",
                                "qt6-qpa-plugins", "libegl-mesa0"})
        EXPECT_NE(depends.find(package), std::string::npos) << package << " in " << depends;
    EXPECT_EQ(runCommand("dpkg-deb -f " + shellQuoted(deb) + " Package").out, "landwright\n");

    const bool allowed =
        geteuid() == 0 && (envSaysYes("CI") || envSaysYes("LW_TEST_INSTALL_PACKAGE"));
    if (!allowed)
        GTEST_SKIP()
            << "built and listed; installing needs root in CI or LW_TEST_INSTALL_PACKAGE=1";
    if (packageInstalled("landwright"))
        GTEST_SKIP() << "landwright is installed on this machine already; it is left alone";

    const auto installed = dpkgWithRetries("-i " + shellQuoted(deb));
    ASSERT_EQ(installed.exitCode, 0) << installed.out << installed.err;
    EXPECT_TRUE(packageInstalled("landwright"));
    EXPECT_EQ(runCommand("/usr/bin/landwright-cli --version").out,
              "landwright-cli " LW_VERSION "\n");
    EXPECT_EQ(runCommand("env -u DISPLAY /usr/bin/landwright --version").out,
              "landwright " LW_VERSION "\n");
    // The package owns both programs (runCommand feeds /dev/null to the last command of a
    // pipe, so the list is read here).
    const std::string owned = runCommand("dpkg -L landwright").out;
    for (const char* program : {"/usr/bin/landwright\n", "/usr/bin/landwright-cli\n"})
        EXPECT_NE(owned.find(program), std::string::npos) << program << owned;
    EXPECT_EQ(runCommand("man -w landwright-cli").out, "/usr/share/man/man1/landwright-cli.1.gz\n");

    const auto removed = dpkgWithRetries("-r landwright");
    ASSERT_EQ(removed.exitCode, 0) << removed.out << removed.err;
    EXPECT_FALSE(packageInstalled("landwright"));
    for (const std::string& f : expectedInstalledFiles())
        EXPECT_FALSE(std::filesystem::exists("/usr/" + f)) << f;
}

} // namespace

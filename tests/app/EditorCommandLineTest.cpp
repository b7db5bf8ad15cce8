// The editor's command line, run as a user runs it: help, the version and mistakes are answered
// without a window (so without a display), with status 0, 2 for usage errors and 1 for a map
// that cannot be read.

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

using namespace lwtest;

namespace {

// The editor with no display at all: anything that tried to open a window would fail.
CommandResult runEditor(const std::string& args) {
    return runCommand("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb " +
                      std::string(LW_EDITOR_PATH) + " " + args);
}

TEST(EditorCommandLine, HelpAndVersionNeedNoDisplay) {
    for (const char* option : {"--help", "-h"}) {
        const auto help = runEditor(option);
        EXPECT_EQ(help.exitCode, 0) << option << help.err;
        EXPECT_EQ(help.out.rfind("Usage: landwright [options] [MAP]\n", 0), 0u) << help.out;
        for (const char* text : {"-h, --help", "-v, --version", "MAP", ".xan"})
            EXPECT_NE(help.out.find(text), std::string::npos) << text;
        // The build's own option stays out of the help.
        EXPECT_EQ(help.out.find("manpage"), std::string::npos);
    }
    for (const char* option : {"--version", "-v"}) {
        const auto version = runEditor(option);
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.out, std::string("landwright ") + LW_VERSION + "\n");
    }
    // Help wins over a mistake elsewhere on the line; Qt's own options are no mistake.
    EXPECT_EQ(runEditor("--bogus --help").exitCode, 0);
    EXPECT_EQ(runEditor("-style fusion -reverse --version").exitCode, 0);
}

TEST(EditorCommandLine, MistakesAndUnreadableMapsAreClearErrors) {
    const auto unknown = runEditor("--bogus");
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("bogus"), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find("landwright --help"), std::string::npos) << unknown.err;

    const auto two = runEditor("a.xom b.xom");
    EXPECT_EQ(two.exitCode, 2);
    EXPECT_NE(two.err.find("one map"), std::string::npos) << two.err;
    EXPECT_EQ(runEditor("''").exitCode, 2);

    TempDir dir;
    const auto missing = runEditor(shellQuoted(dir / "gone.xom"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("gone.xom"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("no such file"), std::string::npos) << missing.err;
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1);

    const auto folder = runEditor(shellQuoted(dir.path()));
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_NE(folder.err.find("folder"), std::string::npos) << folder.err;

    // A FIFO would keep a plain open waiting for a writer, before any window appears.
    ASSERT_EQ(::mkfifo((dir / "pipe.xom").c_str(), 0600), 0);
    const auto fifo = runCommand("timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY "
                                 "QT_QPA_PLATFORM=xcb " +
                                 std::string(LW_EDITOR_PATH) + " " + shellQuoted(dir / "pipe.xom"));
    EXPECT_EQ(fifo.exitCode, 1);
    EXPECT_NE(fifo.err.find("is not a regular file"), std::string::npos) << fifo.err;

    // After -- a name that looks like an option is a map's name; with a Qt option before it.
    const auto dashed = runEditor("-style fusion -- --help");
    EXPECT_EQ(dashed.exitCode, 1);
    EXPECT_NE(dashed.err.find("--help: no such file"), std::string::npos) << dashed.err;
}

TEST(EditorCommandLine, OutputThatCannotBeWrittenFailsAndALimitEndsNothing) {
    const auto full = runCommand("(" + std::string(LW_EDITOR_PATH) + " --manpage >/dev/full)");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
    // A file-size limit is a failed write, not the end of the program (it would be of the
    // editor in the middle of an autosave).
    TempDir dir;
    const auto limited = runCommand("(ulimit -f 1; exec " + std::string(LW_EDITOR_PATH) +
                                    " --manpage >" + shellQuoted(dir / "page") + ")");
    EXPECT_EQ(limited.exitCode, 1) << "not killed by the signal";
    EXPECT_NE(limited.err.find("File too large"), std::string::npos) << limited.err;
}

TEST(EditorCommandLine, ManualPageIsWrittenFromTheSameTexts) {
    const auto page = runEditor("--manpage");
    ASSERT_EQ(page.exitCode, 0);
    EXPECT_EQ(page.out.rfind(".TH \"LANDWRIGHT\" 1 \"\" \"Landwright " LW_VERSION "\"", 0), 0u);
    const auto help = runEditor("--help");
    // Every option and argument of the help, with its description.
    for (const char* text :
         {"Shows this help and stops.", "Shows the version and stops.",
          "The map to open (.xom, or .xan for Kestrel).", "\\fB\\-h\\fR, \\fB\\-\\-help\\fR",
          "\\fB\\-v\\fR, \\fB\\-\\-version\\fR"})
        EXPECT_NE(page.out.find(text), std::string::npos) << text;
    EXPECT_NE(help.out.find("Shows this help and stops."), std::string::npos);
}

} // namespace

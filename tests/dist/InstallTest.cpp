// `cmake --install` into a fresh prefix: every file in its place and nothing else, each checked
// by the tool a desktop uses to read it, the thumbnailer run as a file manager runs it, and the
// manual pages against the programs' --help.

#include "dist/DistSupport.h"

#include "core/MapGenerator.h"
#include "core/MapWriter.h"

#include <QImage>
#include <QSettings>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

using namespace lwtest;

namespace {

std::string slurp(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The value of `key` in the first group of a desktop-entry style file.
std::string entryValue(const std::filesystem::path& file, const std::string& key) {
    std::istringstream in(slurp(file));
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + "=", 0) == 0)
            return line.substr(key.size() + 1);
    return {};
}

#define REQUIRE_TOOL(tool)                                                                         \
    ASSERT_TRUE(haveTool(tool)) << tool << " is missing; scripts/install-deps installs it"

class Install : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<TempDir>();
        const auto installed =
            runCommand(std::string(LW_CMAKE) + " --install " + shellQuoted(LW_BUILD_DIR) +
                       " --prefix " + shellQuoted(prefix()));
        installLog_ = installed.out + installed.err;
        installStatus_ = installed.exitCode;
    }
    static void TearDownTestSuite() { dir_.reset(); }
    void SetUp() override { ASSERT_EQ(installStatus_, 0) << installLog_; }

    static std::filesystem::path prefix() { return dir_->path() / "prefix"; }
    static std::filesystem::path share(const std::string& rest) {
        return prefix() / "share" / rest;
    }

    static inline std::unique_ptr<TempDir> dir_;
    static inline std::string installLog_;
    static inline int installStatus_ = -1;
};

TEST_F(Install, PutsEveryFileInItsPlaceAndNothingElse) {
    // Beside the installed files only the caches the install refreshes at its end.
    std::set<std::string> installed, caches;
    for (const std::string& file : filesUnder(prefix())) {
        const bool cache =
            (file.rfind("share/mime/", 0) == 0 && file.rfind("share/mime/packages/", 0) != 0) ||
            file == "share/applications/mimeinfo.cache";
        (cache ? caches : installed).insert(file);
    }
    EXPECT_EQ(installed, expectedInstalledFiles());
    REQUIRE_TOOL("update-mime-database");
    REQUIRE_TOOL("update-desktop-database");
    for (const char* file : {"share/mime/mime.cache", "share/mime/application/x-xom-map.xml",
                             "share/applications/mimeinfo.cache"})
        EXPECT_TRUE(caches.count(file)) << file;
    for (const char* program : {"landwright", "landwright-cli"}) {
        const auto perms = std::filesystem::status(prefix() / "bin" / program).permissions();
        EXPECT_NE(perms & std::filesystem::perms::others_exec, std::filesystem::perms::none);
    }
    // The installed programs run from there (no path into the build folder is needed).
    const auto version = runCommand(shellQuoted(prefix() / "bin/landwright-cli") + " --version");
    EXPECT_EQ(version.out, "landwright-cli " LW_VERSION "\n");
    EXPECT_EQ(
        runCommand("env -u DISPLAY " + shellQuoted(prefix() / "bin/landwright") + " --version").out,
        "landwright " LW_VERSION "\n");
}

TEST_F(Install, IconsHaveTheSizesTheirFoldersName) {
    for (int size : kIconSizes) {
        const auto file = share("icons/hicolor/" + std::to_string(size) + "x" +
                                std::to_string(size) + "/apps/" + kAppId + ".png");
        const QImage icon(QString::fromStdString(file.string()));
        ASSERT_FALSE(icon.isNull()) << file;
        EXPECT_EQ(icon.size(), QSize(size, size)) << file;
        EXPECT_TRUE(icon.hasAlphaChannel()) << file;
        // Drawn, with the corners left clear.
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << file;
        int opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                opaque += qAlpha(icon.pixel(x, y)) == 255;
        EXPECT_GT(opaque, size * size * 3 / 10) << file;
    }
    const auto svg = share(std::string("icons/hicolor/scalable/apps/") + kAppId + ".svg");
    EXPECT_TRUE(QSvgRenderer(QString::fromStdString(svg.string())).isValid());
}

TEST_F(Install, DesktopEntryIsValidAndPointsAtWhatWasInstalled) {
    REQUIRE_TOOL("desktop-file-validate");
    const auto desktop = share(std::string("applications/") + kAppId + ".desktop");
    const auto validated = runCommand("desktop-file-validate " + shellQuoted(desktop));
    EXPECT_EQ(validated.exitCode, 0) << validated.out << validated.err;
    EXPECT_EQ(validated.out + validated.err, "");

    EXPECT_EQ(entryValue(desktop, "Exec"), "landwright %f");
    EXPECT_TRUE(std::filesystem::exists(prefix() / "bin" / entryValue(desktop, "TryExec")));
    EXPECT_EQ(entryValue(desktop, "Icon"), kAppId);
    EXPECT_EQ(entryValue(desktop, "MimeType"), "application/x-xom-map;");
    EXPECT_NE(slurp(share(std::string("mime/packages/") + kAppId + ".xml"))
                  .find("type=\"application/x-xom-map\""),
              std::string::npos);
}

TEST_F(Install, ManualPagesLinkToEachOther) {
    const auto manual = share("doc/landwright/manual");
    ASSERT_TRUE(std::filesystem::exists(manual / "index.html"));
    const std::regex link("href=\"([^\"#:]*)(#[^\"]*)?\"");
    int links = 0;
    for (const auto& page : std::filesystem::directory_iterator(manual)) {
        const std::string html = slurp(page.path());
        EXPECT_NE(html.find("<title>Landwright: "), std::string::npos) << page.path();
        EXPECT_EQ(html.find(".md\""), std::string::npos) << page.path();
        EXPECT_EQ(html.find("picture:"), std::string::npos) << page.path();
        for (std::sregex_iterator it(html.begin(), html.end(), link), end; it != end; ++it) {
            ++links;
            EXPECT_TRUE(std::filesystem::exists(manual / (*it)[1].str()))
                << page.path() << " links to " << (*it)[1];
        }
    }
    EXPECT_GT(links, 20);
}

TEST_F(Install, AppStreamMetadataIsValid) {
    REQUIRE_TOOL("appstreamcli");
    const auto metainfo = share(std::string("metainfo/") + kAppId + ".metainfo.xml");
    const auto file = runCommand("appstreamcli validate --no-net " + shellQuoted(metainfo));
    EXPECT_EQ(file.exitCode, 0) << file.out << file.err;
    // The whole tree: the metadata with the desktop entry it launches and the icon.
    const auto tree = runCommand("appstreamcli validate-tree --no-net " + shellQuoted(prefix()));
    EXPECT_EQ(tree.exitCode, 0) << tree.out << tree.err;
    const std::string text = slurp(metainfo);
    EXPECT_NE(text.find("<release version=\"" LW_VERSION "\""), std::string::npos);
    EXPECT_NE(text.find(std::string("<launchable type=\"desktop-id\">") + kAppId + ".desktop"),
              std::string::npos);
}

TEST_F(Install, MapsAreKnownByNameAndByTheirFirstBytesAndOpenInTheEditor) {
    REQUIRE_TOOL("update-mime-database");
    REQUIRE_TOOL("update-desktop-database");
    // The install refreshed the prefix's caches, as the package's triggers do on a system:
    // maps are offered to the editor.
    EXPECT_NE(slurp(share("applications/mimeinfo.cache"))
                  .find(std::string("application/x-xom-map=") + kAppId + ".desktop;"),
              std::string::npos);

    ASSERT_TRUE(lw::WriteMapFile(*lw::makeDemoMap(), (dir_->path() / "demo.xom").string()).ok());
    std::filesystem::copy_file(dir_->path() / "demo.xom", dir_->path() / "demo.xan");
    std::filesystem::copy_file(dir_->path() / "demo.xom", dir_->path() / "renamed.bin");
    writeBytes(dir_->path() / "other.bin", {'N', 'O', 'T', ' ', 'A', ' ', 'M', 'A', 'P'});
    std::filesystem::create_directory(dir_->path() / "home");
    // A process of its own that sees only the installed data, as a file manager would.
    auto typeOf = [&](const std::string& name) {
        const auto r = runCommand("env XDG_DATA_HOME=" + shellQuoted(dir_->path() / "home") +
                                  " XDG_DATA_DIRS=" + shellQuoted(share("")) + " " +
                                  shellQuoted(std::filesystem::read_symlink("/proc/self/exe")) +
                                  " --mime-type-of " + shellQuoted(dir_->path() / name));
        return r.out;
    };
    EXPECT_EQ(typeOf("demo.xom"), "application/x-xom-map\n");
    EXPECT_EQ(typeOf("demo.xan"), "application/x-xom-map\n");
    EXPECT_EQ(typeOf("renamed.bin"), "application/x-xom-map\n");
    EXPECT_NE(typeOf("other.bin"), "application/x-xom-map\n");
}

TEST_F(Install, ThumbnailerEntryDrawsAThumbnailAsAFileManagerAsks) {
    const auto entry = share(std::string("thumbnailers/") + kAppId + ".thumbnailer");
    EXPECT_EQ(entryValue(entry, "MimeType"), "application/x-xom-map;");
    EXPECT_TRUE(std::filesystem::exists(prefix() / "bin" / entryValue(entry, "TryExec")));
    const std::string map = (dir_->path() / "thumb source.xom").string();
    ASSERT_TRUE(lw::WriteMapFile(*lw::makeDemoMap(), map).ok());
    const std::string out = (dir_->path() / "thumb out.png").string();
    // The file manager fills in the fields and runs the line without a shell.
    std::string command;
    std::istringstream exec(entryValue(entry, "Exec"));
    std::string word;
    while (exec >> word) {
        if (word == "%i")
            word = map;
        else if (word == "%o")
            word = out;
        else if (word == "%s")
            word = "96";
        command += " " + shellQuoted(word);
    }
    const auto r =
        runCommand("env -u DISPLAY PATH=" + shellQuoted(prefix() / "bin") + ":\"$PATH\"" + command);
    ASSERT_EQ(r.exitCode, 0) << command << "\n" << r.err;
    EXPECT_EQ(QImage(QString::fromStdString(out)).size(), QSize(96, 96));
}

TEST_F(Install, ManualPagesRenderCleanlyAndSayWhatHelpSays) {
    REQUIRE_TOOL("man");
    std::string warnings;
    const std::string editor = renderedManPage(share("man/man1/landwright.1.gz"), warnings);
    EXPECT_EQ(warnings, "");
    const std::string tool = renderedManPage(share("man/man1/landwright-cli.1.gz"), warnings);
    EXPECT_EQ(warnings, "");
    std::string missing;

    // The editor's help, past its first line, in the order it has it.
    const auto help =
        runCommand("env -u DISPLAY " + shellQuoted(prefix() / "bin/landwright") + " --help");
    ASSERT_EQ(help.exitCode, 0);
    for (const char* heading : {"Options:", "Arguments:"})
        EXPECT_NE(help.out.find(heading), std::string::npos);
    std::string body = help.out.substr(help.out.find('\n'));
    for (const char* heading : {"Options:", "Arguments:"})
        body.erase(body.find(heading), std::string(heading).size());
    EXPECT_TRUE(wordsAppearInOrder(body, editor, missing)) << missing << "\n" << editor;

    // The tool's help: every subcommand, and each subcommand's whole help in order.
    const std::string cli = shellQuoted(prefix() / "bin/landwright-cli");
    const auto toolHelp = runCommand(cli + " --help");
    std::istringstream lines(toolHelp.out.substr(toolHelp.out.find("Subcommands:")));
    std::string line;
    std::getline(lines, line);
    int subcommands = 0;
    while (std::getline(lines, line) && !line.empty()) {
        const std::string name = line.substr(2, line.find(' ', 2) - 2);
        const auto subHelp = runCommand(cli + " " + name + " --help");
        ASSERT_EQ(subHelp.exitCode, 0) << name;
        const std::string text = subHelp.out.substr(subHelp.out.find(' ') + 1); // past "usage:"
        const size_t section = tool.find("\n   " + name + "\n");
        ASSERT_NE(section, std::string::npos) << name;
        EXPECT_TRUE(wordsAppearInOrder(text, tool.substr(section), missing))
            << name << ": " << missing;
        ++subcommands;
    }
    EXPECT_GE(subcommands, 14);
    for (const char* text : {"--help", "--version", "--node=3", "usage error"})
        EXPECT_NE(tool.find(text), std::string::npos) << text;
}

} // namespace

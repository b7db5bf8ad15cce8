#include "dist/DistSupport.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace lwtest {

std::set<std::string> expectedInstalledFiles() {
    const std::string id = kAppId;
    std::set<std::string> files = {
        "bin/landwright",
        "bin/landwright-cli",
        "share/applications/" + id + ".desktop",
        "share/metainfo/" + id + ".metainfo.xml",
        "share/mime/packages/" + id + ".xml",
        "share/thumbnailers/" + id + ".thumbnailer",
        "share/icons/hicolor/scalable/apps/" + id + ".svg",
        "share/man/man1/landwright.1.gz",
        "share/man/man1/landwright-cli.1.gz",
        "share/doc/landwright/README.md",
    };
    for (int size : kIconSizes)
        files.insert("share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) +
                     "/apps/" + id + ".png");
    // Every page of the built-in manual, as HTML.
    for (const auto& page : std::filesystem::directory_iterator(LW_MANUAL_DIR))
        if (page.path().extension() == ".md")
            files.insert("share/doc/landwright/manual/" + page.path().stem().string() + ".html");
    return files;
}

std::set<std::string> filesUnder(const std::filesystem::path& root) {
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (!entry.is_directory())
            files.insert(std::filesystem::relative(entry.path(), root).string());
    return files;
}

bool haveTool(const std::string& tool) {
    return runCommand("command -v " + tool).exitCode == 0;
}

std::string renderedManPage(const std::filesystem::path& page, std::string& warnings) {
    // Wide lines keep paragraphs on one line, so nothing is hyphenated.
    const auto shown =
        runCommand("env LC_ALL=C MANWIDTH=2000 man --warnings -l " + shellQuoted(page));
    warnings = shown.err;
    if (shown.exitCode != 0)
        warnings += "\nman exited with " + std::to_string(shown.exitCode);
    return shown.out;
}

namespace {

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string word;
    while (in >> word) {
        std::string clean;
        for (char c : word)
            if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_')
                clean += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!clean.empty())
            out.push_back(clean);
    }
    return out;
}

} // namespace

bool wordsAppearInOrder(const std::string& text, const std::string& page, std::string& missing) {
    const auto wanted = words(text);
    const auto have = words(page);
    size_t at = 0;
    for (const std::string& w : wanted) {
        while (at < have.size() && have[at] != w)
            ++at;
        if (at == have.size()) {
            missing = w;
            return false;
        }
        ++at;
    }
    return true;
}

} // namespace lwtest

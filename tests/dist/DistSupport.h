#pragma once
// What the install and package tests share: the files an install must hold, the tools that
// check them, and reading manual pages as a user sees them.

#include "support/TestSupport.h"

#include <set>
#include <string>

namespace lwtest {

inline constexpr const char* kAppId = "org.corvell.Landwright";
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};

// Every file an install puts under its prefix, relative to it.
std::set<std::string> expectedInstalledFiles();
// Every file under `root`, relative to it.
std::set<std::string> filesUnder(const std::filesystem::path& root);
// True when `tool` is on PATH.
bool haveTool(const std::string& tool);
// The text of a manual page as `man` shows it, in plain ASCII and without line breaks inside
// paragraphs; what groff warned about in `warnings`.
std::string renderedManPage(const std::filesystem::path& page, std::string& warnings);
// True when the words of `text` appear in `page` in the same order (letter case, hyphens at the
// end of lines and punctuation around words aside).
bool wordsAppearInOrder(const std::string& text, const std::string& page, std::string& missing);

} // namespace lwtest

#pragma once
// Manual pages in the man(7) macros, written from the same texts the programs print for --help,
// so the installed pages cannot drift from what the programs say about themselves.

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace lw {

// Text made safe for roff: backslashes, hyphens (so that options stay copyable), and lines that
// would otherwise start with a control character.
std::string roffEscape(std::string_view text);

// The text with its first letter in capitals, for texts that --help writes in lower case.
std::string capitalized(std::string_view text);

// A synopsis in the usual fonts: options ("-o", "--size") and the words in `bold` are bold,
// words in capitals (MAP, OUT.png, WxH) italic, brackets, bars and the rest as they are.
std::string roffUsage(std::string_view usage);

class ManPage {
public:
    // `name` is the program, `summary` the line after its name in NAME.
    ManPage(std::string name, int section, std::string source, std::string summary);

    // A .SH heading, e.g. "SYNOPSIS"; titles are written in capitals.
    void section(std::string_view title);
    // A .SS heading.
    void subsection(std::string_view title);
    // A filled paragraph.
    void paragraph(std::string_view text);
    // A synopsis line (roffUsage).
    void usage(std::string_view text);
    // A tagged paragraph: `tag` as a synopsis, `text` filled and indented.
    void item(std::string_view tag, std::string_view text);
    // Help text in the programs' --help layout, turned into paragraphs and tagged items:
    //   lines at the left margin are prose, except those that start with `itemPrefix`, which
    //   open an item (lines indented by more than two spaces right after it continue its tag);
    //   lines indented by two spaces are the text of the current item.
    void helpText(std::string_view text, std::string_view itemPrefix);

    // "name(section)" references in bold, separated by commas.
    void seeAlso(std::initializer_list<std::pair<std::string_view, int>> pages);

    const std::string& text() const { return text_; }

private:
    std::string text_;
};

} // namespace lw

// Manual pages written from help texts: what roff would misread is escaped, synopses get the
// usual fonts, and the --help layout turns into paragraphs and tagged items.

#include "ui/ManPage.h"

#include <gtest/gtest.h>

using namespace lw;

namespace {

// The lines of `text` that start a request (".XX").
std::vector<std::string> requests(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        if (!line.empty() && line[0] == '.')
            out.push_back(line.substr(0, line.find(' ')));
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return out;
}

TEST(ManPage, EscapesWhatRoffWouldReadAsRequestsOrEscapes) {
    EXPECT_EQ(roffEscape("--node 3"), "\\-\\-node 3");
    EXPECT_EQ(roffEscape("C:\\maps\\a.xom"), "C:\\emaps\\ea.xom");
    // A help line that starts with a dot or a quote must not become a request.
    ManPage page("tool", 1, "Tool 1.0", "does things");
    page.paragraph(".vox files are blocks\n'quoted' names stay\nplain text");
    const std::string& t = page.text();
    EXPECT_NE(t.find("\n\\&.vox files are blocks\n"), std::string::npos) << t;
    EXPECT_NE(t.find("\n\\&'quoted' names stay\n"), std::string::npos) << t;
    EXPECT_EQ(requests(t), (std::vector<std::string>{".TH", ".SH", ".PP"}));
    EXPECT_EQ(t.rfind(".TH \"TOOL\" 1 \"\" \"Tool 1.0\" \"User Commands\"\n.SH NAME\ntool \\- "
                      "does things\n",
                      0),
              0u)
        << t;
}

TEST(ManPage, UsageFontsFollowTheKindOfWord) {
    EXPECT_EQ(
        roffUsage("render MAP -o OUT.png [--size WxH]"),
        "\\fBrender\\fR \\fIMAP\\fR \\fB\\-o\\fR \\fIOUT.png\\fR [\\fB\\-\\-size\\fR \\fIWxH\\fR]");
    EXPECT_EQ(roffUsage("hmp terrain IN.hmp MAP|new OUT"),
              "\\fBhmp\\fR \\fBterrain\\fR \\fIIN.hmp\\fR \\fIMAP\\fR|\\fBnew\\fR \\fIOUT\\fR");
    // An ellipsis stays outside the font; punctuation alone stays as it is.
    EXPECT_EQ(roffUsage("SUBCOMMAND [ARGS...]"), "\\fISUBCOMMAND\\fR [\\fIARGS\\fR...]");
    // At the start of a line a dot would begin a request.
    EXPECT_EQ(roffUsage("..."), "\\&...");
    EXPECT_EQ(roffUsage("~/.config/x.conf"), "~/.config/x.conf");
}

TEST(ManPage, HelpLayoutBecomesParagraphsAndItems) {
    ManPage page("lw", 1, "LW", "x");
    page.helpText("Prose that runs\n"
                  "over two lines.\n"
                  "vox export MAP --node N OUT.vox\n"
                  "  Writes the codes\n"
                  "  of every cell.\n"
                  "vox import MAP --node N IN.vox OUT [--a N]\n"
                  "           [--b] [--c]\n"
                  "  Reads them back.\n"
                  "Closing prose.\n",
                  "vox ");
    const std::string& t = page.text();
    EXPECT_EQ(requests(t), (std::vector<std::string>{".TH", ".SH", ".PP", ".TP", ".TP", ".PP"}))
        << t;
    // Prose lines stay together in one filled paragraph.
    EXPECT_NE(t.find(".PP\nProse that runs\nover two lines.\n.TP\n"), std::string::npos) << t;
    // The continued synopsis is one tag; the body follows without its indent.
    EXPECT_NE(
        t.find(
            "[\\fB\\-\\-a\\fR \\fIN\\fR] [\\fB\\-\\-b\\fR] [\\fB\\-\\-c\\fR]\nReads them back.\n"),
        std::string::npos)
        << t;
    EXPECT_NE(t.find("\nWrites the codes\nof every cell.\n"), std::string::npos) << t;
    EXPECT_NE(t.find(".PP\nClosing prose.\n"), std::string::npos) << t;
}

TEST(ManPage, ItemsSectionsAndReferences) {
    ManPage page("lw", 1, "LW", "x");
    page.section("See also");
    page.seeAlso({{"landwright", 1}, {"man", 7}});
    page.subsection("a \"quoted\" title");
    page.item("-h, --help", "Shows help.");
    const std::string& t = page.text();
    EXPECT_NE(t.find(".SH \"SEE ALSO\"\n.PP\n.BR landwright (1),\n.BR man (7)\n"),
              std::string::npos)
        << t;
    EXPECT_NE(t.find(".SS \"a \\(dqquoted\\(dq title\"\n"), std::string::npos) << t;
    EXPECT_NE(t.find(".TP\n\\fB\\-h\\fR, \\fB\\-\\-help\\fR\nShows help.\n"), std::string::npos)
        << t;
    EXPECT_EQ(capitalized("print the tree"), "Print the tree");
    EXPECT_EQ(capitalized(""), "");
}

} // namespace

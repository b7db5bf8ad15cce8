// The manual page of landwright-cli, written from the command table and the texts of --help.

#include "cli/Cli.h"

#include "ui/ManPage.h"

namespace lw::cli {

std::string manualPage(const char* version) {
    ManPage page("landwright-cli", 1, std::string("Landwright ") + version, kToolSummary);
    page.section("Synopsis");
    page.usage("landwright-cli SUBCOMMAND [ARGS...]");
    page.usage("landwright-cli SUBCOMMAND --help");
    page.usage("landwright-cli --help | --version");

    page.section("Description");
    page.paragraph("landwright-cli does batch work on the maps of the Landwright editor (XOM\n"
                   "containers, \".xom\", or \".xan\" for Kestrel) on the same code paths as the\n"
                   "editor: it inspects, validates, re-saves, generates, converts and draws maps\n"
                   "without a display. Every subcommand describes itself with --help.");
    page.paragraph(kOptionSyntax);

    page.section("Subcommands");
    for (const Command& c : commands()) {
        page.subsection(c.name);
        page.usage(std::string("landwright-cli ") + c.usage);
        page.paragraph(capitalized(c.summary) + ".");
        page.helpText(c.help, std::string(c.name) + " ");
    }

    page.section("Options");
    for (const auto& [name, text] : toolOptions())
        page.item(name, capitalized(text) + ".");

    page.section("Exit status");
    page.paragraph(capitalized(kExitStatus));

    page.section("See also");
    page.seeAlso({{"landwright", 1}});
    return page.text();
}

} // namespace lw::cli

#include "app/EditorCommandLine.h"

#include "core/InputFile.h"
#include "ui/ManPage.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>

#include <vector>

#ifndef LW_VERSION
#define LW_VERSION "0.0.0"
#endif

namespace lw {

namespace {

const char* const kProgram = "landwright";
const char* const kSummary = "editor for the terrain maps of Brimlow and Kestrel";
const char* const kDescription =
    "Opens MAP (a XOM container: .xom, or .xan for Kestrel), or an empty map without one, in a\n"
    "3D view beside its map tree and properties; shapes and paints the terrain, places objects,\n"
    "and saves maps the games read.";
const char* const kMapName = "MAP";
const char* const kMapText = "The map to open (.xom, or .xan for Kestrel).";

struct EditorOptions {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Shows this help and stops.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Shows the version and stops.")};
    QCommandLineOption textures{
        QStringLiteral("textures"),
        QStringLiteral("Opens the texture list LIST.txt and loads its textures."),
        QStringLiteral("LIST.txt")};
    QCommandLineOption bundles{QStringLiteral("bundles"),
                               QStringLiteral("Takes the texture images from the folder DIR."),
                               QStringLiteral("DIR")};
    // For the build, which installs the manual page.
    QCommandLineOption manual{QStringLiteral("manpage"),
                              QStringLiteral("Writes the manual page in roff.")};

    // The options every Qt program takes (QGuiApplication's and QApplication's), known here so
    // that the line can be read, and its mistakes reported, before there is an application.
    std::vector<QCommandLineOption> qtOptions;

    EditorOptions() {
        manual.setFlags(QCommandLineOption::HiddenFromHelp);
        for (const char* name :
             {"platform", "platformpluginpath", "platformtheme", "plugin", "qmljsdebugger",
              "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "display", "geometry",
              "name", "title", "style", "stylesheet"})
            qtOptions.emplace_back(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"})
            qtOptions.emplace_back(QString::fromLatin1(name));
        for (QCommandLineOption& option : qtOptions)
            option.setFlags(QCommandLineOption::HiddenFromHelp);
    }

    void addTo(QCommandLineParser& parser) const {
        parser.setApplicationDescription(QString::fromLatin1(kDescription));
        parser.addOption(help);
        parser.addOption(version);
        parser.addOption(textures);
        parser.addOption(bundles);
        parser.addOption(manual);
        for (const QCommandLineOption& option : qtOptions)
            parser.addOption(option);
        parser.addPositionalArgument(QString::fromLatin1(kMapName), QString::fromLatin1(kMapText),
                                     QStringLiteral("[MAP]"));
    }
};

QString usageLine() {
    return QStringLiteral("Usage: %1 [options] [MAP]").arg(QString::fromLatin1(kProgram));
}

} // namespace

EditorCommandLine parseEditorCommandLine(const QStringList& arguments) {
    const EditorOptions options;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    options.addTo(parser);
    EditorCommandLine result;
    const bool parsed = parser.parse(arguments);
    // What a user asked for wins over a mistake elsewhere on the line.
    if (parser.isSet(options.manual)) {
        result.action = EditorCommandLine::Action::Manual;
    } else if (parser.isSet(options.help)) {
        result.action = EditorCommandLine::Action::Help;
    } else if (parser.isSet(options.version)) {
        result.action = EditorCommandLine::Action::Version;
    } else if (!parsed) {
        result.action = EditorCommandLine::Action::Error;
        result.message = parser.errorText();
    } else if (parser.positionalArguments().size() > 1) {
        result.action = EditorCommandLine::Action::Error;
        result.message = QStringLiteral("Too many arguments: the editor opens one map.");
    } else {
        result.textures = parser.value(options.textures);
        result.bundles = parser.value(options.bundles);
    }
    if (result.action == EditorCommandLine::Action::Run &&
        parser.positionalArguments().size() == 1) {
        result.map = parser.positionalArguments().constFirst();
        if (result.map.isEmpty()) {
            result.action = EditorCommandLine::Action::Error;
            result.message = QStringLiteral("The map's name is empty.");
        }
    }
    return result;
}

QString unreadableMapReason(const QString& map) {
    // Checked without opening the file the ordinary way: a FIFO would wait for a writer forever.
    if (const auto problem = inputFileProblem(QFile::encodeName(map).toStdString()))
        return QString::fromStdString(*problem);
    return {};
}

QString editorHelpText() {
    const EditorOptions options;
    QCommandLineParser parser;
    options.addTo(parser);
    // Qt names the program by how it was started (or not at all before the application
    // exists); the help names it as a user types it.
    QString text = parser.helpText();
    const qsizetype firstLineEnd = text.indexOf(QLatin1Char('\n'));
    return usageLine() + text.mid(firstLineEnd);
}

QString editorVersionText() {
    return QStringLiteral("%1 %2\n").arg(QString::fromLatin1(kProgram),
                                         QString::fromLatin1(LW_VERSION));
}

std::string editorManualPage() {
    const EditorOptions options;
    ManPage page(kProgram, 1, std::string("Landwright ") + LW_VERSION, kSummary);
    page.section("Synopsis");
    page.usage(std::string(kProgram) + " [OPTIONS] [MAP]");
    page.usage(std::string(kProgram) + " --help | --version");
    page.section("Description");
    page.paragraph(kDescription);
    page.paragraph("Besides its own options the editor takes the standard options of Qt\n"
                   "programs, such as -platform NAME, -style NAME and -reverse.");
    page.section("Options");
    for (const QCommandLineOption* option :
         {&options.help, &options.version, &options.textures, &options.bundles}) {
        QString tag;
        for (const QString& name : option->names())
            tag += (tag.isEmpty() ? QString() : QStringLiteral(", ")) +
                   (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        if (!option->valueName().isEmpty())
            tag += QLatin1Char(' ') + option->valueName();
        page.item(tag.toStdString(), option->description().toStdString());
    }
    page.section("Arguments");
    page.item(kMapName, kMapText);
    page.section("Files");
    page.item("~/.config/Corvell/Landwright.conf",
              "The settings: folders, recent maps and texture lists, language and style.");
    page.section("See also");
    page.seeAlso({{"landwright-cli", 1}});
    return page.text();
}

} // namespace lw

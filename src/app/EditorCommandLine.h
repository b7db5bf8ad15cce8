#pragma once
// The editor's command line: `landwright [--textures LIST.txt] [--bundles DIR] [MAP]`, --help
// and --version, and the manual page
// written from the same texts.

#include <QString>
#include <QStringList>

#include <string>

namespace lw {

struct EditorCommandLine {
    enum class Action {
        Run,     // open the editor, with `map` when one was given
        Help,    // print helpText() and stop
        Version, // print versionText() and stop
        Manual,  // print the manual page and stop
        Error,   // print `message` (a usage error) and stop with status 2
    };
    Action action = Action::Run;
    QString map;
    // The texture list to open and the folder of its images, loaded once the window is up.
    QString textures;
    QString bundles;
    QString message;
};

// Reads the arguments, the program first. Qt's own options (-style NAME, -platform NAME, ...)
// are accepted and left to QApplication, so the line can be read before the application exists
// and help, the version and mistakes need no display.
EditorCommandLine parseEditorCommandLine(const QStringList& arguments);
// A map argument that cannot be opened: the reason, or an empty text when it can be read.
QString unreadableMapReason(const QString& map);

QString editorHelpText();
QString editorVersionText();
std::string editorManualPage();

} // namespace lw

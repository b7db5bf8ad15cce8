// The editor: one main window; `landwright [--textures LIST.txt] [--bundles DIR] [MAP]` opens
// that map, that texture list and the images of DIR, and loads the textures.

#include "app/EditorCommandLine.h"
#include "editor/gui/MainForm.h"
#include "ui/Version.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

QStringList argumentList(int argc, char** argv) {
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

// Prints the text, or the usage error, that the command line asked for; the exit status.
int answer(const lw::EditorCommandLine& line) {
    using Action = lw::EditorCommandLine::Action;
    switch (line.action) {
    case Action::Help:
        std::fputs(lw::editorHelpText().toLocal8Bit().constData(), stdout);
        return 0;
    case Action::Version:
        std::fputs(lw::editorVersionText().toLocal8Bit().constData(), stdout);
        return 0;
    case Action::Manual:
        std::fputs(lw::editorManualPage().c_str(), stdout);
        return 0;
    case Action::Error:
        std::fprintf(stderr, "landwright: %s\nTry 'landwright --help'.\n",
                     line.message.toLocal8Bit().constData());
        return 2;
    case Action::Run:
        break;
    }
    return 0;
}

// False, after saying why on stderr, when `map` is given and cannot be read.
bool reportUnreadable(const QString& map) {
    if (map.isEmpty())
        return true;
    const QString reason = lw::unreadableMapReason(map);
    if (reason.isEmpty())
        return true;
    std::fprintf(stderr, "landwright: cannot open the map %s: %s\n", map.toLocal8Bit().constData(),
                 reason.toLocal8Bit().constData());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // The line is read before the application exists: help, the version, mistakes and a map
    // that cannot be read are answered without a window, and without a display too.
    const lw::EditorCommandLine line = lw::parseEditorCommandLine(argumentList(argc, argv));
    if (line.action != lw::EditorCommandLine::Action::Run)
        return answer(line);
    if (!reportUnreadable(line.map))
        return 1;

    QGuiApplication::setDesktopFileName(QStringLiteral("org.corvell.Landwright"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(lw::kAppTitle));

    lw::TMainForm form;
    form.LoadSettings();
    form.show();
    form.offerRecovery();
    QTimer::singleShot(0, &form,
                       [&form, file = line.map, textures = line.textures, bundles = line.bundles] {
                           if (!file.isEmpty())
                               form.openMapFile(file);
                           if (!textures.isEmpty() || !bundles.isEmpty())
                               form.openTexturesAtStart(textures, bundles);
                       });
    return app.exec();
}

// The editor: one main window; `landwright [--textures LIST.txt] [--bundles DIR] [MAP]` opens
// that map, that texture list and the images of DIR, and loads the textures.

#include "app/EditorCommandLine.h"
#include "core/AtomicFile.h"
#include "editor/gui/MainForm.h"
#include "ui/Language.h"
#include "ui/Version.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

QStringList argumentList(int argc, char** argv) {
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

// Writes `text` to stdout; false, after saying why, when it did not all arrive (a full disk).
bool printed(const char* text) {
    errno = 0;
    if (std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0 && !std::ferror(stdout))
        return true;
    const int err = errno;
    std::fprintf(stderr, "landwright: cannot write the output: %s\n",
                 err != 0 ? std::strerror(err) : "write error");
    return false;
}

// Prints the text, or the usage error, that the command line asked for; the exit status.
int answer(const lw::EditorCommandLine& line) {
    using Action = lw::EditorCommandLine::Action;
    switch (line.action) {
    case Action::Help:
        return printed(lw::editorHelpText().toLocal8Bit().constData()) ? 0 : 1;
    case Action::Version:
        return printed(lw::editorVersionText().toLocal8Bit().constData()) ? 0 : 1;
    case Action::Manual:
        return printed(lw::editorManualPage().c_str()) ? 0 : 1;
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

// The last line of defence: a handler that runs out of memory (a file describing more than
// the computer holds) reports it and the editor goes on with what it had, instead of ending
// with the user's work.
class EditorApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc&) {
            QMessageBox::critical(nullptr, lw::langText("[sError]"),
                                  lw::langText("[sOutOfMemoryStopped]"));
            return false;
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    // First of all: a file-size limit fails a save instead of killing the editor, and an
    // interrupted save leaves no temporary file behind.
    lw::installSaveSignalHandlers();
    // The line is read before the application exists: help, the version, mistakes and a map
    // that cannot be read are answered without a window, and without a display too.
    const lw::EditorCommandLine line = lw::parseEditorCommandLine(argumentList(argc, argv));
    if (line.action != lw::EditorCommandLine::Action::Run)
        return answer(line);
    if (!reportUnreadable(line.map))
        return 1;

    QGuiApplication::setDesktopFileName(QStringLiteral("org.corvell.Landwright"));
    EditorApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(lw::kAppTitle));

    lw::TMainForm form;
    form.LoadSettings();
    form.show();
    const bool recovered = form.offerRecovery();
    QTimer::singleShot(
        0, &form,
        [&form, recovered, file = line.map, textures = line.textures, bundles = line.bundles] {
            if (!file.isEmpty())
                form.openMapAtStart(file, recovered);
            if (!textures.isEmpty() || !bundles.isEmpty())
                form.openTexturesAtStart(textures, bundles);
        });
    return app.exec();
}

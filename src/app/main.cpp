// The editor: one main window; `landwright [--textures LIST.txt] [--bundles DIR] [FILE]` opens
// that map, that texture list and the images of DIR, and loads the textures.

#include "editor/gui/MainForm.h"
#include "ui/Version.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(lw::kAppTitle));
    lw::TMainForm form;
    form.LoadSettings();
    form.show();
    QString file;
    QString textures;
    QString bundles;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--textures") && i + 1 < args.size())
            textures = args.at(++i);
        else if (args.at(i) == QLatin1String("--bundles") && i + 1 < args.size())
            bundles = args.at(++i);
        else
            file = args.at(i);
    }
    QTimer::singleShot(0, &form, [&form, file, textures, bundles] {
        if (!file.isEmpty())
            form.openMapFile(file);
        if (!textures.isEmpty() || !bundles.isEmpty())
            form.openTexturesAtStart(textures, bundles);
    });
    return app.exec();
}

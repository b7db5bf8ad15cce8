// The editor: one main window; `landwright FILE` opens that map.

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
    form.offerRecovery();
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) {
        const QString file = args.at(1);
        QTimer::singleShot(0, &form, [&form, file] { form.openMapFile(file); });
    }
    return app.exec();
}

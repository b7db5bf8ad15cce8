#include <QApplication>
#include <QLabel>

#include "ui/Version.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QString::fromLatin1(lw::kAppTitle));
    label.show();
    return app.exec();
}

#include "ui/gui/ErrorBox.h"

#include <QDir>
#include <QMessageBox>

namespace lw {

QString errorBoxText(const QString& text) {
    QString html;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        // A path broken at a "/" or "-" reads as two names: its line is never broken.
        const bool path = QDir::isAbsolutePath(line.trimmed());
        html += QStringLiteral("<p style=\"margin:0;%1\">%2</p>")
                    .arg(path ? QStringLiteral(" white-space:pre") : QString(),
                         line.isEmpty() ? QStringLiteral("&nbsp;") : line.toHtmlEscaped());
    }
    return html;
}

void showErrorBox(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Critical, title, errorBoxText(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::RichText);
    box.exec();
}

} // namespace lw

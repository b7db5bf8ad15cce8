#pragma once
// The program's error box: a critical message whose file paths stay whole on their lines.

#include <QString>

class QWidget;

namespace lw {

// `text` as the box shows it: lines that are a file path never wrap; the others wrap at blanks.
QString errorBoxText(const QString& text);
void showErrorBox(QWidget* parent, const QString& title, const QString& text);

} // namespace lw

#pragma once
// The pictures of the tool-bar buttons: our own drawings (SVG in the ToolBar resource),
// rendered sharp at the size asked for and at twice that for high-density screens.

#include <QIcon>
#include <QSize>
#include <QString>

namespace lw {

// The icon of the drawing ":/toolbar/NAME.svg" at `size`; an empty icon when there is no
// such drawing.
QIcon toolBarIcon(const QString& name, QSize size);

} // namespace lw

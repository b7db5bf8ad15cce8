#include "ui/gui/ControlLabel.h"

#include <QLabel>

namespace lw {

void placeControlLabel(QLabel* label, const QRect& control, LabelPosition position, int spacing) {
    if (!label)
        return;
    label->adjustSize();
    const QSize size = label->size();
    const int centredTop = control.top() + (control.height() - size.height()) / 2;
    QPoint topLeft;
    switch (position) {
    case LabelPosition::Above:
        topLeft = {control.left(), control.top() - spacing - size.height()};
        break;
    case LabelPosition::Below:
        topLeft = {control.left(), control.bottom() + 1 + spacing};
        break;
    case LabelPosition::Left:
        topLeft = {control.left() - spacing - size.width(), centredTop};
        break;
    case LabelPosition::Right:
        topLeft = {control.right() + 1 + spacing, centredTop};
        break;
    }
    label->move(topLeft);
}

} // namespace lw

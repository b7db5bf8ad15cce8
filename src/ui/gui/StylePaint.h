#pragma once
// Painting with the style colours: the gradient stretched over a rectangle, and the small helpers
// the windows use to give their plain panels, grids, tool bar, group boxes and tool buttons the
// program's look.

#include "ui/Style.h"

#include <QRect>

#include <initializer_list>

class QPainter;
class QTableView;
class QWidget;

namespace lw {

// Rectangle given by edges, right and bottom exclusive: (left, top)-(right, bottom).
inline QRect rectLTRB(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}
// The same edges as an outline for a one-pixel pen, which QPainter draws on the far edge
// inclusively: the outline covers columns left..right-1 and rows top..bottom-1.
inline QRect outlineLTRB(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left - 1, bottom - top - 1);
}

// Stretches the current style gradient (unactive first, active second) over `target`; the
// gradient runs along the target's height (vertical) or width (horizontal).
void paintStyleGradient(QPainter& painter, const QRect& target, GradientDirection direction,
                        bool symmetric);

// The surfaces that take the style gradient. A surface keeps it for its lifetime; the colours are
// read at every paint.
enum class StyleSurface {
    Panel,      // a plain panel (QFrame): horizontal symmetric inside its frame, frame on top
    Grid,       // a table: horizontal symmetric behind the cells, across the viewport
    ToolBar,    // the main tool bar: vertical symmetric over the whole bar
    GroupBox,   // a group box: horizontal symmetric across the box, frame and title on top
    ToolButton, // a tool button: drawn as usual, then a yellow outline while it is down
};
void applyStyleSurface(QWidget* widget, StyleSurface surface);

// The outline drawn over a tool button that is down: (left + 1, top + 1)-(right - 2, bottom - 1).
void paintDownButtonFrame(QPainter& painter, const QRect& button);

// After a change of style: the window and its scroll boxes in `scrollBoxes` take the unactive
// colour as background, and every numeric field in it the colours of its state at once.
void applyWindowStyle(QWidget* window, std::initializer_list<QWidget*> scrollBoxes = {});

// Keeps the columns of a 4- or 5-column grid filling its width (see gridColumnWidths).
void applyGridColumnRule(QTableView* grid);

} // namespace lw

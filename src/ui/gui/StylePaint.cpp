#include "ui/gui/StylePaint.h"

#include "ui/GridColumns.h"
#include "ui/gui/EditX.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QPaintEvent>
#include <QPainter>
#include <QTableWidget>

namespace lw {

namespace {

constexpr QRgb kDownFrameColor = 0xFFFFFF00; // yellow

class SurfaceFilter : public QObject {
public:
    SurfaceFilter(QWidget* painted, StyleSurface surface)
        : QObject(painted), painted_(painted), surface_(surface) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != painted_ || event->type() != QEvent::Paint)
            return false;
        if (surface_ == StyleSurface::ToolButton) {
            // Let the button draw itself first, then mark it when it is down.
            static_cast<QObject*>(painted_)->event(event);
            const auto* button = qobject_cast<QAbstractButton*>(painted_);
            if (button && (button->isDown() || button->isChecked())) {
                QPainter painter(painted_);
                paintDownButtonFrame(painter, painted_->rect());
            }
            return true;
        }
        QPainter painter(painted_);
        switch (surface_) {
        case StyleSurface::Panel: {
            const auto* frame = qobject_cast<QFrame*>(painted_);
            paintStyleGradient(painter, frame ? frame->contentsRect() : painted_->rect(),
                               GradientDirection::Horizontal, true);
            return false;
        }
        case StyleSurface::Grid:
        case StyleSurface::GroupBox:
            paintStyleGradient(painter, painted_->rect(), GradientDirection::Horizontal, true);
            return false;
        case StyleSurface::ToolBar:
            // The bar's own panel would paint over the gradient; the buttons are children.
            paintStyleGradient(painter, painted_->rect(), GradientDirection::Vertical, true);
            return true;
        case StyleSurface::ToolButton:
            break;
        }
        return false;
    }

private:
    QWidget* painted_;
    StyleSurface surface_;
};

class ColumnRuleFilter : public QObject {
public:
    explicit ColumnRuleFilter(QTableView* grid) : QObject(grid), grid_(grid) { apply(); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == grid_ && event->type() == QEvent::Resize)
            apply();
        return false;
    }

private:
    void apply() {
        const int columns = grid_->model() ? grid_->model()->columnCount() : 0;
        const std::vector<int> widths = gridColumnWidths(columns, grid_->width());
        for (int c = 0; c < int(widths.size()); ++c)
            grid_->setColumnWidth(c, widths[std::size_t(c)]);
    }

    QTableView* grid_;
};

} // namespace

void paintStyleGradient(QPainter& painter, const QRect& target, GradientDirection direction,
                        bool symmetric) {
    if (target.isEmpty())
        return;
    const int length = direction == GradientDirection::Vertical ? target.height() : target.width();
    painter.drawImage(target, styleGradient(direction, length, symmetric));
}

void applyStyleSurface(QWidget* widget, StyleSurface surface) {
    if (!widget)
        return;
    QWidget* painted = widget;
    if (surface == StyleSurface::Grid) {
        if (auto* area = qobject_cast<QAbstractScrollArea*>(widget))
            painted = area->viewport();
    }
    painted->installEventFilter(new SurfaceFilter(painted, surface));
    painted->update();
}

void paintDownButtonFrame(QPainter& painter, const QRect& button) {
    painter.save();
    painter.setPen(QColor::fromRgb(kDownFrameColor));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(outlineLTRB(button.left() + 1, button.top() + 1, button.right() + 1 - 2,
                                 button.bottom() + 1 - 1));
    painter.restore();
}

void applyWindowStyle(QWidget* window, std::initializer_list<QWidget*> scrollBoxes) {
    if (!window)
        return;
    const QColor unactive = toQColor(unactiveColor());
    auto paintBackground = [&unactive](QWidget* w) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, unactive);
        w->setPalette(pal);
    };
    paintBackground(window);
    for (QWidget* box : scrollBoxes)
        if (box)
            paintBackground(box);
    for (TEditX* field : window->findChildren<TEditX*>())
        field->applyStyleColours();
    window->update();
}

void applyGridColumnRule(QTableView* grid) {
    if (!grid)
        return;
    // The rule sets every width itself, including a 16-pixel first column.
    grid->horizontalHeader()->setMinimumSectionSize(0);
    grid->installEventFilter(new ColumnRuleFilter(grid));
}

} // namespace lw

#include "ui/gui/PanelPlus.h"

#include "ui/gui/StylePaint.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace lw {

namespace {

constexpr int kHeaderGradientLength = 24;
constexpr int kCornerRadius = 3; // rounded corners 6 pixels across

} // namespace

TPanelPlus::TPanelPlus(QWidget* parent) : QWidget(parent) {
    setMinimumWidth(kMinimumWidth);
    setMouseTracking(true); // the cursor changes over the collapse button
    applyHeight();
}

void TPanelPlus::applyHeight() {
    setFixedHeight(collapse_ ? kCollapsedHeight : std::max(kCollapsedHeight, fullHeight_));
}

void TPanelPlus::setCollapse(bool collapse) {
    // Inside a scroll area the view keeps its position: Qt's scroll areas do not scroll to the
    // focused control when content changes size, so only the new range can move it.
    collapse_ = collapse;
    applyHeight();
    update();
}

void TPanelPlus::setFullHeight(int height) {
    fullHeight_ = height;
    setCollapse(collapse_);
}

void TPanelPlus::setCaption(const QString& caption) {
    caption_ = caption;
    placeHeaderEdit();
    update();
}

void TPanelPlus::setMakeEdit(bool makeEdit) {
    makeEdit_ = makeEdit;
    if (makeEdit && !headerEdit_) {
        headerEdit_ = new QLineEdit(this);
        headerEdit_->setObjectName(QStringLiteral("HeaderEdit"));
        headerEdit_->setReadOnly(true);
        headerEdit_->setFrame(false);
        headerEdit_->setText(editText_);
        if (!editColor_.isValid())
            editColor_ = toQColor(unactiveColor());
        setEditColor(editColor_);
        placeHeaderEdit();
    }
    if (headerEdit_)
        headerEdit_->setVisible(makeEdit);
}

void TPanelPlus::setEditText(const QString& text) {
    editText_ = text;
    if (headerEdit_)
        headerEdit_->setText(text);
}

void TPanelPlus::setEditColor(const QColor& color) {
    editColor_ = color;
    if (!headerEdit_)
        return;
    QPalette pal = headerEdit_->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::Base, color);
    headerEdit_->setPalette(pal);
}

bool TPanelPlus::inCollapseButton(const QPoint& pos, int width) {
    return pos.x() > width - 26 && pos.x() < width - 7 && pos.y() > 3 && pos.y() < 22;
}

QRect TPanelPlus::headerEditGeometry(int captionWidth, int width) {
    const int snap = captionWidth % 20;
    return QRect(captionWidth - snap + 29, 3, width + snap - captionWidth - 57, 19);
}

void TPanelPlus::placeHeaderEdit() {
    if (headerEdit_)
        headerEdit_->setGeometry(
            headerEditGeometry(fontMetrics().horizontalAdvance(caption_), width()));
}

void TPanelPlus::paintEvent(QPaintEvent* event) {
    const int w = width();
    const int h = height();
    {
        QPainter p(this);
        p.fillRect(event->rect(), palette().color(backgroundRole()));

        p.drawImage(rectLTRB(5, 1, w - 5, 24),
                    styleGradient(GradientDirection::Vertical, kHeaderGradientLength, false));
        p.setPen(palette().color(QPalette::WindowText));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(outlineLTRB(4, 0, w - 4, 25), kCornerRadius, kCornerRadius);
        p.drawText(QPoint(7, 5 + fontMetrics().ascent()), caption_);

        // The collapse button: a minus, or a plus while collapsed.
        p.drawRoundedRect(outlineLTRB(w - 26, 3, w - 7, 22), kCornerRadius, kCornerRadius);
        p.drawLine(w - 22, 12, w - 12, 12);
        if (collapse_)
            p.drawLine(w - 17, 7, w - 17, 17);

        if (!collapse_)
            paintStyleGradient(p, rectLTRB(10, 25, w - 10, h - 1), GradientDirection::Horizontal,
                               true);
        p.drawRect(outlineLTRB(10, 24, w - 10, h));
    }
    emit OnPaint();
}

void TPanelPlus::mouseMoveEvent(QMouseEvent* event) {
    if (inCollapseButton(event->position().toPoint(), width()))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    QWidget::mouseMoveEvent(event);
}

void TPanelPlus::mousePressEvent(QMouseEvent* event) {
    // Decided by position, not by the cursor shown, so a click without a preceding move counts.
    if (event->button() == Qt::LeftButton &&
        inCollapseButton(event->position().toPoint(), width())) {
        setCollapse(!collapse_);
    } else if (parentWidget()) {
        // Moving the focus away commits a field being edited in the panel.
        parentWidget()->setFocus(Qt::MouseFocusReason);
    }
    event->accept();
}

void TPanelPlus::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeHeaderEdit();
}

void TPanelPlus::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        placeHeaderEdit();
}

} // namespace lw

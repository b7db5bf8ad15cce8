#include "ui/gui/SpinFloatX.h"

#include "ui/gui/EditX.h"
#include "ui/gui/StylePaint.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <qdrawutil.h>

#include <algorithm>
#include <cmath>

namespace lw {

namespace {

constexpr int kWrapInset = 15; // where a wrapped pointer lands, from the left/top edge

// Two small arrow heads, up and down, on a transparent ground.
QPixmap drawUpdownBitmap() {
    QImage image(7, 11, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const QRgb ink = qRgb(0, 0, 0);
    for (int row = 0; row < 4; ++row) {
        for (int x = 3 - row; x <= 3 + row; ++x) {
            image.setPixel(x, row, ink);      // up, point at the top
            image.setPixel(x, 10 - row, ink); // down, point at the bottom
        }
    }
    return QPixmap::fromImage(image);
}

// A vertical double arrow with a short cross bar: drag up or down, sideways changes the step.
QCursor drawUpdownCursor() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainterPath path;
    path.moveTo(15.5, 2);
    path.lineTo(21.5, 9);
    path.lineTo(17.5, 9);
    path.lineTo(17.5, 14);
    path.lineTo(22, 14);
    path.lineTo(22, 17);
    path.lineTo(17.5, 17);
    path.lineTo(17.5, 22);
    path.lineTo(21.5, 22);
    path.lineTo(15.5, 29);
    path.lineTo(9.5, 22);
    path.lineTo(13.5, 22);
    path.lineTo(13.5, 17);
    path.lineTo(9, 17);
    path.lineTo(9, 14);
    path.lineTo(13.5, 14);
    path.lineTo(13.5, 9);
    path.lineTo(9.5, 9);
    path.closeSubpath();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.setBrush(Qt::black);
    painter.drawPath(path);
    painter.end();
    return QCursor(QPixmap::fromImage(image), 15, 15);
}

// The step exponent a drag starts from; a step base that is not a positive number starts at the
// finest step instead of turning the value into NaN.
double startExponent(double floatDiv) {
    if (!(floatDiv > 0.0))
        return TSpinFloatX::kMinExponent;
    return std::log10(floatDiv);
}

} // namespace

TSpinFloatX::TSpinFloatX(QWidget* parent) : QWidget(parent) {
    resize(kWidth, 21);
}

TEditX* TSpinFloatX::linkedEdit() const {
    return edit_.data();
}

void TSpinFloatX::setValue(double value) {
    value_ = value;
    if (edit_)
        edit_->setFloatVal(value); // clamps and assigns back
}

const QCursor& TSpinFloatX::updownCursor() {
    static const QCursor cursor = drawUpdownCursor();
    return cursor;
}

const QPixmap& TSpinFloatX::updownBitmap() {
    static const QPixmap bitmap = drawUpdownBitmap();
    return bitmap;
}

QPoint TSpinFloatX::wrapPointer(const QPoint& global, const QRect& desktop) {
    const auto wrap = [](int pos, int origin, int size) {
        const int rel = pos - origin;
        if (rel > size - kEdgeMargin)
            return origin + kWrapInset;
        if (rel < kWrapInset)
            return origin + size - kEdgeMargin;
        return pos;
    };
    return {wrap(global.x(), desktop.left(), desktop.width()),
            wrap(global.y(), desktop.top(), desktop.height())};
}

void TSpinFloatX::paintEvent(QPaintEvent*) {
    QPainter p(this);
    qDrawWinButton(&p, rect(), palette(), pressed_);
    const int inset = pressed_ ? 2 : 1;
    paintStyleGradient(p, rectLTRB(inset, inset, width() - 2, height() - 2),
                       GradientDirection::Vertical, true);
    const QPixmap& bitmap = updownBitmap();
    const int shift = pressed_ ? 1 : 0;
    p.drawPixmap((width() - bitmap.width()) / 2 + shift, (height() - bitmap.height()) / 2 + shift,
                 bitmap);
}

void TSpinFloatX::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    pressed_ = true;
    previous_ = event->globalPosition().toPoint();
    exponent_ = startExponent(floatDiv_);
    update();
}

void TSpinFloatX::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_)
        return;
    setCursor(updownCursor());
    const QPoint pos = event->globalPosition().toPoint();
    exponent_ += (previous_.x() - pos.x()) * kExponentPerPixel;
    exponent_ = std::clamp(exponent_, kMinExponent, kMaxExponent);
    // Whole decades only; halves go to the even decade, as the processor rounds.
    const double step = std::pow(10.0, std::nearbyint(exponent_));
    const int rise = previous_.y() - pos.y();
    if (rise != 0)
        setValue(value_ + step * rise);

    previous_ = pos;
    if (QScreen* desktop = screen()) {
        const QPoint wrapped = wrapPointer(pos, desktop->virtualGeometry());
        if (wrapped != pos) {
            QCursor::setPos(desktop, wrapped);
            previous_ = wrapped;
        }
    }
}

void TSpinFloatX::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_)
        return;
    pressed_ = false;
    unsetCursor();
    update();
}

} // namespace lw

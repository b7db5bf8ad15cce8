#pragma once
// TSpinFloatX: the drag spinner at the right edge of every float field. Dragging up raises the
// value and down lowers it; dragging left makes each pixel's step ten times coarser per 100 pixels
// and right finer, between 1 and 0.0000001. The pointer wraps at the screen edges so a drag can go
// on as far as the user likes.

#include <QCursor>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace lw {

class TEditX;

class TSpinFloatX : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 13;
    static constexpr double kMinExponent = -7.0;
    static constexpr double kMaxExponent = 0.0;
    static constexpr double kExponentPerPixel = 0.01;
    static constexpr int kEdgeMargin = 16; // pointer wrap distance from the right/bottom edge

    explicit TSpinFloatX(QWidget* parent = nullptr);

    double value() const { return value_; }
    // Sets the value and shows it in the linked edit (which may clamp it to its range).
    void setValue(double value);
    double FloatDiv() const { return floatDiv_; }
    void setFloatDiv(double floatDiv) { floatDiv_ = floatDiv; }

    TEditX* linkedEdit() const;
    bool isPressed() const { return pressed_; }
    double stepExponent() const { return exponent_; }

    // The "UPDOWN" cursor shown while dragging and the "UPDOWN" bitmap drawn on the control.
    static const QCursor& updownCursor();
    static const QPixmap& updownBitmap();

    // Where the pointer goes when it reached (or passed) an edge of `desktop`: 15 pixels in from
    // the left/top when within kEdgeMargin of the right/bottom, and kEdgeMargin in from the
    // right/bottom when less than 15 from the left/top. Unchanged otherwise.
    static QPoint wrapPointer(const QPoint& global, const QRect& desktop);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class TEditX;
    void link(TEditX* edit) { edit_ = edit; }
    // Takes a value from the edit without handing it back.
    void assignValue(double value) { value_ = value; }

    double value_ = 0.0;
    double floatDiv_ = 1.0;
    QPointer<TEditX> edit_;
    bool pressed_ = false;
    QPoint previous_;
    double exponent_ = 0.0;
};

} // namespace lw

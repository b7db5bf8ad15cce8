#pragma once
// TEditX: the labelled float field of the property sheets. It shows a value in fixed notation,
// keeps it inside its range, writes every shown value into an optional bound 32-bit float and
// announces it through FloatFunc. A TSpinFloatX at its right edge drags the value.

#include "ui/gui/ControlLabel.h"

#include <QLineEdit>
#include <QPointer>

#include <QLabel>

namespace lw {

class TSpinFloatX;

class TEditX : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int kDefaultPrecision = 6;
    static constexpr int kMaxPrecision = 16;

    explicit TEditX(QWidget* parent = nullptr);
    ~TEditX() override;

    // The value shown; also the spinner's value.
    double FloatVal() const { return value_; }
    // Shows `value`: clamped to the range when MinValue differs from MaxValue, written to the
    // bound variable, announced through FloatFunc, and remembered as the last good text.
    void setFloatVal(double value);

    double MinValue() const { return minValue_; }
    double MaxValue() const { return maxValue_; }
    void setMinValue(double v) { minValue_ = v; }
    void setMaxValue(double v) { maxValue_ = v; }
    void setRange(double minValue, double maxValue);

    int Precision() const { return precision_; }
    void setPrecision(int precision); // clamped to 0..16; reshows the value

    double FloatDiv() const { return floatDiv_; }
    void setFloatDiv(double floatDiv); // the spinner's starting step

    // Receives every shown value as a 32-bit float; null unbinds. The caller keeps the float
    // alive while it is bound (unbind before the node it belongs to goes away).
    void setBoundVariable(float* target) { bound_ = target; }
    float* boundVariable() const { return bound_; }

    QString LabelText() const { return labelText_; }
    void setLabelText(const QString& text);
    LabelPosition labelPosition() const { return labelPosition_; }
    void setLabelPosition(LabelPosition position);
    int labelSpacing() const { return labelSpacing_; }
    void setLabelSpacing(int spacing);

    QLabel* label() const { return label_; }
    TSpinFloatX* spinner() const; // null until the field has a parent
    QString lastGoodText() const { return lastGoodText_; }

    void setVisible(bool visible) override;
    // Takes the current style colours: active when enabled, unactive when not.
    void applyStyleColours();

signals:
    void FloatFunc(double value);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    double clampToRange(double value) const; // no range when MinValue equals MaxValue
    void showValue(double value);
    void commit();
    void attachToParent();
    void placeCompanions();

    double value_ = 0.0;
    double minValue_ = 0.0;
    double maxValue_ = 0.0;
    int precision_ = kDefaultPrecision;
    double floatDiv_ = 1.0;
    float* bound_ = nullptr;
    QString lastGoodText_;
    QString labelText_;
    LabelPosition labelPosition_ = LabelPosition::Left;
    int labelSpacing_ = 5;
    QPointer<QLabel> label_;
    QPointer<TSpinFloatX> spinner_;
};

} // namespace lw

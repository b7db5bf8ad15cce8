#include "ui/gui/EditX.h"

#include "ui/FloatText.h"
#include "ui/Style.h"
#include "ui/gui/SpinFloatX.h"

#include <QKeyEvent>
#include <QLabel>

#include <algorithm>
#include <cmath>

namespace lw {

TEditX::TEditX(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    applyStyleColours();
    attachToParent();
    setFloatVal(0.0);
}

TEditX::~TEditX() {
    // The label and the spinner live on the parent; they go with the field.
    delete label_.data();
    delete spinner_.data();
}

TSpinFloatX* TEditX::spinner() const {
    return spinner_.data();
}

void TEditX::setFloatVal(double value) {
    if (!std::isfinite(value))
        return; // never push NaN or infinity into the data
    value_ = value;
    if (spinner_)
        spinner_->assignValue(value);
    showValue(value);
    lastGoodText_ = text();
}

double TEditX::clampToRange(double value) const {
    if (minValue_ != maxValue_) {
        if (value > maxValue_)
            return maxValue_;
        if (value < minValue_)
            return minValue_;
    }
    return value;
}

void TEditX::showValue(double value) {
    const double clamped = clampToRange(value);
    if (clamped != value) {
        setFloatVal(clamped); // shows the bound instead
        return;
    }
    if (bound_)
        *bound_ = static_cast<float>(value);
    emit FloatFunc(value);
    setText(formatFixed(value, precision_));
}

void TEditX::setRange(double minValue, double maxValue) {
    minValue_ = minValue;
    maxValue_ = maxValue;
}

void TEditX::setPrecision(int precision) {
    precision_ = std::clamp(precision, 0, kMaxPrecision);
    // Only the text changes; the value and the bound variable stay as they are.
    setText(formatFixed(value_, precision_));
    lastGoodText_ = text();
}

void TEditX::setFloatDiv(double floatDiv) {
    floatDiv_ = floatDiv;
    if (spinner_)
        spinner_->setFloatDiv(floatDiv);
}

void TEditX::setLabelText(const QString& text) {
    labelText_ = text;
    if (label_)
        label_->setText(text);
    placeCompanions();
}

void TEditX::setLabelPosition(LabelPosition position) {
    labelPosition_ = position;
    placeCompanions();
}

void TEditX::setLabelSpacing(int spacing) {
    labelSpacing_ = spacing;
    placeCompanions();
}

void TEditX::commit() {
    const QString typed = text();
    if (typed == lastGoodText_)
        return; // nothing was typed: re-reading the rounded text would change the value
    const std::optional<double> parsed = parseFloatText(typed);
    bool accept = parsed.has_value();
    if (accept && bound_) // what is shown must fit the bound 32-bit field
        accept = std::isfinite(static_cast<float>(clampToRange(*parsed)));
    if (accept)
        setFloatVal(*parsed);
    else
        setText(lastGoodText_);
}

void TEditX::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        commit();
        selectAll();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TEditX::focusOutEvent(QFocusEvent* event) {
    commit();
    QLineEdit::focusOutEvent(event);
}

void TEditX::setVisible(bool visible) {
    QLineEdit::setVisible(visible);
    if (label_)
        label_->setVisible(visible);
    if (spinner_)
        spinner_->setVisible(visible);
}

void TEditX::attachToParent() {
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    if (!label_) {
        label_ = new QLabel(labelText_, parent);
        label_->setAutoFillBackground(false); // the panel's gradient shows through
    } else {
        label_->setParent(parent);
    }
    if (!spinner_) {
        spinner_ = new TSpinFloatX(parent);
        spinner_->link(this);
        spinner_->setFloatDiv(floatDiv_);
        spinner_->assignValue(value_);
        spinner_->setEnabled(isEnabled());
    } else {
        spinner_->setParent(parent);
    }
    const bool hiddenByHand = isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide);
    label_->setVisible(!hiddenByHand);
    spinner_->setVisible(!hiddenByHand);
    placeCompanions();
}

void TEditX::placeCompanions() {
    const QRect box = geometry();
    if (spinner_)
        spinner_->setGeometry(box.right() + 1, box.top(), TSpinFloatX::kWidth, box.height());
    placeControlLabel(label_, box, labelPosition_, labelSpacing_);
}

void TEditX::applyStyleColours() {
    setReadOnly(!isEnabled());
    if (spinner_)
        spinner_->setEnabled(isEnabled());
    QPalette pal = palette();
    const QColor active = toQColor(activeColor());
    pal.setColor(QPalette::Active, QPalette::Base, active);
    pal.setColor(QPalette::Inactive, QPalette::Base, active);
    pal.setColor(QPalette::Disabled, QPalette::Base, toQColor(unactiveColor()));
    setPalette(pal);
}

void TEditX::moveEvent(QMoveEvent* event) {
    QLineEdit::moveEvent(event);
    placeCompanions();
}

void TEditX::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    placeCompanions();
}

void TEditX::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        applyStyleColours();
}

bool TEditX::event(QEvent* event) {
    const bool handled = QLineEdit::event(event);
    if (event->type() == QEvent::ParentChange)
        attachToParent();
    else if (event->type() == QEvent::Show)
        applyStyleColours(); // the style colours may have changed while hidden
    return handled;
}

} // namespace lw

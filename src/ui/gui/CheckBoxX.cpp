#include "ui/gui/CheckBoxX.h"

#include <QEvent>
#include <QLabel>

namespace lw {

TCheckBoxX::TCheckBoxX(QWidget* parent) : QCheckBox(parent) {
    setFixedSize(kBoxSize, kBoxSize);
    attachLabel();
}

TCheckBoxX::~TCheckBoxX() {
    delete label_.data();
}

void TCheckBoxX::setCaption(const QString& caption) {
    caption_ = caption;
    if (label_)
        label_->setText(caption);
    placeLabel();
}

void TCheckBoxX::setLabelPosition(LabelPosition position) {
    labelPosition_ = position;
    placeLabel();
}

void TCheckBoxX::setLabelSpacing(int spacing) {
    labelSpacing_ = spacing;
    placeLabel();
}

void TCheckBoxX::setVisible(bool visible) {
    QCheckBox::setVisible(visible);
    if (label_)
        label_->setVisible(visible);
}

void TCheckBoxX::attachLabel() {
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    if (!label_)
        label_ = new QLabel(caption_, parent);
    else
        label_->setParent(parent);
    label_->setAutoFillBackground(false); // transparent over the panel's gradient
    label_->setVisible(!(isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide)));
    placeLabel();
}

void TCheckBoxX::placeLabel() {
    placeControlLabel(label_, geometry(), labelPosition_, labelSpacing_);
}

void TCheckBoxX::moveEvent(QMoveEvent* event) {
    QCheckBox::moveEvent(event);
    placeLabel();
}

void TCheckBoxX::resizeEvent(QResizeEvent* event) {
    QCheckBox::resizeEvent(event);
    placeLabel();
}

bool TCheckBoxX::event(QEvent* event) {
    const bool handled = QCheckBox::event(event);
    if (event->type() == QEvent::ParentChange)
        attachLabel();
    return handled;
}

} // namespace lw

#pragma once
// TCheckBoxX: a 13 x 13 check box whose caption is a separate transparent label on the same
// parent, 3 pixels to the right of the box and centred on it.

#include "ui/gui/ControlLabel.h"

#include <QCheckBox>
#include <QPointer>

#include <QLabel>

namespace lw {

class TCheckBoxX : public QCheckBox {
    Q_OBJECT
public:
    static constexpr int kBoxSize = 13;

    explicit TCheckBoxX(QWidget* parent = nullptr);
    ~TCheckBoxX() override;

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    LabelPosition labelPosition() const { return labelPosition_; }
    void setLabelPosition(LabelPosition position);
    int labelSpacing() const { return labelSpacing_; }
    void setLabelSpacing(int spacing);

    QLabel* label() const { return label_; }

    void setVisible(bool visible) override;

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void attachLabel();
    void placeLabel();

    QString caption_;
    LabelPosition labelPosition_ = LabelPosition::Right;
    int labelSpacing_ = 3;
    QPointer<QLabel> label_;
};

} // namespace lw

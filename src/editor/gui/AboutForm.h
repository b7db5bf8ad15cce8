#pragma once
// The about box: title, maker and thanks.

#include <QDialog>

namespace lw {

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);
};

} // namespace lw

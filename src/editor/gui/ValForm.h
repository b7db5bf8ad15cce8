#pragma once
// "Value Edit": the small dialog that edits one cell of a value table. It stays on top and is
// not modal: the page keeps it pointed at the cell chosen last.

#include <QDialog>

class QLabel;

namespace lw {

class TEditX;

class TValForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 199;
    static constexpr int kClientHeight = 74;

    explicit TValForm(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    TEditX* ValueEd = nullptr;
};

} // namespace lw

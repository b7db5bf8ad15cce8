#pragma once
// "Edit Name": the name of a texture box, asked in a small dialog that stays on top.

#include <QDialog>
#include <QString>

#include <optional>

class QLineEdit;
class QPushButton;

namespace lw {

class TEditForm : public QDialog {
    Q_OBJECT

public:
    explicit TEditForm(QWidget* parent = nullptr);

    // Shows the dialog with `name`; the edited name on "Ok", nothing when it is closed.
    static std::optional<QString> editName(QWidget* parent, const QString& name);

    QLineEdit* EditItem1 = nullptr;
    QPushButton* Button1 = nullptr;

public slots:
    void Button1Click();
};

} // namespace lw

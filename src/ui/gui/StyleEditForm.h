#pragma once
// TStyleEditForm: the style dialog ("Style..."). Three toggles choose Default, System or User
// style, two previews show the pair the pressed toggle stands for, and "Select" picks the user
// colours. "Apply" stores the choice and makes it current; "Close" forgets it.

#include "ui/LangRegistry.h"
#include "ui/Style.h"

#include <QDialog>

#include <functional>
#include <optional>

class QButtonGroup;
class QFrame;
class QLabel;
class QPushButton;
class QToolButton;

namespace lw {

class TStyleEditForm : public QDialog {
    Q_OBJECT
public:
    // Returns the picked colour, or nothing when the user cancels.
    using ColorPicker =
        std::function<std::optional<QColor>(QWidget* parent, const QColor& initial)>;

    explicit TStyleEditForm(QWidget* parent = nullptr, LangRegistry& registry = appLangRegistry());

    void setColorPicker(ColorPicker picker) { pickColor_ = std::move(picker); }

    // The pressed toggle, if any, and the pair the previews show.
    std::optional<StyleKind> chosenStyle() const;
    UserColors userColors() const { return user_; }
    StyleColors previewColors() const;

public slots:
    void Button2Click(); // select the user active colour
    void Button1Click(); // select the user unactive colour
    void Button3Click(); // Apply
    void Button4Click(); // Close

protected:
    void showEvent(QShowEvent* event) override;

private:
    void readStored();
    void pressToggle(std::optional<StyleKind> kind);
    void updateControls();
    void pickUserColor(TColor& target);

    QToolButton* SpeedButton1_; // Default Style
    QToolButton* SpeedButton2_; // System Style
    QToolButton* SpeedButton3_; // User Style
    QButtonGroup* toggles_;
    QFrame* Shape1_; // unactive preview
    QFrame* Shape2_; // active preview
    QPushButton* Button1_;
    QPushButton* Button2_;
    QPushButton* Button3_;
    QPushButton* Button4_;
    UserColors user_;
    ColorPicker pickColor_;
};

} // namespace lw

// The brush settings of "Poxel Texture": the texture and corner fields with their corner boxes,
// and "Auto Blur". The brushes themselves work in the view (MainForm_Brushes.cpp).

#include "editor/gui/PropertiesPage.h"

#include "ui/Language.h"
#include "ui/gui/CheckBoxX.h"
#include "ui/gui/EditX.h"

#include <QMessageBox>
#include <QPushButton>

namespace lw {

void TPropertiesPage::connectBrushSettings() {
    connect(EditX18, &TEditX::FloatFunc, this, &TPropertiesPage::EditX18FloatFunc);
    connect(EditX19, &TEditX::FloatFunc, this, &TPropertiesPage::EditX19Change);
    connect(EditX20, &TEditX::FloatFunc, this, &TPropertiesPage::EditX20Change);
    // Only a click of the user's: the boxes set from the fields must not write them back.
    for (TCheckBoxX* box : cornerBoxes_)
        connect(box, &QCheckBox::clicked, this, &TPropertiesPage::CheckBoxXTestClick);
    connect(AutoBlur, &QPushButton::clicked, this, &TPropertiesPage::AutoBlurClick);
}

CellBrushSettings TPropertiesPage::cellBrushSettings() const {
    return {EditX18->FloatVal(), EditX17->FloatVal(), EditX19->FloatVal(), EditX20->FloatVal()};
}

void TPropertiesPage::showCellSettings(uint32_t cell) {
    const CellBrushSettings s = settingsOfCell(cell);
    EditX18->setFloatVal(s.Box);
    EditX17->setFloatVal(s.Mat);
    EditX19->setFloatVal(s.Corners);
    EditX20->setFloatVal(s.Blur);
    PaintCurText->update();
}

void TPropertiesPage::EditX18FloatFunc() {
    // The thumbnail of the current box follows the first texture.
    PaintCurText->update();
}

void TPropertiesPage::EditX19Change() {
    const std::array<bool, 4> boxes = cornerBoxesOf(nearestInt(EditX19->FloatVal()));
    for (size_t i = 0; i < 4; ++i)
        cornerBoxes_[i]->setChecked(boxes[i]);
}

void TPropertiesPage::EditX20Change() {
    const std::array<bool, 4> boxes = cornerBoxesOf(nearestInt(EditX20->FloatVal()));
    for (size_t i = 0; i < 4; ++i)
        cornerBoxes_[i + 4]->setChecked(boxes[i]);
}

void TPropertiesPage::CheckBoxXTestClick() {
    std::array<bool, 4> top{}, bottom{};
    for (size_t i = 0; i < 4; ++i) {
        top[i] = cornerBoxes_[i]->isChecked();
        bottom[i] = cornerBoxes_[i + 4]->isChecked();
    }
    EditX19->setFloatVal(cornerValueOf(top));
    EditX20->setFloatVal(cornerValueOf(bottom));
}

void TPropertiesPage::AutoBlurClick() {
    TPoxel* p = panelPoxel_;
    if (!p || !editableCells_ || !isDocumentNode())
        return;
    const int box = nearestInt(EditX18->FloatVal());
    const int mat = nearestInt(EditX17->FloatVal());
    // Without two boxes there is no pair to blend: texture 0 is no texture, and blending from
    // it would fill the empty cells.
    if (box < 1 || mat < 1) {
        emit message(langText("[sAutoBlurNeedsTwo]"));
        return;
    }
    const QString title = langText("[sAutoBlur]");
    const QString text = autoBlurQuestion(EditX18->FloatVal(), EditX17->FloatVal());
    const int answer =
        dialogs_.question
            ? dialogs_.question(this, title, text)
            : QMessageBox::question(this, title, text, QMessageBox::Yes | QMessageBox::No);
    // The question may outlive the node: look again before writing.
    if (answer != QMessageBox::Yes || panelPoxel_ != p)
        return;
    autoBlur(doc_, *p, box, mat);
}

} // namespace lw

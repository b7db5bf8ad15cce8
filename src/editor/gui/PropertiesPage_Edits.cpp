// The property page's field handlers: every one edits the panel poxel through the document.

#include "editor/gui/PropertiesPage.h"

#include "editor/gui/ValForm.h"
#include "io/VoxFile.h"
#include "ui/Language.h"
#include "ui/Style.h"
#include "ui/gui/CheckBoxX.h"
#include "ui/gui/EditX.h"
#include "ui/gui/SpinFloatX.h"

#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <cmath>

namespace lw {

namespace {

const QString kVoxFilter = QStringLiteral("Voxel Model (*.vox)");

// The integer nearest to a field's value, halves going to the even neighbour.
int nearest(const TEditX* field) {
    return int(std::lrint(field->FloatVal()));
}

std::string latin1(const QString& text) {
    return text.toLatin1().toStdString();
}

std::string localName(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

} // namespace

void TPropertiesPage::connectFields() {
    auto vector = [this](TEditX* f, VectorField field, int axis) {
        connect(f, &TEditX::FloatFunc, this,
                [this, field, axis](double v) { onVectorField(field, axis, v); });
    };
    vector(EditX3, VectorField::Pos, 0);
    vector(EditX2, VectorField::Pos, 1);
    vector(EditX1, VectorField::Pos, 2);
    vector(EditX4, VectorField::Rot, 0);
    vector(EditX5, VectorField::Rot, 1);
    vector(EditX6, VectorField::Rot, 2);
    vector(EditX7, VectorField::Size, 0);
    vector(EditX8, VectorField::Size, 1);
    vector(EditX9, VectorField::Size, 2);
    vector(EditX15, VectorField::Clip, 0);
    vector(EditX14, VectorField::Clip, 1);
    vector(EditX13, VectorField::Clip, 2);
    connect(EditItem1, &QLineEdit::editingFinished, this, &TPropertiesPage::EditItem1Exit);
    connect(EditEmName, &QLineEdit::textEdited, this, &TPropertiesPage::EditEmNameChange);
    connect(EditLibName, &QLineEdit::textEdited, this, &TPropertiesPage::EditLibNameChange);

    connect(&doc_, &MapDocument::nodeChanged, this, &TPropertiesPage::onNodeChanged);
    connect(&doc_, &MapDocument::nodeAboutToBeRemoved, this,
            &TPropertiesPage::onNodeAboutToBeRemoved);
    connect(&doc_, &MapDocument::documentAboutToBeReplaced, this, &TPropertiesPage::unbind);
}

void TPropertiesPage::onVectorField(VectorField field, int axis, double value) {
    if (filling_ || !panelsReady_ || !editable_ || !isDocumentNode())
        return;
    if (field == VectorField::Clip && !panelPoxel_->IsEntity)
        return;
    setVectorComponent(doc_, *panelPoxel_, field, axis, static_cast<float>(value),
                       propertyMergeKey(vectorFieldId(field, axis), session_));
}

void TPropertiesPage::onNodeChanged(TPoxel* node, NodeChanges what) {
    if (!node || node != panelPoxel_)
        return;
    fillValues(what);
    refreshValueDialog();
}

void TPropertiesPage::onNodeAboutToBeRemoved(TPoxel* parent, TPoxel* node) {
    (void)parent;
    if (panelPoxel_ && node && isInSubtree(*node, *panelPoxel_))
        unbind();
}

void TPropertiesPage::reportError(const QString& text) {
    const QString title = langText("[sError]");
    if (dialogs_.error)
        dialogs_.error(this, title, text);
    else
        QMessageBox::critical(this, title, text);
}

void TPropertiesPage::EditItem1Exit() {
    TPoxel* p = panelPoxel_;
    if (!p || EditItem1->isReadOnly() || filling_)
        return;
    const std::string name = latin1(EditItem1->text());
    if (p->IsHeightmapImage) {
        // The heightmap preview belongs to no map: its name is no document edit.
        p->Name = name;
        return;
    }
    if (isDocumentNode())
        setNodeName(doc_, *p, name);
}

void TPropertiesPage::EditEmNameChange(const QString& text) {
    if (filling_ || !editable_ || !isDocumentNode() || !panelPoxel_->IsEntity)
        return;
    setNodeName(doc_, *panelPoxel_, latin1(text), propertyMergeKey(kNameFieldId, session_));
}

void TPropertiesPage::EditLibNameChange(const QString& text) {
    if (filling_ || !editable_ || !isDocumentNode() || !panelPoxel_->IsEntity)
        return;
    setLibName(doc_, *panelPoxel_, latin1(text), propertyMergeKey(kLibNameFieldId, session_));
}

void TPropertiesPage::ApplySizeClick() {
    TPoxel* p = panelPoxel_;
    if (!p || !editableCells_ || !isDocumentNode())
        return;
    applyPoxelSize(doc_, *p, nearest(EditX10), nearest(EditX11), nearest(EditX12),
                   nearest(EditX16));
    FillPanels(p, editedMapShown_);
}

void TPropertiesPage::Button2Click() {
    TPoxel* p = panelPoxel_;
    if (!p || !editable_ || !isDocumentNode() || p->IsEntity)
        return;
    const QColor initial = toQColor(p->Color & 0x00FFFFFFu);
    const QColor chosen = dialogs_.chooseColor ? dialogs_.chooseColor(this, initial)
                                               : QColorDialog::getColor(initial, this);
    // The dialog may outlive the node: look again before writing.
    if (!chosen.isValid() || panelPoxel_ != p)
        return;
    setPoxelColour(doc_, *p, fromQColor(chosen));
    FillPanels(p, editedMapShown_);
}

void TPropertiesPage::Smooth1Click() {
    TPoxel* p = panelPoxel_;
    if (!p || !editable_ || !isDocumentNode() || p->IsEntity)
        return;
    SurfaceSwitches s;
    s.topSmooth = Smooth1->isChecked();
    s.sideSmooth = Smooth2->isChecked();
    s.question = Smooth3->isChecked();
    s.visible = Smooth4->isChecked();
    s.alpha = SurAlph->isChecked();
    applySurfaceSwitches(doc_, *p, s);
    FillPanels(p, editedMapShown_);
}

void TPropertiesPage::ImportVoxClick() {
    TPoxel* p = panelPoxel_;
    if (!p || !editableCells_ || !isDocumentNode())
        return;
    const QString suggested = QString::fromLatin1(voxFileName(*p));
    const QString file = dialogs_.openFile
                             ? dialogs_.openFile(this, suggested, kVoxFilter)
                             : QFileDialog::getOpenFileName(this, QString(), suggested, kVoxFilter);
    if (file.isEmpty() || panelPoxel_ != p)
        return;
    const Status imported = importVoxCells(doc_, *p, localName(file));
    if (!imported)
        reportError(QString::fromStdString(imported.error().message()));
}

void TPropertiesPage::ExportVoxClick() {
    TPoxel* p = panelPoxel_;
    if (!p || p->IsEntity || p->IsRoot || p->IsHeightmapImage)
        return;
    const QString suggested = QString::fromLatin1(voxFileName(*p));
    const QString file = dialogs_.saveFile
                             ? dialogs_.saveFile(this, suggested, kVoxFilter)
                             : QFileDialog::getSaveFileName(this, QString(), suggested, kVoxFilter);
    if (file.isEmpty() || panelPoxel_ != p)
        return;
    const Status written = writeVoxFile(*p, localName(file));
    if (!written)
        reportError(QString::fromStdString(written.error().message()));
}

} // namespace lw

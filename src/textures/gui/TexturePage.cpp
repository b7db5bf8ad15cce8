#include "textures/gui/TexturePage.h"

#include "textures/TextureListDocument.h"
#include "textures/gui/EditForm.h"
#include "textures/gui/TextureTree.h"
#include "ui/Language.h"
#include "ui/gui/LangBind.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QUndoStack>
#include <QVBoxLayout>

namespace lw {

namespace {

constexpr int kBoxRole = Qt::UserRole + 1;

// Icons 1 to 5 of the slots: top, side, bottom, edge, fifth.
QIcon slotIcon(int slot) {
    static const char* const signs[kBoxSlots] = {"T", "S", "B", "E", "5"};
    static const QColor colours[kBoxSlots] = {QColor(70, 140, 70), QColor(150, 110, 60),
                                              QColor(110, 110, 130), QColor(60, 120, 170),
                                              QColor(140, 140, 140)};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colours[slot]);
    p.drawRoundedRect(QRectF(1, 1, 14, 14), 3, 3);
    QFont f = p.font();
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromLatin1(signs[slot]));
    return QIcon(pixmap);
}

QString latin1(const std::string& s) {
    return QString::fromLatin1(s);
}
std::string bytes(const QString& s) {
    return s.toLatin1().toStdString();
}

QAction* namedAction(QMenu* menu, const char* name) {
    QAction* a = menu->addAction(QString());
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

} // namespace

TTexturePage::TTexturePage(TextureListDocument& list, QWidget* parent)
    : QWidget(parent), list_(list) {
    setObjectName(QStringLiteral("TabSheet6"));
    auto* layout = new QVBoxLayout(this);
    auto button = [this](const char* name, bool latching) {
        auto* b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setCheckable(latching);
        return b;
    };
    ButOpenText = button("ButOpenText", false);
    ButTexturesView = button("ButTexturesView", true);
    ButLoadTextur = button("ButLoadTextur", false);
    ShowBox = button("ShowBox", true);
    ButLoadTextur->setEnabled(false);
    ShowBox->setEnabled(false);
    auto* row1 = new QHBoxLayout;
    row1->addWidget(ButOpenText);
    row1->addWidget(ButTexturesView);
    layout->addLayout(row1);
    auto* row2 = new QHBoxLayout;
    row2->addWidget(ButLoadTextur);
    row2->addWidget(ShowBox);
    layout->addLayout(row2);
    TextNameLab = new QLabel(this);
    TextNameLab->setObjectName(QStringLiteral("TextNameLab"));
    layout->addWidget(TextNameLab);
    TextureTree = new TTextureTree(this);
    TextureTree->setObjectName(QStringLiteral("TextureTree"));
    layout->addWidget(TextureTree, 1);

    TextureMenu = new QMenu(this);
    TextureMenu->setObjectName(QStringLiteral("TextureMenu"));
    ExpandAll1 = namedAction(TextureMenu, "ExpandAll1");
    CollapseAll1 = namedAction(TextureMenu, "CollapseAll1");
    TextureMenu->addSeparator();
    EditName1 = namedAction(TextureMenu, "EditName1");
    SetNULL1 = namedAction(TextureMenu, "SetNULL1");
    TextureMenu->addSeparator();
    CopyTextureBox1 = namedAction(TextureMenu, "CopyTextureBox1");
    PasteTextureBox1 = namedAction(TextureMenu, "PasteTextureBox1");
    TextureMenu->addSeparator();
    AddTextureBox1 = namedAction(TextureMenu, "AddTextureBox1");
    DeleteTextureBox1 = namedAction(TextureMenu, "DeleteTextureBox1");
    TextureMenu->addSeparator();
    UndoTexture1 = namedAction(TextureMenu, "UndoTexture1");
    RedoTexture1 = namedAction(TextureMenu, "RedoTexture1");

    connect(TextureTree, &QWidget::customContextMenuRequested, this,
            &TTexturePage::TextureMenuPopup);
    connect(ExpandAll1, &QAction::triggered, TextureTree, &QTreeWidget::expandAll);
    connect(CollapseAll1, &QAction::triggered, TextureTree, &QTreeWidget::collapseAll);
    connect(EditName1, &QAction::triggered, this, &TTexturePage::EditName1Click);
    connect(SetNULL1, &QAction::triggered, this, &TTexturePage::SetNULL1Click);
    connect(CopyTextureBox1, &QAction::triggered, this, &TTexturePage::CopyTextureBox1Click);
    connect(PasteTextureBox1, &QAction::triggered, this, &TTexturePage::PasteTextureBox1Click);
    connect(AddTextureBox1, &QAction::triggered, this, &TTexturePage::AddTextureBox1Click);
    connect(DeleteTextureBox1, &QAction::triggered, this, &TTexturePage::DeleteTextureBox1Click);
    connect(UndoTexture1, &QAction::triggered, list_.history(), &QUndoStack::undo);
    connect(RedoTexture1, &QAction::triggered, list_.history(), &QUndoStack::redo);
    TextureTree->dropped = [this](QTreeWidgetItem* item, const QString& name) {
        list_.setSlot(boxOf(item), slotOf(item), bytes(name));
    };

    connect(&list_, &TextureListDocument::listReplaced, this, &TTexturePage::rebuild);
    connect(&list_, &TextureListDocument::boxChanged, this, &TTexturePage::updateBox);
    connect(&list_, &TextureListDocument::fileNameChanged, this, &TTexturePage::updateLabel);
    connect(&list_, &TextureListDocument::modifiedChanged, this, &TTexturePage::updateLabel);

    LangRegistry& r = appLangRegistry();
    auto caption = [&r](const char* key, QObject* control) {
        bindCaption(r, QString::fromLatin1(key), control);
    };
    caption("[pageTexturesbutOpentextures]", ButOpenText);
    caption("[pageTexturesbutTexturesview]", ButTexturesView);
    caption("[pageTexturesbutLoadtextures]", ButLoadTextur);
    caption("[sShowBoxs]", ShowBox);
    caption("[mnuTextureExpandall]", ExpandAll1);
    caption("[mnuTextureCollapseall]", CollapseAll1);
    caption("[mnuTextureEditname]", EditName1);
    caption("[mnuTextureSetnull]", SetNULL1);
    caption("[mnuTextureCopytexturebox]", CopyTextureBox1);
    caption("[mnuTexturePastetexturebox]", PasteTextureBox1);
    caption("[mnuTextureAddtexturebox]", AddTextureBox1);
    caption("[mnuTextureDeletetexturebox]", DeleteTextureBox1);
    bindAccessibleName(r, QStringLiteral("[pageTextures]"), TextureTree);
    bindAccessibleName(r, QStringLiteral("[pageTextures]"), TextNameLab);
    r.apply(appLanguage());
    rebuild();
}

void TTexturePage::setImageSource(const QObject* browserTree) {
    TextureTree->setImageSource(browserTree);
}

int TTexturePage::boxOf(const QTreeWidgetItem* item) const {
    if (!item)
        return -1;
    const QTreeWidgetItem* box = item->parent() ? item->parent() : item;
    return TextureTree->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(box));
}

int TTexturePage::slotOf(const QTreeWidgetItem* item) {
    if (!item || !item->parent())
        return -1;
    return item->parent()->indexOfChild(const_cast<QTreeWidgetItem*>(item));
}

QTreeWidgetItem* TTexturePage::boxItem(int box) const {
    return TextureTree->topLevelItem(box);
}

QTreeWidgetItem* TTexturePage::slotItem(int box, int slot) const {
    QTreeWidgetItem* item = boxItem(box);
    return item ? item->child(slot) : nullptr;
}

void TTexturePage::rebuild() {
    // Keep which boxes were open, so adding or removing a box does not fold the tree.
    std::vector<bool> expanded;
    for (int i = 0; i < TextureTree->topLevelItemCount(); ++i)
        expanded.push_back(TextureTree->topLevelItem(i)->isExpanded());
    TextureTree->clear();
    for (int b = 0; b < list_.boxCount(); ++b) {
        auto* item = new QTreeWidgetItem(TextureTree);
        for (int s = 0; s < kBoxSlots; ++s) {
            auto* slot = new QTreeWidgetItem(item);
            slot->setIcon(0, slotIcon(s));
        }
        item->setExpanded(size_t(b) < expanded.size() && expanded[size_t(b)]);
        updateBox(b);
    }
    updateLabel();
}

void TTexturePage::updateBox(int box) {
    QTreeWidgetItem* item = boxItem(box);
    if (!item || box >= list_.boxCount())
        return;
    const TextureBox& b = list_.box(box);
    item->setText(0, latin1(boxCaption(box + 1, b.Name)));
    for (int s = 0; s < kBoxSlots; ++s)
        item->child(s)->setText(0, latin1(b.Slots[size_t(s)]));
}

void TTexturePage::updateLabel() {
    if (list_.fileName().isEmpty()) {
        TextNameLab->setText(list_.isModified() ? QStringLiteral("*") : QString());
        return;
    }
    // "[name]", with the unsaved mark while the list differs from its file.
    TextNameLab->setText(
        QStringLiteral("[%1]%2").arg(QFileInfo(list_.fileName()).fileName(),
                                     list_.isModified() ? QStringLiteral(" *") : QString()));
    TextNameLab->setToolTip(list_.fileName());
}

QTreeWidgetItem* TTexturePage::current() const {
    QTreeWidgetItem* item = TextureTree->currentItem();
    return item && item->isSelected() ? item : nullptr;
}

void TTexturePage::updateMenu() {
    QTreeWidgetItem* item = current();
    const bool isBox = item && !item->parent();
    SetNULL1->setEnabled(item && canSetNull(slotOf(item)));
    EditName1->setEnabled(isBox);
    CopyTextureBox1->setEnabled(isBox);
    std::array<std::string, 6> lines;
    PasteTextureBox1->setEnabled(
        isBox && ParseTextureBoxClipboard(bytes(QGuiApplication::clipboard()->text()), lines));
    AddTextureBox1->setEnabled(list_.boxCount() < kMaxTextureBoxes);
    DeleteTextureBox1->setEnabled(isBox);
    // "Undo STEP" and "Redo STEP" of the list's own history.
    const QUndoStack* history = list_.history();
    UndoTexture1->setText(stepCaption("[mnuMainEditUndo]", history->undoText()));
    RedoTexture1->setText(stepCaption("[mnuMainEditRedo]", history->redoText()));
    UndoTexture1->setEnabled(history->canUndo());
    RedoTexture1->setEnabled(history->canRedo());
}

void TTexturePage::TextureMenuPopup(const QPoint& pos) {
    if (QTreeWidgetItem* item = TextureTree->itemAt(pos))
        TextureTree->setCurrentItem(item);
    else
        TextureTree->clearSelection();
    updateMenu();
    TextureMenu->popup(TextureTree->viewport()->mapToGlobal(pos));
}

void TTexturePage::EditName1Click() {
    QTreeWidgetItem* item = current();
    if (!item || item->parent())
        return;
    const int box = boxOf(item);
    const QString name = latin1(list_.box(box).Name);
    const std::optional<QString> edited =
        askName ? askName(this, name) : TEditForm::editName(this, name);
    if (edited)
        list_.rename(box, bytes(*edited));
}

void TTexturePage::SetNULL1Click() {
    QTreeWidgetItem* item = current();
    if (item)
        list_.setNull(boxOf(item), slotOf(item));
}

void TTexturePage::CopyTextureBox1Click() {
    QTreeWidgetItem* item = current();
    if (!item || item->parent())
        return;
    QGuiApplication::clipboard()->setText(latin1(textureBoxClipboardText(list_.box(boxOf(item)))));
}

void TTexturePage::PasteTextureBox1Click() {
    QTreeWidgetItem* item = current();
    if (!item || item->parent())
        return;
    list_.pasteBox(boxOf(item), bytes(QGuiApplication::clipboard()->text()));
}

void TTexturePage::AddTextureBox1Click() {
    if (!list_.addBox())
        return;
    QTreeWidgetItem* added = boxItem(list_.boxCount() - 1);
    added->setExpanded(true);
    TextureTree->setCurrentItem(added);
    TextureTree->scrollToItem(added);
}

void TTexturePage::DeleteTextureBox1Click() {
    QTreeWidgetItem* item = current();
    if (!item || item->parent())
        return;
    const int box = boxOf(item);
    // Cells store box numbers: removing a box before the last changes what the cells of the
    // later boxes show, so that is done only when the user says so (and can be undone).
    const int moving = list_.boxCount() - 1 - box;
    if (moving > 0) {
        const QString title = langText("[mnuTextureDeletetexturebox]");
        const QString text = formatLangText(
            langText("[sDeleteBoxMoves]"),
            {QString::number(box + 1), latin1(list_.box(box).Name), QString::number(moving)});
        const bool yes = askYesNo ? askYesNo(this, title, text)
                                  : QMessageBox::question(this, title, text) == QMessageBox::Yes;
        if (!yes)
            return;
    }
    list_.removeBox(box);
}

} // namespace lw

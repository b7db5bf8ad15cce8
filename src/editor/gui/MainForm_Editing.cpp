// Everyday editing in the window: Save in place, the Delete key, Cut, Copy, Paste and Duplicate
// of nodes through the system clipboard, the history page, the map tree's filter and Help.

#include "editor/gui/MainForm.h"

#include "editor/gui/HelpWindow.h"
#include "editor/gui/HistoryPage.h"
#include "editor/gui/Manual.h"
#include "editor/gui/MapTreeFilter.h"
#include "editor/gui/NodeClipboard.h"
#include "editor/gui/PoxelTree.h"
#include "editor/gui/TreeWidgetSink.h"
#include "io/gui/ImportHMForm.h"
#include "io/gui/ImportModelForm.h"
#include "render/gui/OpenGLBox.h"
#include "replace/gui/ReplacerForm.h"
#include "textures/TextureListDocument.h"
#include "textures/gui/FormXom.h"
#include "textures/gui/TexturePage.h"
#include "ui/HelpChoice.h"
#include "ui/Language.h"
#include "ui/Settings.h"
#include "ui/gui/LangBind.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QTabWidget>
#include <QUrl>

#include <algorithm>

namespace lw {

namespace {

QAction* editAction(QMenu* menu, const char* name, const QKeySequence& key) {
    auto* action = menu->addAction(QString());
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    // The keys act where nodes are chosen (the map tree, the view); text fields and tables keep
    // their own Ctrl+C, Ctrl+V and Ctrl+X.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    return action;
}

// The pixels as the screen shows them: the view's alpha carries the texture blend, not
// coverage, so it is dropped rather than applied.
QImage withoutAlpha(const QImage& image) {
    QImage::Format opaque = QImage::Format_RGB32;
    switch (image.format()) {
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        break;
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
        opaque = QImage::Format_RGBX8888;
        break;
    default:
        return image.convertToFormat(QImage::Format_RGB32);
    }
    return QImage(image.constBits(), image.width(), image.height(), image.bytesPerLine(), opaque)
        .copy();
}

bool isKey(const QKeyEvent* event, Qt::Key key) {
    return event->key() == key && (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
}

} // namespace

void TMainForm::buildEditingActions() {
    Edit1->addSeparator();
    Cut1 = editAction(Edit1, "Cut1", QKeySequence(Qt::CTRL | Qt::Key_X));
    Copy1 = editAction(Edit1, "Copy1", QKeySequence(Qt::CTRL | Qt::Key_C));
    Paste1 = editAction(Edit1, "Paste1", QKeySequence(Qt::CTRL | Qt::Key_V));
    // Ctrl+D and Ctrl+F are Show Dummy and Cull Face in the rest of the window: these two take
    // them only while the map tree or its filter has the focus (treeKey).
    Duplicate1 = editAction(Edit1, "Duplicate1", QKeySequence(Qt::CTRL | Qt::Key_D));
    DeleteKey1 = editAction(Edit1, "DeleteKey1", QKeySequence(Qt::Key_Delete));
    Edit1->addSeparator();
    Find1 = editAction(Edit1, "Find1", QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(Cut1, &QAction::triggered, this, &TMainForm::Cut1Click);
    connect(Copy1, &QAction::triggered, this, &TMainForm::Copy1Click);
    connect(Paste1, &QAction::triggered, this, &TMainForm::Paste1Click);
    connect(Duplicate1, &QAction::triggered, this, &TMainForm::Duplicate1Click);
    connect(DeleteKey1, &QAction::triggered, this, &TMainForm::DeleteKeyClick);
    connect(Find1, &QAction::triggered, this, &TMainForm::Find1Click);
    connect(Edit1, &QMenu::aboutToShow, this, [this] {
        clipboardNodes_ = -1;
        updateEditActions();
    });
}

void TMainForm::connectEditing() {
    // The keys: in the map tree all of them, in the view those that act on its selection, in
    // the imported map's tree Copy.
    for (QAction* a : {Cut1, Copy1, Paste1, DeleteKey1})
        TreeView1->addAction(a);
    for (QAction* a : {Cut1, Copy1, Paste1, DeleteKey1})
        OpenGLBox_->addAction(a);
    TreeView3->addAction(Copy1);
    TreeView1->installEventFilter(this);
    TreeFilter->installEventFilter(this);

    TreeMenu->insertActions(AddDummyPoxel1, {Cut1, Copy1, Paste1, Duplicate1});
    TreeMenuGroup->insertActions(GroupPoxels1, {Cut1, Copy1, Duplicate1});
    connect(TreeMenu, &QMenu::aboutToShow, this, &TMainForm::updateEditActions);
    connect(TreeMenuGroup, &QMenu::aboutToShow, this, &TMainForm::updateEditActions);
    connect(TreeView1, &QTreeWidget::itemSelectionChanged, this, &TMainForm::updateEditActions);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        clipboardNodes_ = -1;
        updateEditActions();
    });

    HistoryPage = new THistoryPage(doc_->undoStack(), PageControl2);
    HistoryPage->setObjectName(QStringLiteral("HistoryPage"));
    PageControl2->addTab(HistoryPage, QString());

    treeFilter_ = new MapTreeFilter(TreeFilter, TreeView1, this);
    treeFilter_->currentItem = [this] { return TreeView1->selectedItem(); };
    treeFilter_->selectItem = [this](QTreeWidgetItem* item) { selectTreeNode(poxelOfItem(item)); };
    // A tree that changes under the filter is filtered again.
    connect(doc_, &MapDocument::nodeInserted, treeFilter_, &MapTreeFilter::applyLater);
    connect(doc_, &MapDocument::documentReplaced, treeFilter_, &MapTreeFilter::applyLater);
    connect(doc_, &MapDocument::nodeChanged, treeFilter_, [this](TPoxel*, NodeChanges what) {
        if (what & NodeChange::Name)
            treeFilter_->applyLater();
    });
    updateEditActions();
}

void TMainForm::registerEditingTexts() {
    LangRegistry& r = appLangRegistry();
    auto caption = [&r](const char* key, QObject* control) {
        bindCaption(r, QString::fromLatin1(key), control);
    };
    caption("[mnuMainEditCut]", Cut1);
    caption("[mnuMainEditCopy]", Copy1);
    caption("[mnuMainEditPaste]", Paste1);
    caption("[mnuMainEditDuplicate]", Duplicate1);
    caption("[mnuMainEditDelete]", DeleteKey1);
    caption("[mnuMainEditFind]", Find1);
    caption("[mnuMainViewHistory]", History1);
    bindTabText(r, QStringLiteral("[pageHistory]"), PageControl2, HistoryPage);
    bindAccessibleName(r, QStringLiteral("[sFindInMapTree]"), TreeFilter);
    r.add(QStringLiteral("[sFindInMapTree]"), TreeFilter,
          [this](const QString& text) { TreeFilter->setPlaceholderText(text); });
}

// ---- Save in place ---------------------------------------------------------------------------

bool TMainForm::saveMap() {
    // Only the edited map has a file of its own to go back to.
    if (scene_.ShownRoot != doc_->root() || doc_->fileName().isEmpty()) {
        bool kestrel = false;
        const QString file = chooseSaveFile(&kestrel);
        return saveMapFile(file, kestrel);
    }
    return saveMapFile(doc_->fileName(), false);
}

void TMainForm::Savemap1Click() {
    saveMap();
}

void TMainForm::SaveTextures1Click() {
    if (textureList_->hasFile())
        saveTextureListFile(textureList_->fileName());
    else
        SaveTexturesList1Click();
}

// ---- Nodes: delete, cut, copy, paste, duplicate ----------------------------------------------

std::vector<TPoxel*> TMainForm::treeSelection() const {
    std::vector<TPoxel*> nodes;
    for (QTreeWidgetItem* item : TreeView1->selectionOrder())
        if (TPoxel* node = poxelOfItem(item))
            nodes.push_back(node);
    return nodes;
}

std::vector<TPoxel*> TMainForm::copySelection() const {
    if (scene_.ShownRoot == doc_->root())
        return treeSelection();
    if (TPoxel* node = selectedPoxel())
        return {node};
    return {};
}

bool TMainForm::clipboardHoldsNodes() {
    if (clipboardNodes_ < 0)
        clipboardNodes_ = clipboardHasNodes() ? 1 : 0;
    return clipboardNodes_ == 1;
}

void TMainForm::updateEditActions() {
    if (!Cut1)
        return;
    const std::vector<TPoxel*> chosen = treeSelection();
    const bool belowRoot =
        !chosen.empty() &&
        std::none_of(chosen.begin(), chosen.end(), [](const TPoxel* n) { return n->IsRoot; });
    const std::vector<TPoxel*> copied = copySelection();
    Copy1->setEnabled(!copied.empty() && !copied.front()->IsRoot);
    Cut1->setEnabled(belowRoot);
    Duplicate1->setEnabled(belowRoot);
    DeleteKey1->setEnabled(belowRoot);
    Paste1->setEnabled(chosen.size() == 1 && canPasteInto(*doc_, *chosen.front()) &&
                       clipboardHoldsNodes());
}

void TMainForm::DeleteKeyClick() {
    // In the view the key acts on what the view shows selected: nothing of another map.
    if (OpenGLBox_->hasFocus() && scene_.ShownRoot != doc_->root())
        return;
    const std::vector<TPoxel*> chosen = treeSelection();
    if (chosen.size() >= 2)
        DeletePoxelsClick();
    else if (chosen.size() == 1 && !chosen.front()->IsRoot)
        Delete1Click();
}

void TMainForm::reportEditError(const Error& error) {
    reportError(QStringLiteral("[%1]").arg(QString::fromStdString(error.key)),
                QString::fromStdString(error.detail));
}

void TMainForm::Copy1Click() {
    const Status copied = copyNodesToClipboard(copySelection());
    if (!copied) {
        reportEditError(copied.error());
        return;
    }
    // The clipboard may tell of its change later, or not at all to its own owner.
    clipboardNodes_ = 1;
    updateEditActions();
}

void TMainForm::Cut1Click() {
    const Status cut = cutNodesToClipboard(*doc_, treeSelection());
    if (!cut) {
        reportEditError(cut.error());
        return;
    }
    clipboardNodes_ = 1;
    updateEditActions();
}

void TMainForm::Paste1Click() {
    const std::vector<TPoxel*> chosen = treeSelection();
    Result<std::vector<TPoxel*>> pasted =
        chosen.size() == 1 ? pasteNodesFromClipboard(*doc_, *chosen.front())
                           : Result<std::vector<TPoxel*>>(Error{
                                 "sCannotPasteNodes", "", "choose the one node to paste into"});
    if (!pasted) {
        reportEditError(pasted.error());
        return;
    }
    if (!pasted->empty())
        selectTreeNode(pasted->front());
}

void TMainForm::Duplicate1Click() {
    auto copies = duplicateNodes(*doc_, treeSelection());
    if (!copies) {
        reportEditError(copies.error());
        return;
    }
    if (!copies->empty())
        selectTreeNode(copies->front());
}

// ---- The map tree's filter and keys ----------------------------------------------------------

void TMainForm::Find1Click() {
    PageControl2->setCurrentIndex(0);
    TreeFilter->setFocus(Qt::ShortcutFocusReason);
    TreeFilter->selectAll();
}

bool TMainForm::treeKey(QObject* watched, QEvent* event) {
    if (watched != TreeView1 && watched != TreeFilter)
        return false;
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool duplicate = isKey(key, Qt::Key_D);
    const bool find = isKey(key, Qt::Key_F);
    if (!duplicate && !find)
        return false;
    // Taking the key here keeps it from the window-wide Show Dummy and Cull Face.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (duplicate) {
        updateEditActions();
        if (Duplicate1->isEnabled())
            Duplicate1Click();
    } else {
        Find1Click();
    }
    return true;
}

// ---- History and Help ------------------------------------------------------------------------

void TMainForm::History1Click() {
    PageControl2->setCurrentWidget(HistoryPage);
    HistoryPage->setFocus(Qt::OtherFocusReason);
}

THelpWindow* TMainForm::helpWindow() {
    if (!help_) {
        help_ = new THelpWindow(this);
        registerHelpPictures(*help_);
    }
    return help_;
}

void TMainForm::registerHelpPictures(THelpWindow& help) {
    // The 3D view clears to transparent black, which a grab of the window would compose over
    // the window's background: its own picture goes on top, opaque, as it shows on screen.
    help.setPictureSource(QStringLiteral("main-window"), [this] {
        QImage window = grab().toImage();
        const QImage view = withoutAlpha(OpenGLBox_->grabFramebuffer());
        QPainter painter(&window);
        painter.drawImage(QRect(OpenGLBox_->mapTo(this, QPoint(0, 0)), OpenGLBox_->size()), view);
        return window;
    });
    help.setPictureWidget(QStringLiteral("map-tree"), PageControl2->widget(0));
    help.setPictureWidget(QStringLiteral("properties"), ScrollBox1);
    help.setPictureWidget(QStringLiteral("texture-page"), TexturePage_);
    help.setPictureWidget(QStringLiteral("texture-browser"), FormXom_);
    help.setPictureSource(QStringLiteral("replacer"),
                          [this] { return replacer()->grab().toImage(); });
    // The dialogs are made at each use: a fresh one, as it opens.
    help.setPictureSource(QStringLiteral("import-3ds"), [this] {
        TImport3DModel dialog(this);
        return dialog.grab().toImage();
    });
    help.setPictureSource(QStringLiteral("heightmap"), [this] {
        TImportHMForm dialog(this);
        return dialog.grab().toImage();
    });
}

void TMainForm::Help2Click() {
    const HelpChoice choice = chooseHelp(appLanguage(), Settings());
    switch (choice.kind) {
    case HelpChoice::Kind::Manual:
        helpWindow()->showPage(QString::fromLatin1(kManualStartPage));
        return;
    case HelpChoice::Kind::File: {
        const bool opened = dialogs_.openWithSystem
                                ? dialogs_.openWithSystem(choice.file)
                                : QDesktopServices::openUrl(QUrl::fromLocalFile(choice.file));
        if (!opened)
            reportError(QStringLiteral("[sHelpfile]"), choice.file);
        return;
    }
    case HelpChoice::Kind::MissingFile:
        reportError(QStringLiteral("[sHelpfile]"), choice.file);
        return;
    }
}

} // namespace lw

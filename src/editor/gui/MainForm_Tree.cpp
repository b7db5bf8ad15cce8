// The tree views: items of the poxel trees, and selection between the trees and the view.

#include "editor/gui/MainForm.h"

#include "editor/gui/PoxelTree.h"
#include "editor/gui/TreeWidgetSink.h"
#include "render/gl/DisplayLists.h"
#include "render/gl/PoxelLists.h"
#include "render/gui/OpenGLBox.h"
#include "ui/Language.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <map>

namespace lw {

QIcon treeImageIcon(int image) {
    static std::map<int, QIcon> cache;
    auto it = cache.find(image);
    if (it != cache.end())
        return it->second;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    switch (image) {
    case ImageRoot:
        p.setBrush(QColor(90, 160, 90));
        p.drawEllipse(QRectF(2, 2, 12, 12));
        break;
    case ImageEntity:
        p.setBrush(QColor(250, 150, 40));
        p.drawPolygon(QPolygonF({QPointF(8, 1), QPointF(15, 8), QPointF(8, 15), QPointF(1, 8)}));
        break;
    case ImageGroup:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(60, 120, 220), 2));
        p.drawRect(QRectF(2, 2, 12, 12));
        break;
    default:
        p.setBrush(QColor(120, 170, 200));
        p.drawRect(QRectF(2, 5, 12, 9));
        p.setBrush(QColor(170, 210, 230));
        p.drawRect(QRectF(2, 2, 12, 3));
        break;
    }
    p.end();
    return cache.emplace(image, QIcon(pixmap)).first->second;
}

TPoxel* poxelOfItem(const QTreeWidgetItem* item) {
    if (!item)
        return nullptr;
    return reinterpret_cast<TPoxel*>(item->data(0, kPoxelRole).value<quintptr>());
}

TreeItem TreeWidgetSink::addItem(TreeItem parent, const std::string& text, int image, TPoxel* node,
                                 int objectIndex) {
    auto* item = parent ? new QTreeWidgetItem(static_cast<QTreeWidgetItem*>(parent))
                        : new QTreeWidgetItem(tree_);
    item->setText(0, QString::fromLatin1(text));
    item->setIcon(0, treeImageIcon(image));
    if (node) {
        item->setData(0, kPoxelRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
        node->Node = item;
    } else {
        item->setData(0, kObjectIndexRole, objectIndex);
    }
    return item;
}

void TreeWidgetSink::updateItem(TreeItem item, const std::string& text, int image, TPoxel* node) {
    auto* it = static_cast<QTreeWidgetItem*>(item);
    it->setText(0, QString::fromLatin1(text));
    it->setIcon(0, treeImageIcon(image));
    it->setData(0, kPoxelRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    if (node)
        node->Node = item;
}

void TMainForm::fillTree(QTreeWidget* tree, TPoxel& root) {
    fillingTree_ = true;
    tree->clear();
    TreeWidgetSink sink(tree);
    addTreeItems(root, sink, nullptr);
    if (QTreeWidgetItem* top = tree->topLevelItem(0)) {
        top->setIcon(0, treeImageIcon(ImageRoot));
        top->setExpanded(true);
    }
    fillingTree_ = false;
}

TPoxel* TMainForm::selectedPoxel() const {
    return findByListId(scene_.ShownRoot, scene_.SelectedId);
}

TPoxel* TMainForm::treeSelectedPoxel() const {
    return poxelOfItem(TreeView1->selectedItem());
}

void TMainForm::showSelectionLabel(TPoxel* node) {
    const QString name = node ? QString::fromLatin1(node->Name) : QStringLiteral("None");
    (importMapActive_ ? Label4 : SelectLabel)->setText(name);
    setStatus(1, QStringLiteral("%1: %2").arg(langText("[sSelect]"), name));
}

void TMainForm::selectInTree(TPoxel* node) {
    if (!node || !node->Node)
        return;
    auto* item = static_cast<QTreeWidgetItem*>(node->Node);
    QTreeWidget* tree = item->treeWidget();
    if (!tree)
        return;
    fillingTree_ = true;
    // The node chosen elsewhere (the view, the filter) is the tree's whole selection: what the
    // tree had selected besides must not go along with Delete or Cut.
    if (tree == TreeView1)
        TreeView1->selectOnly(item);
    else
        tree->setCurrentItem(item);
    tree->scrollToItem(item);
    fillingTree_ = false;
}

void TMainForm::selectById(int32_t listId) {
    scene_.SelectedId = listId;
    TPoxel* node = selectedPoxel();
    if (node) {
        showSelectionLabel(node);
        selectInTree(node);
    } else {
        showSelectionLabel(nullptr);
    }
    updateToolEnabling();
    showProperties();
    repaintView();
}

void TMainForm::onTreeSelection(QTreeWidget* tree, bool importMap) {
    if (fillingTree_)
        return;
    // The item the selection names: the current item lags behind a selection made by other
    // means than a click, so the selected one counts.
    QTreeWidgetItem* item = nullptr;
    if (tree == TreeView1) {
        item = TreeView1->selectedItem();
    } else {
        const QList<QTreeWidgetItem*> selected = tree->selectedItems();
        item = selected.contains(tree->currentItem()) ? tree->currentItem()
               : selected.isEmpty()                   ? nullptr
                                                      : selected.back();
    }
    TPoxel* node = poxelOfItem(item);
    TPoxel* root = importMap ? doc_->importMapRoot() : doc_->root();
    if (!node || !root)
        return;
    importMapActive_ = importMap;
    if (scene_.ShownRoot != root) {
        // The other document's camera place means nothing here: frame the node.
        scene_.ShownRoot = root;
        scene_.Selected = nullptr;
        scene_.ZoomSelectedRequest = true;
        setStatus(2, langText(importMap ? "[sActiveImportMap]" : "[sActiveEditMap]"));
    }
    scene_.SelectedId = node->ListId;
    if (!importMap && node->IsEntity && !ShowEmmiters1->isChecked())
        ShowEmmiters1->setChecked(true); // its handler shows dummies and entities
    showSelectionLabel(node);
    updateToolEnabling();
    showProperties();
    repaintView();
}

void TMainForm::selectTreeNode(TPoxel* node) {
    if (!node || !node->Node)
        return;
    fillingTree_ = true;
    TreeView1->selectOnly(static_cast<QTreeWidgetItem*>(node->Node));
    fillingTree_ = false;
    onTreeSelection(TreeView1, false);
}

void TMainForm::TreeView1Change() {
    onTreeSelection(TreeView1, false);
}

void TMainForm::TreeView3Change() {
    onTreeSelection(TreeView3, true);
}

// ---- Following the document -----------------------------------------------------------------

void TMainForm::connectDocument() {
    connect(doc_, &MapDocument::nodeInserted, this, &TMainForm::onNodeInserted);
    connect(doc_, &MapDocument::nodeAboutToBeRemoved, this, &TMainForm::onNodeAboutToBeRemoved);
    connect(doc_, &MapDocument::nodeChanged, this, &TMainForm::onNodeChanged);
    connect(doc_, &MapDocument::documentAboutToBeReplaced, this,
            &TMainForm::onDocumentAboutToBeReplaced);
    connect(doc_, &MapDocument::documentReplaced, this, &TMainForm::onDocumentReplaced);
    connect(doc_, &MapDocument::modifiedChanged, this, &TMainForm::setWindowModified);
    connect(doc_, &MapDocument::importMapReplaced, this, [this] {
        TPoxel* root = doc_->importMapRoot();
        fillTree(TreeView3, *root);
        buildMeshes(*root, true);
        importMapActive_ = true;
        showDocument(root, QStringLiteral("[sActiveImportMap]"));
        PageControl1->setCurrentIndex(2);
    });
    connect(doc_, &MapDocument::importObjectReplaced, this, [this] {
        TPoxel* root = doc_->importObjectRoot();
        buildMeshes(*root, true);
        importMapActive_ = false;
        showDocument(root, QStringLiteral("[sActiveImportObject]"));
    });
    QUndoStack* stack = doc_->undoStack();
    connect(stack, &QUndoStack::indexChanged, this, &TMainForm::updateUndoActions);
    connect(stack, &QUndoStack::cleanChanged, this, &TMainForm::updateUndoActions);
    connect(Undo1, &QAction::triggered, stack, &QUndoStack::undo);
    connect(Redo1, &QAction::triggered, stack, &QUndoStack::redo);
}

void TMainForm::onDocumentAboutToBeReplaced() {
    // Nothing may point into the old tree once it goes.
    scene_.Selected = nullptr;
    if (scene_.ShownRoot == doc_->root()) {
        scene_.ShownRoot = nullptr;
        scene_.SelectedId = 0;
    }
    fillingTree_ = true;
    TreeView1->clear();
    fillingTree_ = false;
}

void TMainForm::onDocumentReplaced() {
    TPoxel* root = doc_->root();
    scene_.EditRoot = root;
    fillTree(TreeView1, *root);
    buildMeshes(*root, true);
    importMapActive_ = false;
    showDocument(root, QStringLiteral("[sActiveEditMap]"));
    showSelectionLabel(root);
    PageControl2->setCurrentIndex(0);
}

void TMainForm::onNodeInserted(TPoxel* parent, TPoxel* node) {
    if (auto* parentItem = static_cast<QTreeWidgetItem*>(parent->Node);
        parentItem && parentItem->treeWidget() == TreeView1) {
        const auto& list = node->IsEntity ? parent->Entities : parent->Children;
        int row = 0;
        while (row < static_cast<int>(list.size()) && list[size_t(row)].get() != node)
            ++row;
        if (!node->IsEntity)
            row += static_cast<int>(parent->Entities.size());
        fillingTree_ = true;
        auto* item = new QTreeWidgetItem;
        item->setText(0, QString::fromLatin1(node->Name));
        item->setIcon(0, treeImageIcon(node->treeImage()));
        item->setData(0, kPoxelRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
        node->Node = item;
        parentItem->insertChild(std::min(row, parentItem->childCount()), item);
        for (auto& e : node->Entities)
            addTreeItems(*e, *sink1_, item);
        for (auto& c : node->Children)
            addTreeItems(*c, *sink1_, item);
        fillingTree_ = false;
    }
    buildMeshes(*node);
    updateToolEnabling();
    repaintView();
}

void TMainForm::onNodeAboutToBeRemoved(TPoxel*, TPoxel* node) {
    TPoxel* selected = scene_.ShownRoot == doc_->root() ? selectedPoxel() : nullptr;
    const bool selectionGoes = selected && isInSubtree(*node, *selected);
    if (scene_.Selected && isInSubtree(*node, *scene_.Selected))
        scene_.Selected = nullptr;

    // The item to select instead: the next sibling, else the previous one, else the parent.
    auto* item = static_cast<QTreeWidgetItem*>(node->Node);
    QTreeWidgetItem* instead = nullptr;
    if (item && item->parent()) {
        QTreeWidgetItem* up = item->parent();
        const int row = up->indexOfChild(item);
        instead = row + 1 < up->childCount() ? up->child(row + 1)
                  : row > 0                  ? up->child(row - 1)
                                             : up;
    }
    // The subtree keeps no items while it is out of the map.
    std::vector<TPoxel*> pending{node};
    while (!pending.empty()) {
        TPoxel* n = pending.back();
        pending.pop_back();
        n->Node = nullptr;
        for (auto& e : n->Entities)
            pending.push_back(e.get());
        for (auto& c : n->Children)
            pending.push_back(c.get());
    }
    fillingTree_ = true;
    const bool treeSelectionGoes =
        item && (item->isSelected() || TreeView1->selectedItem() == nullptr);
    delete item;
    fillingTree_ = false;

    if (selectionGoes)
        scene_.SelectedId = 0;
    if ((selectionGoes || treeSelectionGoes || !TreeView1->selectedItem()) && instead) {
        if (scene_.ShownRoot == doc_->root() || !scene_.ShownRoot)
            selectTreeNode(poxelOfItem(instead));
        else {
            fillingTree_ = true;
            TreeView1->selectOnly(instead);
            fillingTree_ = false;
        }
    }
    updateToolEnabling();
    repaintView();
}

void TMainForm::onNodeChanged(TPoxel* node, NodeChanges what) {
    if (what & NodeChange::Name) {
        if (auto* item = static_cast<QTreeWidgetItem*>(node->Node)) {
            item->setText(0, QString::fromLatin1(node->Name));
            // A content copy can turn a poxel into a group.
            if (!node->IsRoot)
                item->setIcon(0, treeImageIcon(node->treeImage()));
        }
        if (node == selectedPoxel())
            showSelectionLabel(node);
    }
    if ((what & NodeChange::Geometry) && !node->IsEntity && OpenGLBox_->glReady())
        OpenGLBox_->withContext([&] { gl::BuildPoxelMesh(*node, scene_.Textures); });
    repaintView();
}

// ---- The map tree's menus -------------------------------------------------------------------

void TMainForm::connectTrees() {
    connect(TreeView1, &QWidget::customContextMenuRequested, this,
            &TMainForm::TreeView1ContextPopup);
    TreeView1->acceptsDrop = [this](QTreeWidget* source, QTreeWidgetItem* target) {
        return treeAcceptsDrop(source, target);
    };
    TreeView1->dropped = [this](QTreeWidget* source, QTreeWidgetItem* target) {
        treeDropped(source, target);
    };
}

void TMainForm::TreeView1ContextPopup(const QPoint& pos) {
    const std::vector<QTreeWidgetItem*> selected = TreeView1->selectionOrder();
    const QPoint global = TreeView1->viewport()->mapToGlobal(pos);
    if (selected.size() >= 2) {
        Npoxelsselected1->setText(QStringLiteral("%1 %2").arg(QString::number(selected.size()),
                                                              langText("[mnuGroupPoxelSelected]")));
        TreeMenuGroup->popup(global);
        return;
    }
    QTreeWidgetItem* item = TreeView1->itemAt(pos);
    if (!item || item != TreeView1->selectedItem())
        return; // the menu is for the selected node only
    TPoxel* node = poxelOfItem(item);
    if (!node)
        return;
    const bool isRoot = item == TreeView1->topLevelItem(0);
    Delete1->setEnabled(!isRoot);
    GetIDPoxel1->setEnabled(!isRoot);
    AddEmitter1->setEnabled(!node->IsEntity && !node->IsRoot);
    GetIDPoxel1->setText(
        QStringLiteral("%1 ID [%2]").arg(langText("[sCopy]"), QString::number(node->Serial)));
    int64_t cells = 0, nodes = 0;
    CountPoxels(*node, cells, nodes);
    VoxelSize->setText(formatLangText(langText("[mnuTreeInfo]"),
                                      {QString::number(nodes), QString::number(cells)}));
    AddDummyPoxel1->setEnabled(!node->IsEntity);
    AddPoxel1->setEnabled(!node->IsEntity);
    const bool branches = !node->IsEntity && item->childCount() > 0;
    Expand1->setEnabled(branches);
    Collupse1->setEnabled(branches);
    TreeMenu->popup(global);
}

namespace {
void setSubtreeExpanded(QTreeWidgetItem* top, bool expanded) {
    std::vector<QTreeWidgetItem*> pending{top};
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.back();
        pending.pop_back();
        item->setExpanded(expanded);
        for (int i = 0; i < item->childCount(); ++i)
            pending.push_back(item->child(i));
    }
}
} // namespace

void TMainForm::Collupse1Click() {
    if (QTreeWidgetItem* item = TreeView1->selectedItem())
        setSubtreeExpanded(item, false);
}

void TMainForm::Expand1Click() {
    if (QTreeWidgetItem* item = TreeView1->selectedItem())
        setSubtreeExpanded(item, true);
}

void TMainForm::Delete1Click() {
    if (TPoxel* node = treeSelectedPoxel())
        doc_->deleteNode(*node);
}

void TMainForm::DeletePoxelsClick() {
    std::vector<TPoxel*> nodes;
    for (QTreeWidgetItem* item : TreeView1->selectionOrder())
        if (TPoxel* node = poxelOfItem(item))
            nodes.push_back(node);
    doc_->deleteNodes(nodes);
}

void TMainForm::AddDummyPoxel1Click() {
    if (TPoxel* node = treeSelectedPoxel())
        doc_->addDummy(*node);
}

void TMainForm::AddPoxel1Click() {
    if (TPoxel* node = treeSelectedPoxel())
        doc_->addPoxel(*node);
}

void TMainForm::AddEmitter1Click() {
    if (TPoxel* node = treeSelectedPoxel())
        doc_->addEmitter(*node);
}

void TMainForm::GroupPoxels1Click() {
    std::vector<TPoxel*> nodes;
    for (QTreeWidgetItem* item : TreeView1->selectionOrder())
        if (TPoxel* node = poxelOfItem(item))
            nodes.push_back(node);
    TPoxel* group = doc_->groupNodes(nodes);
    if (!group || !group->Node)
        return;
    static_cast<QTreeWidgetItem*>(group->Node)->setExpanded(true);
    selectTreeNode(group);
}

void TMainForm::GetIDPoxel1Click() {
    if (TPoxel* node = treeSelectedPoxel())
        QGuiApplication::clipboard()->setText(QString::number(node->Serial));
}

void TMainForm::ShowParentClick() {
    // Hide Child starts released each time it becomes usable; while unusable it stays down.
    const bool down = ShowParent->isChecked();
    ShowChild->setEnabled(down);
    ShowChild->setChecked(!down);
    scene_.HideParent = down;
    scene_.HideChild = ShowChild->isChecked();
    repaintView();
}

void TMainForm::ShowChildClick() {
    scene_.HideChild = ShowChild->isChecked();
    repaintView();
}

// ---- Drag and drop into the map tree --------------------------------------------------------

bool TMainForm::treeAcceptsDrop(QTreeWidget* source, QTreeWidgetItem* target) const {
    if (source != TreeView1 && source != TreeView2 && source != TreeView3)
        return false;
    TPoxel* onto = poxelOfItem(target);
    if (!onto || !MapDocument::canDropOnto(*onto))
        return false;
    if (source == TreeView1) {
        TPoxel* dragged = poxelOfItem(TreeView1->selectedItem());
        return dragged && doc_->canCopyInto(*onto, *dragged);
    }
    return true;
}

void TMainForm::treeDropped(QTreeWidget* source, QTreeWidgetItem* target) {
    TPoxel* onto = poxelOfItem(target);
    if (!onto)
        return;
    TPoxel* added = nullptr;
    if (source == TreeView2) {
        QTreeWidgetItem* item = TreeView2->currentItem();
        bool hasIndex = false;
        const int index = item ? item->data(0, kObjectIndexRole).toInt(&hasIndex) : -1;
        if (!hasIndex)
            return;
        const Result<TPoxel*> dropped = doc_->dropLibraryObject(*onto, index);
        if (!dropped) {
            reportError(QStringLiteral("[sBadlibraryXomFile]"),
                        QString::fromStdString(dropped.error().detail));
            return;
        }
        added = dropped.value();
    } else {
        QTreeWidgetItem* item =
            source == TreeView1 ? TreeView1->selectedItem() : source->currentItem();
        TPoxel* dragged = poxelOfItem(item);
        if (!dragged || dragged->IsRoot)
            return;
        added = doc_->copyNodeInto(*onto, *dragged);
    }
    if (added)
        target->setExpanded(true);
}

} // namespace lw

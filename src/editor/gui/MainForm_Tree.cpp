// The tree views: items of the poxel trees, and selection between the trees and the view.

#include "editor/gui/MainForm.h"

#include "editor/gui/TreeWidgetSink.h"
#include "render/gui/OpenGLBox.h"
#include "ui/Language.h"

#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QTreeWidget>

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

namespace {
TPoxel* findByListId(TPoxel* node, int32_t id) {
    if (!node || id == 0)
        return nullptr;
    if (node->ListId == id)
        return node;
    for (auto& e : node->Entities)
        if (TPoxel* hit = findByListId(e.get(), id))
            return hit;
    for (auto& c : node->Children)
        if (TPoxel* hit = findByListId(c.get(), id))
            return hit;
    return nullptr;
}
} // namespace

TPoxel* TMainForm::selectedPoxel() const {
    return findByListId(scene_.ShownRoot, scene_.SelectedId);
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
    tree->setCurrentItem(item);
    tree->scrollToItem(item);
    fillingTree_ = false;
}

void TMainForm::selectById(int32_t listId) {
    scene_.SelectedId = listId;
    TPoxel* node = selectedPoxel();
    ToolButton6->setEnabled(listId > 0);
    if (node) {
        showSelectionLabel(node);
        selectInTree(node);
    } else {
        showSelectionLabel(nullptr);
    }
    updateToolEnabling();
    repaintView();
}

void TMainForm::onTreeSelection(QTreeWidget* tree, bool importMap) {
    if (fillingTree_)
        return;
    TPoxel* node = poxelOfItem(tree->currentItem());
    TPoxel* root = importMap ? importMapRoot_.get() : editRoot_.get();
    if (!node || !root)
        return;
    importMapActive_ = importMap;
    if (scene_.ShownRoot != root) {
        scene_.ShownRoot = root;
        setStatus(2, langText(importMap ? "[sActiveImportMap]" : "[sActiveEditMap]"));
    }
    scene_.SelectedId = node->ListId;
    ToolButton6->setEnabled(true);
    showSelectionLabel(node);
    updateToolEnabling();
    repaintView();
}

void TMainForm::TreeView1Change() {
    onTreeSelection(TreeView1, false);
}

void TMainForm::TreeView3Change() {
    onTreeSelection(TreeView3, true);
}

} // namespace lw

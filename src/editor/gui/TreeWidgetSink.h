#pragma once
// Tree items of the poxel tree in a QTreeWidget: each item holds its node, each node its item.

#include "core/Poxel.h"

#include <QTreeWidget>

namespace lw {

// Item data roles.
constexpr int kPoxelRole = Qt::UserRole;           // TPoxel* as quintptr
constexpr int kObjectIndexRole = Qt::UserRole + 1; // library listing: object index

class TreeWidgetSink : public ItemSink {
public:
    explicit TreeWidgetSink(QTreeWidget* tree) : tree_(tree) {}
    TreeItem addItem(TreeItem parent, const std::string& text, int image, TPoxel* node,
                     int objectIndex) override;
    void updateItem(TreeItem item, const std::string& text, int image, TPoxel* node) override;

private:
    QTreeWidget* tree_;
};

// The icon of a tree image number (root, entity, poxel, group); our own drawing.
QIcon treeImageIcon(int image);
TPoxel* poxelOfItem(const QTreeWidgetItem* item);

} // namespace lw

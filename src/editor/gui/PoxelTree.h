#pragma once
// The tree view of a map. It never moves its own items: a drop onto it is handed to the
// owner, which copies through the document and lets the document's notifications add the
// items. Multiple selection is by Ctrl-click only and only among siblings; the order in which
// nodes were selected is kept, since grouping and deleting several nodes follow it.

#include <QTreeWidget>

#include <functional>
#include <vector>

namespace lw {

class TPoxelTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit TPoxelTree(QWidget* parent = nullptr);

    // Whether a drag from `source` may drop onto `target` (the item under the pointer, or
    // nullptr), and what a drop does.
    std::function<bool(QTreeWidget* source, QTreeWidgetItem* target)> acceptsDrop;
    std::function<void(QTreeWidget* source, QTreeWidgetItem* target)> dropped;

    // The selected items in the order they were selected.
    std::vector<QTreeWidgetItem*> selectionOrder() const;
    // The node a command acts on: the current item when it is selected, else the last one
    // selected; nullptr without a selection.
    QTreeWidgetItem* selectedItem() const;
    // Makes `item` the only selected item and the current one.
    void selectOnly(QTreeWidgetItem* item);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }

private:
    bool acceptAt(QDropEvent* event);
    void dropHiddenFromSelection(QTreeWidgetItem* collapsed);
    // Persistent, so that items deleted meanwhile drop out by themselves.
    std::vector<QPersistentModelIndex> order_;
};

// A source-only tree (the library listing, the imported map): drags copy, never move.
void makeDragSource(QTreeWidget* tree);

} // namespace lw

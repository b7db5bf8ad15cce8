#include "editor/gui/PoxelTree.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace lw {

TPoxelTree::TPoxelTree(QWidget* parent) : QTreeWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QTreeWidget::itemCollapsed, this, &TPoxelTree::dropHiddenFromSelection);
}

void TPoxelTree::dropHiddenFromSelection(QTreeWidgetItem* collapsed) {
    // Only visible nodes may be selected: those the collapse hid leave the selection, and when
    // none is left the collapsed node takes it.
    QItemSelection hidden;
    bool anyLeft = false;
    for (QTreeWidgetItem* item : selectedItems()) {
        bool below = false;
        for (QTreeWidgetItem* up = item->parent(); up && !below; up = up->parent())
            below = up == collapsed;
        if (below) {
            const QModelIndex index = indexFromItem(item);
            hidden.select(index, index);
        } else {
            anyLeft = true;
        }
    }
    if (hidden.isEmpty())
        return;
    if (anyLeft)
        selectionModel()->select(hidden, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    else
        selectOnly(collapsed);
}

std::vector<QTreeWidgetItem*> TPoxelTree::selectionOrder() const {
    std::vector<QTreeWidgetItem*> items;
    for (const QPersistentModelIndex& index : order_)
        if (index.isValid() && selectionModel()->isSelected(index))
            if (QTreeWidgetItem* item = itemFromIndex(index))
                items.push_back(item);
    return items;
}

QTreeWidgetItem* TPoxelTree::selectedItem() const {
    QTreeWidgetItem* current = currentItem();
    if (current && current->isSelected())
        return current;
    const auto items = selectionOrder();
    return items.empty() ? nullptr : items.back();
}

void TPoxelTree::selectOnly(QTreeWidgetItem* item) {
    if (!item) {
        clearSelection();
        return;
    }
    setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollToItem(item);
}

QItemSelectionModel::SelectionFlags TPoxelTree::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* event) const {
    const auto rows = QItemSelectionModel::Rows;
    if (!event || !index.isValid())
        return QTreeWidget::selectionCommand(index, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        if (!(mouse->modifiers() & Qt::ControlModifier))
            break;
        // Ctrl adds or removes a sibling of what is selected; anything else starts afresh.
        const QModelIndexList selected = selectionModel()->selectedRows();
        if (selected.isEmpty() || selected.front().parent() == index.parent())
            return QItemSelectionModel::Toggle | rows;
        return QItemSelectionModel::ClearAndSelect | rows;
    }
    case QEvent::MouseMove:
        // Dragging over items never selects them.
        return QItemSelectionModel::NoUpdate;
    case QEvent::MouseButtonRelease:
        return QTreeWidget::selectionCommand(index, event);
    default:
        break;
    }
    return QItemSelectionModel::ClearAndSelect | rows;
}

void TPoxelTree::selectionChanged(const QItemSelection& selected,
                                  const QItemSelection& deselected) {
    auto gone = [this](const QPersistentModelIndex& i) {
        return !i.isValid() || !selectionModel()->isSelected(i);
    };
    order_.erase(std::remove_if(order_.begin(), order_.end(), gone), order_.end());
    for (const QModelIndex& index : selected.indexes())
        if (index.column() == 0 && std::find(order_.begin(), order_.end(), index) == order_.end())
            order_.emplace_back(index);
    QTreeWidget::selectionChanged(selected, deselected);
}

void TPoxelTree::mousePressEvent(QMouseEvent* event) {
    // The right button only asks for the context menu; it leaves the selection alone.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void TPoxelTree::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll)) {
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

bool TPoxelTree::acceptAt(QDropEvent* event) {
    auto* source = qobject_cast<QTreeWidget*>(event->source());
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    const bool ok = source && acceptsDrop && acceptsDrop(source, target);
    if (ok) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
    return ok;
}

void TPoxelTree::dragEnterEvent(QDragEnterEvent* event) {
    QTreeWidget::dragEnterEvent(event);
    // Entering is always allowed so that moves over the tree are seen; each move decides.
    if (qobject_cast<QTreeWidget*>(event->source())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void TPoxelTree::dragMoveEvent(QDragMoveEvent* event) {
    QTreeWidget::dragMoveEvent(event); // scrolling and the drop indicator
    acceptAt(event);
}

void TPoxelTree::dropEvent(QDropEvent* event) {
    // Never the base class: it would move or copy the items themselves.
    if (!acceptAt(event))
        return;
    auto* source = qobject_cast<QTreeWidget*>(event->source());
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    if (dropped)
        dropped(source, target);
    stopAutoScroll();
    setState(QAbstractItemView::NoState);
    viewport()->update();
}

void makeDragSource(QTreeWidget* tree) {
    tree->setDragEnabled(true);
    tree->setDragDropMode(QAbstractItemView::DragOnly);
    tree->setDefaultDropAction(Qt::CopyAction);
}

} // namespace lw

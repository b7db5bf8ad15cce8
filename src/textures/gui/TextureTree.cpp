#include "textures/gui/TextureTree.h"

#include "textures/gui/ImageDrag.h"

#include <QDragEnterEvent>
#include <QDropEvent>

namespace lw {

TTextureTree::TTextureTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setIndentation(19);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(true);
    setDefaultDropAction(Qt::CopyAction);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

QString TTextureTree::acceptedName(const QMimeData* mime, const QObject* source,
                                   const QPoint& pos) const {
    const QString name = draggedImageName(mime, source, source_);
    QTreeWidgetItem* item = itemAt(pos);
    // Slot nodes (one level down) take images; box nodes do not.
    if (name.isEmpty() || !item || !item->parent())
        return {};
    return name;
}

void TTextureTree::dragEnterEvent(QDragEnterEvent* event) {
    // Entering is allowed for any drag from the browser; each move decides.
    if (!draggedImageName(event->mimeData(), event->source(), source_).isEmpty()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TTextureTree::dragMoveEvent(QDragMoveEvent* event) {
    QTreeWidget::dragMoveEvent(event); // scrolling near the edges
    if (!acceptedName(event->mimeData(), event->source(), event->position().toPoint()).isEmpty()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TTextureTree::dropEvent(QDropEvent* event) {
    // Never the base class: it would add items of its own.
    const QPoint pos = event->position().toPoint();
    const QString name = acceptedName(event->mimeData(), event->source(), pos);
    if (name.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (dropped)
        dropped(itemAt(pos), name);
    stopAutoScroll();
    setState(QAbstractItemView::NoState);
    viewport()->update();
}

} // namespace lw

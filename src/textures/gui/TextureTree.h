#pragma once
// The tree of the texture list: a node per texture box with its five slots below it. Image
// names dragged from the texture browser drop onto slot nodes only.

#include <QTreeWidget>

#include <functional>

namespace lw {

class TTextureTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit TTextureTree(QWidget* parent = nullptr);

    // Drops are taken only from this view (the browser's image list).
    void setImageSource(const QObject* browserTree) { source_ = browserTree; }
    // A slot node took the image `name`.
    std::function<void(QTreeWidgetItem* slotItem, const QString& name)> dropped;

    // Whether a drag of `data` from `source` may drop on the node at `pos` (viewport
    // coordinates); the name it carries when it may.
    QString acceptedName(const QMimeData* mime, const QObject* source, const QPoint& pos) const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }

private:
    const QObject* source_ = nullptr;
};

} // namespace lw

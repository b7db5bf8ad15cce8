#pragma once
// The filter field above the map tree: the tree shows only the nodes whose name contains the
// text (letter case ignored) and the nodes above them. Enter selects the next match after the
// selected node, Escape clears the field. The field follows a tree that changes under it.

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QLineEdit;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace lw {

// Hides every item of `tree` whose text does not contain `text` and that has no such item
// below it; the items above a match are expanded so that it shows. An empty text shows every
// item. Returns the matches in tree order (pre-order).
std::vector<QTreeWidgetItem*> filterTreeItems(QTreeWidget& tree, const QString& text);

// The first match after `current` in tree order, wrapping round; the first match when
// `current` is none of them or null; null without matches.
QTreeWidgetItem* nextTreeMatch(const std::vector<QTreeWidgetItem*>& matches, QTreeWidget& tree,
                               QTreeWidgetItem* current);

class MapTreeFilter : public QObject {
    Q_OBJECT
public:
    MapTreeFilter(QLineEdit* field, QTreeWidget* tree, QObject* parent = nullptr);

    // What Enter does with the next match: the window selects it in the tree and the view.
    std::function<void(QTreeWidgetItem*)> selectItem;
    // The selected item of the tree, where Enter goes on from.
    std::function<QTreeWidgetItem*()> currentItem;

    // Filters again with the field's text (after the tree changed).
    void apply();
    // Filters again once control returns to the event loop; many changes make one run.
    void applyLater();
    // Selects the next match; false without one.
    bool selectNext();
    void clear();
    const std::vector<QTreeWidgetItem*>& matches() const { return matches_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* field_;
    QTreeWidget* tree_;
    QTimer* later_;
    std::vector<QTreeWidgetItem*> matches_;
};

} // namespace lw

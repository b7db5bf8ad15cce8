#include "editor/gui/MapTreeFilter.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

#include <unordered_set>

namespace lw {

namespace {

struct Visit {
    QTreeWidgetItem* item;
    int parent; // index in the visit order, -1 for top-level items
};

std::vector<Visit> preOrder(QTreeWidget& tree) {
    std::vector<Visit> order;
    std::vector<Visit> pending;
    for (int i = tree.topLevelItemCount() - 1; i >= 0; --i)
        pending.push_back({tree.topLevelItem(i), -1});
    while (!pending.empty()) {
        const Visit v = pending.back();
        pending.pop_back();
        const int index = static_cast<int>(order.size());
        order.push_back(v);
        for (int i = v.item->childCount() - 1; i >= 0; --i)
            pending.push_back({v.item->child(i), index});
    }
    return order;
}

} // namespace

std::vector<QTreeWidgetItem*> filterTreeItems(QTreeWidget& tree, const QString& text) {
    const std::vector<Visit> order = preOrder(tree);
    const QString wanted = text.trimmed();
    std::vector<QTreeWidgetItem*> matches;
    std::vector<char> shown(order.size(), 0);
    std::vector<char> matched(order.size(), 0);
    for (size_t i = 0; i < order.size(); ++i)
        if (wanted.isEmpty() || order[i].item->text(0).contains(wanted, Qt::CaseInsensitive)) {
            matched[i] = 1;
            shown[i] = 1;
        }
    // Children come after their parents: going backwards, a shown node shows its parent.
    for (size_t i = order.size(); i-- > 0;)
        if (shown[i] && order[i].parent >= 0)
            shown[size_t(order[i].parent)] = 1;
    for (size_t i = 0; i < order.size(); ++i) {
        QTreeWidgetItem* item = order[i].item;
        if (item->isHidden() == bool(shown[i]))
            item->setHidden(!shown[i]);
        if (wanted.isEmpty())
            continue;
        if (matched[i])
            matches.push_back(item);
        // The nodes above a match open so that it shows.
        if (shown[i] && order[i].parent >= 0 && !order[size_t(order[i].parent)].item->isExpanded())
            order[size_t(order[i].parent)].item->setExpanded(true);
    }
    return matches;
}

QTreeWidgetItem* nextTreeMatch(const std::vector<QTreeWidgetItem*>& matches, QTreeWidget& tree,
                               QTreeWidgetItem* current) {
    if (matches.empty())
        return nullptr;
    if (!current)
        return matches.front();
    // The match after `current` in tree order, whether or not `current` matches itself.
    const std::unordered_set<QTreeWidgetItem*> matching(matches.begin(), matches.end());
    bool passed = false;
    for (const Visit& v : preOrder(tree)) {
        if (passed && matching.count(v.item))
            return v.item;
        passed = passed || v.item == current;
    }
    return matches.front();
}

MapTreeFilter::MapTreeFilter(QLineEdit* field, QTreeWidget* tree, QObject* parent)
    : QObject(parent), field_(field), tree_(tree), later_(new QTimer(this)) {
    later_->setSingleShot(true);
    later_->setInterval(0);
    connect(later_, &QTimer::timeout, this, &MapTreeFilter::apply);
    connect(field_, &QLineEdit::textChanged, this, &MapTreeFilter::apply);
    field_->installEventFilter(this);
}

void MapTreeFilter::apply() {
    later_->stop();
    matches_ = filterTreeItems(*tree_, field_->text());
    if (QTreeWidgetItem* current = currentItem ? currentItem() : nullptr;
        current && !current->isHidden())
        tree_->scrollToItem(current);
}

void MapTreeFilter::applyLater() {
    if (!field_->text().isEmpty())
        later_->start();
}

bool MapTreeFilter::selectNext() {
    apply();
    QTreeWidgetItem* next = nextTreeMatch(matches_, *tree_, currentItem ? currentItem() : nullptr);
    if (!next)
        return false;
    if (selectItem)
        selectItem(next);
    tree_->scrollToItem(next);
    return true;
}

void MapTreeFilter::clear() {
    field_->clear(); // shows every item again through textChanged
}

bool MapTreeFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            selectNext();
            return true;
        }
        if (key == Qt::Key_Escape) {
            clear();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace lw

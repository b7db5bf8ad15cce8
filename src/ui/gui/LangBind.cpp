#include "ui/gui/LangBind.h"

#include "ui/gui/CheckBoxX.h"
#include "ui/gui/EditX.h"
#include "ui/gui/PanelPlus.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTabWidget>
#include <QTableWidget>

namespace lw {

namespace {

LangRegistry::Setter captionSetter(QObject* control) {
    // Custom controls first: TCheckBoxX is a button but shows its caption on its label.
    if (auto* c = qobject_cast<TPanelPlus*>(control))
        return [c](const QString& t) { c->setCaption(t); };
    if (auto* c = qobject_cast<TCheckBoxX*>(control))
        return [c](const QString& t) { c->setCaption(t); };
    if (auto* c = qobject_cast<TEditX*>(control))
        return [c](const QString& t) { c->setLabelText(t); };
    if (auto* c = qobject_cast<QAction*>(control))
        return [c](const QString& t) { c->setText(t); };
    if (auto* c = qobject_cast<QMenu*>(control))
        return [c](const QString& t) { c->setTitle(t); };
    if (auto* c = qobject_cast<QGroupBox*>(control))
        return [c](const QString& t) { c->setTitle(t); };
    if (auto* c = qobject_cast<QAbstractButton*>(control))
        return [c](const QString& t) { c->setText(t); };
    if (auto* c = qobject_cast<QLabel*>(control))
        return [c](const QString& t) { c->setText(t); };
    if (auto* c = qobject_cast<QWidget*>(control); c && c->isWindow())
        return [c](const QString& t) { c->setWindowTitle(t); };
    return {};
}

} // namespace

void bindCaption(LangRegistry& registry, const QString& key, QObject* control) {
    registry.add(key, control, captionSetter(control));
}

void bindHint(LangRegistry& registry, const QString& key, QObject* control) {
    if (auto* a = qobject_cast<QAction*>(control))
        registry.add(key, a, [a](const QString& t) { a->setToolTip(t); });
    else if (auto* w = qobject_cast<QWidget*>(control))
        registry.add(key, w, [w](const QString& t) {
            w->setToolTip(t);
            if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->text().isEmpty())
                b->setAccessibleName(t);
        });
}

void bindAccessibleName(LangRegistry& registry, const QString& key, QWidget* control) {
    if (control)
        registry.add(key, control, [control](const QString& t) { control->setAccessibleName(t); });
}

void bindCaptionAndName(LangRegistry& registry, const QString& key, QWidget* control) {
    bindCaption(registry, key, control);
    bindAccessibleName(registry, key, control);
}

void bindColumnTitle(LangRegistry& registry, const QString& key, QTableWidget* grid, int column) {
    registry.add(key, grid, [grid, column](const QString& t) {
        if (column < 0 || column >= grid->columnCount())
            return;
        QTableWidgetItem* item = grid->horizontalHeaderItem(column);
        if (!item) {
            item = new QTableWidgetItem;
            grid->setHorizontalHeaderItem(column, item);
        }
        item->setText(t);
    });
}

void bindTabText(LangRegistry& registry, const QString& key, QTabWidget* pages, QWidget* page) {
    QPointer<QTabWidget> guard(pages);
    registry.add(key, page, [guard, page](const QString& t) {
        if (guard && guard->indexOf(page) >= 0)
            guard->setTabText(guard->indexOf(page), t);
    });
}

void bindString(LangRegistry& registry, const QString& key, QObject* owner, QString* target) {
    registry.add(key, owner, [target](const QString& t) { *target = t; });
}

} // namespace lw

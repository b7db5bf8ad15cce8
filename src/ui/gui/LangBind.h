#pragma once
// Registration helpers for the language registry: each call says which key sets which text of
// which control. Windows call them while they are built.

#include "ui/LangRegistry.h"

class QTabWidget;
class QTableWidget;

namespace lw {

// The control's caption: a window's title, a label's, button's or action's text, a menu's or
// group box's title, a TPanelPlus or TCheckBoxX caption, a TEditX label.
void bindCaption(LangRegistry& registry, const QString& key, QObject* control);
// The hint (tool tip) of a widget or action; a button without a caption (a tool button) is
// also named by it for screen readers.
void bindHint(LangRegistry& registry, const QString& key, QObject* control);
// The accessible name of a control that has no caption (a tree, the 3D view).
void bindAccessibleName(LangRegistry& registry, const QString& key, QWidget* control);
// Both from one key: the caption, and the accessible name (a field is named by its label).
void bindCaptionAndName(LangRegistry& registry, const QString& key, QWidget* control);
// The title of one column of a grid.
void bindColumnTitle(LangRegistry& registry, const QString& key, QTableWidget* grid, int column);
// The tab text of a page of a page control.
void bindTabText(LangRegistry& registry, const QString& key, QTabWidget* pages, QWidget* page);
// A stored string (a prompt or a format) that `owner` keeps and uses later.
void bindString(LangRegistry& registry, const QString& key, QObject* owner, QString* target);

} // namespace lw

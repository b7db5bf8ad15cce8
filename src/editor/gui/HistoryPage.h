#pragma once
// The "History" page: the steps of the edited map's history, newest last. Clicking a step undoes
// or redoes to it; the saved state carries a mark.

#include <QUndoView>

namespace lw {

class THistoryPage : public QUndoView {
    Q_OBJECT
public:
    explicit THistoryPage(QUndoStack* stack, QWidget* parent = nullptr);
};

} // namespace lw

#pragma once
// TReplacer: the find-and-replace window, opened modally from the map tree's "Replacer..." on a
// node. It takes a find query and a replace query, runs them once over the node's subtree as
// one step of the document's history and shows the change log.

#include "ui/LangRegistry.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace lw {

class MapDocument;
class TPoxel;

class TReplacer : public QDialog {
    Q_OBJECT

public:
    // Shows the syntax help; tests replace it to read the text instead of a message box.
    using MessageHook =
        std::function<void(QWidget* parent, const QString& title, const QString& text)>;

    explicit TReplacer(MapDocument& doc, QWidget* parent = nullptr,
                       LangRegistry& registry = appLangRegistry());

    // The opening from the tree menu: `start` becomes the node whose subtree a run processes,
    // the label shows its name, the log is cleared and one run is allowed.
    void openOn(TPoxel& start);

    TPoxel* startNode() const { return start_; }
    bool ready() const { return ready_; }
    // Fixes the random source of bracketed values, as the command-line tool's --seed does.
    void setSeed(std::optional<uint32_t> seed) { seed_ = seed; }
    void setMessageHook(MessageHook hook) { showMessage_ = std::move(hook); }

public slots:
    void FindEditChange();
    void ReplaceButClick();
    void Button2Click(); // the syntax help
    void Button1Click(); // close

public:
    // Controls, by designer name.
    QLabel* Label1 = nullptr; // "Find:"
    QLineEdit* FindEdit = nullptr;
    QLabel* Label2 = nullptr; // "Replace:"
    QLineEdit* RepEdit = nullptr;
    QLabel* Label4 = nullptr; // "Process:"
    QPlainTextEdit* OutText = nullptr;
    QLabel* Label3 = nullptr; // "[Name]" of the start node
    QPushButton* ReplaceBut = nullptr;
    QPushButton* Button2 = nullptr; // "*Const*"
    QPushButton* Button1 = nullptr; // "Close"

private:
    void forgetStartIfIn(const TPoxel& removed);
    void showStartName();

    MapDocument& doc_;
    TPoxel* start_ = nullptr;
    bool ready_ = false;
    std::optional<uint32_t> seed_;
    MessageHook showMessage_;
    QString constantsTitle_ = QStringLiteral("Constants");
};

} // namespace lw

#pragma once
// The "Textures" page of the main window: the buttons of the texture commands, the name of the
// open list and the tree of its boxes with the box menu. The page shows a TextureListDocument
// and edits it; the commands that open, save and load lists belong to the main window, which
// connects the buttons.

#include <QWidget>

#include <functional>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidgetItem;

namespace lw {

class TextureListDocument;
class TTextureTree;

class TTexturePage : public QWidget {
    Q_OBJECT

public:
    TTexturePage(TextureListDocument& list, QWidget* parent = nullptr);

    // The box of a node (its own box for a slot node), or -1.
    int boxOf(const QTreeWidgetItem* item) const;
    // The slot (0..4) of a slot node, or -1 for a box node.
    static int slotOf(const QTreeWidgetItem* item);
    QTreeWidgetItem* boxItem(int box) const;
    QTreeWidgetItem* slotItem(int box, int slot) const;

    // Drops are taken only from this view (the browser's image list).
    void setImageSource(const QObject* browserTree);

    // Hook for tests: asks a box's new name (the dialog "Edit Name" by default).
    std::function<std::optional<QString>(QWidget*, const QString& name)> askName;
    // Hook for tests: asks whether to go on (a question box by default).
    std::function<bool(QWidget*, const QString& title, const QString& text)> askYesNo;

    // Controls, by designer name.
    QPushButton* ButOpenText = nullptr;
    QPushButton* ButTexturesView = nullptr; // latching: down while the browser is shown
    QPushButton* ButLoadTextur = nullptr;
    QPushButton* ShowBox = nullptr; // latching: down while the overview is shown
    QLabel* TextNameLab = nullptr;
    TTextureTree* TextureTree = nullptr;
    QMenu* TextureMenu = nullptr;
    QAction* ExpandAll1 = nullptr;
    QAction* CollapseAll1 = nullptr;
    QAction* EditName1 = nullptr;
    QAction* SetNULL1 = nullptr;
    QAction* CopyTextureBox1 = nullptr;
    QAction* PasteTextureBox1 = nullptr;
    QAction* AddTextureBox1 = nullptr;
    QAction* DeleteTextureBox1 = nullptr;
    // The steps of the list's own history.
    QAction* UndoTexture1 = nullptr;
    QAction* RedoTexture1 = nullptr;

public slots:
    // Enables the menu for the node at `pos` (viewport coordinates) and shows it.
    void TextureMenuPopup(const QPoint& pos);
    // Enables the menu items for the current node (also run by TextureMenuPopup).
    void updateMenu();
    void EditName1Click();
    void SetNULL1Click();
    void CopyTextureBox1Click();
    void PasteTextureBox1Click();
    void AddTextureBox1Click();
    void DeleteTextureBox1Click();

private:
    void rebuild();
    void updateBox(int box);
    void updateLabel();
    QTreeWidgetItem* current() const;

    TextureListDocument& list_;
};

} // namespace lw

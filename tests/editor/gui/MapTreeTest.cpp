// The map tree in the window: context menus, the tree commands and their undo, selection that
// never names a node gone from the map, drops that copy, and the unsaved-changes question.

#include "MainFormFixture.h"

#include "ui/Version.h"

#include "../../core/XomBuilder.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>

#include <filesystem>

using namespace lw;
using namespace lwtest;

namespace {

// Clicks need the tree laid out on a screen.
class MapTree : public ShownDemoMap {
protected:
    TPoxelTree* tree() { return form_->TreeView1; }
    QTreeWidgetItem* itemOf(TPoxel* node) { return static_cast<QTreeWidgetItem*>(node->Node); }

    // Selects as a click on the item does (Ctrl adds a sibling).
    void click(TPoxel* node, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTreeWidgetItem* item = itemOf(node);
        tree()->scrollToItem(item);
        const QPoint at = tree()->visualItemRect(item).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, tree()->viewport()->mapToGlobal(at),
                          Qt::LeftButton, Qt::LeftButton, mods);
        QApplication::sendEvent(tree()->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, tree()->viewport()->mapToGlobal(at),
                            Qt::LeftButton, Qt::NoButton, mods);
        QApplication::sendEvent(tree()->viewport(), &release);
    }
    // Opens the context menu on `node` as a right click does; returns the menu shown, if any.
    QMenu* contextMenuOn(TPoxel* node) {
        form_->TreeView1ContextPopup(tree()->visualItemRect(itemOf(node)).center());
        return form_->TreeMenu->isVisible()        ? form_->TreeMenu
               : form_->TreeMenuGroup->isVisible() ? form_->TreeMenuGroup
                                                   : nullptr;
    }
    void closeMenus() {
        form_->TreeMenu->hide();
        form_->TreeMenuGroup->hide();
    }
};

} // namespace

TEST_F(MapTree, ContextMenuFollowsTheNodeUnderThePointer) {
    TPoxel* ground = island()->Children[0].get();
    click(ground);
    EXPECT_EQ(form_->SelectLabel->text(), "Ground");

    QMenu* menu = contextMenuOn(ground);
    ASSERT_EQ(menu, form_->TreeMenu);
    EXPECT_TRUE(form_->Delete1->isEnabled());
    EXPECT_TRUE(form_->AddEmitter1->isEnabled());
    EXPECT_TRUE(form_->AddPoxel1->isEnabled());
    EXPECT_TRUE(form_->Expand1->isEnabled()) << "Ground holds two entities";
    EXPECT_EQ(form_->GetIDPoxel1->text(), QStringLiteral("Copy ID [%1]").arg(ground->Serial));
    EXPECT_EQ(form_->VoxelSize->text(), "[1] poxels have [360] voxels");
    EXPECT_FALSE(form_->VoxelSize->isEnabled());
    closeMenus();

    // Another node than the selected one: no menu.
    EXPECT_EQ(contextMenuOn(island()), nullptr);

    // The root: nothing to delete or copy, no emitter; an entity takes no children.
    click(form_->EditRoot());
    menu = contextMenuOn(form_->EditRoot());
    ASSERT_TRUE(menu);
    EXPECT_FALSE(form_->Delete1->isEnabled());
    EXPECT_FALSE(form_->GetIDPoxel1->isEnabled());
    EXPECT_FALSE(form_->AddEmitter1->isEnabled());
    // Entities do not count: 12 poxels and groups, 438 cells.
    EXPECT_EQ(form_->VoxelSize->text(), "[12] poxels have [438] voxels");
    closeMenus();
    TPoxel* emitter = ground->Entities[0].get();
    click(emitter);
    ASSERT_TRUE(contextMenuOn(emitter));
    EXPECT_FALSE(form_->AddPoxel1->isEnabled());
    EXPECT_FALSE(form_->AddDummyPoxel1->isEnabled());
    EXPECT_FALSE(form_->AddEmitter1->isEnabled());
    EXPECT_FALSE(form_->Expand1->isEnabled());
    EXPECT_TRUE(form_->Delete1->isEnabled());
    closeMenus();

    // Get ID Poxel puts the identity number on the clipboard.
    click(ground);
    form_->GetIDPoxel1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::number(ground->Serial));

    // Ctrl-clicks among siblings: the group menu counts them; a node elsewhere starts afresh.
    TPoxel* tower = island()->Children[1].get();
    click(tower, Qt::ControlModifier);
    ASSERT_EQ(tree()->selectionOrder().size(), 2u);
    ASSERT_EQ(contextMenuOn(ground), form_->TreeMenuGroup);
    EXPECT_EQ(form_->Npoxelsselected1->text(), "2 poxels secected");
    closeMenus();
    click(rocks()->Children[0].get(), Qt::ControlModifier);
    EXPECT_EQ(tree()->selectionOrder().size(), 1u) << "only siblings are selected together";
}

TEST_F(MapTree, AddCommandsAppendWithoutMovingTheSelectionAndUndo) {
    TPoxel* tower = island()->Children[1].get();
    click(tower);
    const auto before = mapBytes();
    const bool expanded = itemOf(tower)->isExpanded();
    form_->AddPoxel1->trigger();
    ASSERT_EQ(tower->Children.size(), 1u);
    TPoxel* added = tower->Children[0].get();
    EXPECT_EQ(added->Name, "Poxel01");
    ASSERT_TRUE(added->Node);
    EXPECT_EQ(itemOf(added)->parent(), itemOf(tower));
    EXPECT_EQ(itemOf(tower)->isExpanded(), expanded) << "the parent is not expanded";
    EXPECT_EQ(form_->treeSelectedPoxel(), tower) << "the selection does not move";
    EXPECT_TRUE(added->ListsBuilt) << "its mesh is built";
    EXPECT_EQ(form_->Undo1->text(), "Undo Add Poxel");
    EXPECT_TRUE(form_->Undo1->isEnabled());
    EXPECT_TRUE(form_->isWindowModified());
    EXPECT_TRUE(shownTitle(*form_).endsWith("[demo.xom]*"));

    form_->AddEmitter1->trigger();
    EXPECT_EQ(tower->Entities.back()->Name, "Emitter_01");
    expectTreeMatchesMap();

    form_->Undo1->trigger();
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
    EXPECT_FALSE(form_->isWindowModified()) << "back at the saved state";
    EXPECT_FALSE(form_->Undo1->isEnabled());
    EXPECT_EQ(form_->Redo1->text(), "Redo Add Poxel");
    expectTreeMatchesMap();
    form_->Redo1->trigger();
    EXPECT_EQ(tower->Children.size(), 1u);
    EXPECT_EQ(tower->Children[0].get(), added) << "redo brings back the same node";
    expectTreeMatchesMap();
    EXPECT_EQ(form_->Redo1->shortcuts(),
              (QList<QKeySequence>{QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}));
    EXPECT_EQ(form_->Undo1->shortcut(), QKeySequence("Ctrl+Z"));
}

TEST_F(MapTree, DeletingTheSelectedNodeSelectsAnotherAndLeavesNoReference) {
    TPoxel* tower = island()->Children[1].get();
    TPoxel* bridge = island()->Children[2].get();
    click(tower);
    ASSERT_EQ(form_->selectedPoxel(), tower);
    const auto before = mapBytes();
    form_->Delete1->trigger();
    EXPECT_FALSE(form_->document().contains(*tower));
    EXPECT_EQ(form_->selectedPoxel(), bridge) << "the next sibling";
    EXPECT_EQ(form_->treeSelectedPoxel(), bridge);
    EXPECT_EQ(form_->SelectLabel->text(), "Bridge");
    expectTreeMatchesMap();

    // The last sibling goes: the previous one; an only child: the parent.
    form_->Delete1->trigger();
    EXPECT_EQ(form_->selectedPoxel(), island()->Children[0].get());
    TPoxel* cairn = rocks()->Children.back().get();
    click(cairn->Children[0].get());
    form_->Delete1->trigger();
    EXPECT_EQ(form_->selectedPoxel(), cairn);
    expectTreeMatchesMap();

    // Undo all three: the map as it was, every node with its item again.
    for (int i = 0; i < 3; ++i)
        form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
    EXPECT_EQ(island()->Children[1].get(), tower);
    expectTreeMatchesMap();

    // Undoing the addition of the selected node moves the selection off it too.
    click(tower);
    form_->AddPoxel1->trigger();
    TPoxel* added = tower->Children[0].get();
    click(added);
    form_->Undo1->trigger();
    EXPECT_EQ(form_->selectedPoxel(), tower->Entities[0].get()) << "the item before it";
    expectTreeMatchesMap();
}

TEST_F(MapTree, GroupAndDeleteSeveralFollowTheSelectionOrder) {
    TPoxel* a = rocks()->Children[0].get();
    TPoxel* b = rocks()->Children[2].get();
    TPoxel* c = rocks()->Children[3].get();
    a->Name = "A"; // distinct names to see the order (the demo's rocks share theirs)
    b->Name = "B";
    c->Name = "C";
    const auto before = mapBytes();
    click(a);
    click(b, Qt::ControlModifier);
    click(c, Qt::ControlModifier);
    ASSERT_EQ(tree()->selectionOrder().size(), 3u);
    form_->GroupPoxels1->trigger();
    ASSERT_EQ(rocks()->Children.size(), 3u);
    TPoxel* group = rocks()->Children.back().get();
    EXPECT_EQ(group->Name, "Group_01");
    ASSERT_EQ(group->Children.size(), 3u);
    EXPECT_EQ(group->Children[0]->Name, "C");
    EXPECT_EQ(group->Children[1]->Name, "B");
    EXPECT_EQ(group->Children[2]->Name, "A");
    EXPECT_EQ(form_->treeSelectedPoxel(), group);
    EXPECT_EQ(tree()->selectionOrder().size(), 1u) << "the group alone is selected";
    EXPECT_TRUE(itemOf(group)->isExpanded());
    EXPECT_EQ(form_->Undo1->text(), "Undo Group Poxels");
    expectTreeMatchesMap();
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
    EXPECT_EQ(rocks()->Children[0].get(), a);
    expectTreeMatchesMap();

    click(a);
    click(c, Qt::ControlModifier);
    form_->DeletePoxels->trigger();
    EXPECT_EQ(rocks()->Children.size(), 3u);
    EXPECT_EQ(form_->Undo1->text(), "Undo Delete Poxels");
    expectTreeMatchesMap();
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);

    // Nodes that collapsing hides leave the selection; when none is left, the collapsed node
    // takes it, so nothing unseen can be grouped or deleted.
    click(a);
    click(c, Qt::ControlModifier);
    itemOf(rocks())->setExpanded(false);
    EXPECT_EQ(tree()->selectionOrder(), std::vector<QTreeWidgetItem*>{itemOf(rocks())});
    EXPECT_EQ(form_->selectedPoxel(), rocks());
    itemOf(rocks())->setExpanded(true);
    click(a);
    click(c, Qt::ControlModifier);
    itemOf(island())->setExpanded(false); // hides none of them
    EXPECT_EQ(tree()->selectionOrder().size(), 2u);
}

TEST_F(MapTree, DropsCopyAndRefuseTheirOwnSubtreeAndEntities) {
    TPoxel* tower = island()->Children[1].get();
    TPoxel* ground = island()->Children[0].get();
    QTreeWidgetItem* towerItem = itemOf(tower);
    click(island());
    // Onto itself, its descendants or an entity: refused; the root is never dragged.
    EXPECT_FALSE(tree()->acceptsDrop(tree(), itemOf(island())));
    EXPECT_FALSE(tree()->acceptsDrop(tree(), towerItem));
    EXPECT_FALSE(tree()->acceptsDrop(tree(), nullptr));
    EXPECT_TRUE(tree()->acceptsDrop(tree(), itemOf(rocks())));
    EXPECT_FALSE(tree()->acceptsDrop(form_->TreeView3, itemOf(ground->Entities[0].get())));
    EXPECT_FALSE(tree()->acceptsDrop(form_->TreeView2, itemOf(ground->Entities[0].get())));
    click(form_->EditRoot());
    EXPECT_FALSE(tree()->acceptsDrop(tree(), itemOf(rocks())));

    // Onto a sibling: the whole subtree is copied there and stays where it was.
    click(island());
    const size_t rockChildren = rocks()->Children.size();
    tree()->dropped(tree(), itemOf(rocks()));
    ASSERT_EQ(rocks()->Children.size(), rockChildren + 1);
    TPoxel* copy = rocks()->Children.back().get();
    EXPECT_EQ(copy->Name, "Island");
    EXPECT_EQ(copy->Children.size(), island()->Children.size());
    EXPECT_TRUE(form_->document().contains(*island()));
    EXPECT_TRUE(itemOf(rocks())->isExpanded());
    EXPECT_EQ(form_->Undo1->text(), "Undo Copy Poxel");
    expectTreeMatchesMap();
    form_->Undo1->trigger();
    EXPECT_EQ(rocks()->Children.size(), rockChildren);
    expectTreeMatchesMap();

    // From the imported map.
    ASSERT_TRUE(form_->importMapFile(demoPath_));
    QTreeWidgetItem* imported = form_->TreeView3->topLevelItem(0)->child(1);
    form_->TreeView3->setCurrentItem(imported);
    tree()->dropped(form_->TreeView3, towerItem);
    ASSERT_EQ(tower->Children.size(), 1u);
    EXPECT_EQ(tower->Children[0]->Name, "Rocks");
    EXPECT_LT(tower->Children[0]->ListId, kImportMapCounterBase) << "numbered in the edited map";
    // The imported root itself is not copied.
    form_->TreeView3->setCurrentItem(form_->TreeView3->topLevelItem(0));
    tree()->dropped(form_->TreeView3, towerItem);
    EXPECT_EQ(tower->Children.size(), 1u);
    expectTreeMatchesMap();

    // A drop event the tree did not start from a tree is ignored and moves nothing.
    QMimeData mime;
    const QPoint at = tree()->visualItemRect(towerItem).center();
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(tree()->viewport(), &drop);
    EXPECT_FALSE(drop.isAccepted());
    expectTreeMatchesMap();
}

TEST_F(MapTree, LibraryObjectsLoadForPreviewAndDropIntoTheMap) {
    const auto path = dir_ / "Bundle22.xom";
    lwtest::writeBytes(path, lwtest::sampleLibrary().build());
    ASSERT_TRUE(form_->importObjectsFile("War", QString::fromStdString(path.string())));
    EXPECT_EQ(form_->Label2->text(), "[War]");
    QTreeWidgetItem* zeta = nullptr;
    for (int i = 0; i < form_->TreeView2->topLevelItemCount(); ++i)
        if (form_->TreeView2->topLevelItem(i)->text(0) == "zeta")
            zeta = form_->TreeView2->topLevelItem(i);
    ASSERT_TRUE(zeta);
    form_->TreeView2->setCurrentItem(zeta);
    keyClick(form_->TreeView2, Qt::Key_L, "l");
    ASSERT_TRUE(form_->ImportObjectRoot());
    EXPECT_EQ(form_->ShownRoot(), form_->ImportObjectRoot());
    EXPECT_EQ(panelText(*form_, 2), "Active: Import Object");
    EXPECT_FALSE(form_->isWindowModified()) << "a preview is no edit";

    TPoxel* tower = island()->Children[1].get();
    EXPECT_TRUE(tree()->acceptsDrop(form_->TreeView2, itemOf(tower)));
    tree()->dropped(form_->TreeView2, itemOf(tower));
    ASSERT_EQ(tower->Children.size(), 1u);
    EXPECT_EQ(tower->Children[0]->Name, "zeta");
    expectTreeMatchesMap();
    form_->Undo1->trigger();
    EXPECT_TRUE(tower->Children.empty());
}

TEST_F(MapTree, UnsavedChangesAreAskedForAndNeverLost) {
    form_->AddPoxel1->trigger(); // on the root (nothing selected in the tree: ignored)
    click(island());
    form_->AddPoxel1->trigger();
    ASSERT_TRUE(form_->document().isModified());
    const auto edited = mapBytes();
    const QString other = writeMap("other.xom");

    // Cancel: nothing happens.
    saveAnswer_ = QMessageBox::Cancel;
    EXPECT_FALSE(form_->openMapFile(other));
    EXPECT_FALSE(form_->newMap());
    ASSERT_EQ(saveQuestions_.size(), 2);
    EXPECT_EQ(saveQuestions_[0], "Save changes to demo.xom?");
    EXPECT_EQ(mapBytes(), edited);
    EXPECT_TRUE(form_->isWindowModified());
    EXPECT_FALSE(form_->close()) << "closing is cancelled too";

    // Save: the map is written to its file first.
    saveAnswer_ = QMessageBox::Save;
    ASSERT_TRUE(form_->openMapFile(other));
    EXPECT_EQ(lwtest::readBytes(demoPath_.toStdString()), edited);
    EXPECT_FALSE(form_->isWindowModified());
    EXPECT_EQ(shownTitle(*form_), QString::fromLatin1(kAppTitle) + " - [other.xom]");

    // A new map has no name: Save goes through the save dialog; cancelling it cancels all.
    form_->newMap();
    form_->AddDummyPoxel1->trigger();
    click(form_->EditRoot());
    form_->AddDummyPoxel1->trigger();
    int dialogs = 0;
    QString chosen;
    form_->dialogs().saveFile = [&](QWidget*, const QString&, const QString&, int* filter) {
        ++dialogs;
        *filter = 0;
        return chosen;
    };
    EXPECT_FALSE(form_->openMapFile(demoPath_));
    EXPECT_EQ(saveQuestions_.back(), "Save changes to Untitled?");
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(form_->document().isModified());
    chosen = qpath(dir_ / "fresh");
    ASSERT_TRUE(form_->openMapFile(demoPath_));
    EXPECT_TRUE(QFile::exists(chosen + ".xom"));

    // A save that fails keeps the map and cancels the command.
    click(island());
    form_->AddPoxel1->trigger();
    const auto again = mapBytes();
    QFile::remove(demoPath_);
    std::filesystem::create_directory(demoPath_.toStdString()); // a folder now: cannot write
    EXPECT_FALSE(form_->newMap());
    EXPECT_EQ(mapBytes(), again);
    EXPECT_TRUE(form_->isWindowModified());
    EXPECT_FALSE(errors_.isEmpty());

    // Discard: the edit is dropped on purpose.
    saveAnswer_ = QMessageBox::Discard;
    EXPECT_TRUE(form_->newMap());
    EXPECT_FALSE(form_->isWindowModified());
    EXPECT_TRUE(form_->close());
}

TEST_F(MapTree, PressingOnANodeSelectsItBeforeAnyDrag) {
    TPoxel* tower = island()->Children[1].get();
    click(island());
    QTreeWidgetItem* item = itemOf(tower);
    tree()->scrollToItem(item);
    const QPoint at = tree()->visualItemRect(item).center();
    mousePress(tree()->viewport(), at, tree()->viewport()->mapToGlobal(at));
    EXPECT_EQ(form_->SelectLabel->text(), "Tower") << "the node a drag starts from is selected";
    EXPECT_EQ(form_->selectedPoxel(), tower);
    mouseRelease(tree()->viewport(), at, tree()->viewport()->mapToGlobal(at));
}

TEST_F(MapTree, HideParentAndHideChild) {
    EXPECT_FALSE(form_->ShowChild->isEnabled());
    form_->ShowParent->click();
    EXPECT_TRUE(form_->scene().HideParent);
    EXPECT_TRUE(form_->ShowChild->isEnabled());
    form_->ShowChild->click();
    const bool hideChild = form_->ShowChild->isChecked();
    EXPECT_EQ(form_->scene().HideChild, hideChild);
    form_->ShowParent->click();
    EXPECT_FALSE(form_->ShowChild->isEnabled());
    EXPECT_TRUE(form_->ShowChild->isChecked()) << "down while disabled";
    // Each time Hide Parent goes down again, Hide Child starts released.
    form_->ShowParent->click();
    EXPECT_TRUE(form_->ShowChild->isEnabled());
    EXPECT_FALSE(form_->ShowChild->isChecked());
    EXPECT_FALSE(form_->scene().HideChild);
}

// A real drag with the pointer, as a user makes it: the X server's input (xdotool) drives
// Qt's own drag loop, so nothing of the drag and drop path is bypassed.
TEST_F(MapTree, ARealDragOntoASiblingCopiesTheSubtree) {
    if (!canDrivePointer())
        GTEST_SKIP() << "needs an X server and xdotool";
    TPoxel* bridge = island()->Children[2].get();
    const size_t rockChildren = rocks()->Children.size();
    tree()->scrollToItem(itemOf(bridge));
    tree()->scrollToItem(itemOf(rocks()));
    QApplication::processEvents();
    auto screenAt = [this](TPoxel* node) {
        return tree()->viewport()->mapToGlobal(tree()->visualItemRect(itemOf(node)).center());
    };
    const QPoint from = screenAt(bridge);
    const QPoint to = screenAt(rocks());
    QProcess xdotool;
    startPointerDrag(xdotool, {from, to}, 10, 0.05);
    ASSERT_TRUE(xdotool.waitForStarted());
    EXPECT_TRUE(waitFor([&] { return rocks()->Children.size() == rockChildren + 1; }, 8000));
    xdotool.waitForFinished();
    ASSERT_EQ(rocks()->Children.size(), rockChildren + 1);
    EXPECT_EQ(rocks()->Children.back()->Name, "Bridge");
    EXPECT_EQ(island()->Children[2].get(), bridge) << "the dragged node stays";
    EXPECT_EQ(form_->SelectLabel->text(), "Bridge") << "the dragged node is the selected one";
    expectTreeMatchesMap();
    form_->Undo1->trigger();
    EXPECT_EQ(rocks()->Children.size(), rockChildren);
}

// Everyday editing in the main window: Save in place, the Delete key, cut, copy, paste and
// duplicate of nodes (also into an editor in another process), the map tree's filter, the
// window's layout across a restart and Help. Keys go through Qt's shortcut handling as typed.

#include "MainFormFixture.h"

#include "core/MapReader.h"
#include "editor/gui/HelpWindow.h"
#include "editor/gui/HistoryPage.h"
#include "editor/gui/Manual.h"
#include "editor/gui/MapTreeFilter.h"
#include "editor/gui/NodeClipboard.h"
#include "editor/gui/PropertiesPage.h"
#include "ui/gui/PanelPlus.h"

#include <QAction>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>

using namespace lw;

namespace {

using namespace lwtest;
using EditingWindow = lwtest::MainFormFixture;
using EditingShown = lwtest::ShownDemoMap;

void ctrl(QWidget* w, Qt::Key key) {
    QTest::keyClick(w, key, Qt::ControlModifier);
}

void focus(QWidget* w) {
    w->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(waitFor([w] { return w->hasFocus(); }, 2000));
}

std::unique_ptr<TPoxel> readMap(const QString& file) {
    auto map = readMapFile(file.toStdString());
    EXPECT_TRUE(map.ok());
    return map.ok() ? std::move(*map) : nullptr;
}

TEST_F(EditingShown, CtrlSSavesToTheMapsOwnFileAndAnUntitledMapAsksForOne) {
    TMainForm& f = *form_;
    int dialogs = 0;
    const QString named = qpath(dir_ / "named");
    f.dialogs().saveFile = [&](QWidget*, const QString&, const QString&, int* filter) {
        ++dialogs;
        *filter = 0;
        return named;
    };
    EXPECT_EQ(f.Savemapas1->shortcut(), QKeySequence("Ctrl+Shift+S"));
    f.document().addPoxel(*tower());
    ASSERT_TRUE(f.isWindowModified());
    focus(f.TreeView1);
    ctrl(f.TreeView1, Qt::Key_S);
    EXPECT_EQ(dialogs, 0);
    EXPECT_FALSE(f.isWindowModified());
    EXPECT_EQ(lwtest::mapBytes(*readMap(demoPath_)), mapBytes()) << "the new poxel is in the file";

    ASSERT_TRUE(f.newMap());
    f.document().addDummy(*f.EditRoot());
    ctrl(f.TreeView1, Qt::Key_S);
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(f.isWindowModified());
    EXPECT_EQ(f.document().fileName(), named + ".xom");
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
}

TEST_F(EditingShown, TheDeleteKeyDeletesTheSelectionButNeverTheRoot) {
    TMainForm& f = *form_;
    const auto before = mapBytes();
    f.selectById(tower()->ListId);
    focus(f.TreeView1);
    QTest::keyClick(f.TreeView1, Qt::Key_Delete);
    EXPECT_EQ(island()->Children.size(), 2u);
    // In the view too, on the node the view shows selected.
    f.selectById(rocks()->ListId);
    focus(f.OpenGLBox());
    QTest::keyClick(f.OpenGLBox(), Qt::Key_Delete);
    EXPECT_EQ(f.EditRoot()->Children.size(), 1u);
    f.Undo1->trigger();
    f.Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
    expectTreeMatchesMap();

    f.selectById(f.EditRoot()->ListId);
    focus(f.TreeView1);
    QTest::keyClick(f.TreeView1, Qt::Key_Delete);
    EXPECT_EQ(mapBytes(), before);
    EXPECT_FALSE(f.DeleteKey1->isEnabled());
}

TEST_F(EditingShown, CutAndPasteAreTwoStepsAndDuplicateTakesCtrlDOnlyInTheTree) {
    TMainForm& f = *form_;
    const auto before = mapBytes();
    const int steps = f.document().undoStack()->count();
    f.selectById(tower()->ListId);
    focus(f.TreeView1);
    ctrl(f.TreeView1, Qt::Key_X);
    ASSERT_EQ(island()->Children.size(), 2u);
    ASSERT_TRUE(waitFor([&] { return clipboardHasNodes(); }, 2000));
    f.selectById(rocks()->ListId);
    const size_t rocksBefore = rocks()->Children.size();
    EXPECT_EQ(f.treeSelection(), std::vector<TPoxel*>{rocks()}) << "the view's choice alone";
    focus(f.TreeView1);
    ctrl(f.TreeView1, Qt::Key_V);
    ASSERT_EQ(rocks()->Children.size(), rocksBefore + 1);
    EXPECT_EQ(f.selectedPoxel(), rocks()->Children.back().get()) << "the pasted node is selected";
    EXPECT_EQ(f.document().undoStack()->count(), steps + 2);
    f.Undo1->trigger();
    f.Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
    expectTreeMatchesMap();

    // Ctrl+D duplicates in the tree and leaves Show Dummy alone; in the view it is Show Dummy.
    const bool dummies = f.ShowEmmiters1->isChecked();
    f.selectById(bridge()->ListId);
    focus(f.TreeView1);
    ctrl(f.TreeView1, Qt::Key_D);
    EXPECT_EQ(island()->Children.size(), 4u);
    EXPECT_EQ(f.ShowEmmiters1->isChecked(), dummies);
    focus(f.OpenGLBox());
    ctrl(f.OpenGLBox(), Qt::Key_D);
    EXPECT_NE(f.ShowEmmiters1->isChecked(), dummies);
    EXPECT_EQ(island()->Children.size(), 4u);
    // Ctrl+F likewise: the filter field from the tree, Cull Face elsewhere.
    const bool cull = f.CullFace1->isChecked();
    focus(f.TreeView1);
    ctrl(f.TreeView1, Qt::Key_F);
    EXPECT_TRUE(waitFor([&] { return f.TreeFilter->hasFocus(); }, 2000));
    EXPECT_EQ(f.CullFace1->isChecked(), cull);

    // Nothing is pasted onto an entity: the command is off, and run anyway it says why.
    TPoxel* entity = ground()->Entities[0].get();
    f.selectById(entity->ListId);
    EXPECT_FALSE(f.Paste1->isEnabled());
    const auto withCopy = mapBytes();
    f.Paste1Click();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].contains("cannot be pasted")) << errors_[0].toStdString();
    EXPECT_EQ(mapBytes(), withCopy);
}

TEST_F(EditingShown, ThePropertyPageKeepsItsPlaceWhenTheNextNodeHasTheSamePanels) {
    TMainForm& f = *form_;
    f.selectById(ground()->ListId);
    settleLayouts();
    QScrollBar* bar = f.ScrollBox1->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 100);
    bar->setValue(bar->maximum() / 2);
    const int place = bar->value();
    f.selectById(bridge()->ListId);
    settleLayouts();
    EXPECT_EQ(bar->value(), place);
}

// The second editor of the test below: it pastes what the clipboard holds into the root of a
// new map and saves it. It runs only as that test's child process.
TEST_F(EditingWindow, DISABLED_PasteChild) {
    const QString target = qEnvironmentVariable("LW_PASTE_INTO");
    ASSERT_FALSE(target.isEmpty());
    ASSERT_TRUE(waitFor([] { return clipboardHasNodes(); }, 5000));
    form_->selectById(form_->EditRoot()->ListId);
    form_->Paste1Click();
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
    ASSERT_TRUE(form_->saveMapFile(target, false));
}

TEST_F(EditingWindow, NodesCopiedInOneEditorPasteIntoAnotherProcess) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "the clipboard between processes needs an X server";
    ASSERT_TRUE(form_->openMapFile(demoPath_));
    form_->selectById(tower()->ListId);
    form_->Copy1->trigger();
    const QString target = qpath(dir_ / "pasted.xom");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LW_PASTE_INTO"), target);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=EditingWindow.DISABLED_PasteChild")});
    // This process serves the clipboard while the child reads it.
    ASSERT_TRUE(waitFor([&] { return child.state() == QProcess::NotRunning; }, 30000));
    ASSERT_EQ(child.exitCode(), 0);
    auto pasted = readMap(target);
    ASSERT_TRUE(pasted && pasted->Children.size() == 1);
    TPoxel& copy = *pasted->Children[0];
    EXPECT_EQ(nodesOf(copy).size(), nodesOf(*tower()).size());
    EXPECT_EQ(copy.Voxels, tower()->Voxels);
    EXPECT_EQ(copy.Entities.size(), tower()->Entities.size());
}

TEST_F(EditingWindow, TheFilterFindsANodeAmongFiveThousandAndEnterSelectsIt) {
    auto big = makeGeneratedMap(5000);
    TPoxel* hidden = big->Children[70]->Children[20].get();
    hidden->Name = "Lighthouse";
    const QString file = qpath(dir_ / "big.xom");
    ASSERT_TRUE(WriteMapFile(*big, file.toStdString()).ok());
    TMainForm& f = *form_;
    ASSERT_TRUE(f.openMapFile(file));
    f.TreeFilter->setText(QStringLiteral("lightHOUSE"));
    TPoxel* found = f.EditRoot()->Children[70]->Children[20].get();
    auto* item = static_cast<QTreeWidgetItem*>(found->Node);
    EXPECT_FALSE(item->isHidden());
    EXPECT_FALSE(item->parent()->isHidden()) << "its group shows";
    EXPECT_TRUE(item->parent()->isExpanded());
    EXPECT_TRUE(static_cast<QTreeWidgetItem*>(f.EditRoot()->Children[0]->Node)->isHidden());
    keyClick(f.TreeFilter, Qt::Key_Return);
    EXPECT_EQ(f.selectedPoxel(), found) << "selected in the view too";
    EXPECT_EQ(f.TreeView1->selectedItem(), item);

    // Several matches: Enter goes round them.
    f.TreeFilter->setText(QStringLiteral("Group_0"));
    ASSERT_EQ(f.treeFilter()->matches().size(), 9u);
    keyClick(f.TreeFilter, Qt::Key_Return);
    EXPECT_EQ(f.selectedPoxel(), f.EditRoot()->Children[0].get());
    keyClick(f.TreeFilter, Qt::Key_Return);
    EXPECT_EQ(f.selectedPoxel(), f.EditRoot()->Children[1].get());

    keyClick(f.TreeFilter, Qt::Key_Escape);
    EXPECT_TRUE(f.TreeFilter->text().isEmpty());
    EXPECT_FALSE(static_cast<QTreeWidgetItem*>(f.EditRoot()->Children[99]->Node)->isHidden());
    EXPECT_EQ(f.TreeFilter->accessibleName(), "Find in map tree");
}

TEST_F(EditingWindow, TheLayoutComesBackAfterARestart) {
    TMainForm& f = *form_;
    f.resize(700, 500);
    f.MainSplitter->setSizes({500, 400});
    f.SidePanel->setSizes({300, 200});
    f.History1->trigger(); // View > History
    f.PageControl1->setCurrentIndex(2);
    f.PropertiesPage->PanelPlus2->setCollapse(true);
    const QList<int> sides = f.SidePanel->sizes();
    ASSERT_TRUE(f.close());

    TMainForm again;
    again.LoadSettings();
    EXPECT_EQ(again.size(), QSize(700, 500));
    EXPECT_EQ(again.MainSplitter->sizes(), f.MainSplitter->sizes());
    EXPECT_EQ(again.SidePanel->sizes(), sides);
    EXPECT_EQ(again.PageControl2->currentWidget(), again.HistoryPage);
    EXPECT_EQ(again.PageControl1->currentIndex(), 2);
    EXPECT_TRUE(again.PropertiesPage->PanelPlus2->Collapse());
    EXPECT_FALSE(again.PropertiesPage->PanelPlus1->Collapse());

    again.setWindowState(Qt::WindowMaximized);
    again.saveWindowLayout();
    TMainForm third;
    third.LoadSettings();
    EXPECT_TRUE(third.windowState() & Qt::WindowMaximized);
}

TEST_F(EditingWindow, HelpOpensTheManualOrTheLanguageFilesOwnHelpFile) {
    TMainForm& f = *form_;
    EXPECT_EQ(f.Help2->shortcut(), QKeySequence(Qt::Key_F1));
    f.Help2Click();
    THelpWindow* help = f.helpWindow();
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->currentPage(), QString::fromLatin1(kManualStartPage));
    // The picture of the main window is the window itself.
    const QImage picture = help->picture(QStringLiteral("main-window"));
    EXPECT_NE(picture.size(), QSize(480, 200)) << "not the placeholder";
    EXPECT_NE(help->picture(QStringLiteral("import-3ds")).size(), QSize(480, 200));
    EXPECT_TRUE(errors_.isEmpty());

    chooseLanguage("[mnuMainFile]=Datei\n[sHelpFileName]=hilfe.chm\n");
    f.Help2Click();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(
        errors_[0].startsWith("Error|Help file Landwright.chm not found! Your version not full."));
    EXPECT_TRUE(errors_[0].endsWith("hilfe.chm"));
    lwtest::writeBytes(dir_ / "hilfe.chm", {1});
    QString opened;
    f.dialogs().openWithSystem = [&](const QString& file) {
        opened = file;
        return true;
    };
    f.Help2Click();
    EXPECT_TRUE(opened.endsWith("hilfe.chm"));
    EXPECT_EQ(errors_.size(), 1);
    f.SelectLanguage1->DefaultEnglish1Click();
}

} // namespace

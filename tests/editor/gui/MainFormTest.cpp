// The main window: start-up state, document commands, recent lists, list bands, the names
// assistive tools find the controls by, selection between view and tree, and screenshots of the
// demo map for review.

#include "MainFormFixture.h"

#include "editor/gui/PropertiesPage.h"
#include "editor/gui/ValForm.h"
#include "editor/gui/ValueGrids.h"
#include "io/gui/ImportHMForm.h"
#include "replace/gui/ReplacerForm.h"
#include "textures/gui/TexturePage.h"
#include "textures/gui/TextureTree.h"
#include "ui/Settings.h"
#include "ui/Version.h"
#include "ui/gui/CheckBoxX.h"
#include "ui/gui/EditX.h"
#include "ui/gui/StyleEditForm.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using namespace lw;

namespace {

using namespace lwtest;
using MainForm = lwtest::MainFormFixture;
using MainFormView = lwtest::ShownDemoMap;

TEST_F(MainForm, StartsWithAnEmptyMapAndTheTextsOfTheLanguageTable) {
    TMainForm& f = *form_;
    EXPECT_EQ(shownTitle(f), QString::fromLatin1(kAppTitle));
    ASSERT_TRUE(f.EditRoot());
    EXPECT_EQ(f.EditRoot()->Name, "Root");
    EXPECT_EQ(f.ShownRoot(), f.EditRoot());
    EXPECT_EQ(f.SelectedId(), 0);
    EXPECT_EQ(f.TreeView1->topLevelItemCount(), 1);

    EXPECT_EQ(f.File1->title(), "File");
    EXPECT_EQ(f.Openxom1->text(), "Open Map...");
    EXPECT_EQ(f.Openxom1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(f.Savemap1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(f.ImportMap1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_I));
    EXPECT_EQ(f.Help2->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(f.Reopen1->title(), "Reopen");
    EXPECT_EQ(f.Options1->title(), "Options");
    EXPECT_EQ(f.Wireframe1->text(), "Wireframe");
    EXPECT_TRUE(f.ShowGrid1->isChecked());
    EXPECT_TRUE(f.Wireframe1->isChecked());
    EXPECT_TRUE(f.CullFace1->isChecked());
    EXPECT_FALSE(f.BoxMode1->isChecked());
    EXPECT_FALSE(f.extures1->isEnabled());
    EXPECT_FALSE(f.HideName1->isEnabled());
    EXPECT_EQ(f.PageControl2->tabText(0), "Map Tree");
    EXPECT_EQ(f.PageControl1->tabText(2), "Import Map");

    // Tool bar: select down, object tools and Zoom Selected disabled.
    EXPECT_TRUE(f.ToolButton11->isChecked());
    EXPECT_TRUE(f.ToolButton13->isChecked());
    EXPECT_FALSE(f.ToolButton6->isEnabled());
    EXPECT_FALSE(f.ToolButton8->isEnabled());
    EXPECT_FALSE(f.ToolButton9->isEnabled());
    EXPECT_FALSE(f.ToolButton10->isEnabled());
    EXPECT_FALSE(f.Button1->isEnabled());

    EXPECT_EQ(panelText(f, 0), "main");
    EXPECT_EQ(panelText(f, 1), "Select: Poxel");
    EXPECT_EQ(panelText(f, 2), "Active: Edit Map");
    // Reopen: headers and the five empty map places, all disabled.
    const auto items = f.Reopen1->actions();
    ASSERT_EQ(items.size(), 13);
    EXPECT_EQ(items[0]->text(), "-- Maps --");
    EXPECT_FALSE(items[0]->isEnabled());
    EXPECT_EQ(items[3]->text(), "3 ----");
    EXPECT_FALSE(items[3]->isEnabled());
    EXPECT_TRUE(items[6]->isSeparator());
}

TEST_F(MainForm, OpeningAGoodMapFillsTheTreeTitleAndRecentList) {
    TMainForm& f = *form_;
    ASSERT_TRUE(f.openMapFile(demoPath_));
    EXPECT_TRUE(errors_.isEmpty());
    EXPECT_EQ(shownTitle(f), QString::fromLatin1(kAppTitle) + " - [demo.xom]");
    QTreeWidgetItem* top = f.TreeView1->topLevelItem(0);
    ASSERT_TRUE(top);
    EXPECT_EQ(top->text(0), "Root");
    EXPECT_TRUE(top->isExpanded());
    EXPECT_EQ(top->childCount(), static_cast<int>(f.EditRoot()->Children.size()));
    EXPECT_EQ(f.EditRoot()->ListId, kListBase); // the counter starts again
    EXPECT_EQ(f.SelectedId(), f.EditRoot()->ListId);
    EXPECT_EQ(panelText(f, 2), "Active: Edit Map");
    // The recent list is the next test's; the folder is remembered for the dialogs.
    EXPECT_EQ(f.recentMaps().at(0), demoPath_);
    EXPECT_TRUE(Settings().string("PathMap").value_or(QString()).endsWith('/'));
}

TEST_F(MainForm, ABadOrMissingMapIsReportedAndChangesNothing) {
    TMainForm& f = *form_;
    ASSERT_TRUE(f.openMapFile(demoPath_));
    TPoxel* before = f.EditRoot();
    const QString title = shownTitle(f);
    const int topChildren = f.TreeView1->topLevelItem(0)->childCount();

    const QString bad = qpath(dir_ / "bad.xom");
    lwtest::writeBytes(dir_ / "bad.xom", {'M', 'O', 'I', 'K', 1, 2, 3});
    EXPECT_FALSE(f.openMapFile(bad));
    EXPECT_FALSE(f.openMapFile(qpath(dir_ / "gone.xom")));
    ASSERT_EQ(errors_.size(), 2);
    for (const QString& e : errors_)
        EXPECT_TRUE(e.startsWith("Error|Bad Xom Format File!")) << e.toStdString();
    // Each names its file once, on a line of its own.
    EXPECT_EQ(errors_[0].count(bad), 1) << errors_[0].toStdString();
    EXPECT_TRUE(errors_[0].contains("\n" + bad + "\n"));
    EXPECT_EQ(errors_[1].count(qpath(dir_ / "gone.xom")), 1) << errors_[1].toStdString();

    EXPECT_EQ(f.EditRoot(), before);
    EXPECT_EQ(f.ShownRoot(), before);
    EXPECT_EQ(shownTitle(f), title);
    EXPECT_EQ(f.TreeView1->topLevelItem(0)->childCount(), topChildren);
    EXPECT_EQ(f.recentMaps().filled(), 1);
    // Importing a bad map leaves the imported map alone as well.
    EXPECT_FALSE(f.importMapFile(bad));
    EXPECT_EQ(f.ImportMapRoot(), nullptr);
    EXPECT_EQ(f.TreeView3->topLevelItemCount(), 0);
}

TEST_F(MainForm, NewMapIsUntitledAndSelectsItsRoot) {
    TMainForm& f = *form_;
    ASSERT_TRUE(f.openMapFile(demoPath_));
    f.selectById(ground()->ListId);
    EXPECT_EQ(f.SelectLabel->text(), "Ground");
    f.Newmap1Click();
    // The title no longer names a file that is not the one being edited.
    EXPECT_EQ(shownTitle(f), QString::fromLatin1(kAppTitle));
    EXPECT_TRUE(f.document().fileName().isEmpty());
    EXPECT_EQ(f.EditRoot()->Name, "Root");
    EXPECT_TRUE(f.EditRoot()->Children.empty());
    EXPECT_EQ(f.TreeView1->topLevelItemCount(), 1);
    EXPECT_EQ(f.TreeView1->topLevelItem(0)->childCount(), 0);
    EXPECT_EQ(f.SelectLabel->text(), "Root");
    EXPECT_EQ(panelText(f, 1), "Select: Root");
    EXPECT_EQ(f.SelectedId(), f.EditRoot()->ListId);
    ASSERT_TRUE(f.openMapFile(demoPath_));
    EXPECT_EQ(f.SelectLabel->text(), "Root");
    EXPECT_FALSE(f.Undo1->isEnabled()) << "a new document has no history";
}

TEST_F(MainForm, RecentMapsKeepOneEntryPerFileAndFillTheMenuInOrder) {
    TMainForm& f = *form_;
    const QString a = writeMap("a.xom");
    const QString b = writeMap("b.xom");
    ASSERT_TRUE(f.openMapFile(a));
    ASSERT_TRUE(f.openMapFile(b));
    ASSERT_TRUE(f.openMapFile(a));
    const auto items = f.Reopen1->actions();
    EXPECT_EQ(items[1]->text(), "1 \"" + a + "\"");
    EXPECT_EQ(items[2]->text(), "2 \"" + b + "\"");
    for (int i = 3; i <= 5; ++i) {
        EXPECT_FALSE(items[i]->isEnabled());
        EXPECT_EQ(items[i]->text(), QString("%1 ----").arg(i));
    }
    // The recent item opens its map.
    f.Newmap1Click();
    items[2]->trigger();
    EXPECT_TRUE(shownTitle(f).endsWith("[b.xom]"));
    // A stale entry is reported like a bad file.
    QFile::remove(a);
    const QString titleBefore = shownTitle(f);
    items[2]->trigger();
    EXPECT_EQ(errors_.size(), 1);
    EXPECT_EQ(shownTitle(f), titleBefore);

    // The next window reads the list back.
    TMainForm second;
    second.LoadSettings();
    EXPECT_EQ(second.recentMaps().at(0), b);
    EXPECT_EQ(second.recentMaps().at(1), a);
}

TEST_F(MainForm, DocumentsNumberTheirListsInTheirOwnBands) {
    TMainForm& f = *form_;
    ASSERT_TRUE(f.importMapFile(demoPath_));
    ASSERT_TRUE(f.ImportMapRoot());
    EXPECT_GE(f.ImportMapRoot()->ListId, kListBase + kImportMapCounterBase);
    EXPECT_EQ(f.ShownRoot(), f.ImportMapRoot());
    EXPECT_TRUE(f.ImportMapActive());
    EXPECT_EQ(panelText(f, 2), "Active: Import Map");
    EXPECT_EQ(f.PageControl1->currentIndex(), 2);
    for (const auto& child : f.ImportMapRoot()->Children)
        EXPECT_GT(child->ListId, kListBase + kImportMapCounterBase);

    // Opening the edited map afterwards starts its band again at 10000.
    ASSERT_TRUE(f.openMapFile(demoPath_));
    EXPECT_EQ(f.EditRoot()->ListId, kListBase);
    EXPECT_FALSE(f.ImportMapActive());

    // Choosing an item of the imported map's tree makes it the shown document again, and the
    // next frame zooms to the node chosen (each switch asks for it).
    f.scene().ZoomSelectedRequest = false;
    f.TreeView3->setCurrentItem(f.TreeView3->topLevelItem(0)->child(0));
    EXPECT_EQ(f.ShownRoot(), f.ImportMapRoot());
    EXPECT_EQ(panelText(f, 2), "Active: Import Map");
    EXPECT_TRUE(f.scene().ZoomSelectedRequest);
    f.scene().ZoomSelectedRequest = false;
    f.TreeView1->setCurrentItem(f.TreeView1->topLevelItem(0)->child(0));
    EXPECT_EQ(f.ShownRoot(), f.EditRoot());
    EXPECT_EQ(panelText(f, 2), "Active: Edit Map");
    EXPECT_TRUE(f.scene().ZoomSelectedRequest);
    // Another node of the same map keeps the camera where the user put it.
    f.scene().ZoomSelectedRequest = false;
    f.TreeView1->setCurrentItem(f.TreeView1->topLevelItem(0)->child(1));
    EXPECT_FALSE(f.scene().ZoomSelectedRequest);
}

TEST_F(MainForm, SaveMapAsAppliesTheExtensionRuleAndUpdatesTitleAndRecentList) {
    TMainForm& f = *form_;
    ASSERT_TRUE(f.openMapFile(demoPath_));
    const QString chosen = qpath(dir_ / "copy");
    ASSERT_TRUE(f.saveMapFile(chosen, true));
    EXPECT_TRUE(QFile::exists(chosen + ".xan"));
    EXPECT_TRUE(shownTitle(f).endsWith("[copy.xan]"));
    EXPECT_EQ(f.recentMaps().at(0), chosen + ".xan");
    // The saved file opens again.
    EXPECT_TRUE(f.openMapFile(chosen + ".xan"));
    // A folder that does not exist: reported, title unchanged.
    const QString title = shownTitle(f);
    EXPECT_FALSE(f.saveMapFile(qpath(dir_ / "no" / "such.xom"), false));
    EXPECT_EQ(shownTitle(f), title);
    EXPECT_EQ(errors_.size(), 1);
}

TEST_F(MainForm, LanguageMenuSwitchesTheTexts) {
    TMainForm& f = *form_;
    chooseLanguage("[mnuMainFile]=Fichier\n[tlZoom]=Loupe\n[mnuMainViewKestrelEmitters]=Kestrel\n"
                   "[sContrast]=Contraste\n[sMaxVal]=Maxi\n[sApply]=Appliquer\n"
                   "[sOpenImage_]=Ouvrir...\n");
    EXPECT_EQ(f.File1->title(), "Fichier");
    EXPECT_EQ(f.findChild<QToolButton*>("ToolButton1")->toolTip(), "Loupe");
    EXPECT_EQ(f.KestrelEmitters1->text(), "Kestrel");
    // The heightmap picture dialog, made afresh at each use, takes the chosen texts too.
    {
        TImportHMForm dialog(&f);
        EXPECT_EQ(dialog.EditX3->LabelText(), "Contraste");
        EXPECT_EQ(dialog.EditX2->accessibleName(), "Maxi");
        EXPECT_EQ(dialog.Button2->text(), "Appliquer");
        EXPECT_EQ(dialog.Button1->text(), "Ouvrir...");
        EXPECT_EQ(dialog.Invert->text(), "Invert");
        EXPECT_EQ(dialog.EditX1->LabelText(), "Min Val");
    }
    f.SelectLanguage1->DefaultEnglish1Click();
    EXPECT_EQ(f.File1->title(), "File");
    EXPECT_EQ(f.KestrelEmitters1->text(), "Kestrel Emitters");
}

TEST_F(MainForm, AStyleReachesTheWindowAndItsFieldsAtOnce) {
    TMainForm& f = *form_;
    struct Restore {
        ~Restore() { setStyleColors(kDefaultStyleColors); }
    } restore;
    // The default style at start: the window and the property page's scroll box.
    EXPECT_EQ(f.palette().color(QPalette::Window), QColor(0x9D, 0xAB, 0xBB));
    EXPECT_EQ(f.ScrollBox1->palette().color(QPalette::Window), QColor(0x9D, 0xAB, 0xBB));
    ASSERT_TRUE(f.openMapFile(demoPath_));
    f.selectById(tower()->ListId);
    TEditX* field = f.PropertiesPage->EditX3;
    ASSERT_TRUE(field->isEnabled());

    Settings stored;
    stored.setInteger("UserActiveColor", 0x302010);
    stored.setInteger("UserUnActiveColor", 0x605040);
    stored.setInteger("Style", 3);
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<TStyleEditForm*>(QApplication::activeModalWidget()))
            dialog->Button3Click(); // Apply
    });
    f.Style1Click();
    EXPECT_EQ(field->palette().color(QPalette::Active, QPalette::Base), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(f.palette().color(QPalette::Window), QColor(0x40, 0x50, 0x60));
    EXPECT_EQ(f.ScrollBox1->palette().color(QPalette::Window), QColor(0x40, 0x50, 0x60));
}

// Screen readers and GUI automation find the controls by these names: the caption, or for a
// control without one its hint or the label beside it.
TEST_F(MainForm, EveryControlHasAnAccessibleName) {
    TMainForm& f = *form_;
    ASSERT_TRUE(f.openMapFile(demoPath_));
    f.selectById(tower()->ListId);
    // A tool button is named by its hint (whose key, if any, the tool tip adds); the brushes'
    // tool tips name their keys too.
    EXPECT_EQ(f.ToolButton8->accessibleName(), "Move");
    for (QToolButton* b : f.toolButtons_)
        EXPECT_TRUE(b->toolTip().startsWith(b->accessibleName())) << b->objectName().toStdString();
    EXPECT_EQ(f.PropertiesPage->ButFillPoxel->toolTip(), "Fill (M)");
    EXPECT_EQ(f.PropertiesPage->ButGetPoxel->toolTip(), "Get (F)");
    EXPECT_EQ(f.PropertiesPage->HmPickBut->toolTip(), "Pick (P)");
    TPropertiesPage* page = f.PropertiesPage;
    TReplacer* replacer = f.replacer();
    const std::vector<std::pair<QWidget*, const char*>> named = {
        {f.toolButtons_[0], "Zoom"},
        {f.TreeView1, "Map Tree"},
        {f.TreeView2, "Import Object"},
        {f.TreeView3, "Import Map"},
        {f.OpenGLBox(), "3D View"},
        {f.texturePage()->TextureTree, "Textures"},
        {page->EditX3, "Position X"},
        {page->EditX1, "Position Z"},
        {page->EditX5, "Rotate Y"},
        {page->EditX9, "Size Z"},
        {page->EditX11, "Poxels Size Y"},
        {page->EditX16, "Apply Texture"},
        {page->EditX15, "Clip X"},
        {page->HmRadEdit, "Height Map Radius"},
        {page->EditEmName, "Library Emitter Name"},
        {page->EditItem1, "Name"},
        {page->ButFillPoxel, "Fill"},
        {page->ButGetPoxel, "Get"},
        {page->ButDelPoxel, "Erase"},
        {page->Smooth1, "Top Smooth"},
        {page->TextCodeTab, "Texture Code"},
        {page->valForm()->ValueEd, "Value"},
        {replacer->FindEdit, "Find"},
        {replacer->RepEdit, "Replace"},
        {replacer->OutText, "Process"},
        {replacer->ReplaceBut, "Replace"},
        {replacer->Button2, "*Const*"},
        {replacer->Button1, "Close"},
    };
    for (const auto& [w, name] : named)
        EXPECT_EQ(w->accessibleName(), name) << w->objectName().toStdString();
    // Every other button, field and grid of the property page has a name too.
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!(qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
              qobject_cast<QAbstractItemView*>(w)) ||
            w->objectName().isEmpty() || w->objectName().startsWith("qt_"))
            continue;
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
    }
    for (QPushButton* b : f.findChildren<QPushButton*>())
        EXPECT_FALSE(b->text().isEmpty() && b->accessibleName().isEmpty())
            << b->objectName().toStdString();
    for (QAction* a : f.TreeMenu->actions())
        EXPECT_TRUE(a->isSeparator() || !a->text().isEmpty()) << a->objectName().toStdString();
    EXPECT_EQ(f.Edit1->title(), "Edit");
}

TEST_F(MainFormView, ViewAndTreeSelectTheSameNode) {
    TMainForm& f = *form_;
    // The tree selects in the view.
    QTreeWidgetItem* item = f.TreeView1->topLevelItem(0)->child(0);
    f.TreeView1->setCurrentItem(item);
    ASSERT_TRUE(f.selectedPoxel());
    EXPECT_EQ(f.selectedPoxel()->Name, item->text(0).toStdString());
    EXPECT_TRUE(f.ToolButton6->isEnabled());

    // The view selects in the tree: pick the middle of the view with a poxel framed.
    selectAndFrame(ground());
    const QPoint centre = f.OpenGLBox()->rect().center();
    const uint32_t hit = f.OpenGLBox()->PickAt(centre.x(), centre.y());
    ASSERT_GT(hit, 0u) << "a poxel under the centre of the framed view";
    f.selectById(0);
    EXPECT_EQ(f.SelectedId(), 0);
    EXPECT_FALSE(f.ToolButton6->isEnabled());
    f.selectById(static_cast<int32_t>(hit));
    ASSERT_TRUE(f.selectedPoxel());
    EXPECT_EQ(f.TreeView1->currentItem(), static_cast<QTreeWidgetItem*>(f.selectedPoxel()->Node));
    EXPECT_TRUE(f.SelectLabel->text() == QString::fromLatin1(f.selectedPoxel()->Name));
}

TEST_F(MainFormView, HoverTextsKeepPercentSignsOfTheLanguageFile) {
    TMainForm& f = *form_;
    // A translated text may hold "%1" of its own; it must show as written, not take the id.
    chooseLanguage("[sSelectMode]=Pick %1 here\n");
    selectAndFrame(ground());
    TOpenGLBox* view = f.OpenGLBox();
    const QPoint centre = view->rect().center();
    f.TreeView1->setFocus();
    lwtest::mouseClick(view, centre); // the first click focuses the view
    const QPoint over = centre + QPoint(2, 2);
    const uint32_t hit = view->PickAt(over.x(), over.y());
    ASSERT_GT(hit, 0u);
    lwtest::mouseMove(view, over, view->mapToGlobal(over), Qt::NoButton);
    EXPECT_EQ(view->cursorCode(), CodeSelect) << "the select cursor over a poxel";
    EXPECT_EQ(panelText(f, 0), QStringLiteral("Pick %1 here [") + QString::number(hit) + "]");
    f.SelectLanguage1->DefaultEnglish1Click();
}

// Pixels of the view in the area around `centre` (half side `r`) that satisfy `match`.
template <typename F> int countPixels(const QImage& frame, QPoint centre, int r, F match) {
    int n = 0;
    for (int y = centre.y() - r; y <= centre.y() + r; ++y)
        for (int x = centre.x() - r; x <= centre.x() + r; ++x)
            n += match(frame.pixelColor(x, y)) ? 1 : 0;
    return n;
}

TEST_F(MainFormView, TheDemoMapAsTheViewDrawsIt) {
    TMainForm& f = *form_;
    selectAndFrame(ground()); // the ground in the middle of the view
    wait(50);
    TOpenGLBox* view = f.OpenGLBox();
    const QPoint centre = view->rect().center();
    auto frame = [&] {
        wait(100);
        return view->grabFramebuffer();
    };
    const auto black = [](QColor c) { return c.red() == 0 && c.green() == 0 && c.blue() == 0; };
    const auto green = [](QColor c) { return c.green() > 200 && c.red() < 80 && c.blue() < 80; };

    const QImage normal = frame();
    EXPECT_TRUE(lwtest::saveScreenshot(&f, "mainform_demo"));
    // Above the horizon only the clear colour, which stays OpenGL's black.
    EXPECT_TRUE(black(normal.pixelColor(3, 3))) << normal.pixelColor(3, 3).name().toStdString();
    EXPECT_EQ(view->PickAt(3, 3), 0u);
    // The framed ground lies under the centre, drawn lit (not black) ...
    EXPECT_EQ(view->PickAt(centre.x(), centre.y()), uint32_t(ground()->ListId));
    EXPECT_FALSE(black(normal.pixelColor(centre)));
    // ... with its black edge lines over it while "Wireframe" is ticked, and none without.
    EXPECT_GT(countPixels(normal, centre, 40, black), 20);
    f.Wireframe1->setChecked(false);
    const QImage plain = frame();
    EXPECT_TRUE(lwtest::saveScreenshot(&f, "mainform_wireframe_off"));
    EXPECT_EQ(countPixels(plain, centre, 40, black), 0);
    f.Wireframe1->setChecked(true);

    // Box Mode draws the tower as its box but the selected ground in full.
    // A pixel inside the tower's picture, away from its edge lines.
    QPoint onTower(-1, -1);
    const auto isTower = [&](int x, int y) {
        return view->PickAt(x, y) == uint32_t(tower()->ListId);
    };
    for (int y = 0; y < view->height() && onTower.x() < 0; y += 4)
        for (int x = 0; x < view->width(); x += 4)
            if (isTower(x, y) && isTower(x - 3, y) && isTower(x + 3, y) && isTower(x, y - 3) &&
                isTower(x, y + 3)) {
                onTower = QPoint(x, y);
                break;
            }
    ASSERT_GE(onTower.x(), 0) << "the tower is in the picture";
    f.BoxMode1->setChecked(true);
    const QImage boxes = frame();
    EXPECT_TRUE(lwtest::saveScreenshot(&f, "mainform_box_mode"));
    EXPECT_EQ(boxes.pixelColor(centre), normal.pixelColor(centre));
    EXPECT_NE(boxes.pixelColor(onTower), normal.pixelColor(onTower));
    f.BoxMode1->setChecked(false);

    // The move gizmo stands on the selected ground with its green Y arrow; the select tool
    // has none.
    EXPECT_EQ(countPixels(normal, centre, 60, green), 0);
    ASSERT_TRUE(f.ToolButton8->isEnabled());
    f.ToolButton8->click();
    EXPECT_EQ(f.scene().Gizmo, GizmoKind::Move);
    const QImage gizmo = frame();
    EXPECT_TRUE(lwtest::saveScreenshot(&f, "mainform_move_gizmo"));
    EXPECT_GT(countPixels(gizmo, centre, 60, green), 10);
}

} // namespace

namespace {

TEST_F(MainFormView, ALargeMapOpensWithEveryMeshBuiltAndTheViewDrawnAgain) {
    const QString path = qpath(dir_ / "large.xom");
    ASSERT_TRUE(WriteMapFile(*makeGeneratedMap(2100), path.toStdString()));
    ASSERT_TRUE(form_->openMapFile(path));
    EXPECT_TRUE(errors_.isEmpty());
    int poxels = 0, built = 0;
    std::vector<const TPoxel*> pending{form_->EditRoot()};
    while (!pending.empty()) {
        const TPoxel* n = pending.back();
        pending.pop_back();
        if (!n->IsGroup && !n->IsEntity) {
            ++poxels;
            built += n->ListsBuilt;
        }
        for (const auto& c : n->Children)
            pending.push_back(c.get());
    }
    EXPECT_GE(poxels, 2000);
    EXPECT_EQ(built, poxels);
    EXPECT_TRUE(form_->OpenGLBox()->updatesEnabled()) << "the view draws again";
    EXPECT_EQ(form_->findChild<QWidget*>(QStringLiteral("MeshProgress")), nullptr);
}

} // namespace

// Textures in the main window: opening lists, the browser, "Load Textures" and what it leaves
// (table, overview, switches, a textured view), loads and lists that are refused with nothing
// changed, the unsaved-changes question of the list, and a real drag from the browser.

#include "MainFormFixture.h"

#include "editor/gui/PropertiesPage.h"
#include "editor/gui/TextureGlState.h"
#include "editor/gui/ValueGrids.h"
#include "textures/DemoTextures.h"
#include "textures/TextureCodes.h"
#include "textures/TextureListDocument.h"
#include "textures/gui/FormXom.h"
#include "textures/gui/ShowBoxForm.h"
#include "textures/gui/TexturePage.h"
#include "textures/gui/TextureSwatch.h"
#include "textures/gui/TextureTree.h"
#include "ui/Settings.h"
#include "ui/gui/EditX.h"

#include <QAction>
#include <QCloseEvent>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include <filesystem>
#include <fstream>

using namespace lw;
using namespace lwtest;

namespace {

class Textures : public MainFormFixture {
protected:
    void SetUp() override {
        MainFormFixture::SetUp();
        files_ = demoTextureFilesBeside((dir_ / "demo.xom").string());
        ASSERT_TRUE(writeDemoTextures(files_));
    }
    QString listFile() const { return QString::fromStdString(files_.listFile); }
    QString bundles() const { return QString::fromStdString(files_.bundleFolder); }
    TTexturePage& page() { return *form_->texturePage(); }
    bool loadBrowser() {
        form_->formXom()->loadFolder(bundles());
        return waitFor([this] { return !form_->formXom()->loading(); }, 10000);
    }
    // Pixels of the view that are clearly coloured (not grey, white or black).
    int colouredPixels() {
        const QImage shot = form_->OpenGLBox()->grabFramebuffer();
        int n = 0;
        for (int y = 0; y < shot.height(); y += 3)
            for (int x = 0; x < shot.width(); x += 3) {
                const QColor c = shot.pixelColor(x, y);
                const auto [lo, hi] = std::minmax({c.red(), c.green(), c.blue()});
                n += hi - lo > 60;
            }
        return n;
    }

    DemoTextureFiles files_;
};

} // namespace

TEST_F(Textures, OpeningAListShowsItsBoxesAndRemembersIt) {
    EXPECT_FALSE(form_->SaveTexturesList1->isEnabled());
    EXPECT_TRUE(form_->OpenTextures1->isEnabled());
    ASSERT_TRUE(form_->openTextureListFile(listFile()));
    EXPECT_EQ(page().TextureTree->topLevelItemCount(), 8);
    EXPECT_EQ(page().TextNameLab->text(), "[demo-textures.txt]");
    EXPECT_EQ(form_->PageControl2->currentIndex(), 2);
    EXPECT_TRUE(form_->SaveTexturesList1->isEnabled());
    EXPECT_FALSE(page().ButLoadTextur->isEnabled()) << "the browser has no images yet";
    EXPECT_EQ(form_->recentTextureLists().at(0), listFile());
    QAction* recent = form_->findChild<QAction*>(QStringLiteral("N12"));
    ASSERT_TRUE(recent);
    EXPECT_TRUE(recent->isEnabled());
    EXPECT_EQ(recent->text(), QStringLiteral("1 \"%1\"").arg(listFile()));
    EXPECT_EQ(Settings().string(QString::fromLatin1(settings::kPathTxt)).value_or(QString()),
              folderOfFile(listFile()));

    // The list from the recent entry, after another one.
    ASSERT_TRUE(form_->textureList().rename(0, "Changed"));
    saveAnswer_ = QMessageBox::Discard;
    recent->trigger();
    EXPECT_EQ(saveQuestions_, QStringList{"Save changes to demo-textures.txt?"});
    EXPECT_EQ(form_->textureList().box(0).Name, "Beach");
    EXPECT_FALSE(form_->textureList().isModified());
}

TEST_F(Textures, AListIsReadAsFarAsItGoesAndOnlyWhatIsNotTextIsRefused) {
    ASSERT_TRUE(form_->openTextureListFile(listFile()));
    const QString binary = qpath(dir_ / "binary.txt");
    std::ofstream(binary.toStdString()) << std::string("grass\r\nro\0ck\r\n", 13);
    EXPECT_FALSE(form_->openTextureListFile(binary));
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith("Error|Bad Texture File!")) << errors_[0].toStdString();
    EXPECT_TRUE(errors_[0].contains("binary.txt"));
    EXPECT_EQ(page().TextureTree->topLevelItemCount(), 8);
    EXPECT_EQ(page().TextNameLab->text(), "[demo-textures.txt]");
    EXPECT_EQ(form_->recentTextureLists().at(0), listFile());
    EXPECT_EQ(form_->recentTextureLists().at(1), QString());

    // A short box ends the list: what was left out is said in one message.
    const QString cut = qpath(dir_ / "cut.txt");
    std::ofstream(cut.toStdString())
        << "a\r\nb\r\nc\r\nd\r\nOne\r\n\r\ngrass\r\nrock\r\n\r\nsand\r\n";
    EXPECT_TRUE(form_->openTextureListFile(cut));
    EXPECT_EQ(page().TextureTree->topLevelItemCount(), 1);
    EXPECT_EQ(warnings_, QStringList{"Warning|Parts of the texture list cut.txt were not read: box "
                                     "2 at line 7 has 2 texture lines of the four a box needs "
                                     "(top, side, bottom, edge or NULL); it and everything after "
                                     "it were left out"});
    EXPECT_EQ(errors_.size(), 1);
}

TEST_F(Textures, LoadTexturesDrawsTheMapTexturedAndChangesNothingInIt) {
    if (!showWindow())
        GTEST_SKIP() << "no OpenGL window on this platform";
    ASSERT_TRUE(form_->openMapFile(demoPath_));
    ASSERT_TRUE(form_->openTextureListFile(listFile()));
    ASSERT_TRUE(loadBrowser());
    EXPECT_TRUE(page().ButLoadTextur->isEnabled());
    const auto before = mapBytes();
    const int steps = form_->document().undoStack()->count();
    wait(100);
    const int plain = colouredPixels();

    page().ButLoadTextur->click();
    ASSERT_TRUE(form_->texturesLoaded()) << errors_.join("\n").toStdString();
    EXPECT_TRUE(errors_.isEmpty());
    EXPECT_TRUE(form_->extures1->isEnabled());
    EXPECT_TRUE(form_->extures1->isChecked());
    EXPECT_TRUE(form_->scene().ShowTextures);
    EXPECT_TRUE(page().ShowBox->isEnabled());
    EXPECT_EQ(form_->textureNameList(),
              (std::vector<std::string>{"brick", "grass", "rock", "sand", "snow", "water"}));
    EXPECT_EQ(form_->textureTable()[0], (TTextureRow{3, 3, 2, kNoEdgeTexture}));
    EXPECT_EQ(form_->textureTable()[1], (TTextureRow{1, 2, 2, kNoEdgeTexture}));
    EXPECT_EQ(form_->textureTable()[7][SlotEdge], 5u) << "Shore has the water edge";
    EXPECT_EQ(form_->boxOverview().size(), QSize(530, 530));
    EXPECT_EQ(mapBytes(), before);
    EXPECT_EQ(form_->document().undoStack()->count(), steps);
    EXPECT_FALSE(form_->document().isModified());
    wait(200);
    const int textured = colouredPixels();
    EXPECT_GT(textured, plain + 200) << "plain " << plain << ", textured " << textured;
    saveScreenshot(form_.get(), QStringLiteral("textures-demo-map"));

    // View > Textures switches the textures off and on again.
    form_->extures1->trigger();
    EXPECT_FALSE(form_->scene().ShowTextures);
    form_->extures1->trigger();
    EXPECT_TRUE(form_->scene().ShowTextures);

    // The overview window comes and goes with its button.
    page().ShowBox->click();
    EXPECT_TRUE(form_->formShowBox()->isVisible());
    EXPECT_TRUE(page().ShowBox->isChecked());
    saveScreenshot(form_->formShowBox(), QStringLiteral("textures-box-overview"));
    form_->formShowBox()->close();
    EXPECT_FALSE(page().ShowBox->isChecked());

    // A map opened afterwards is drawn with the loaded textures too.
    ASSERT_TRUE(form_->openMapFile(writeMap("again.xom")));
    EXPECT_TRUE(form_->texturesLoaded());
    EXPECT_TRUE(form_->scene().ShowTextures);
}

TEST_F(Textures, AListNamingAMissingImageKeepsTheTexturesInUse) {
    if (!showWindow())
        GTEST_SKIP() << "no OpenGL window on this platform";
    ASSERT_TRUE(form_->openTextureListFile(listFile()));
    ASSERT_TRUE(loadBrowser());
    ASSERT_TRUE(form_->loadTextures());
    const TTextureList* inUse = form_->scene().Textures;
    const TTextureList binding = *inUse;
    const TTextureList table = form_->textureTable();
    const auto before = mapBytes();

    ASSERT_TRUE(form_->textureList().setSlot(2, 1, "marble"));
    EXPECT_FALSE(form_->loadTextures());
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].contains("'marble'")) << errors_[0].toStdString();
    EXPECT_EQ(form_->scene().Textures, inUse);
    EXPECT_EQ(*form_->scene().Textures, binding);
    EXPECT_EQ(form_->textureTable(), table);
    EXPECT_EQ(mapBytes(), before);
    form_->OpenGLBox()->withContext([&] {
        for (const TTextureRow& row : binding)
            for (size_t s = 0; s < 3; ++s) {
                if (row[s] != 0) {
                    EXPECT_TRUE(glIsTexture(row[s])) << "texture " << row[s] << " went";
                }
            }
    });
}

TEST_F(Textures, StartUpOpensTheListReadsTheBundlesAndLoads) {
    if (!showWindow())
        GTEST_SKIP() << "no OpenGL window on this platform";
    form_->openTexturesAtStart(listFile(), bundles());
    ASSERT_TRUE(waitFor([this] { return form_->texturesLoaded(); }, 10000))
        << errors_.join("\n").toStdString();
    EXPECT_EQ(form_->formXom()->images().size(), 6u);
    EXPECT_EQ(form_->textureList().boxCount(), 8);
}

TEST_F(Textures, TheUnsavedListIsAskedAboutBeforeItGoes) {
    ASSERT_TRUE(form_->openTextureListFile(listFile()));
    const QString other = qpath(dir_ / "other.txt");
    ASSERT_TRUE(WriteTextureList(other.toStdString(), TextureBoxList{}));
    ASSERT_TRUE(form_->textureList().rename(3, "Paved"));
    EXPECT_EQ(page().TextNameLab->text(), "[demo-textures.txt] *");

    saveAnswer_ = QMessageBox::Cancel;
    EXPECT_FALSE(form_->openTextureListFile(other));
    EXPECT_EQ(saveQuestions_, QStringList{"Save changes to demo-textures.txt?"});
    EXPECT_EQ(form_->textureList().box(3).Name, "Paved");
    EXPECT_TRUE(form_->textureList().isModified());

    // Closing the window asks too; cancelling keeps it open.
    QCloseEvent close;
    QApplication::sendEvent(form_.get(), &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_EQ(saveQuestions_.size(), 2);

    // Saving writes the list to its file, then the other opens.
    saveAnswer_ = QMessageBox::Save;
    ASSERT_TRUE(form_->openTextureListFile(other));
    auto saved = readTextureListFile(files_.listFile);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->Boxes[3].Name, "Paved");
    EXPECT_EQ(form_->textureList().boxCount(), 0);
    EXPECT_EQ(form_->recentTextureLists().at(0), other);
}

TEST_F(Textures, SaveAddsTheExtensionAndTheRecentEntry) {
    ASSERT_TRUE(form_->openTextureListFile(listFile()));
    ASSERT_TRUE(form_->textureList().rename(0, "Lawn"));
    const QString chosen = qpath(dir_ / "copy");
    form_->dialogs().saveFile = [&](QWidget*, const QString& start, const QString& filter, int*) {
        EXPECT_EQ(start, listFile());
        EXPECT_EQ(filter, "Texture File Brimlow (*.txt)");
        return chosen;
    };
    form_->SaveTexturesList1->trigger();
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    EXPECT_TRUE(std::filesystem::exists(dir_ / "copy.txt"));
    EXPECT_EQ(form_->textureList().fileName(), chosen + ".txt");
    EXPECT_FALSE(form_->textureList().isModified());
    EXPECT_EQ(form_->recentTextureLists().at(0), chosen + ".txt");
    EXPECT_EQ(page().TextNameLab->text(), "[copy.txt]");

    // "Save Textures list" writes to the list's own file without the dialog.
    form_->dialogs().saveFile = nullptr;
    ASSERT_TRUE(form_->textureList().rename(1, "Moss"));
    ASSERT_TRUE(form_->SaveTextures1->isEnabled());
    form_->SaveTextures1->trigger();
    EXPECT_FALSE(form_->textureList().isModified());
    auto saved = readTextureListFile((dir_ / "copy.txt").string());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->Boxes[1].Name, "Moss");
}

// A real drag with the pointer from a row of the browser onto a slot of the list: Qt's own drag
// loop, driven by the X server's input.
TEST_F(Textures, ARealDragFromTheBrowserSetsTheSlot) {
    if (!canDrivePointer() || !showWindow())
        GTEST_SKIP() << "needs an X server and xdotool";
    form_->move(0, 0);
    ASSERT_TRUE(form_->openTextureListFile(listFile()));
    ASSERT_TRUE(loadBrowser());
    page().ButTexturesView->click();
    TFormXom* browser = form_->formXom();
    ASSERT_TRUE(browser->isVisible());
    EXPECT_TRUE(page().ButTexturesView->isChecked());
    browser->move(form_->geometry().right() - 420, 120);
    TTextureTree* tree = page().TextureTree;
    page().boxItem(0)->setExpanded(true);
    ASSERT_TRUE(waitFor([&] { return browser->isActiveWindow() || browser->isVisible(); }, 2000));
    wait(300);
    QTreeWidgetItem* row = browser->TreeView1->topLevelItem(0); // "brick"
    ASSERT_EQ(row->text(0), "brick");
    QTreeWidgetItem* slot = page().slotItem(0, 1);
    tree->scrollToItem(slot);
    QApplication::processEvents();
    const QPoint from = browser->TreeView1->viewport()->mapToGlobal(
        browser->TreeView1->visualItemRect(row).center());
    const QPoint to = tree->viewport()->mapToGlobal(tree->visualItemRect(slot).center());
    ASSERT_FALSE(browser->geometry().contains(to)) << "the windows overlap";
    QProcess xdotool;
    startPointerDrag(xdotool, {from, to}, 12, 0.05);
    ASSERT_TRUE(xdotool.waitForStarted());
    EXPECT_TRUE(waitFor([this] { return form_->textureList().box(0).Slots[1] == "brick"; }, 8000));
    xdotool.waitForFinished();
    EXPECT_EQ(form_->textureList().box(0).Slots[1], "brick");
    EXPECT_EQ(slot->text(0), "brick");
    EXPECT_TRUE(form_->textureList().isModified());
    // The other boxes and slots are as they were.
    EXPECT_EQ(form_->textureList().box(0).Slots[0], "sand");
    EXPECT_EQ(form_->textureList().box(1), demoTextureList().Boxes[1]);

    browser->close();
    EXPECT_FALSE(page().ButTexturesView->isChecked());
}

// The cell code table of "Poxel Texture": a double click with a cell brush down fills, erases
// or reads the cell, and the thumbnail follows the brush's box.
TEST_F(Textures, DoubleClicksOnTheCellTableEditCellsAsUndoableSteps) {
    if (!showWindow())
        GTEST_SKIP() << "no OpenGL window on this platform";
    ASSERT_TRUE(form_->openMapFile(demoPath_));
    TPropertiesPage* page = form_->PropertiesPage;
    form_->selectById(bridge()->ListId);
    QApplication::processEvents();
    const auto before = mapBytes();

    page->ButFillPoxel->click();
    ASSERT_TRUE(page->ButFillPoxel->isChecked());
    page->EditX18->setFloatVal(5);
    page->EditX17->setFloatVal(3);
    page->EditX19->setFloatVal(1);
    page->EditX20->setFloatVal(2);
    // A real double click on the row of cell 0.
    QTableView* table = page->TextCodeTab;
    QApplication::processEvents();
    ASSERT_TRUE(table->isVisible());
    const QPoint at = table->visualRect(table->model()->index(0, 1)).center();
    QWidget* vp = table->viewport();
    mousePress(vp, at, vp->mapToGlobal(at));
    mouseRelease(vp, at, vp->mapToGlobal(at));
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, vp->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &dbl);
    mouseRelease(vp, at, vp->mapToGlobal(at));
    const uint32_t filled = 19u | 11u << 8 | 1u << 16 | 2u << 20;
    EXPECT_EQ(bridge()->Voxels[0], filled);
    EXPECT_EQ(table->model()->index(0, 1).data().toString(), "[02] [01] [03] [05]");
    EXPECT_EQ(form_->Undo1->text(), "Undo Texture Code");
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
    EXPECT_EQ(table->model()->index(0, 1).data().toString(), "[00] [00] [00] [02]")
        << "the table follows the undo";
    form_->Redo1->trigger();
    EXPECT_EQ(bridge()->Voxels[0], filled);

    // Get reads a cell back into the brush; the thumbnail follows the box.
    const uint32_t code = bridge()->Voxels[bridge()->cellIndex(3, 1, 0)];
    page->ButGetPoxel->click();
    ASSERT_TRUE(page->ButGetPoxel->isChecked());
    form_->TextCodeTabDblClick(int(bridge()->cellIndex(3, 1, 0)) + 1);
    EXPECT_EQ(page->EditX18->FloatVal(), double(boxOfCode(code)));
    EXPECT_EQ(page->EditX17->FloatVal(), double(boxOfCode(code >> 8)));
    EXPECT_EQ(page->EditX20->FloatVal(), double(code >> 20 & 15u));
    auto* thumb = form_->findChild<TBoxThumbnail*>(QStringLiteral("PaintCurText"));
    ASSERT_TRUE(thumb);
    EXPECT_EQ(thumb->box(), boxOfCode(code));
    EXPECT_EQ(thumb->parentWidget(), page->PanelCurText);
    EXPECT_TRUE(thumb->isVisibleTo(page));
}

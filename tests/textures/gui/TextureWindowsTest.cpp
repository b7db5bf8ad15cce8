// The texture windows on their own: the browser with a folder of 2,000 images, its view, its
// refusals and its drags; the "Textures" page with its tree and box menu.

#include "textures/gui/FormXom.h"
#include "textures/gui/ImageDrag.h"
#include "textures/gui/TexturePage.h"
#include "textures/gui/TextureSwatch.h"
#include "textures/gui/TextureTree.h"

#include "support/TestSupport.h"
#include "textures/DemoTextures.h"
#include "textures/ImageRecord.h"
#include "textures/TextureCodes.h"
#include "textures/TextureListDocument.h"
#include "textures/TextureSamples.h"

#include "../../ui/gui/GuiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

using namespace lw;
using lwtest::qpath;
using lwtest::TempDir;

namespace {

template <typename F> bool waitUntil(F done) {
    return lwtest::waitFor(done, 10000);
}

// An 8 x 8 TGA of one colour (B, G, R given as R, G, B).
std::vector<uint8_t> tga(uint8_t r, uint8_t g, uint8_t b, int bits = 24) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 64; ++i) {
        pixels.insert(pixels.end(), {b, g, r});
        if (bits == 32)
            pixels.push_back(255);
    }
    return lwtest::tgaFile(8, 8, bits, pixels);
}

class Browser : public ::testing::Test {
protected:
    void SetUp() override {
        form_ = std::make_unique<TFormXom>();
        form_->error = [this](QWidget*, const QString&, const QString& text) { errors_ << text; };
    }
    // A plain TGA folder: A01 and W68 mark it, then `extra` images T0000.. in reverse order of
    // their names, one colour each.
    void writeTgaFolder(int extra) {
        lwtest::writeBytes(dir_ / "A01.tga", tga(255, 0, 0));
        lwtest::writeBytes(dir_ / "W68.tga", tga(0, 0, 255));
        for (int i = extra - 1; i >= 0; --i) {
            char name[32];
            std::snprintf(name, sizeof name, "%s%.4d.tga", i % 2 ? "t" : "T", i);
            lwtest::writeBytes(dir_ / name, tga(uint8_t(i), 200, uint8_t(255 - i % 256)));
        }
    }
    bool load(const QString& folder) {
        form_->loadFolder(folder);
        return waitUntil([this] { return !form_->loading(); });
    }

    TempDir dir_;
    std::unique_ptr<TFormXom> form_;
    QStringList errors_;
};

} // namespace

TEST_F(Browser, TwoThousandImagesListSortedAndOnlyThePaintedRowsAreDecoded) {
    writeTgaFolder(1998);
    int loadedSignals = 0;
    QObject::connect(form_.get(), &TFormXom::folderLoaded, [&](bool ok) {
        EXPECT_TRUE(ok);
        ++loadedSignals;
    });
    form_->loadFolder(qpath(dir_.path()));
    EXPECT_TRUE(form_->loading()) << "the folder is read on a worker";
    EXPECT_FALSE(form_->Button1->isEnabled());
    ASSERT_TRUE(waitUntil([this] { return !form_->loading(); }));
    EXPECT_EQ(loadedSignals, 1);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    ASSERT_EQ(form_->TreeView1->topLevelItemCount(), 2000);
    EXPECT_EQ(form_->TreeView1->topLevelItem(0)->text(0), "A01");
    // Sorted by name ignoring case: "t0001" between "T0000" and "T0002".
    EXPECT_EQ(form_->TreeView1->topLevelItem(1)->text(0), "T0000");
    EXPECT_EQ(form_->TreeView1->topLevelItem(2)->text(0), "t0001");
    EXPECT_EQ(form_->TreeView1->topLevelItem(1999)->text(0), "W68");
    EXPECT_EQ(form_->folder(), qpath(dir_.path()));

    form_->show();
    // It opens inside the screen, wide enough for its caption beside the title bar's buttons.
    EXPECT_TRUE(form_->screen()->availableGeometry().contains(form_->frameGeometry()));
    const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
    EXPECT_GE(form_->width(), title.horizontalAdvance(form_->windowTitle()) + 100);
    ASSERT_TRUE(waitUntil([this] { return form_->decodedThumbnails() >= 8; }));
    lwtest::wait(200);
    EXPECT_LT(form_->decodedThumbnails(), 100) << "rows never painted are not decoded";
    const QImage first = form_->cachedThumbnail(0);
    ASSERT_EQ(first.size(), QSize(TFormXom::kThumbSide, TFormXom::kThumbSide));
    EXPECT_EQ(first.pixelColor(16, 16), QColor(255, 0, 0));
    // Scrolling to the end decodes the rows shown there.
    form_->TreeView1->scrollToItem(form_->TreeView1->topLevelItem(1999));
    ASSERT_TRUE(waitUntil([this] { return !form_->cachedThumbnail(1999).isNull(); }));
    EXPECT_EQ(form_->cachedThumbnail(1999).pixelColor(3, 3), QColor(0, 0, 255));
    lwtest::saveScreenshot(form_.get(), QStringLiteral("texture-browser-2000"));
}

TEST_F(Browser, TheSelectedImageIsShownWithItsTypeAndSavedAsTga) {
    writeTgaFolder(2);
    lwtest::writeBytes(dir_ / "alpha.tga", tga(10, 20, 30, 32));
    ASSERT_TRUE(load(qpath(dir_.path())));
    QTreeWidgetItem* alpha = form_->TreeView1->topLevelItem(1);
    ASSERT_EQ(alpha->text(0), "alpha");
    form_->TreeView1->setCurrentItem(alpha);
    ASSERT_FALSE(form_->Image1->pixmap().isNull());
    EXPECT_EQ(form_->Image1->size(), QSize(8, 8));
    EXPECT_EQ(form_->StatusPanel->text(), "8x8x32bit type:0");
    // Alpha 255 over the checkerboard: 255/256 of the colour, 1/256 of the white square.
    EXPECT_EQ(form_->Image1->pixmap().toImage().pixelColor(0, 7), QColor(11, 21, 31));

    const QString out = qpath(dir_ / "out" / "saved.tga");
    std::filesystem::create_directories(dir_ / "out");
    form_->chooseTgaFile = [&](QWidget*, const QString& suggested) {
        EXPECT_EQ(suggested, "alpha.tga");
        return qpath(dir_ / "out" / "saved");
    };
    form_->SaveImage1->trigger();
    auto decoded = ShowImage(form_->FindImage("alpha")->record, false);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(lwtest::readBytes(out.toStdString()), encodeTga(*decoded));
    EXPECT_TRUE(errors_.isEmpty());
    EXPECT_FALSE(form_->saveImageAsTga("nosuch", out));
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].contains("'nosuch'"));
}

TEST_F(Browser, AFolderOfNoLayoutIsRefusedAndTheListStays) {
    writeTgaFolder(3);
    ASSERT_TRUE(load(qpath(dir_.path())));
    TempDir other;
    lwtest::writeBytes(other / "readme.txt", {'x'});
    int failures = 0;
    QObject::connect(form_.get(), &TFormXom::folderLoaded, [&](bool ok) { failures += !ok; });
    form_->loadFolder(qpath(other.path()));
    EXPECT_FALSE(form_->loading());
    EXPECT_EQ(failures, 1);
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith("Error Loading Files!!!")) << errors_[0].toStdString();
    EXPECT_TRUE(errors_[0].contains(qpath(other.path())));
    EXPECT_EQ(form_->TreeView1->topLevelItemCount(), 5);
    EXPECT_EQ(form_->folder(), qpath(dir_.path()));
}

TEST_F(Browser, ABrokenBundleIsNamedAndTheImagesBeforeItStay) {
    const DemoTextureFiles files{(dir_ / "bundles").string(), (dir_ / "list.txt").string()};
    ASSERT_TRUE(writeDemoTextures(files));
    // Bundle43 comes after Bundle07 (the demo images) and is cut in its header.
    lwtest::writeBytes(dir_ / "bundles" / "Bundle43.xom", {'M', 'O', 'I', 'K', 0, 0});
    bool result = true;
    QObject::connect(form_.get(), &TFormXom::folderLoaded, [&](bool ok) { result = ok; });
    ASSERT_TRUE(load(QString::fromStdString(files.bundleFolder)));
    EXPECT_FALSE(result);
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].contains("Bundle43.xom")) << errors_[0].toStdString();
    EXPECT_TRUE(errors_[0].contains("shorter than its header")) << errors_[0].toStdString();
    EXPECT_EQ(form_->TreeView1->topLevelItemCount(), 6);
    EXPECT_TRUE(form_->FindImage("grass"));
}

TEST_F(Browser, RowsDragTheirImageNameToWhoeverKnowsTheBrowser) {
    writeTgaFolder(1);
    ASSERT_TRUE(load(qpath(dir_.path())));
    QTreeWidgetItem* item = form_->TreeView1->topLevelItem(0);
    const QModelIndex index = form_->TreeView1->indexFromItem(item);
    std::unique_ptr<QMimeData> data(form_->TreeView1->model()->mimeData({index}));
    ASSERT_TRUE(data);
    EXPECT_EQ(draggedImageName(data.get(), form_->TreeView1, form_->TreeView1), "A01");
    EXPECT_EQ(draggedImageName(data.get(), nullptr, form_->TreeView1), "");
    QTreeWidget otherTree;
    EXPECT_EQ(draggedImageName(data.get(), &otherTree, form_->TreeView1), "");
    QMimeData text;
    text.setText("A01");
    EXPECT_EQ(draggedImageName(&text, form_->TreeView1, form_->TreeView1), "")
        << "plain text is not an image";

    // A swatch takes the dropped image: its name as hint and its picture.
    TTextureSwatch swatch;
    swatch.decodeImage = [this](const QString& name, int side) {
        return form_->swatchImage(name, side);
    };
    swatch.setImage("A01");
    EXPECT_EQ(swatch.imageName(), "A01");
    EXPECT_EQ(swatch.picture().size(), QSize(64, 64));
    EXPECT_EQ(swatch.picture().pixelColor(30, 30), QColor(255, 0, 0));
    swatch.setImage("not there");
    EXPECT_EQ(swatch.picture().pixelColor(30, 30), QColor(255, 0, 0)) << "no image, no change";
}

TEST(BoxThumbnail, ShowsTheTileOfTheBoxAndBoxZeroShowsTileSixtyFour) {
    TBoxThumbnail thumb;
    EXPECT_TRUE(thumb.tile().isNull());
    QImage overview(kBoxOverviewSize, kBoxOverviewSize, QImage::Format_RGB888);
    overview.fill(Qt::gray);
    const TileOrigin t3 = boxTileOrigin(3), t64 = boxTileOrigin(64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            overview.setPixelColor(t3.x + x, t3.y + y, Qt::red);
            overview.setPixelColor(t64.x + x, t64.y + y, Qt::blue);
        }
    thumb.setOverview(overview);
    thumb.setBox(2.6);
    EXPECT_EQ(thumb.box(), 3);
    EXPECT_EQ(thumb.tile().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(thumb.tile().pixelColor(63, 63), QColor(Qt::red));
    thumb.setBox(0);
    EXPECT_EQ(thumb.tile().pixelColor(10, 10), QColor(Qt::blue));
}

namespace {

class Page : public ::testing::Test {
protected:
    void SetUp() override {
        list_.reset(demoTextureList(), QStringLiteral("/lists/demo-textures.txt"));
        page_ = std::make_unique<TTexturePage>(list_);
        page_->resize(300, 500);
        page_->show();
        QApplication::processEvents();
    }
    void select(QTreeWidgetItem* item) { page_->TextureTree->setCurrentItem(item); }

    TextureListDocument list_;
    std::unique_ptr<TTexturePage> page_;
};

} // namespace

TEST_F(Page, TheTreeShowsEveryBoxWithItsFiveSlots) {
    TTextureTree* tree = page_->TextureTree;
    ASSERT_EQ(tree->topLevelItemCount(), 8);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "1. Beach");
    EXPECT_EQ(tree->topLevelItem(7)->text(0), "8. Shore");
    QTreeWidgetItem* shore = tree->topLevelItem(7);
    ASSERT_EQ(shore->childCount(), 5);
    const QStringList names{"grass", "sand", "sand", "water", "grass"};
    for (int s = 0; s < 5; ++s) {
        EXPECT_EQ(shore->child(s)->text(0), names[s]);
        EXPECT_FALSE(shore->child(s)->icon(0).isNull());
    }
    EXPECT_EQ(page_->TextNameLab->text(), "[demo-textures.txt]");
    EXPECT_EQ(page_->ButOpenText->text(), "Open Textures");
    EXPECT_EQ(page_->ShowBox->text(), "Show Boxs");
    EXPECT_FALSE(page_->ShowBox->isEnabled());
}

TEST_F(Page, TheMenuOffersWhatAppliesToTheNode) {
    QTreeWidgetItem* box = page_->boxItem(1);
    select(box);
    page_->updateMenu();
    EXPECT_TRUE(page_->EditName1->isEnabled());
    EXPECT_TRUE(page_->CopyTextureBox1->isEnabled());
    EXPECT_FALSE(page_->SetNULL1->isEnabled());
    select(page_->slotItem(1, 3));
    page_->updateMenu();
    EXPECT_TRUE(page_->SetNULL1->isEnabled()) << "the edge slot";
    EXPECT_FALSE(page_->EditName1->isEnabled());
    EXPECT_FALSE(page_->PasteTextureBox1->isEnabled());
    select(page_->slotItem(1, 0));
    page_->updateMenu();
    EXPECT_FALSE(page_->SetNULL1->isEnabled());

    // Paste needs a box on the clipboard (the rule itself is the headless parser's).
    select(box);
    QGuiApplication::clipboard()->setText("Name\r\na\r\nb\r\nc\r\nd\r\ne");
    page_->updateMenu();
    EXPECT_FALSE(page_->PasteTextureBox1->isEnabled()) << "the last line has no CR LF";
    QGuiApplication::clipboard()->setText("Name\r\na\r\nb\r\nc\r\nd\r\ne\r\n");
    page_->updateMenu();
    EXPECT_TRUE(page_->PasteTextureBox1->isEnabled());
}

TEST_F(Page, EditNameSetNullCopyAndPasteChangeTheListAndMarkIt) {
    page_->askName = [](QWidget*, const QString& name) -> std::optional<QString> {
        EXPECT_EQ(name, "Meadow");
        return QStringLiteral("Dune.v2");
    };
    select(page_->boxItem(1));
    page_->EditName1->trigger();
    EXPECT_EQ(page_->boxItem(1)->text(0), "2. Dune.v2");
    EXPECT_EQ(list_.box(1).Name, "Dune.v2");
    EXPECT_TRUE(list_.isModified());
    EXPECT_EQ(page_->TextNameLab->text(), "[demo-textures.txt] *");

    select(page_->slotItem(7, 3));
    page_->SetNULL1->trigger();
    EXPECT_EQ(list_.box(7).Slots[3], "NULL");
    EXPECT_EQ(page_->slotItem(7, 3)->text(0), "NULL");

    select(page_->boxItem(1));
    page_->CopyTextureBox1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "Dune.v2\r\ngrass\r\nrock\r\nrock\r\nNULL\r\ngrass\r\n");
    page_->boxItem(4)->setExpanded(true);
    select(page_->boxItem(4));
    page_->PasteTextureBox1->trigger();
    EXPECT_EQ(list_.box(4), list_.box(1));
    EXPECT_EQ(page_->boxItem(4)->text(0), "5. Dune.v2");
    EXPECT_TRUE(page_->boxItem(4)->isExpanded()) << "an edit keeps the tree as it was";

    page_->AddTextureBox1->trigger();
    EXPECT_EQ(page_->TextureTree->topLevelItemCount(), 9);
    EXPECT_EQ(page_->boxItem(8)->text(0), "9. New");
    EXPECT_EQ(page_->TextureTree->currentItem(), page_->boxItem(8));
    page_->DeleteTextureBox1->trigger(); // the last box: nothing moves, nothing to ask
    EXPECT_EQ(page_->TextureTree->topLevelItemCount(), 8);

    // A box before the last: the later boxes would move and cells show other textures, so
    // the page asks, saying how many move; the answer No keeps the list.
    QString asked;
    bool answer = false;
    page_->askYesNo = [&](QWidget*, const QString&, const QString& text) {
        asked = text;
        return answer;
    };
    select(page_->boxItem(5));
    page_->DeleteTextureBox1->trigger();
    EXPECT_EQ(asked, "Box 6 \"Snow\" is not the last one: the 2 boxes after it move up by one, so "
                     "map cells painted with them show other textures. Delete it?");
    EXPECT_EQ(list_.boxCount(), 8);
    answer = true;
    page_->DeleteTextureBox1->trigger();
    ASSERT_EQ(list_.boxCount(), 7);
    EXPECT_EQ(page_->boxItem(5)->text(0), "6. Water");
    // The list's own history takes it back.
    select(page_->boxItem(0));
    page_->updateMenu();
    EXPECT_EQ(page_->UndoTexture1->text(), "Undo Delete Texture Box");
    page_->UndoTexture1->trigger();
    EXPECT_EQ(list_.boxCount(), 8);
    EXPECT_EQ(page_->boxItem(5)->text(0), "6. Snow");
}

TEST_F(Page, OnlySlotNodesTakeImagesAndOnlyFromTheBrowser) {
    QTreeWidget browser;
    page_->setImageSource(&browser);
    page_->TextureTree->expandAll();
    QApplication::processEvents();
    std::unique_ptr<QMimeData> data(imageNameMimeData("brick"));
    TTextureTree* tree = page_->TextureTree;
    const QPoint onSlot = tree->visualItemRect(page_->slotItem(0, 1)).center();
    const QPoint onBox = tree->visualItemRect(page_->boxItem(0)).center();
    EXPECT_EQ(tree->acceptedName(data.get(), &browser, onSlot), "brick");
    EXPECT_EQ(tree->acceptedName(data.get(), &browser, onBox), "");
    EXPECT_EQ(tree->acceptedName(data.get(), tree, onSlot), "");
    // What an accepted drop does is the main window's real drag test.
}

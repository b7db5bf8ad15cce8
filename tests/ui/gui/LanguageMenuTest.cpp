#include "ui/gui/LanguageMenu.h"

#include "ui/Settings.h"
#include "ui/gui/CheckBoxX.h"
#include "ui/gui/EditX.h"
#include "ui/gui/ErrorBox.h"
#include "ui/gui/LangBind.h"
#include "ui/gui/PanelPlus.h"

#include "../SettingsSandbox.h"
#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTabWidget>
#include <QTableWidget>

#include <cstring>

using lw::TLanguageMenu;

namespace {

// A small window wired the way the real ones are: every text registered under its key.
class LanguageMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        menu = new TLanguageMenu(&window, language, registry);
        menu->setFilePicker([this](QWidget*, const QString& folder) {
            offeredFolder = folder;
            return nextPick;
        });
        menu->setErrorReporter([this](QWidget*, const QString& title, const QString& text) {
            errors.push_back(title + "|" + text);
        });
        label = new QLabel(&window);
        panel = new lw::TPanelPlus(&window);
        edit = new lw::TEditX(&window);
        box = new lw::TCheckBoxX(&window);
        grid = new QTableWidget(2, 4, &window);
        pages = new QTabWidget(&window);
        page = new QWidget;
        pages->addTab(page, "?");
        action = new QAction(&window);
        lw::bindCaption(registry, "[mnuMainFile]", label);
        lw::bindCaption(registry, "[pagePropertieslblSize]", panel);
        lw::bindCaption(registry, "[sRadius]", edit);
        lw::bindCaption(registry, "[sTopSmooth]", box);
        lw::bindColumnTitle(registry, "[sTextureCode]", grid, 1);
        lw::bindTabText(registry, "[pageMaptree]", pages, page);
        lw::bindHint(registry, "[tlZoom]", action);
        lw::bindCaption(registry, "[sValueEdit]", &window);
        lw::bindString(registry, "[sChangeStr]", &window, &changeFormat);
    }

    QString file(const char* name, const char* content) {
        const auto path = files / name;
        lwtest::writeBytes(path, std::vector<uint8_t>(content, content + std::strlen(content)));
        return QString::fromStdString(path.string());
    }
    void expectEnglish() {
        EXPECT_EQ(label->text(), "File");
        EXPECT_EQ(panel->caption(), "Size");
        EXPECT_EQ(edit->LabelText(), "Radius");
        EXPECT_EQ(box->caption(), "Top Smooth");
        EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "Texture Code");
        EXPECT_EQ(pages->tabText(0), "Map Tree");
        EXPECT_EQ(action->toolTip(), "Zoom");
        EXPECT_EQ(window.windowTitle(), "Value Edit");
        EXPECT_EQ(changeFormat, "[#%d] object [%s] is changed");
        EXPECT_EQ(menu->title(), "Select Language...");
    }

    lwtest::SettingsSandbox sandbox;
    lwtest::TempDir files;
    lw::Language language;
    lw::LangRegistry registry;
    QWidget window;
    TLanguageMenu* menu = nullptr;
    QLabel* label = nullptr;
    lw::TPanelPlus* panel = nullptr;
    lw::TEditX* edit = nullptr;
    lw::TCheckBoxX* box = nullptr;
    QTableWidget* grid = nullptr;
    QTabWidget* pages = nullptr;
    QWidget* page = nullptr;
    QAction* action = nullptr;
    QString changeFormat;
    QString nextPick;
    QString offeredFolder;
    QStringList errors;
};

TEST_F(LanguageMenuTest, StartUpAppliesTheStoredLanguage) {
    EXPECT_EQ(menu->actions().size(), 2);
    menu->startUp();
    EXPECT_TRUE(menu->DefaultEnglish1()->isChecked());
    expectEnglish();

    lw::Settings().setString("LangFile", file("de.lng", "[mnuMainFile]=Datei\n[sRadius]=\n"));
    menu->startUp();
    EXPECT_TRUE(menu->Select1()->isChecked());
    EXPECT_FALSE(menu->DefaultEnglish1()->isChecked());
    EXPECT_EQ(label->text(), "Datei");
    EXPECT_EQ(edit->LabelText(), "Radius"); // empty in the file: English
    EXPECT_EQ(panel->caption(), "Size");
}

TEST_F(LanguageMenuTest, ChoosingEnglishAndAFile) {
    menu->startUp();
    // A cancelled dialog leaves the texts and stores nothing.
    menu->Select1()->trigger();
    EXPECT_TRUE(menu->Select1()->isChecked());
    expectEnglish();
    EXPECT_FALSE(lw::Settings().contains("LangFile"));

    nextPick = file("de.lng", "[pagePropertieslblSize]=Groesse\n[sChangeStr]=[#%d] [%s] neu\n");
    menu->Select1()->trigger();
    EXPECT_EQ(offeredFolder, QCoreApplication::applicationDirPath());
    EXPECT_TRUE(menu->Select1()->isChecked());
    EXPECT_EQ(panel->caption(), "Groesse");
    EXPECT_EQ(changeFormat, "[#%d] [%s] neu");
    EXPECT_EQ(lw::Settings().string("LangFile"), nextPick);

    menu->DefaultEnglish1()->trigger();
    EXPECT_TRUE(menu->DefaultEnglish1()->isChecked());
    expectEnglish();
    EXPECT_EQ(lw::Settings().string("LangFile"), "Default");
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(LanguageMenuTest, UnreadableFileIsReportedAndChangesNothing) {
    lw::Settings().setString("LangFile", file("fr.lng", "[mnuMainFile]=Fichier\n"));
    menu->startUp();
    const QString stored = *lw::Settings().string("LangFile");

    menu->DefaultEnglish1()->trigger();
    menu->Select1()->setChecked(true);
    nextPick = QString::fromStdString((files / "missing.lng").string());
    menu->SelectLanguage1Click();
    ASSERT_EQ(errors.size(), 1);
    // The file named once, on a line of its own.
    EXPECT_TRUE(errors[0].startsWith("Error|Error Loading Files!!!\n" + nextPick + "\n"))
        << errors[0].toStdString();
    EXPECT_EQ(errors[0].count("missing.lng"), 1);
    EXPECT_TRUE(menu->DefaultEnglish1()->isChecked()); // back to the choice in use
    expectEnglish();
    EXPECT_EQ(lw::Settings().string("LangFile"), "Default");

    // The earlier file stays loaded behind English.
    EXPECT_TRUE(language.hasLanguageTable());
    EXPECT_NE(stored, "Default");
}

// The error box keeps a path whole on its line even where the other lines wrap.
TEST(ErrorBox, APathLineIsNeverBroken) {
    QString path = QStringLiteral("/home/someone");
    const QFontMetrics metrics(QApplication::font());
    while (metrics.horizontalAdvance(path) < 620)
        path += QStringLiteral("/folder-with-dashes");
    path += QStringLiteral("/map.xom");
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"),
                    lw::errorBoxText(QStringLiteral("Bad Xom Format File!\n\n") + path +
                                     QStringLiteral("\nthe file ends inside its header")));
    box.setTextFormat(Qt::RichText);
    box.show();
    QApplication::processEvents();
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    ASSERT_TRUE(label);
    // Four lines: the message, a blank, the whole path, the reason.
    EXPECT_LT(label->height(), 5 * metrics.lineSpacing());
    box.close();
}

} // namespace

#include "ui/Language.h"
#include "ui/HelpChoice.h"
#include "ui/LangRegistry.h"
#include "ui/Settings.h"

#include "QtPrinters.h"
#include "SettingsSandbox.h"

#include <gtest/gtest.h>

#include <QObject>

#include <cstring>

using lw::Language;

namespace {

QString writeLangFile(const lwtest::TempDir& dir, const std::string& name, const char* content) {
    const auto path = dir / name;
    lwtest::writeBytes(path, std::vector<uint8_t>(content, content + std::strlen(content)));
    return QString::fromStdString(path.string());
}

class LanguageTest : public ::testing::Test {
protected:
    lwtest::SettingsSandbox sandbox;
    lwtest::TempDir files;
    Language language;
};

TEST_F(LanguageTest, EnglishByDefault) {
    EXPECT_TRUE(language.englishChosen());
    EXPECT_FALSE(language.hasLanguageTable());
    EXPECT_EQ(language.text("[mnuMainFile]"), "File");
    EXPECT_EQ(language.text("[sCameraPanMode]"), "Camera Pan Mode");
    EXPECT_EQ(language.text("[sAutoBlur]"), "AutoBlur");
    EXPECT_EQ(language.text("[sNoSuchKey]"), "Error lang text!");
    EXPECT_EQ(language.text(""), "Error lang text!");
}

TEST_F(LanguageTest, FileOverridesOnlyItsKeysAndEmptyTextsFallBack) {
    const QString de = writeLangFile(files, "de.lng",
                                     "[mnuMainFile]=Datei\n"
                                     "[mnuMainView]=\n"
                                     "[SERROR]=Fehler\n"
                                     "[sOnlyHere]=Nur hier\n");
    ASSERT_TRUE(language.loadLanguageFile(de).ok());
    language.setEnglishChosen(false);
    EXPECT_EQ(language.text("[mnuMainFile]"), "Datei");
    EXPECT_EQ(language.text("[mnuMainView]"), "View");   // empty text: English
    EXPECT_EQ(language.text("[mnuMainHelp]"), "Help");   // missing: English
    EXPECT_EQ(language.text("[sError]"), "Fehler");      // any letter case
    EXPECT_EQ(language.text("[sOnlyHere]"), "Nur hier"); // keys beyond the built-in table work
    EXPECT_EQ(language.text("[sNoSuchKey]"), "Error lang text!");

    // English bypasses the loaded table without dropping it.
    language.setEnglishChosen(true);
    EXPECT_EQ(language.text("[mnuMainFile]"), "File");
    EXPECT_EQ(language.text("[sOnlyHere]"), "Error lang text!");
    EXPECT_TRUE(language.hasLanguageTable());
}

TEST_F(LanguageTest, UnreadableFileKeepsTheTableInUse) {
    ASSERT_TRUE(language.loadLanguageFile(writeLangFile(files, "a.lng", "[sError]=Fehler")).ok());
    language.setEnglishChosen(false);
    const lw::Status failed =
        language.loadLanguageFile(QString::fromStdString((files / "x.lng").string()));
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(language.text("[sError]"), "Fehler");
}

TEST_F(LanguageTest, StartUpFollowsLangFileSetting) {
    lw::Settings settings;
    // Nothing stored, "Default", a file that has gone: English.
    EXPECT_FALSE(lw::startUpLanguage(language, settings));
    EXPECT_TRUE(language.englishChosen());
    settings.setString("LangFile", "Default");
    EXPECT_FALSE(lw::startUpLanguage(language, settings));
    settings.setString("LangFile", QString::fromStdString((files / "moved.lng").string()));
    EXPECT_FALSE(lw::startUpLanguage(language, settings));
    settings.setString("LangFile", QString::fromStdString(files.path().string())); // a folder
    EXPECT_FALSE(lw::startUpLanguage(language, settings));
    EXPECT_TRUE(language.englishChosen());

    settings.setString("LangFile", writeLangFile(files, "fr.lng", "[mnuMainFile]=Fichier\n"));
    EXPECT_TRUE(lw::startUpLanguage(language, settings));
    EXPECT_FALSE(language.englishChosen());
    EXPECT_EQ(language.text("[mnuMainFile]"), "Fichier");
}

TEST_F(LanguageTest, MenuChoicesAreStored) {
    lw::Settings settings;
    const QString fr = writeLangFile(files, "fr.lng", "[mnuMainFile]=Fichier\n");
    ASSERT_TRUE(lw::chooseLanguageFile(language, settings, fr).ok());
    EXPECT_EQ(settings.string("LangFile"), fr);
    EXPECT_EQ(language.text("[mnuMainFile]"), "Fichier");

    lw::chooseDefaultEnglish(language, settings);
    EXPECT_EQ(settings.string("LangFile"), "Default");
    EXPECT_EQ(language.text("[mnuMainFile]"), "File");

    // A confirmed file that cannot be read changes neither the setting nor the language.
    const lw::Status failed = lw::chooseLanguageFile(
        language, settings, QString::fromStdString((files / "no.lng").string()));
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(settings.string("LangFile"), "Default");
    EXPECT_TRUE(language.englishChosen());
    EXPECT_EQ(language.text("[mnuMainFile]"), "File");
}

TEST(LangRegistry, AppliesInRegistrationOrderAndForgetsDestroyedTargets) {
    Language language;
    lw::LangRegistry registry;
    QObject window;
    QString copyItem, title;
    QStringList order;
    auto* control = new QObject(&window);
    registry.add("[mnuCopyValue]", control, [&](const QString& t) {
        copyItem = t;
        order << t;
    });
    registry.add("[mnuCopyCopyvalue]", control, [&](const QString& t) {
        copyItem = t;
        order << t;
    });
    registry.add("[sStyleEdit]", &window, [&](const QString& t) { title = t; });
    registry.add("[sError]", nullptr, [&](const QString&) { FAIL(); });
    EXPECT_EQ(registry.size(), 3);
    EXPECT_EQ(registry.keysOf(control),
              std::vector<QString>({"[mnuCopyValue]", "[mnuCopyCopyvalue]"}));

    registry.apply(language);
    EXPECT_EQ(copyItem, "Copy Value"); // the later assignment wins
    EXPECT_EQ(order, QStringList({"Value", "Copy Value"}));
    EXPECT_EQ(title, "Style Edit");

    delete control;
    EXPECT_EQ(registry.size(), 1);
    order.clear();
    registry.apply(language);
    EXPECT_TRUE(order.isEmpty());

    registry.remove(&window);
    EXPECT_EQ(registry.size(), 0);
}

TEST(LangRegistry, TargetsRegisteredWhileApplyingAreReached) {
    Language language;
    lw::LangRegistry registry;
    QObject owner;
    QString late;
    registry.add("[sError]", &owner, [&](const QString&) {
        // A window built while the texts are pushed joins this same pass.
        registry.add("[sClose]", &owner, [&](const QString& t) { late = t; });
    });
    registry.apply(language);
    EXPECT_EQ(late, "Close");
}

} // namespace

TEST_F(LanguageTest, HelpIsTheManualUnlessTheLanguageFileNamesAHelpFileOfItsOwn) {
    using Kind = lw::HelpChoice::Kind;
    lw::Settings settings;
    EXPECT_EQ(lw::chooseHelp(language, settings).kind, Kind::Manual);
    settings.setString("LangFile", writeLangFile(files, "fr.lng", "[mnuMainFile]=Fichier\n"));
    ASSERT_TRUE(lw::startUpLanguage(language, settings));
    EXPECT_EQ(lw::chooseHelp(language, settings).kind, Kind::Manual);

    // A name beside the language file: missing until the file is there.
    settings.setString("LangFile", writeLangFile(files, "de.lng", "[sHelpFileName]=Hilfe.chm\n"));
    ASSERT_TRUE(lw::startUpLanguage(language, settings));
    const QString expected = QString::fromStdString((files / "Hilfe.chm").string());
    EXPECT_EQ(lw::chooseHelp(language, settings).kind, Kind::MissingFile);
    EXPECT_EQ(lw::chooseHelp(language, settings).file, expected);
    lwtest::writeBytes(files / "Hilfe.chm", {1, 2, 3});
    EXPECT_EQ(lw::chooseHelp(language, settings).kind, Kind::File);
    EXPECT_EQ(language.text("[sHelpfile]"), language.defaultTable().value("[sHelpfile]"))
        << "the file name's key is not the message's";

    // English chosen: the language file is not in use, nor is its help file.
    lw::chooseDefaultEnglish(language, settings);
    EXPECT_EQ(lw::chooseHelp(language, settings).kind, Kind::Manual);
}

#include "ui/LangTable.h"

#include "QtPrinters.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QSet>

#include <cstring>

using lw::LangTable;

namespace {

QString text(const LangTable& t, const char* key) {
    return t.value(QString::fromUtf8(key));
}

std::vector<uint8_t> bytes(const char* s) {
    return {s, s + std::strlen(s)};
}

TEST(DefaultLangTable, HoldsAllAssignmentsInOrder) {
    const auto assignments = lw::defaultLangAssignments();
    ASSERT_EQ(assignments.size(), 223u);
    EXPECT_STREQ(assignments.front().key, "[mnuMainFile]");
    EXPECT_STREQ(assignments.back().key, "[ExportFormTextures]");
    EXPECT_STREQ(assignments.back().text, "Textures (*.tga)");

    // [sAutoBlur] is the only key assigned twice, so the built table has one line less; the
    // editor's own texts follow.
    const LangTable table = LangTable::defaultTable();
    EXPECT_EQ(table.lineCount(), 222 + int(lw::editorLangAssignments().size()));
    QSet<QString> keys;
    for (const auto& a : assignments)
        keys.insert(QString::fromUtf8(a.key).toCaseFolded());
    EXPECT_EQ(keys.size(), 222);

    // The second assignment replaces the text where the first put it, before the tool-bar hints.
    EXPECT_EQ(text(table, "[sAutoBlur]"), "AutoBlur");
    const int autoBlur = int(table.lines().indexOf("[sAutoBlur]=AutoBlur"));
    const int zoomHint = int(table.lines().indexOf("[tlZoom]=Zoom"));
    ASSERT_GE(autoBlur, 0);
    EXPECT_LT(autoBlur, zoomHint);
}

TEST(DefaultLangTable, TrickyKeysAndTexts) {
    const LangTable table = LangTable::defaultTable();
    // Stored as [SCameraPanMode]; the lookup ignores letter case.
    EXPECT_EQ(text(table, "[sCameraPanMode]"), "Camera Pan Mode");
    EXPECT_EQ(text(table, "[SCAMERAPANMODE]"), "Camera Pan Mode");
    // The blank makes a key of its own; both read "Layers Mode".
    EXPECT_TRUE(table.lines().contains("[sLayersMode ]=Layers Mode"));
    EXPECT_TRUE(table.lines().contains("[sLayersMode]=Layers Mode"));
    EXPECT_EQ(text(table, "[sLayersMode ]"), "Layers Mode");
    EXPECT_TRUE(table.contains("[sLayersMode ]"));
    EXPECT_FALSE(table.contains("[sLayersMode  ]"));

    EXPECT_EQ(text(table, "[sSelectFolderBundles]"),
              R"(Select Folder "Bundles" (Example:"Brimlow\Data\Bundles"))");
    EXPECT_EQ(
        text(table, "[sSelectFolderMap]"),
        R"(Select Folder Brimlow: "data/Bundles" or Kestrel: "data/Themes" or "data/BrimlowT")");
    EXPECT_EQ(text(table, "[mnuTreeInfo]"), "[%d] poxels have [%d] voxels");
    EXPECT_EQ(text(table, "[sChangeStr]"), "[#%d] object [%s] is changed");
    EXPECT_EQ(text(table, "[sOpen...]"), "Open...");
    EXPECT_EQ(text(table, "[mnuGroupPoxelSelected]"), "poxels secected");
    EXPECT_EQ(text(table, "[pagePropertieslblPostition]"), "Position");
    EXPECT_EQ(text(table, "[sColor]"), "Color:");
    EXPECT_EQ(text(table, "[mnuCopyValue]"), "Value");
    EXPECT_EQ(text(table, "[mnuCopyCopyvalue]"), "Copy Value");
    EXPECT_EQ(text(table, "[sThanks]"),
              "Thanks all who has helped me create this editor, and whom it is necessary.");
    EXPECT_EQ(text(table, "[mnuMainFileReopenTextures]"), "-- Textures lists --");
    EXPECT_EQ(text(table, "[nothing]"), "");
}

TEST(LangTableLines, NameIsTextBeforeFirstEquals) {
    const LangTable t = LangTable::fromLines({
        "no equals sign here",
        "[a]=one=two",
        "[B]=first",
        "[b]=second",
        "[empty]=",
        "=nameless",
        " [spaced]=kept ",
    });
    EXPECT_EQ(t.lineCount(), 7);
    EXPECT_EQ(text(t, "[a]"), "one=two");
    EXPECT_EQ(text(t, "[b]"), "first"); // the first line of a name answers
    EXPECT_EQ(text(t, "[empty]"), "");
    EXPECT_TRUE(t.contains("[empty]"));
    EXPECT_EQ(text(t, ""), "nameless");
    EXPECT_EQ(text(t, " [spaced]"), "kept ");
    EXPECT_EQ(text(t, "[spaced]"), "");
    EXPECT_EQ(text(t, "no equals sign here"), "");
}

TEST(LangTableLines, SetReplacesInPlaceOrAppends) {
    LangTable t;
    t.set("[x]", "1");
    t.set("[y]", "2");
    t.set("[X]", "3");
    EXPECT_EQ(t.lines(), QStringList({"[X]=3", "[y]=2"}));
    EXPECT_EQ(text(t, "[x]"), "3");
}

TEST(LangFileText, SplitsEveryLineBreakKind) {
    EXPECT_EQ(lw::splitLangLines("a\r\nb\nc\rd"), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(lw::splitLangLines("a\n\nb\n"), QStringList({"a", "", "b"}));
    EXPECT_EQ(lw::splitLangLines(""), QStringList());
}

TEST(LangFileText, Utf8WhenValidElseWindows1252) {
    // "Datei" with an umlaut, as UTF-8 and with a byte-order mark.
    EXPECT_EQ(lw::decodeLangText("[m]=D\xC3\xA4tei"), QString::fromUtf8("[m]=D\xC3\xA4tei"));
    EXPECT_EQ(lw::decodeLangText("\xEF\xBB\xBF[m]=x"), "[m]=x");
    // The same word in Windows-1252, and the bytes where it differs from Latin-1.
    EXPECT_EQ(lw::decodeLangText("[m]=D\xE4tei"), QString::fromUtf8("[m]=D\xC3\xA4tei"));
    EXPECT_EQ(lw::decodeLangText("\x80\x93\x94\x9F\x81"),
              QString::fromUtf8("\xE2\x82\xAC\xE2\x80\x9C\xE2\x80\x9D\xC5\xB8\xC2\x81"));
    // A stray continuation byte makes the whole file 8-bit, not just that character.
    EXPECT_EQ(lw::decodeLangText("\xC3\xA4 \xA9"), QString::fromUtf8("\xC3\x83\xC2\xA4 \xC2\xA9"));
}

TEST(LangFileRead, ReadsLinesOfAFile) {
    lwtest::TempDir dir;
    lwtest::writeBytes(dir / "de.lng", bytes("[mnuMainFile]=Datei\r\n[mnuMainView]=Ansicht\r\n"));
    const auto table = lw::readLangFile(QString::fromStdString((dir / "de.lng").string()));
    ASSERT_TRUE(table.ok());
    EXPECT_EQ(table.value().lineCount(), 2);
    EXPECT_EQ(text(table.value(), "[mnuMainView]"), "Ansicht");
}

TEST(LangFileRead, RefusesWhatIsNoReadableFile) {
    lwtest::TempDir dir;
    const QString missing = QString::fromStdString((dir / "gone.lng").string());
    auto r = lw::readLangFile(missing);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().key, "sLoadingError");
    EXPECT_NE(r.error().detail.find("gone.lng"), std::string::npos);

    r = lw::readLangFile(QString::fromStdString(dir.path().string()));
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().detail.find("folder"), std::string::npos);

    // A FIFO: refused at once, not waited on.
    ASSERT_EQ(::mkfifo((dir / "pipe.lng").c_str(), 0600), 0);
    r = lw::readLangFile(QString::fromStdString((dir / "pipe.lng").string()));
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().detail.find("is not a regular file"), std::string::npos);

    // Far larger than any language file.
    lwtest::writeBytes(dir / "huge.lng", std::vector<uint8_t>(5 * 1024 * 1024, 'x'));
    r = lw::readLangFile(QString::fromStdString((dir / "huge.lng").string()));
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().detail.find("too large"), std::string::npos);
}

} // namespace

// Recent lists, titles, the save extension rule and the land libraries.

#include "editor/Documents.h"
#include "textures/GameFolder.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace lw;

TEST(RecentList, NewestFirstWithoutDuplicatesAndAtMostFive) {
    RecentList list;
    EXPECT_EQ(list.filled(), 0);
    list.add("/maps/a.xom");
    list.add("/maps/b.xom");
    EXPECT_EQ(list.filled(), 2);
    EXPECT_EQ(list.at(0), "/maps/b.xom");
    // The same file again (letter case ignored) moves to the front and is not doubled.
    list.add("/MAPS/A.xom");
    EXPECT_EQ(list.filled(), 2);
    EXPECT_EQ(list.at(0), "/MAPS/A.xom");
    EXPECT_EQ(list.at(1), "/maps/b.xom");
    for (const char* f : {"/c", "/d", "/e", "/f"})
        list.add(f);
    EXPECT_EQ(list.filled(), 5);
    EXPECT_EQ(list.at(0), "/f");
    EXPECT_EQ(list.at(4), "/MAPS/A.xom"); // the oldest, /maps/b.xom, fell off
    // Moving the last entry forward keeps the others in order.
    list.add("/maps/a.xom");
    EXPECT_EQ(list.at(0), "/maps/a.xom");
    EXPECT_EQ(list.at(1), "/f");
    EXPECT_EQ(list.at(4), "/c");
}

TEST(RecentList, CaptionsAndSettingNames) {
    EXPECT_EQ(recentCaption(2, "/m/x.xom"), "2 \"/m/x.xom\"");
    EXPECT_EQ(recentPlaceholder(3), "3 ----");
    EXPECT_EQ(recentSettingName(RecentKind::Maps, 1), "PathMap_1");
    EXPECT_EQ(recentSettingName(RecentKind::TextureLists, 5), "PathTList_5");
}

TEST(Documents, TitleAndSaveNames) {
    EXPECT_EQ(mapWindowTitle("/a/b/demo.xom"), "Landwright v.2.3 by Corvell - [demo.xom]");
    EXPECT_EQ(savedMapFileName("/a/map", true), "/a/map.xan");
    EXPECT_EQ(savedMapFileName("/a/map", false), "/a/map.xom");
    EXPECT_EQ(savedMapFileName("/a/map.v2", true), "/a/map.v2");
    // A dot in a folder name does not count.
    EXPECT_EQ(savedMapFileName("/a.b/map", false), "/a.b/map.xom");
    EXPECT_EQ(folderOfFile("/a/b/demo.xom"), "/a/b/");
}

TEST(Documents, LandLibrariesMapToTheirBundles) {
    EXPECT_EQ(bundleFileOfLand("War"), "Bundle22.xom");
    EXPECT_EQ(bundleFileOfLand("Pirate"), "Bundle20.xom");
    EXPECT_EQ(bundleFileOfLand("Lunar"), "Bundle23.xom");
    EXPECT_TRUE(bundleFileOfLand("war").isEmpty()); // names are exact
    EXPECT_TRUE(bundleFileOfLand("Desert").isEmpty());
}

TEST(GameFolder, RecognisesTheThreeLayouts) {
    lwtest::TempDir dir;
    const QString root = QString::fromStdString(dir.path().string());
    QDir base(root);
    EXPECT_EQ(detectGameFolderLayout(root), GameFolderLayout::None);
    EXPECT_EQ(detectGameFolderLayout(QString()), GameFolderLayout::None);

    base.mkdir("tga");
    for (const char* f : {"tga/A01.tga", "tga/W68.tga"})
        QFile(base.filePath(f)).open(QIODevice::WriteOnly);
    EXPECT_EQ(detectGameFolderLayout(base.filePath("tga")), GameFolderLayout::TgaFolder);

    base.mkdir("themes");
    for (const char* f : {"Custom", "ThemeArabian", "ThemeBuilding", "ThemeCamelot",
                          "ThemePrehistoric", "ThemeWildwest"})
        base.mkpath(QStringLiteral("themes/") + f);
    EXPECT_EQ(detectGameFolderLayout(base.filePath("themes")), GameFolderLayout::Themes);

    base.mkdir("bundles");
    for (const char* f : {"Bundle19.xom", "Bundle07.xom", "Bundle23.xom"})
        QFile(base.filePath(QStringLiteral("bundles/") + f)).open(QIODevice::WriteOnly);
    EXPECT_EQ(detectGameFolderLayout(base.filePath("bundles")), GameFolderLayout::None);
    // A refused folder is told what it lacks of the layout it comes closest to.
    EXPECT_EQ(missingGameFolderEntries(base.filePath("bundles")), QStringList{"Bundle88.xom"});
    EXPECT_EQ(missingGameFolderEntries(root),
              (QStringList{"A01.tga", "W68.tga"})); // the nearest: two entries short
    QFile(base.filePath("bundles/Bundle88.xom")).open(QIODevice::WriteOnly);
    EXPECT_EQ(detectGameFolderLayout(base.filePath("bundles")), GameFolderLayout::Bundles);
    EXPECT_TRUE(missingGameFolderEntries(base.filePath("bundles")).isEmpty());
}

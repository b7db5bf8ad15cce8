// What a dropped file is taken for, by its extension.

#include "editor/FileDrops.h"

#include <gtest/gtest.h>

using namespace lw;

namespace {

TEST(FileDrops, KindsByExtensionWhateverTheLetterCase) {
    EXPECT_EQ(droppedFileKind("/maps/demo.xom"), DroppedFileKind::Map);
    EXPECT_EQ(droppedFileKind("/maps/DEMO.XAN"), DroppedFileKind::Map);
    EXPECT_EQ(droppedFileKind("C:/textures/Lunar.Txt"), DroppedFileKind::TextureList);
    EXPECT_EQ(droppedFileKind("models/tower.3DS"), DroppedFileKind::Model3ds);
    EXPECT_EQ(droppedFileKind("hill.hmp"), DroppedFileKind::Heightmap);
    // Only the last extension counts.
    EXPECT_EQ(droppedFileKind("backup.xom.bak"), DroppedFileKind::Other);
    EXPECT_EQ(droppedFileKind("list.txt.xom"), DroppedFileKind::Map);
    EXPECT_EQ(droppedFileKind("xom"), DroppedFileKind::Other) << "a name, not an extension";
    EXPECT_EQ(droppedFileKind("/maps/folder.xom/"), DroppedFileKind::Other);
    EXPECT_EQ(droppedFileKind("picture.png"), DroppedFileKind::Other);
    EXPECT_EQ(droppedFileKind(""), DroppedFileKind::Other);
}

TEST(FileDrops, OnlyLocalFilesAreTaken) {
    int others = -1;
    const QStringList files =
        droppedLocalFiles({QUrl::fromLocalFile("/maps/a b.xom"),
                           QUrl("https://example.org/map.xom"), QUrl("file:///maps/c.txt"), QUrl()},
                          &others);
    EXPECT_EQ(files, (QStringList{"/maps/a b.xom", "/maps/c.txt"}));
    EXPECT_EQ(others, 2);
    EXPECT_TRUE(droppedLocalFiles({}).isEmpty());
}

} // namespace

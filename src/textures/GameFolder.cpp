#include "textures/GameFolder.h"

#include <QDir>
#include <QFileInfo>

namespace lw {

namespace {
bool allFiles(const QDir& dir, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (!QFileInfo(dir.filePath(QString::fromLatin1(n))).isFile())
            return false;
    return true;
}
bool allFolders(const QDir& dir, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (!QFileInfo(dir.filePath(QString::fromLatin1(n))).isDir())
            return false;
    return true;
}
} // namespace

GameFolderLayout detectGameFolderLayout(const QString& folder) {
    if (folder.isEmpty())
        return GameFolderLayout::None;
    const QDir dir(folder);
    if (allFiles(dir, {"Bundle19.xom", "Bundle07.xom", "Bundle23.xom", "Bundle88.xom"}))
        return GameFolderLayout::Bundles;
    if (allFolders(dir, {"Custom", "ThemeArabian", "ThemeBuilding", "ThemeCamelot",
                         "ThemePrehistoric", "ThemeWildwest"}))
        return GameFolderLayout::Themes;
    if (allFiles(dir, {"A01.tga", "W68.tga"}))
        return GameFolderLayout::TgaFolder;
    return GameFolderLayout::None;
}

} // namespace lw

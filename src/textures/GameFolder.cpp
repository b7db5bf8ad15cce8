#include "textures/GameFolder.h"

#include <QDir>
#include <QFileInfo>

namespace lw {

namespace {

struct Layout {
    GameFolderLayout kind;
    bool folders; // the entries are folders, not files
    std::initializer_list<const char*> entries;
};

const Layout kLayouts[] = {
    {GameFolderLayout::Bundles,
     false,
     {"Bundle19.xom", "Bundle07.xom", "Bundle23.xom", "Bundle88.xom"}},
    {GameFolderLayout::Themes,
     true,
     {"Custom", "ThemeArabian", "ThemeBuilding", "ThemeCamelot", "ThemePrehistoric",
      "ThemeWildwest"}},
    {GameFolderLayout::TgaFolder, false, {"A01.tga", "W68.tga"}},
};

QStringList missing(const QDir& dir, const Layout& layout) {
    QStringList absent;
    for (const char* n : layout.entries) {
        const QFileInfo info(dir.filePath(QString::fromLatin1(n)));
        if (layout.folders ? !info.isDir() : !info.isFile())
            absent << QString::fromLatin1(n);
    }
    return absent;
}

} // namespace

GameFolderLayout detectGameFolderLayout(const QString& folder) {
    if (folder.isEmpty())
        return GameFolderLayout::None;
    const QDir dir(folder);
    for (const Layout& layout : kLayouts)
        if (missing(dir, layout).isEmpty())
            return layout.kind;
    return GameFolderLayout::None;
}

QStringList missingGameFolderEntries(const QString& folder) {
    if (detectGameFolderLayout(folder) != GameFolderLayout::None)
        return {};
    const QDir dir(folder);
    QStringList best;
    bool first = true;
    for (const Layout& layout : kLayouts) {
        QStringList absent = missing(dir, layout);
        if (first || absent.size() < best.size())
            best = absent;
        first = false;
    }
    return best;
}

} // namespace lw

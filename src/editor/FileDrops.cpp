#include "editor/FileDrops.h"

#include <QFileInfo>

namespace lw {

DroppedFileKind droppedFileKind(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("xom") || suffix == QLatin1String("xan"))
        return DroppedFileKind::Map;
    if (suffix == QLatin1String("txt"))
        return DroppedFileKind::TextureList;
    if (suffix == QLatin1String("3ds"))
        return DroppedFileKind::Model3ds;
    if (suffix == QLatin1String("hmp"))
        return DroppedFileKind::Heightmap;
    return DroppedFileKind::Other;
}

QStringList droppedLocalFiles(const QList<QUrl>& urls, int* others) {
    QStringList files;
    int notLocal = 0;
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files << url.toLocalFile();
        else
            ++notLocal;
    }
    if (others)
        *others = notLocal;
    return files;
}

} // namespace lw

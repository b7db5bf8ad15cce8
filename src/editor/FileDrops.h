#pragma once
// Files dropped onto the main window: what kind of file each one is, by its extension.

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace lw {

enum class DroppedFileKind {
    Map,         // .xom, .xan: opened as the edited map
    TextureList, // .txt: opened as the texture list
    Model3ds,    // .3ds: the 3DS import dialog with it
    Heightmap,   // .hmp: opened as the heightmap preview
    Other,       // refused
};

// By the extension, letter case ignored.
DroppedFileKind droppedFileKind(const QString& fileName);

// The dropped URLs that name local files; `others` counts those that do not (web addresses and
// the like).
QStringList droppedLocalFiles(const QList<QUrl>& urls, int* others = nullptr);

} // namespace lw

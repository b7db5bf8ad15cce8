#pragma once
// The three layouts of the game's data folders that the folder chooser accepts.

#include <QString>
#include <QStringList>

namespace lw {

enum class GameFolderLayout { None, Bundles, Themes, TgaFolder };

// First match wins: a bundle folder, a theme folder, then a folder of TGA files.
GameFolderLayout detectGameFolderLayout(const QString& folder);

// What `folder` lacks of the layout it comes closest to (the fewest missing entries; the
// bundle layout first on a tie), for telling the user why a folder was refused. Empty when
// the folder has one of the layouts.
QStringList missingGameFolderEntries(const QString& folder);

} // namespace lw

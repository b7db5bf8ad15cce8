#pragma once
// The three layouts of the game's data folders that the folder chooser accepts.

#include <QString>

namespace lw {

enum class GameFolderLayout { None, Bundles, Themes, TgaFolder };

// First match wins: a bundle folder, a theme folder, then a folder of TGA files.
GameFolderLayout detectGameFolderLayout(const QString& folder);

} // namespace lw

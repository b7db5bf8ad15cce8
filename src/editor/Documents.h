#pragma once
// The bookkeeping of the document commands that needs no window: the two recent-file lists,
// their menu captions, the window title, the save extension rule and the land libraries.

#include <QString>

#include <array>

namespace lw {

constexpr int kRecentCount = 5;

// Kinds of the recent lists, as the "Reopen" menu numbers them.
enum class RecentKind { TextureLists = 0, Maps = 1 };

// Five places, most recent first; empty strings are free places.
class RecentList {
public:
    // Moves `file` (in its canonical form) to the front (letter case ignored when looking for
    // it) or inserts it there; the sixth entry falls off.
    void add(const QString& file);
    const QString& at(int place) const { return entries_[static_cast<size_t>(place)]; }
    void set(int place, const QString& file) { entries_[static_cast<size_t>(place)] = file; }
    // Entries before the first free place.
    int filled() const;

private:
    std::array<QString, kRecentCount> entries_;
};

// Caption of a filled "Reopen" item: its number, a blank and the quoted path.
QString recentCaption(int number, const QString& file);
// Caption of an item not filled yet: "3 ----".
QString recentPlaceholder(int number);
// Settings value of a place (1-based): "PathMap_1" or "PathTList_1".
QString recentSettingName(RecentKind kind, int number);

// The absolute, canonical form of a file name, as every kept file name is stored: links and
// "." or ".." resolved, so that the name means the same file from any working folder. A file
// that does not exist yet gets its folder resolved. Empty stays empty.
QString canonicalFileName(const QString& fileName);

// "Landwright v.2.3 by Corvell - [demo.xom]".
QString mapWindowTitle(const QString& fileName);
// The name "Save map as..." writes: the extension (".xan" for the Kestrel filter, else ".xom")
// is appended when the file part has no dot.
QString savedMapFileName(const QString& chosen, bool kestrelFilter);
// The folder part of a path with its trailing separator, as the settings keep it.
QString folderOfFile(const QString& fileName);

// The bundle file of a land library ("War" -> "Bundle22.xom"); empty for another name.
QString bundleFileOfLand(const QString& land);

} // namespace lw

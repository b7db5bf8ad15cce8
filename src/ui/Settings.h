#pragma once
// The program's persistent settings: organisation "Corvell", application "Landwright", user
// scope. Values are read when needed and written at once, so nothing depends on a clean exit.
// Tests point QSettings at a private folder (QSettings::setPath) before touching any value.

#include <QSettings>
#include <QString>

#include <optional>

namespace lw {

// Value names, exactly as they are stored.
namespace settings {
inline constexpr char kPathMap[] = "PathMap";            // folder of the last opened map
inline constexpr char kPathMapPrefix[] = "PathMap_";     // recent maps, "PathMap_1".."PathMap_5"
inline constexpr char kPathTListPrefix[] = "PathTList_"; // recent texture lists, 1..5
inline constexpr char kPathTxt[] = "PathTxt";            // folder of texture lists
inline constexpr char kSavePath[] = "SavePath";          // folder of the last saved map
inline constexpr char kPathImportMap[] = "PathImportMap";
inline constexpr char kPathBundles[] = "PathBundles";         // the game's bundle folder
inline constexpr char kLangFile[] = "LangFile";               // language file path, or "Default"
inline constexpr char kStyle[] = "Style";                     // 1 Default, 2 System, 3 User
inline constexpr char kUserActiveColor[] = "UserActiveColor"; // 0x00BBGGRR
inline constexpr char kUserUnActiveColor[] = "UserUnActiveColor"; // 0x00BBGGRR
inline constexpr char kAutosaveInterval[] = "AutosaveInterval";   // seconds; 0 turns autosave off
// The choices of the import and export dialogs, kept from one opening to the next: each
// control's designer name under these groups ("Import3ds/SizeX").
inline constexpr char kImport3dsGroup[] = "Import3ds/";
inline constexpr char kExport3dsGroup[] = "Export3ds/";
inline constexpr char kHeightPictureGroup[] = "HeightPicture/";
} // namespace settings

class Settings {
public:
    Settings();

    bool contains(const QString& name) const;
    // The stored text; nothing when the value is absent.
    std::optional<QString> string(const QString& name) const;
    // The stored integer; nothing when the value is absent or does not hold an integer.
    std::optional<qint64> integer(const QString& name) const;

    // A number stored as text (every digit kept); nothing when absent or not a finite number.
    std::optional<double> number(const QString& name) const;

    // Writes and flushes at once.
    void setString(const QString& name, const QString& value);
    void setInteger(const QString& name, qint64 value);
    void setNumber(const QString& name, double value);

    // Where the values live (a file on most platforms); for messages and tests.
    QString location() const { return store_.fileName(); }

private:
    QSettings store_;
};

} // namespace lw

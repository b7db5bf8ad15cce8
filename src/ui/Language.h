#pragma once
// The interface language: the built-in English table, the table of the chosen language file and
// which of the two the user chose. Every interface text goes through `Language::text`.

#include "core/Result.h"
#include "ui/LangTable.h"

#include <QString>

#include <initializer_list>
#include <optional>

namespace lw {

class Settings;

// What a lookup returns when neither table has a text for the key.
inline constexpr char kMissingLangText[] = "Error lang text!";
// The "LangFile" value that stands for the built-in English texts.
inline constexpr char kDefaultLangFileValue[] = "Default";

class Language {
public:
    Language();

    // Rebuilds the built-in English table (done once by the constructor).
    void buildDefaultTable();
    // Replaces the language-file table by the file's lines. A file that cannot be read gives an
    // error and keeps the table in use.
    Status loadLanguageFile(const QString& path);
    bool hasLanguageTable() const { return fileTable_.has_value(); }

    // Mirrors the check of "Default (English)" in the language menu: while set, the language-file
    // table is bypassed but stays loaded.
    void setEnglishChosen(bool english) { englishChosen_ = english; }
    bool englishChosen() const { return englishChosen_; }

    // The text of `key`: from the default table when English is chosen or no file is loaded,
    // otherwise from the file with the default table filling missing or empty texts;
    // "Error lang text!" when both are silent.
    QString text(const QString& key) const;
    // The language file's own text of `key`: empty while English is chosen, without a file, or
    // when the file has no text for it (the built-in table is not consulted).
    QString fileText(const QString& key) const;

    const LangTable& defaultTable() const { return defaultTable_; }

private:
    LangTable defaultTable_;
    std::optional<LangTable> fileTable_;
    bool englishChosen_ = true;
};

// Start-up: reads "LangFile", rebuilds the default table and loads that file when it exists and
// can be read; otherwise English is chosen (an empty value, "Default", a missing or unreadable
// file). Returns true when the language file was loaded (the "Select..." item is checked).
bool startUpLanguage(Language& language, const Settings& settings);

// "Default (English)": stores "Default" as "LangFile" and bypasses the language-file table.
void chooseDefaultEnglish(Language& language, Settings& settings);

// A language file confirmed in the open dialog: loads it, and only when that succeeded stores its
// path as "LangFile" and selects it. On failure nothing changes and the error is returned.
Status chooseLanguageFile(Language& language, Settings& settings, const QString& path);

// The language of the running program, and the lookup every window uses.
Language& appLanguage();
QString langText(const QString& key);
inline QString langText(const char* key) {
    return langText(QString::fromUtf8(key));
}

// Fills the directives of a language text ("[%d] poxels have [%d] voxels", "Save changes to
// %s?") with `args` in order. The pattern may come from a language file, so it is filled
// without printf: each directive, whatever its letter, width or precision, takes the next
// argument; "%%" is a percent sign; directives beyond the arguments are dropped.
QString formatLangText(const QString& pattern, std::initializer_list<QString> args);
// "Undo STEP", "Redo STEP": the text of `key`, then the name of the step when there is one.
QString stepCaption(const char* key, const QString& step);

// A hint with the key that does the same: "Move (W)".
QString withKeyName(const QString& hint, const char* key);

} // namespace lw

#pragma once
// What Help opens. The manual is built into the program; a language file may name a help file
// of its own (a translated manual, say) with the line "[sHelpFileName]=FILE", which then opens
// in the system's viewer, and only such a file can be missing.

#include <QString>

namespace lw {

class Language;
class Settings;

// The key a language file names its help file with. It differs from "[sHelpfile]" (the message
// for a missing file) by more than letter case, which lookups ignore.
inline constexpr char kHelpFileNameKey[] = "[sHelpFileName]";

struct HelpChoice {
    enum class Kind {
        Manual,      // the built-in manual
        File,        // the language file's help file, which exists
        MissingFile, // the language file's help file, which is not there: "[sHelpfile]"
    };
    Kind kind = Kind::Manual;
    QString file; // for File and MissingFile: the absolute path
};

// A relative name is taken from the folder of the language file ("LangFile" of the settings).
HelpChoice chooseHelp(const Language& language, const Settings& settings);

} // namespace lw

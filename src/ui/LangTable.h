#pragma once
// Key-to-text tables of the interface: the built-in English table and a table loaded from a
// language file (".lng"). Keys keep their square brackets ("[sError]") and are compared without
// regard to letter case; blanks are significant, so "[sLayersMode ]" and "[sLayersMode]" differ.

#include "core/Result.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <span>

namespace lw {

// One assignment of the built-in table: key (with brackets) and English text.
struct LangAssignment {
    const char* key;
    const char* text;
};

inline constexpr std::size_t kDefaultLangAssignmentCount = 223;

// The built-in English assignments, in the order the default table is built.
std::span<const LangAssignment> defaultLangAssignments();
// The English texts of the editor's own commands, applied after those.
std::span<const LangAssignment> editorLangAssignments();

// An ordered list of "name=text" lines, looked up by name. The name is the text before the first
// "=", the text is the rest of the line; lines without "=" are kept but never answer a lookup.
class LangTable {
public:
    // The built-in English table: every default assignment applied in order, then the
    // editor's own.
    static LangTable defaultTable();
    // A table of the given lines, as read from a language file. Where a name occurs on several
    // lines, the first of them answers (the file is taken as it is).
    static LangTable fromLines(const QStringList& lines);

    // Sets the text of `key`: an existing line of that name (any letter case) gets the new text,
    // otherwise a line is appended.
    void set(const QString& key, const QString& text);
    // The text of `key`; empty when no line has that name.
    QString value(const QString& key) const;
    bool contains(const QString& key) const;

    // Number of lines, including those without "=".
    int lineCount() const { return static_cast<int>(lines_.size()); }
    const QStringList& lines() const { return lines_; }

private:
    void indexLine(int row);

    QStringList lines_;
    QHash<QString, int> index_; // case-folded name -> first line of that name
};

// Turns the bytes of a language file into text: UTF-8 when they are valid UTF-8 (a leading
// byte-order mark is dropped), otherwise Windows-1252, the 8-bit encoding such files come in.
QString decodeLangText(const QByteArray& bytes);

// Splits text into lines at CR LF, LF or CR; a final line break does not add an empty line.
QStringList splitLangLines(const QString& text);

// Reads a language file into a new table. A file that cannot be opened or read gives an error
// that names the file and the reason.
Result<LangTable> readLangFile(const QString& path);

} // namespace lw

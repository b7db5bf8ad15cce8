#pragma once
// Language files: decoded, split into lines and looked up for every key of the program; the
// texts that carry placeholders are filled in as the windows fill them.

#include "Fuzz.h"

#include "replace/Replacer.h"
#include "ui/LangTable.h"
#include "ui/Language.h"

#include <QByteArray>
#include <QString>

namespace lwfuzz {

inline void readLanguageFile(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = lw::splitLangLines(lw::decodeLangText(bytes));
    const lw::LangTable table = lw::LangTable::fromLines(lines);
    require(table.lineCount() == lines.size(), "every line is kept");
    for (const auto assignments : {lw::defaultLangAssignments(), lw::editorLangAssignments()}) {
        for (const lw::LangAssignment& a : assignments) {
            const QString key = QString::fromUtf8(a.key);
            const QString text = table.value(key);
            require(text.isEmpty() || table.contains(key), "a key that answers is contained");
            // The hover and log texts put numbers and names into translated patterns.
            (void)lw::formatChangeLine(text, 7, QStringLiteral("Rock %1"));
            (void)lw::formatLangText(text, {QStringLiteral("%2"), QString::number(7)});
            (void)QStringLiteral("%1 [%2]").arg(text, QString::number(7));
        }
    }
    // A table made from the file's lines, changed and looked up again.
    lw::LangTable copy = table;
    for (const QString& line : lines.mid(0, 50)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        copy.set(line.left(eq), QStringLiteral("x"));
        require(copy.value(line.left(eq)) == QStringLiteral("x"), "a text set is found");
    }
}

} // namespace lwfuzz

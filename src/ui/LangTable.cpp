#include "ui/LangTable.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace lw {

namespace {

// A language file holds a few hundred short lines; anything far larger is not one.
constexpr qint64 kMaxLangFileSize = 4 * 1024 * 1024;

QString foldKey(const QString& key) {
    return key.toCaseFolded();
}

// Name part of a line: the text before the first "=", or nothing for a line without one.
bool splitLine(const QString& line, QString* name, QString* text) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    if (name)
        *name = line.left(eq);
    if (text)
        *text = line.mid(eq + 1);
    return true;
}

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five bytes it leaves undefined map to
// the C1 control of the same number, as the Windows converter does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.append(b >= 0x80 && b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(char16_t(b)));
    }
    return out;
}

Error langFileError(const QString& path, const QString& reason) {
    return Error{"sLoadingError", "Error Loading Files!!!",
                 (path + QStringLiteral(": ") + reason).toStdString()};
}

} // namespace

LangTable LangTable::defaultTable() {
    LangTable table;
    for (auto assignments : {defaultLangAssignments(), editorLangAssignments()})
        for (const LangAssignment& a : assignments)
            table.set(QString::fromUtf8(a.key), QString::fromUtf8(a.text));
    return table;
}

LangTable LangTable::fromLines(const QStringList& lines) {
    LangTable table;
    table.lines_ = lines;
    for (int row = 0; row < table.lineCount(); ++row)
        table.indexLine(row);
    return table;
}

void LangTable::indexLine(int row) {
    QString name;
    if (!splitLine(lines_[row], &name, nullptr))
        return;
    const QString folded = foldKey(name);
    if (!index_.contains(folded)) // an earlier line of the same name answers first
        index_.insert(folded, row);
}

void LangTable::set(const QString& key, const QString& text) {
    const QString line = key + QLatin1Char('=') + text;
    const auto it = index_.constFind(foldKey(key));
    if (it != index_.constEnd()) {
        lines_[*it] = line;
        return;
    }
    lines_.append(line);
    index_.insert(foldKey(key), lineCount() - 1);
}

QString LangTable::value(const QString& key) const {
    const auto it = index_.constFind(foldKey(key));
    if (it == index_.constEnd())
        return {};
    QString text;
    splitLine(lines_[*it], nullptr, &text);
    return text;
}

bool LangTable::contains(const QString& key) const {
    return index_.contains(foldKey(key));
}

QString decodeLangText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decodeCp1252(bytes);
}

QStringList splitLangLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

Result<LangTable> readLangFile(const QString& path) {
    QFile file(path);
    const QFileInfo info(path);
    if (info.isDir())
        return langFileError(path, QStringLiteral("is a folder, not a language file"));
    // A FIFO or a device would keep the start-up waiting, or never end.
    if (info.exists() && !info.isFile())
        return langFileError(path, QStringLiteral("is not a regular file"));
    if (!file.open(QIODevice::ReadOnly))
        return langFileError(path, file.errorString());
    if (file.size() > kMaxLangFileSize)
        return langFileError(
            path, QStringLiteral("file too large for a language file (%1 bytes)").arg(file.size()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return langFileError(path, file.errorString());
    return LangTable::fromLines(splitLangLines(decodeLangText(bytes)));
}

} // namespace lw

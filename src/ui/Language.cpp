#include "ui/Language.h"

#include "ui/Settings.h"

#include <QFileInfo>

namespace lw {

Language::Language() {
    buildDefaultTable();
}

void Language::buildDefaultTable() {
    defaultTable_ = LangTable::defaultTable();
}

Status Language::loadLanguageFile(const QString& path) {
    Result<LangTable> table = readLangFile(path);
    if (!table)
        return table.error();
    fileTable_ = std::move(*table);
    return Ok{};
}

QString Language::text(const QString& key) const {
    QString result;
    if (!englishChosen_ && fileTable_)
        result = fileTable_->value(key);
    if (result.isEmpty())
        result = defaultTable_.value(key);
    if (result.isEmpty())
        result = QString::fromLatin1(kMissingLangText);
    return result;
}

QString Language::fileText(const QString& key) const {
    return !englishChosen_ && fileTable_ ? fileTable_->value(key) : QString();
}

bool startUpLanguage(Language& language, const Settings& settings) {
    const QString path =
        settings.string(QString::fromLatin1(settings::kLangFile)).value_or(QString());
    language.buildDefaultTable();
    // "Default" is only a file name by accident; it names English, whatever is in the folder.
    const bool wantFile =
        !path.isEmpty() && path != QLatin1String(kDefaultLangFileValue) && QFileInfo(path).isFile();
    const bool loaded = wantFile && language.loadLanguageFile(path).ok();
    language.setEnglishChosen(!loaded);
    return loaded;
}

void chooseDefaultEnglish(Language& language, Settings& settings) {
    settings.setString(QString::fromLatin1(settings::kLangFile),
                       QString::fromLatin1(kDefaultLangFileValue));
    language.setEnglishChosen(true);
}

Status chooseLanguageFile(Language& language, Settings& settings, const QString& path) {
    Status loaded = language.loadLanguageFile(path);
    if (!loaded)
        return loaded;
    settings.setString(QString::fromLatin1(settings::kLangFile), path);
    language.setEnglishChosen(false);
    return Ok{};
}

Language& appLanguage() {
    static Language language;
    return language;
}

QString langText(const QString& key) {
    return appLanguage().text(key);
}

QString formatLangText(const QString& pattern, std::initializer_list<QString> args) {
    auto next = args.begin();
    QString out;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != u'%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        if (pattern[i + 1] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        // Skips index, width and precision ("%-8.2d", "%0:s") up to the directive's letter.
        qsizetype j = i + 1;
        while (j < pattern.size() && !pattern[j].isLetter())
            ++j;
        if (j >= pattern.size()) {
            out += pattern.mid(i);
            break;
        }
        if (next != args.end())
            out += *next++;
        i = j;
    }
    return out;
}

QString stepCaption(const char* key, const QString& step) {
    return step.isEmpty() ? langText(key) : langText(key) + QLatin1Char(' ') + step;
}

QString withKeyName(const QString& hint, const char* key) {
    return hint + QStringLiteral(" (") + QString::fromLatin1(key) + QLatin1Char(')');
}

} // namespace lw

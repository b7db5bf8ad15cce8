#include "ui/HelpChoice.h"

#include "ui/Language.h"
#include "ui/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace lw {

HelpChoice chooseHelp(const Language& language, const Settings& settings) {
    const QString named = language.fileText(QString::fromLatin1(kHelpFileNameKey)).trimmed();
    if (named.isEmpty())
        return {};
    const QString languageFile =
        settings.string(QString::fromLatin1(settings::kLangFile)).value_or(QString());
    const QString file =
        QDir::cleanPath(QFileInfo(languageFile).absoluteDir().absoluteFilePath(named));
    return {QFileInfo(file).isFile() ? HelpChoice::Kind::File : HelpChoice::Kind::MissingFile,
            file};
}

} // namespace lw

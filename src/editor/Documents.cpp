#include "editor/Documents.h"

#include "ui/Version.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace lw {

void RecentList::add(const QString& name) {
    const QString file = canonicalFileName(name);
    int found = kRecentCount - 1; // absent: everything shifts and the last place falls off
    for (int i = 0; i < kRecentCount; ++i)
        if (entries_[static_cast<size_t>(i)].compare(file, Qt::CaseInsensitive) == 0) {
            found = i;
            break;
        }
    for (int i = found; i > 0; --i)
        entries_[static_cast<size_t>(i)] = std::move(entries_[static_cast<size_t>(i - 1)]);
    entries_[0] = file;
}

int RecentList::filled() const {
    int n = 0;
    while (n < kRecentCount && !entries_[static_cast<size_t>(n)].isEmpty())
        ++n;
    return n;
}

QString canonicalFileName(const QString& fileName) {
    if (fileName.isEmpty())
        return {};
    const QFileInfo info(fileName);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath())
                            : QDir(folder).filePath(info.fileName());
}

QString recentCaption(int number, const QString& file) {
    return QStringLiteral("%1 \"%2\"").arg(number).arg(file);
}

QString recentPlaceholder(int number) {
    return QStringLiteral("%1 ----").arg(number);
}

QString recentSettingName(RecentKind kind, int number) {
    return (kind == RecentKind::Maps ? QStringLiteral("PathMap_") : QStringLiteral("PathTList_")) +
           QString::number(number);
}

QString mapWindowTitle(const QString& fileName) {
    return QStringLiteral("%1 - [%2]")
        .arg(QString::fromLatin1(kAppTitle), QFileInfo(fileName).fileName());
}

QString savedMapFileName(const QString& chosen, bool kestrelFilter) {
    if (QFileInfo(chosen).fileName().contains(QLatin1Char('.')))
        return chosen;
    return chosen + (kestrelFilter ? QStringLiteral(".xan") : QStringLiteral(".xom"));
}

QString folderOfFile(const QString& fileName) {
    const QString folder = QFileInfo(fileName).absolutePath();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString bundleFileOfLand(const QString& land) {
    static const std::pair<const char*, const char*> table[] = {
        {"Pirate", "Bundle20.xom"}, {"War", "Bundle22.xom"},    {"England", "Bundle21.xom"},
        {"Horror", "Bundle19.xom"}, {"Arctic", "Bundle24.xom"}, {"Lunar", "Bundle23.xom"}};
    for (const auto& [name, file] : table)
        if (land == QLatin1String(name))
            return QString::fromLatin1(file);
    return {};
}

} // namespace lw

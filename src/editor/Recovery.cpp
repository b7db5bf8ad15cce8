#include "editor/Recovery.h"

#include "core/AtomicFile.h"
#include "core/MapReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QStandardPaths>

#include <algorithm>
#include <map>

namespace lw {

namespace {

const QString kPrefix = QStringLiteral("recovery-");
const QString kFormat = QStringLiteral("landwright-recovery-1");

std::string localName(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

} // namespace

QString defaultRecoveryFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("recovery"));
}

QByteArray encodeRecoveryInfo(const RecoveryInfo& info) {
    QJsonObject o;
    o[QStringLiteral("format")] = kFormat;
    o[QStringLiteral("file")] = info.fileName;
    o[QStringLiteral("saved")] = info.savedAt.toUTC().toString(Qt::ISODateWithMs);
    o[QStringLiteral("pid")] = info.pid;
    if (info.refused)
        o[QStringLiteral("refused")] = true;
    if (info.stamp && info.stamp->exists) {
        // 64-bit values as text: JSON numbers keep only 53 bits.
        QJsonObject disk;
        disk[QStringLiteral("size")] = QString::number(info.stamp->size);
        disk[QStringLiteral("mtime")] = QString::number(info.stamp->modifiedNs);
        disk[QStringLiteral("hash")] = QString::number(info.stamp->hash, 16);
        o[QStringLiteral("disk")] = disk;
    }
    return QJsonDocument(o).toJson();
}

std::optional<RecoveryInfo> decodeRecoveryInfo(const QByteArray& text) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    if (o.value(QStringLiteral("format")).toString() != kFormat)
        return std::nullopt;
    RecoveryInfo info;
    const QJsonValue file = o.value(QStringLiteral("file"));
    if (!file.isString())
        return std::nullopt;
    info.fileName = file.toString();
    info.savedAt = QDateTime::fromString(o.value(QStringLiteral("saved")).toString(), Qt::ISODate);
    if (!info.savedAt.isValid())
        return std::nullopt;
    info.pid = o.value(QStringLiteral("pid")).toInteger();
    info.refused = o.value(QStringLiteral("refused")).toBool(false);
    const QJsonObject disk = o.value(QStringLiteral("disk")).toObject();
    if (!disk.isEmpty()) {
        bool sizeOk = false, timeOk = false, hashOk = false;
        FileStamp stamp;
        stamp.exists = true;
        stamp.size = disk.value(QStringLiteral("size")).toString().toULongLong(&sizeOk);
        stamp.modifiedNs = disk.value(QStringLiteral("mtime")).toString().toLongLong(&timeOk);
        stamp.hash = disk.value(QStringLiteral("hash")).toString().toULongLong(&hashOk, 16);
        if (sizeOk && timeOk && hashOk)
            info.stamp = stamp;
    }
    return info;
}

RecoveryPaths RecoveryPaths::of(const QString& folder, const QString& sessionId) {
    const QDir dir(folder);
    const QString stem = kPrefix + sessionId;
    return {dir.filePath(stem + QStringLiteral(".xom")),
            dir.filePath(stem + QStringLiteral(".json")),
            dir.filePath(stem + QStringLiteral(".lock"))};
}

QString newRecoverySessionId() {
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
           QLatin1Char('-') + QString::number(QCoreApplication::applicationPid());
}

// ---- A copy left behind ---------------------------------------------------------------------

RecoveryEntry::RecoveryEntry(QString sessionId, RecoveryPaths paths, RecoveryInfo info,
                             bool sidecarRead, std::unique_ptr<QLockFile> claim)
    : sessionId_(std::move(sessionId)), paths_(std::move(paths)), info_(std::move(info)),
      sidecarRead_(sidecarRead), claim_(std::move(claim)) {}
RecoveryEntry::RecoveryEntry(RecoveryEntry&&) noexcept = default;
RecoveryEntry& RecoveryEntry::operator=(RecoveryEntry&&) noexcept = default;
RecoveryEntry::~RecoveryEntry() = default;

Result<std::unique_ptr<TPoxel>> RecoveryEntry::load(bool scratch) const {
    const QFileInfo file(paths_.copy);
    if (!file.isFile() || !file.isReadable())
        return badXomFormat(paths_.copy.toStdString() + ": the file cannot be read");
    if (scratch)
        return readMapFile(localName(paths_.copy), CounterMode::Band, kImportMapCounterBase);
    return readMapFile(localName(paths_.copy), CounterMode::Reset);
}

void RecoveryEntry::remove() {
    QFile::remove(paths_.copy);
    QFile::remove(paths_.sidecar);
    if (claim_)
        claim_->unlock(); // removes the lock file
    claim_.reset();
}

void RecoveryEntry::release() {
    if (claim_)
        claim_->unlock();
    claim_.reset();
}

void RecoveryEntry::markRefused() {
    info_.refused = true;
    if (!info_.savedAt.isValid())
        info_.savedAt = QFileInfo(paths_.copy).lastModified().toUTC();
    // A sidecar that cannot be written only means the question comes again next time.
    (void)writeFileAtomically(localName(paths_.sidecar), [&] {
        const QByteArray text = encodeRecoveryInfo(info_);
        return std::vector<uint8_t>(text.begin(), text.end());
    }());
}

// ---- Looking for them -----------------------------------------------------------------------

std::vector<RecoveryEntry> findLeftRecoveryCopies(const QString& folder,
                                                  const QString& ownSessionId) {
    std::vector<RecoveryEntry> found;
    const QDir dir(folder);
    if (!dir.exists())
        return found;
    // Session names from the copies and the sidecars (a lone sidecar is cleared away below).
    std::map<QString, bool> sessions;
    const QStringList names =
        dir.entryList({kPrefix + QStringLiteral("*.xom"), kPrefix + QStringLiteral("*.json"),
                       kPrefix + QStringLiteral("*.lock")},
                      QDir::Files);
    for (const QString& name : names) {
        const QString stem = QFileInfo(name).completeBaseName();
        sessions[stem.mid(kPrefix.size())] = true;
    }
    for (const auto& [id, unused] : sessions) {
        (void)unused;
        if (id.isEmpty() || id == ownSessionId)
            continue;
        RecoveryPaths paths = RecoveryPaths::of(folder, id);
        auto claim = std::make_unique<QLockFile>(paths.lock);
        // Only a dead owner makes a lock stale, however old it is: a session may run for days.
        claim->setStaleLockTime(0);
        if (!claim->tryLock(0))
            continue; // the session is still running (or the folder cannot be written)
        const QFileInfo copy(paths.copy);
        if (!copy.isFile()) {
            // Nothing left to recover (a lone sidecar, or the lock of a session killed before
            // its first copy): the claim's end removes the lock.
            QFile::remove(paths.sidecar);
            continue;
        }
        RecoveryInfo info;
        bool sidecarRead = false;
        QFile sidecar(paths.sidecar);
        if (sidecar.open(QIODevice::ReadOnly)) {
            // A sidecar is a few lines; anything large is not one of ours.
            if (auto decoded = decodeRecoveryInfo(sidecar.read(64 * 1024))) {
                info = *decoded;
                sidecarRead = true;
            }
        }
        if (info.refused)
            continue;
        if (!sidecarRead)
            info.savedAt = copy.lastModified().toUTC();
        found.emplace_back(id, std::move(paths), std::move(info), sidecarRead, std::move(claim));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const RecoveryEntry& a, const RecoveryEntry& b) {
                         return a.info().savedAt > b.info().savedAt;
                     });
    return found;
}

} // namespace lw

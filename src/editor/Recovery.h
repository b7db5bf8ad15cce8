#pragma once
// Recovery copies of the edited map. While a map has unsaved changes the editor writes a copy
// of it into a folder of its own (never over the user's file); each running session owns its
// copy through a lock file. A session that ends without removing its copy (it crashed or was
// killed) leaves it behind, and the next session offers it back.
//
// In the folder, one session "ID" keeps three files:
//   recovery-ID.xom   the copy, written by the map writer (atomically)
//   recovery-ID.json  the sidecar: the user's file the copy belongs to and when it was written
//   recovery-ID.lock  held while the session runs (QLockFile: a dead owner makes it stale)

#include "core/InputFile.h"
#include "core/Poxel.h"
#include "core/Result.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QLockFile;

namespace lw {

// The answer to "Recover unsaved changes to NAME from TIME?"; `Later` (the question was closed)
// keeps the copy for the next start.
enum class RecoveryAnswer { Recover, Discard, Later };

// "…/recovery" under the application's data folder (QStandardPaths::AppDataLocation).
QString defaultRecoveryFolder();

// What the sidecar of a copy records.
struct RecoveryInfo {
    QString fileName; // the user's file, absolute; empty for a map that was never saved
    // What the user's file was like when the map was read from it or last written to it, so
    // that saving the recovered map asks first when another program changed the file since.
    std::optional<FileStamp> stamp;
    QDateTime savedAt;    // when the copy was written (UTC)
    qint64 pid = 0;       // the session that wrote it, for the curious
    bool refused = false; // the copy could not be read once; it is kept but not offered again
};

QByteArray encodeRecoveryInfo(const RecoveryInfo& info);
// Nothing when the text is not a sidecar of ours.
std::optional<RecoveryInfo> decodeRecoveryInfo(const QByteArray& text);

// The paths of one session's files in `folder`.
struct RecoveryPaths {
    QString copy;
    QString sidecar;
    QString lock;
    static RecoveryPaths of(const QString& folder, const QString& sessionId);
};

// A new session name: the start time and the process id ("20240501-143210-4242").
QString newRecoverySessionId();

// A copy left behind by a session that no longer runs. Finding it claims it (its lock is
// taken), so two editors starting at once never both offer the same copy; the claim ends with
// the object.
class RecoveryEntry {
public:
    RecoveryEntry(QString sessionId, RecoveryPaths paths, RecoveryInfo info, bool sidecarRead,
                  std::unique_ptr<QLockFile> claim);
    RecoveryEntry(RecoveryEntry&&) noexcept;
    RecoveryEntry& operator=(RecoveryEntry&&) noexcept;
    ~RecoveryEntry();

    const QString& sessionId() const { return sessionId_; }
    const RecoveryPaths& paths() const { return paths_; }
    const RecoveryInfo& info() const { return info_; }
    // False when the sidecar was missing or unreadable (the name is then unknown and the time
    // is the copy's own).
    bool sidecarRead() const { return sidecarRead_; }

    // Decodes the copy. `scratch` decodes into the numbering band of a second document, for a
    // check that leaves the edited map's numbering alone; otherwise the numbering starts again
    // as when a map is opened.
    Result<std::unique_ptr<TPoxel>> load(bool scratch) const;
    // Removes the copy, its sidecar and the lock.
    void remove();
    // Ends the claim and leaves the copy for the next start.
    void release();
    // Keeps the copy on disk but marks it so that it is not offered again.
    void markRefused();

private:
    QString sessionId_;
    RecoveryPaths paths_;
    RecoveryInfo info_;
    bool sidecarRead_ = false;
    std::unique_ptr<QLockFile> claim_;
};

// The copies in `folder` whose session is gone, newest first, each one claimed. Copies of
// running sessions (their lock is held), of `ownSessionId`, and copies refused before are left
// out; a sidecar whose copy has gone, and the lock of a dead session without a copy, are
// cleared away.
std::vector<RecoveryEntry> findLeftRecoveryCopies(const QString& folder,
                                                  const QString& ownSessionId = {});

} // namespace lw

#pragma once
// Autosave: while the edited map has unsaved changes, a recovery copy of it is written every
// "AutosaveInterval" seconds (Recovery.h says where and how). The map is encoded on the
// user-interface thread, which is quick; writing the file (and waiting for the disk) happens on
// a worker thread, so a large map never stalls the window. The copy goes when it is no longer
// needed: the map was saved, or undone back to its saved state, or the session ends cleanly.

#include "editor/Recovery.h"

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <memory>
#include <mutex>
#include <optional>

class QLockFile;

namespace lw {

class MapDocument;
class Settings;

inline constexpr int kDefaultAutosaveSeconds = 120;
// The longest interval taken from the settings (a day).
inline constexpr int kMaxAutosaveSeconds = 24 * 60 * 60;

// The interval the settings hold: the default when the value is absent or not a number, 0 (off)
// for zero or a negative number, at most a day.
int autosaveIntervalSeconds(const Settings& settings);

class Autosaver : public QObject {
    Q_OBJECT

public:
    Autosaver(MapDocument& doc, QString folder, QObject* parent = nullptr);
    // A clean end: the session's copies are removed.
    ~Autosaver() override;

    const QString& folder() const { return folder_; }
    // Moves to another folder (the copy in the old one is removed first).
    void setFolder(const QString& folder);
    const QString& sessionId() const { return sessionId_; }
    RecoveryPaths paths() const { return RecoveryPaths::of(folder_, sessionId_); }

    // The interval in use, in seconds (0: off); read from the settings each time the timer is
    // armed, so a changed value counts from the next copy on.
    int intervalSeconds() const { return intervalSeconds_; }
    bool timerActive() const { return timer_.isActive(); }

    // Whether the map changed since the last copy was written.
    bool pending() const { return changed_; }
    // Writes a copy now if the map is modified and changed since the last one (the timer calls
    // this). Returns false when nothing was started: nothing to write, a write still running, or
    // the map cannot be encoded (reported by `failed`).
    bool writeNow();
    // Waits until the write in progress has finished and takes its outcome.
    void waitForWrites();
    // Whether this session has a copy on disk.
    bool hasCopy() const { return hasCopy_; }

    // A recovered map is the edited map now: its copy is this session's until the session
    // writes a newer copy of its own, or the copies are removed.
    void inherit(RecoveryEntry entry);
    // Removes this session's copies (its own and an inherited one) once they are not needed.
    // Recovered work that was never saved is not thrown away, even when the map is discarded
    // or the session ends: its copies stay on disk and are offered again at the next start.
    void removeCopies();

signals:
    void written(const QString& copyPath);
    void failed(const QString& message);

private:
    struct Outcome {
        int generation = 0;
        bool ok = false;
        QString message;
    };
    void onDocumentChanged();
    void keepCopiesForNextStart();
    void onModifiedChanged(bool modified);
    void rearm();
    void takeOutcome();
    bool ensureLock();

    MapDocument& doc_;
    QString folder_;
    QString sessionId_;
    QTimer timer_;
    int intervalSeconds_ = 0;
    bool changed_ = false;
    bool hasCopy_ = false;
    bool inFlight_ = false;
    // Bumped when copies are removed, so that the outcome of an older write is not taken for
    // a copy that still exists.
    int generation_ = 0;
    std::unique_ptr<QLockFile> lock_;
    std::optional<RecoveryEntry> inherited_;
    // Set from a recovery until the map is saved.
    bool recoveredUnsaved_ = false;
    int renewals_ = 0;

    QThreadPool pool_;
    std::mutex outcomeMutex_;
    std::optional<Outcome> outcome_;
};

} // namespace lw

#include "editor/Autosaver.h"

#include "core/AtomicFile.h"
#include "core/MapWriter.h"
#include "editor/MapDocument.h"
#include "ui/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>

#include <algorithm>

namespace lw {

namespace {

std::string localName(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

std::vector<uint8_t> bytesOf(const QByteArray& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

} // namespace

int autosaveIntervalSeconds(const Settings& settings) {
    const std::optional<qint64> value =
        settings.integer(QString::fromLatin1(settings::kAutosaveInterval));
    if (!value)
        return kDefaultAutosaveSeconds;
    if (*value <= 0)
        return 0;
    return int(std::min<qint64>(*value, kMaxAutosaveSeconds));
}

Autosaver::Autosaver(MapDocument& doc, QString folder, QObject* parent)
    : QObject(parent), doc_(doc), folder_(std::move(folder)), sessionId_(newRecoverySessionId()) {
    // One writer: copies are written in the order they were taken.
    pool_.setMaxThreadCount(1);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        writeNow();
        rearm();
    });
    connect(&doc_, &MapDocument::saved, this, [this] { recoveredUnsaved_ = false; });
    connect(&doc_, &MapDocument::modifiedChanged, this, &Autosaver::onModifiedChanged);
    // Every kind of change, merged edits included (they leave the history's index alone).
    connect(&doc_, &MapDocument::nodeChanged, this, &Autosaver::onDocumentChanged);
    connect(&doc_, &MapDocument::nodeInserted, this, &Autosaver::onDocumentChanged);
    connect(&doc_, &MapDocument::nodeAboutToBeRemoved, this, &Autosaver::onDocumentChanged);
    connect(&doc_, &MapDocument::documentReplaced, this, &Autosaver::onDocumentChanged);
    connect(&doc_, &MapDocument::fileNameChanged, this, &Autosaver::onDocumentChanged);
    connect(doc_.undoStack(), &QUndoStack::indexChanged, this, &Autosaver::onDocumentChanged);
    if (doc_.isModified()) {
        changed_ = true;
        rearm();
    }
}

Autosaver::~Autosaver() {
    removeCopies();
}

void Autosaver::setFolder(const QString& folder) {
    removeCopies();
    lock_.reset();
    folder_ = folder;
}

void Autosaver::onDocumentChanged() {
    changed_ = true;
    if (doc_.isModified())
        rearm();
}

void Autosaver::onModifiedChanged(bool modified) {
    if (modified) {
        changed_ = true;
        rearm();
        return;
    }
    // Saved, or back to the saved state: the user's file holds the map, no copy is needed.
    removeCopies();
    changed_ = false;
    timer_.stop();
}

void Autosaver::rearm() {
    intervalSeconds_ = autosaveIntervalSeconds(Settings());
    if (intervalSeconds_ == 0 || !doc_.isModified()) {
        timer_.stop();
        return;
    }
    if (!timer_.isActive())
        timer_.start(intervalSeconds_ * 1000);
}

bool Autosaver::ensureLock() {
    if (lock_)
        return true;
    if (!QDir().mkpath(folder_)) {
        emit failed(QStringLiteral("cannot create the folder '%1'").arg(folder_));
        return false;
    }
    auto lock = std::make_unique<QLockFile>(paths().lock);
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        emit failed(QStringLiteral("cannot take the lock '%1'").arg(paths().lock));
        return false;
    }
    lock_ = std::move(lock);
    return true;
}

bool Autosaver::writeNow() {
    takeOutcome();
    if (!doc_.isModified() || !changed_ || inFlight_)
        return false;
    // The tree may only be read on this thread: it is encoded here, and only the bytes go to
    // the worker.
    Result<std::vector<uint8_t>> encoded = encodeMap(*doc_.root());
    if (!encoded) {
        // Saving would refuse the same map; the next change tries again.
        changed_ = false;
        emit failed(QString::fromStdString(encoded.error().message()));
        return false;
    }
    if (!ensureLock())
        return false;
    RecoveryInfo info;
    info.fileName = doc_.fileName();
    if (doc_.diskStamp().exists)
        info.stamp = doc_.diskStamp();
    info.savedAt = QDateTime::currentDateTimeUtc();
    info.pid = QCoreApplication::applicationPid();
    changed_ = false;
    inFlight_ = true;
    const RecoveryPaths where = paths();
    const int generation = generation_;
    pool_.start([this, where, generation, bytes = std::move(encoded.value()),
                 sidecar = bytesOf(encodeRecoveryInfo(info))] {
        // The copy first: a session killed between the two writes leaves a good copy with the
        // previous (or no) sidecar, never a sidecar without its copy.
        Status status = writeFileAtomically(localName(where.copy), bytes);
        if (status)
            status = writeFileAtomically(localName(where.sidecar), sidecar);
        {
            const std::lock_guard<std::mutex> guard(outcomeMutex_);
            outcome_ =
                Outcome{generation, status.ok(),
                        status ? QString() : QString::fromStdString(status.error().message())};
        }
        QMetaObject::invokeMethod(
            this, [this] { takeOutcome(); }, Qt::QueuedConnection);
    });
    return true;
}

void Autosaver::waitForWrites() {
    pool_.waitForDone();
    takeOutcome();
}

void Autosaver::takeOutcome() {
    std::optional<Outcome> outcome;
    {
        const std::lock_guard<std::mutex> guard(outcomeMutex_);
        outcome.swap(outcome_);
    }
    if (!outcome)
        return;
    inFlight_ = false;
    if (outcome->generation != generation_)
        return;
    if (!outcome->ok) {
        changed_ = true; // try again at the next tick
        emit failed(outcome->message);
        return;
    }
    hasCopy_ = true;
    // The session's own copy is newer than the one it recovered from.
    if (inherited_) {
        inherited_->remove();
        inherited_.reset();
    }
    emit written(paths().copy);
}

void Autosaver::inherit(RecoveryEntry entry) {
    if (inherited_)
        inherited_->remove();
    inherited_.emplace(std::move(entry));
    recoveredUnsaved_ = true;
}

void Autosaver::keepCopiesForNextStart() {
    if (lock_) {
        lock_->unlock(); // the copy and its sidecar stay; the lock goes
        lock_.reset();
        // Later copies of this session must not overwrite the one left.
        sessionId_ = newRecoverySessionId() + QLatin1Char('-') + QString::number(++renewals_);
    }
    hasCopy_ = false;
    if (inherited_) {
        inherited_->release();
        inherited_.reset();
    }
    recoveredUnsaved_ = false;
}

void Autosaver::removeCopies() {
    waitForWrites();
    ++generation_;
    if (recoveredUnsaved_) {
        keepCopiesForNextStart();
        return;
    }
    // Whatever a failed write may have left, too.
    if (lock_) {
        const RecoveryPaths where = paths();
        QFile::remove(where.copy);
        QFile::remove(where.sidecar);
    }
    hasCopy_ = false;
    if (inherited_) {
        inherited_->remove();
        inherited_.reset();
    }
}

} // namespace lw

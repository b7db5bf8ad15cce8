// Recovery copies: the sidecar, finding the copies that sessions left behind (and only those),
// and the autosave that writes and removes them.

#include "editor/Recovery.h"
#include "editor/Autosaver.h"
#include "editor/MapDocument.h"

#include "core/MapGenerator.h"
#include "core/MapWriter.h"
#include "support/TestSupport.h"
#include "ui/Settings.h"

#include "../ui/SettingsSandbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace lw;
using namespace lwtest;

namespace {

// Queued notifications and timers need an application object.
void ensureApp() {
    static int argc = 1;
    static char name[] = "engine_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

std::vector<uint8_t> fileBytes(const QString& path) {
    return readBytes(path.toStdString());
}

std::optional<RecoveryInfo> sidecarOf(const RecoveryPaths& paths) {
    const auto b = fileBytes(paths.sidecar);
    return decodeRecoveryInfo(
        QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size())));
}

// The lock a session leaves when it is killed: taken by a process that is gone now.
void leaveDeadLock(const QString& lockPath) {
    const pid_t child = ::fork();
    if (child == 0) {
        QLockFile lock(lockPath);
        // _exit skips the destructor, as a kill does.
        ::_exit(lock.tryLock(0) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFile::exists(lockPath));
}

// A left copy of `root` from session `id`, belonging to `fileName`.
void leaveCopy(const QString& folder, const QString& id, const TPoxel& root,
               const QString& fileName, const QDateTime& when, bool withLock = true) {
    QDir().mkpath(folder);
    const RecoveryPaths paths = RecoveryPaths::of(folder, id);
    ASSERT_TRUE(WriteMapFile(root, paths.copy.toStdString()).ok());
    RecoveryInfo info;
    info.fileName = fileName;
    info.savedAt = when;
    info.pid = 4242;
    const QByteArray text = encodeRecoveryInfo(info);
    writeBytes(paths.sidecar.toStdString(), std::vector<uint8_t>(text.begin(), text.end()));
    if (withLock)
        leaveDeadLock(paths.lock);
}

const QDateTime kMorning = QDateTime(QDate(2024, 5, 1), QTime(9, 30), Qt::UTC);
const QDateTime kNoon = QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);

// ---- The sidecar ----------------------------------------------------------------------------

TEST(RecoveryInfo, RoundTripsTheFileNameTimeAndRefusal) {
    RecoveryInfo info;
    info.fileName = QStringLiteral("/maps/Ünder the hill.xom");
    info.savedAt = kNoon.addMSecs(123);
    info.pid = 77;
    const auto back = decodeRecoveryInfo(encodeRecoveryInfo(info));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->fileName, info.fileName);
    EXPECT_EQ(back->savedAt, info.savedAt);
    EXPECT_EQ(back->pid, 77);
    EXPECT_FALSE(back->refused);
    EXPECT_FALSE(back->stamp);
    // What the user's file was like, to the last bit of its 64-bit values.
    info.stamp = FileStamp{true, 123456789012ull, 1717171717123456789ll, 0xFEDCBA9876543210ull};
    EXPECT_EQ(decodeRecoveryInfo(encodeRecoveryInfo(info))->stamp, info.stamp);
    info.stamp.reset();
    info.refused = true;
    info.fileName.clear(); // a map never saved
    const auto refused = decodeRecoveryInfo(encodeRecoveryInfo(info));
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->refused);
    EXPECT_TRUE(refused->fileName.isEmpty());
}

TEST(RecoveryInfo, WhatIsNotOurSidecarIsRefused) {
    EXPECT_FALSE(decodeRecoveryInfo(""));
    EXPECT_FALSE(decodeRecoveryInfo("{\"file\": \"a.xom\"")); // cut short
    EXPECT_FALSE(decodeRecoveryInfo("[1, 2]"));               // not an object
    EXPECT_FALSE(decodeRecoveryInfo("{\"file\": \"a.xom\", \"saved\": \"2024-05-01T12:00:00Z\"}"))
        << "no format mark";
    EXPECT_FALSE(decodeRecoveryInfo("{\"format\": \"landwright-recovery-1\", \"file\": 5, "
                                    "\"saved\": \"2024-05-01T12:00:00Z\"}"));
    EXPECT_FALSE(decodeRecoveryInfo(
        "{\"format\": \"landwright-recovery-1\", \"file\": \"a.xom\", \"saved\": \"noon\"}"));
}

// ---- Finding the copies left behind ---------------------------------------------------------

class LeftCopies : public ::testing::Test {
protected:
    QString folder() const { return qpath(dir_ / "recovery"); }
    TempDir dir_;
};

TEST_F(LeftCopies, NoFolderMeansNothingToRecover) {
    EXPECT_TRUE(findLeftRecoveryCopies(folder()).empty());
    EXPECT_FALSE(QDir(folder()).exists()) << "looking creates nothing";
}

TEST_F(LeftCopies, ACopyOfADeadSessionIsFoundWithItsNameAndTimeAndClaimed) {
    const auto demo = makeDemoMap();
    leaveCopy(folder(), QStringLiteral("A"), *demo, QStringLiteral("/maps/demo.xom"), kNoon);
    {
        std::vector<RecoveryEntry> found = findLeftRecoveryCopies(folder());
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].sessionId(), "A");
        EXPECT_TRUE(found[0].sidecarRead());
        EXPECT_EQ(found[0].info().fileName, "/maps/demo.xom");
        EXPECT_EQ(found[0].info().savedAt, kNoon);
        const auto loaded = found[0].load(true);
        ASSERT_TRUE(loaded.ok());
        EXPECT_EQ(mapBytes(*loaded.value()), mapBytes(*demo));
        // While claimed, another editor starting now does not offer it as well.
        EXPECT_TRUE(findLeftRecoveryCopies(folder()).empty());
    }
    EXPECT_EQ(findLeftRecoveryCopies(folder()).size(), 1u) << "the claim ended with the entry";
}

TEST_F(LeftCopies, TheCopiesOfRunningSessionsAndOurOwnAreLeftAlone) {
    const auto demo = makeDemoMap();
    leaveCopy(folder(), QStringLiteral("Live"), *demo, QString(), kNoon, false);
    QLockFile live(RecoveryPaths::of(folder(), QStringLiteral("Live")).lock);
    live.setStaleLockTime(0);
    ASSERT_TRUE(live.tryLock(0));
    leaveCopy(folder(), QStringLiteral("Mine"), *demo, QString(), kNoon);
    EXPECT_TRUE(findLeftRecoveryCopies(folder(), QStringLiteral("Mine")).empty());
    live.unlock();
    // A session that ended without its lock (the lock file went too) left its copy.
    std::vector<RecoveryEntry> found = findLeftRecoveryCopies(folder(), QStringLiteral("Mine"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].sessionId(), "Live");
}

TEST_F(LeftCopies, NewestFirstAndAMissingSidecarStillOffersTheCopy) {
    const auto demo = makeDemoMap();
    const auto empty = newMapRoot();
    leaveCopy(folder(), QStringLiteral("Old"), *demo, QStringLiteral("/maps/old.xom"), kMorning);
    leaveCopy(folder(), QStringLiteral("New"), *demo, QStringLiteral("/maps/new.xom"), kNoon);
    leaveCopy(folder(), QStringLiteral("Bare"), *empty, QString(), kNoon);
    QFile::remove(RecoveryPaths::of(folder(), QStringLiteral("Bare")).sidecar);
    QFile bare(RecoveryPaths::of(folder(), QStringLiteral("Bare")).copy);
    ASSERT_TRUE(bare.open(QIODevice::ReadWrite));
    ASSERT_TRUE(bare.setFileTime(kMorning.addSecs(-3600), QFileDevice::FileModificationTime));
    bare.close();
    std::vector<RecoveryEntry> found = findLeftRecoveryCopies(folder());
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].sessionId(), "New");
    EXPECT_EQ(found[1].sessionId(), "Old");
    EXPECT_EQ(found[2].sessionId(), "Bare");
    EXPECT_FALSE(found[2].sidecarRead());
    EXPECT_TRUE(found[2].info().fileName.isEmpty());
    EXPECT_EQ(found[2].info().savedAt, kMorning.addSecs(-3600)) << "the copy's own time";
}

TEST_F(LeftCopies, ARefusedCopyStaysOnDiskAndIsNotOfferedAgain) {
    leaveCopy(folder(), QStringLiteral("Bad"), *makeDemoMap(), QStringLiteral("/maps/demo.xom"),
              kNoon);
    const RecoveryPaths paths = RecoveryPaths::of(folder(), QStringLiteral("Bad"));
    // Damaged: cut in the middle.
    std::vector<uint8_t> bytes = fileBytes(paths.copy);
    bytes.resize(bytes.size() / 2);
    writeBytes(paths.copy.toStdString(), bytes);
    {
        std::vector<RecoveryEntry> found = findLeftRecoveryCopies(folder());
        ASSERT_EQ(found.size(), 1u);
        const auto loaded = found[0].load(true);
        ASSERT_FALSE(loaded.ok());
        EXPECT_EQ(loaded.error().key, "sBadXomFormatFile");
        found[0].markRefused();
    }
    EXPECT_TRUE(findLeftRecoveryCopies(folder()).empty());
    EXPECT_EQ(fileBytes(paths.copy), bytes) << "left for the user as it was";
    const auto info = sidecarOf(paths);
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->refused);
    EXPECT_EQ(info->fileName, "/maps/demo.xom") << "what the copy belongs to is kept";
}

TEST_F(LeftCopies, RemovingTakesAllThreeFilesAndALoneSidecarOrLockIsClearedAway) {
    leaveCopy(folder(), QStringLiteral("A"), *makeDemoMap(), QString(), kNoon);
    leaveCopy(folder(), QStringLiteral("B"), *makeDemoMap(), QString(), kNoon);
    QFile::remove(RecoveryPaths::of(folder(), QStringLiteral("B")).copy);
    // A session killed before its first copy leaves only its lock.
    leaveDeadLock(RecoveryPaths::of(folder(), QStringLiteral("C")).lock);
    {
        std::vector<RecoveryEntry> found = findLeftRecoveryCopies(folder());
        ASSERT_EQ(found.size(), 1u);
        found[0].remove();
    }
    EXPECT_TRUE(QDir(folder()).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << QDir(folder()).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
}

TEST_F(LeftCopies, AnEmptyOrForeignCopyIsRefusedWhenLoaded) {
    QDir().mkpath(folder());
    const RecoveryPaths paths = RecoveryPaths::of(folder(), QStringLiteral("Z"));
    writeBytes(paths.copy.toStdString(), {});
    std::vector<RecoveryEntry> found = findLeftRecoveryCopies(folder());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_FALSE(found[0].load(true).ok());
    writeBytes(paths.copy.toStdString(), {'M', 'O', 'I', 'K', 1, 2, 3});
    EXPECT_FALSE(found[0].load(false).ok());
}

// ---- The interval ---------------------------------------------------------------------------

TEST(AutosaveInterval, DefaultOffAndLimits) {
    SettingsSandbox sandbox;
    Settings settings;
    const QString name = QString::fromLatin1(settings::kAutosaveInterval);
    EXPECT_EQ(autosaveIntervalSeconds(settings), 120);
    settings.setInteger(name, 5);
    EXPECT_EQ(autosaveIntervalSeconds(settings), 5);
    settings.setInteger(name, 0);
    EXPECT_EQ(autosaveIntervalSeconds(settings), 0);
    settings.setInteger(name, -30);
    EXPECT_EQ(autosaveIntervalSeconds(settings), 0) << "a negative interval turns it off too";
    settings.setString(name, QStringLiteral("often"));
    EXPECT_EQ(autosaveIntervalSeconds(settings), 120);
    settings.setInteger(name, 10'000'000'000LL);
    EXPECT_EQ(autosaveIntervalSeconds(settings), kMaxAutosaveSeconds);
}

// ---- Autosave -------------------------------------------------------------------------------

class AutosaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApp();
        userFile_ = qpath(dir_ / "demo.xom");
        ASSERT_TRUE(WriteMapFile(*makeDemoMap(), userFile_.toStdString()).ok());
        userBytes_ = fileBytes(userFile_);
        ASSERT_TRUE(doc_.openMap(userFile_).ok());
    }
    QString folder() const { return qpath(dir_ / "recovery"); }
    TPoxel* island() { return doc_.root()->Children[0].get(); }
    void edit(float dx = 1.0f) {
        ASSERT_TRUE(doc_.editNode(*island(), QStringLiteral("Position X"), NodeChange::Transform,
                                  [dx](PoxelContent& c) { c.Pos.X += dx; }));
    }
    QStringList files() const {
        return QDir(folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    SettingsSandbox sandbox_;
    TempDir dir_;
    QString userFile_;
    std::vector<uint8_t> userBytes_;
    MapDocument doc_;
};

TEST_F(AutosaveTest, AModifiedMapIsCopiedBesideItsNameAndNeverOverTheUsersFile) {
    Autosaver saver(doc_, folder());
    // Nothing is written for a map without changes.
    EXPECT_FALSE(saver.writeNow());
    EXPECT_FALSE(QDir(folder()).exists());
    EXPECT_FALSE(saver.timerActive());
    QStringList written;
    QObject::connect(&saver, &Autosaver::written, [&](const QString& p) { written << p; });
    edit();
    EXPECT_TRUE(saver.timerActive()) << "armed by the first change";
    EXPECT_EQ(saver.intervalSeconds(), 120);
    ASSERT_TRUE(saver.writeNow());
    saver.waitForWrites();
    EXPECT_TRUE(saver.hasCopy());
    EXPECT_EQ(written, QStringList{saver.paths().copy});
    EXPECT_EQ(fileBytes(saver.paths().copy), mapBytes(*doc_.root()));
    EXPECT_EQ(fileBytes(userFile_), userBytes_) << "the user's file is untouched";
    std::vector<RecoveryEntry> none = findLeftRecoveryCopies(folder());
    EXPECT_TRUE(none.empty()) << "a running session's copy is not left behind";
    const auto info = sidecarOf(saver.paths());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->fileName, userFile_);
    EXPECT_LE(qAbs(info->savedAt.secsTo(QDateTime::currentDateTimeUtc())), 60);
    EXPECT_EQ(info->pid, QCoreApplication::applicationPid());

    EXPECT_FALSE(saver.writeNow()) << "no change since the copy";
    edit();
    ASSERT_TRUE(saver.writeNow());
    saver.waitForWrites();
    EXPECT_EQ(fileBytes(saver.paths().copy), mapBytes(*doc_.root())) << "the newer copy";
}

TEST_F(AutosaveTest, SavingOrUndoingBackToTheSavedMapRemovesTheCopy) {
    Autosaver saver(doc_, folder());
    edit();
    ASSERT_TRUE(saver.writeNow());
    saver.waitForWrites();
    ASSERT_TRUE(QFile::exists(saver.paths().copy));
    doc_.undoStack()->undo();
    EXPECT_FALSE(QFile::exists(saver.paths().copy));
    EXPECT_FALSE(QFile::exists(saver.paths().sidecar));
    EXPECT_FALSE(saver.writeNow());

    doc_.undoStack()->redo();
    ASSERT_TRUE(saver.writeNow()); // a write still under way when the save comes
    ASSERT_TRUE(doc_.saveMap(userFile_).ok());
    EXPECT_FALSE(QFile::exists(saver.paths().copy));
    EXPECT_FALSE(QFile::exists(saver.paths().sidecar));
    EXPECT_FALSE(saver.timerActive());
}

TEST_F(AutosaveTest, ACleanEndLeavesNoFileBehind) {
    {
        Autosaver saver(doc_, folder());
        edit();
        ASSERT_TRUE(saver.writeNow());
        // Ends while the write may still be under way.
    }
    EXPECT_TRUE(files().isEmpty()) << files().join(' ').toStdString();
}

TEST_F(AutosaveTest, AKilledSessionsCopyIsFoundByTheNextOne) {
    // What a kill leaves: the copy, the sidecar and a lock whose owner is gone.
    Autosaver saver(doc_, folder());
    edit(7.0f);
    ASSERT_TRUE(saver.writeNow());
    saver.waitForWrites();
    const RecoveryPaths paths = saver.paths();
    const QString copy = QDir(dir_.path().c_str()).filePath(QStringLiteral("kept.xom"));
    const QString sidecar = QDir(dir_.path().c_str()).filePath(QStringLiteral("kept.json"));
    ASSERT_TRUE(QFile::copy(paths.copy, copy));
    ASSERT_TRUE(QFile::copy(paths.sidecar, sidecar));
    const std::vector<uint8_t> edited = mapBytes(*doc_.root());
    saver.setFolder(qpath(dir_ / "elsewhere"));
    ASSERT_TRUE(QFile::copy(copy, paths.copy));
    ASSERT_TRUE(QFile::copy(sidecar, paths.sidecar));
    leaveDeadLock(paths.lock);

    std::vector<RecoveryEntry> found = findLeftRecoveryCopies(folder());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].info().fileName, userFile_);
    const auto loaded = found[0].load(false);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(mapBytes(*loaded.value()), edited) << "the map holds the edit";
}

TEST_F(AutosaveTest, AnInheritedCopyGoesOnceTheSessionHasANewerOne) {
    leaveCopy(folder(), QStringLiteral("Old"), *makeDemoMap(), userFile_, kNoon);
    std::vector<RecoveryEntry> found = findLeftRecoveryCopies(folder());
    ASSERT_EQ(found.size(), 1u);
    const RecoveryPaths old = found[0].paths();
    doc_.adoptMap(std::move(found[0].load(false).value()), userFile_, true);
    Autosaver saver(doc_, folder());
    saver.inherit(std::move(found[0]));
    EXPECT_TRUE(QFile::exists(old.copy)) << "kept until the session has its own copy";
    ASSERT_TRUE(saver.writeNow());
    saver.waitForWrites();
    EXPECT_FALSE(QFile::exists(old.copy));
    EXPECT_FALSE(QFile::exists(old.sidecar));
    EXPECT_FALSE(QFile::exists(old.lock));
    EXPECT_TRUE(QFile::exists(saver.paths().copy));
}

TEST_F(AutosaveTest, RecoveredWorkNeverSavedStaysForTheNextStartWhateverBecomesOfIt) {
    for (const bool ownCopy : {false, true}) {
        SCOPED_TRACE(ownCopy ? "after a copy of its own" : "as recovered");
        leaveCopy(folder(), QStringLiteral("Old"), *makeDemoMap(), userFile_, kNoon);
        std::vector<RecoveryEntry> found = findLeftRecoveryCopies(folder());
        ASSERT_EQ(found.size(), 1u);
        doc_.adoptMap(std::move(found[0].load(false).value()), userFile_, true);
        {
            Autosaver saver(doc_, folder());
            saver.inherit(std::move(found[0]));
            if (ownCopy) {
                edit();
                ASSERT_TRUE(saver.writeNow());
                saver.waitForWrites();
            }
            doc_.newMap(); // the recovered work discarded
            EXPECT_EQ(findLeftRecoveryCopies(folder()).size(), 1u) << "kept, and no longer claimed";
            // New work of the session must not write over the copy kept.
            doc_.addPoxel(*doc_.root());
            ASSERT_TRUE(saver.writeNow());
            saver.waitForWrites();
        }
        std::vector<RecoveryEntry> again = findLeftRecoveryCopies(folder());
        ASSERT_EQ(again.size(), 1u) << files().join(' ').toStdString();
        again[0].remove();
        ASSERT_TRUE(doc_.openMap(userFile_).ok());
    }
    // Saved, it has done its work and goes.
    leaveCopy(folder(), QStringLiteral("Old"), *makeDemoMap(), userFile_, kNoon);
    std::vector<RecoveryEntry> found = findLeftRecoveryCopies(folder());
    doc_.adoptMap(std::move(found[0].load(false).value()), userFile_, true);
    Autosaver saver(doc_, folder());
    saver.inherit(std::move(found[0]));
    ASSERT_TRUE(doc_.saveMap(userFile_).ok());
    EXPECT_TRUE(files().isEmpty()) << files().join(' ').toStdString();
}

TEST_F(AutosaveTest, AFailedWriteIsReportedAndTriedAgain) {
    // A file where the folder should be: nothing can be written.
    writeBytes(dir_ / "recovery", {'x'});
    Autosaver saver(doc_, folder());
    QStringList failures;
    QObject::connect(&saver, &Autosaver::failed, [&](const QString& m) { failures << m; });
    edit();
    EXPECT_FALSE(saver.writeNow());
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(folder())) << failures[0].toStdString();
    EXPECT_TRUE(saver.pending()) << "still to be written";
    QFile::remove(folder());
    ASSERT_TRUE(saver.writeNow());
    saver.waitForWrites();
    EXPECT_TRUE(saver.hasCopy());
}

TEST_F(AutosaveTest, AMapTheWriterRefusesIsReportedOnce) {
    Autosaver saver(doc_, folder());
    QStringList failures;
    QObject::connect(&saver, &Autosaver::failed, [&](const QString& m) { failures << m; });
    // Wider than a record can say.
    ASSERT_TRUE(doc_.editNode(*island(), QStringLiteral("Size"), NodeChange::Geometry,
                              [](PoxelContent& c) { c.NX = 300; }));
    EXPECT_FALSE(saver.writeNow());
    ASSERT_EQ(failures.size(), 1);
    EXPECT_FALSE(saver.writeNow()) << "not again until the next change";
    EXPECT_EQ(failures.size(), 1);
    EXPECT_FALSE(QFile::exists(saver.paths().copy));
}

TEST_F(AutosaveTest, TheTimerWritesAtTheIntervalOfTheSettings) {
    const QString interval = QString::fromLatin1(settings::kAutosaveInterval);
    Settings().setInteger(interval, 0);
    {
        Autosaver off(doc_, folder());
        edit();
        EXPECT_FALSE(off.timerActive()) << "a zero interval turns autosave off";
    }
    Settings().setInteger(interval, 1);
    Autosaver saver(doc_, folder());
    edit();
    EXPECT_EQ(saver.intervalSeconds(), 1);
    QElapsedTimer timer;
    timer.start();
    while (!saver.hasCopy() && timer.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(saver.hasCopy());
    EXPECT_EQ(fileBytes(saver.paths().copy), mapBytes(*doc_.root()));
}

} // namespace

// Crash recovery in the window: the question at start-up, a recovered map that is modified
// under the user's file name and saves there, refused and discarded copies, a clean end; and
// the editor itself killed in the middle of work and started again.

#include "MainFormFixture.h"

#include "core/MapReader.h"
#include "editor/Autosaver.h"
#include "editor/gui/PoxelTree.h"
#include "ui/Settings.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeWidget>

#include <sys/wait.h>
#include <unistd.h>

using namespace lw;
using namespace lwtest;

namespace {

// The lock a killed session leaves: its owner is gone.
void leaveDeadLock(const QString& lockPath) {
    const pid_t child = ::fork();
    if (child == 0) {
        QLockFile lock(lockPath);
        ::_exit(lock.tryLock(0) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

class Recovery : public MainFormFixture {
protected:
    void SetUp() override {
        MainFormFixture::SetUp();
        folder_ = qpath(dir_ / "recovery");
        form_->setRecoveryFolder(folder_);
        form_->dialogs().askRecover = [this](QWidget*, const QString& title, const QString& text) {
            questions_ << title + QStringLiteral("|") + text;
            return answer_;
        };
        saveAnswer_ = QMessageBox::Save;
    }

    // A copy of the demo map with one edit, left by a session that was killed.
    QString leaveEditedCopy(const QString& id, const QString& fileName,
                            QDateTime savedAt = QDateTime(QDate(2024, 5, 1), QTime(14, 32),
                                                          Qt::UTC)) {
        auto root = makeDemoMap();
        root->Children[0]->Pos.X += 5.0f;
        edited_ = lwtest::mapBytes(*root);
        QDir().mkpath(folder_);
        const RecoveryPaths paths = RecoveryPaths::of(folder_, id);
        EXPECT_TRUE(WriteMapFile(*root, paths.copy.toStdString()).ok());
        RecoveryInfo info;
        info.fileName = fileName;
        info.savedAt = savedAt;
        const QByteArray text = encodeRecoveryInfo(info);
        writeBytes(paths.sidecar.toStdString(), std::vector<uint8_t>(text.begin(), text.end()));
        leaveDeadLock(paths.lock);
        return paths.copy;
    }
    QStringList folderFiles() const {
        return QDir(folder_).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QString folder_;
    QStringList questions_;
    RecoveryAnswer answer_ = RecoveryAnswer::Recover;
    std::vector<uint8_t> edited_;
};

TEST_F(Recovery, ARecoveredMapIsModifiedUnderTheUsersFileAndSavingWritesThatFile) {
    const std::vector<uint8_t> userBytes = readBytes(demoPath_.toStdString());
    const QString copy = leaveEditedCopy(QStringLiteral("K"), demoPath_);
    ASSERT_TRUE(form_->offerRecovery());
    ASSERT_EQ(questions_.size(), 1);
    EXPECT_TRUE(questions_[0].startsWith("Recover Unsaved Changes|Recover unsaved changes to "
                                         "demo.xom from "))
        << questions_[0].toStdString();
    EXPECT_TRUE(questions_[0].endsWith("?"));
    EXPECT_EQ(mapBytes(), edited_) << "the map holds the edit";
    EXPECT_TRUE(form_->document().isModified());
    EXPECT_EQ(form_->document().fileName(), demoPath_);
    EXPECT_EQ(shownTitle(*form_), QStringLiteral("Landwright v.2.3 by Corvell - [demo.xom]*"));
    EXPECT_EQ(form_->TreeView1->topLevelItem(0)->childCount(), 2) << "the tree shows the map";
    EXPECT_EQ(readBytes(demoPath_.toStdString()), userBytes) << "not written before a save";
    EXPECT_TRUE(QFile::exists(copy)) << "kept until the work is safe";

    // Leaving asks, and "Save" writes the user's own file.
    ASSERT_TRUE(form_->maybeSave());
    ASSERT_EQ(saveQuestions_, QStringList{"Save changes to demo.xom?"});
    EXPECT_EQ(readBytes(demoPath_.toStdString()), edited_);
    EXPECT_FALSE(form_->document().isModified());
    EXPECT_TRUE(folderFiles().isEmpty()) << folderFiles().join(' ').toStdString();
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
}

TEST_F(Recovery, AnUntitledMapComesBackUntitledAndModified) {
    leaveEditedCopy(QStringLiteral("U"), QString());
    ASSERT_TRUE(form_->offerRecovery());
    ASSERT_EQ(questions_.size(), 1);
    EXPECT_TRUE(questions_[0].contains("Recover unsaved changes to Untitled from "));
    EXPECT_TRUE(form_->document().fileName().isEmpty());
    EXPECT_TRUE(form_->document().isModified());
    EXPECT_EQ(mapBytes(), edited_);
}

TEST_F(Recovery, DiscardRemovesTheCopyAndKeepsTheEmptyMap) {
    leaveEditedCopy(QStringLiteral("D"), demoPath_);
    const std::vector<uint8_t> before = mapBytes();
    answer_ = RecoveryAnswer::Discard;
    EXPECT_FALSE(form_->offerRecovery());
    EXPECT_EQ(questions_.size(), 1);
    EXPECT_EQ(mapBytes(), before);
    EXPECT_FALSE(form_->document().isModified());
    EXPECT_TRUE(folderFiles().isEmpty()) << folderFiles().join(' ').toStdString();
    // Nothing left behind: nothing is asked.
    questions_.clear();
    EXPECT_FALSE(form_->offerRecovery());
    EXPECT_TRUE(questions_.isEmpty()) << "not asked again";
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(Recovery, AClosedQuestionKeepsTheCopyForTheNextStart) {
    const QString copy = leaveEditedCopy(QStringLiteral("L"), demoPath_);
    answer_ = RecoveryAnswer::Later;
    EXPECT_FALSE(form_->offerRecovery());
    EXPECT_TRUE(QFile::exists(copy));
    answer_ = RecoveryAnswer::Recover;
    EXPECT_TRUE(form_->offerRecovery());
    EXPECT_EQ(questions_.size(), 2);
}

TEST_F(Recovery, ADamagedCopyIsRefusedWithAMessageAndLeftOnDisk) {
    const QString copy = leaveEditedCopy(QStringLiteral("X"), demoPath_);
    std::vector<uint8_t> damaged = readBytes(copy.toStdString());
    for (size_t i = damaged.size() / 3; i < damaged.size(); ++i)
        damaged[i] = 0xff;
    writeBytes(copy.toStdString(), damaged);
    const std::vector<uint8_t> before = mapBytes();
    EXPECT_FALSE(form_->offerRecovery());
    EXPECT_TRUE(questions_.isEmpty()) << "a copy that cannot come back is not offered";
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith("Error|The recovery copy of demo.xom from "))
        << errors_[0].toStdString();
    EXPECT_TRUE(errors_[0].contains(copy)) << "says where the copy is";
    EXPECT_TRUE(errors_[0].contains("Bad Xom Format File!")) << errors_[0].toStdString();
    EXPECT_EQ(readBytes(copy.toStdString()), damaged) << "left on disk as it was";
    EXPECT_EQ(mapBytes(), before) << "the open map is unchanged";
    EXPECT_FALSE(form_->document().isModified());
    errors_.clear();
    EXPECT_FALSE(form_->offerRecovery());
    EXPECT_TRUE(errors_.isEmpty()) << "refused once, not every start";
    EXPECT_TRUE(QFile::exists(copy));
}

TEST_F(Recovery, OnlyTheNewestIsRecoveredAndTheOthersWait) {
    const QString old = leaveEditedCopy(QStringLiteral("Old"), writeMap("old.xom"));
    leaveEditedCopy(QStringLiteral("New"), demoPath_,
                    QDateTime(QDate(2024, 5, 2), QTime(8, 0), Qt::UTC));
    ASSERT_TRUE(form_->offerRecovery());
    ASSERT_EQ(questions_.size(), 1);
    EXPECT_TRUE(questions_[0].contains("demo.xom"));
    EXPECT_TRUE(QFile::exists(old)) << "offered at the next start";
}

TEST_F(Recovery, EscapeOnTheQuestionDecidesNothing) {
    const QString copy = leaveEditedCopy(QStringLiteral("E"), demoPath_);
    form_->dialogs().askRecover = nullptr; // the real question box
    bool pressed = false;
    QTimer::singleShot(100, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_TRUE(box);
        keyClick(box, Qt::Key_Escape);
        pressed = true;
    });
    EXPECT_FALSE(form_->offerRecovery());
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(QFile::exists(copy)) << "kept for the next start";
    EXPECT_FALSE(form_->document().isModified());
}

TEST_F(Recovery, AMapNamedAtStartWaitsUntilTheRecoveredWorkIsSaved) {
    const QString other = writeMap("other.xom");
    const QString copy = leaveEditedCopy(QStringLiteral("S"), demoPath_);
    ASSERT_TRUE(form_->offerRecovery());
    // The recovered map itself named: nothing more to open.
    form_->openMapAtStart(demoPath_, true);
    EXPECT_TRUE(form_->mapWaitingForRecovery().isEmpty());
    // Another map: it waits, and nothing asks to throw the recovered work away.
    form_->openMapAtStart(other, true);
    EXPECT_TRUE(saveQuestions_.isEmpty()) << saveQuestions_.join('\n').toStdString();
    EXPECT_EQ(mapBytes(), edited_);
    EXPECT_TRUE(form_->document().isModified());
    EXPECT_TRUE(QFile::exists(copy));
    EXPECT_EQ(form_->mapWaitingForRecovery(), other);
    EXPECT_EQ(panelText(*form_, 0),
              QStringLiteral("other.xom opens once the recovered changes to demo.xom are saved."));

    // Saved: the recovered work is safe, the copy goes and the named map opens.
    ASSERT_TRUE(form_->saveMapFile(demoPath_, false));
    EXPECT_EQ(readBytes(demoPath_.toStdString()), edited_);
    EXPECT_TRUE(waitFor([&] { return form_->document().fileName() == other; }, 5000));
    EXPECT_TRUE(folderFiles().isEmpty()) << folderFiles().join(' ').toStdString();
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
}

TEST_F(Recovery, NamesAreKeptAbsoluteSoAnotherFolderNeverGetsTheWork) {
    // Started in folder a with a relative name, as `landwright map.xom` is.
    std::filesystem::create_directories(dir_ / "a");
    std::filesystem::create_directories(dir_ / "b");
    const QString mapA = qpath(dir_ / "a" / "map.xom");
    const QString mapB = qpath(dir_ / "b" / "map.xom");
    ASSERT_TRUE(WriteMapFile(*makeDemoMap(), mapA.toStdString()).ok());
    ASSERT_TRUE(WriteMapFile(*newMapRoot(), mapB.toStdString()).ok());
    const std::vector<uint8_t> bytesB = readBytes(mapB.toStdString());
    const QString started = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(qpath(dir_ / "a")));
    const bool opened = form_->openMapFile(QStringLiteral("map.xom"));
    QDir::setCurrent(started);
    ASSERT_TRUE(opened);
    EXPECT_EQ(form_->document().fileName(), mapA);
    EXPECT_EQ(form_->recentMaps().at(0), mapA);
    EXPECT_EQ(Settings().string(recentSettingName(RecentKind::Maps, 1)).value_or(QString()), mapA);

    // The copy a killed session leaves names the map absolutely.
    form_->document().addPoxel(*form_->EditRoot());
    ASSERT_TRUE(form_->autosaver().writeNow());
    form_->autosaver().waitForWrites();
    const RecoveryPaths own = form_->autosaver().paths();
    const RecoveryPaths left = RecoveryPaths::of(folder_, QStringLiteral("Killed"));
    ASSERT_TRUE(QFile::copy(own.copy, left.copy));
    ASSERT_TRUE(QFile::copy(own.sidecar, left.sidecar));
    leaveDeadLock(left.lock);
    const std::vector<uint8_t> edited = mapBytes();

    // The next editor, started in folder b, recovers it and saves it where it belongs.
    TMainForm next;
    next.setRecoveryFolder(folder_);
    next.dialogs() = form_->dialogs();
    ASSERT_TRUE(QDir::setCurrent(qpath(dir_ / "b")));
    const bool recovered = next.offerRecovery();
    const bool saved = recovered && next.maybeSave();
    QDir::setCurrent(started);
    ASSERT_TRUE(recovered);
    EXPECT_EQ(next.document().fileName(), mapA);
    ASSERT_TRUE(saved);
    EXPECT_EQ(readBytes(mapA.toStdString()), edited);
    EXPECT_EQ(readBytes(mapB.toStdString()), bytesB) << "the other folder's map is untouched";

    // A record kept by an older version with a relative name comes back untitled: saving
    // asks where, and nothing is written when the question is cancelled.
    leaveEditedCopy(QStringLiteral("Old"), QStringLiteral("map.xom"));
    TMainForm third;
    third.setRecoveryFolder(folder_);
    third.dialogs() = form_->dialogs();
    int asked = 0;
    third.dialogs().saveFile = [&](QWidget*, const QString&, const QString&, int*) {
        ++asked;
        return QString();
    };
    ASSERT_TRUE(QDir::setCurrent(qpath(dir_ / "b")));
    const bool again = third.offerRecovery();
    const bool left2 = third.maybeSave();
    QDir::setCurrent(started);
    ASSERT_TRUE(again);
    EXPECT_TRUE(third.document().fileName().isEmpty());
    EXPECT_FALSE(left2);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(readBytes(mapB.toStdString()), bytesB);
}

TEST_F(Recovery, AFailedAutosaveIsShownInTheStatusBar) {
    writeBytes(dir_ / "blocked", {'x'});
    form_->setRecoveryFolder(qpath(dir_ / "blocked" / "recovery"));
    form_->document().addPoxel(*form_->EditRoot());
    EXPECT_FALSE(form_->autosaver().writeNow());
    EXPECT_TRUE(panelText(*form_, 0).startsWith("Autosave failed: "))
        << panelText(*form_, 0).toStdString();
    EXPECT_TRUE(errors_.isEmpty()) << "no box while the user works";
}

// ---- The editor itself, killed and started again --------------------------------------------

// Runs xdotool and returns what it printed; empty when it failed or took too long.
QString xdotool(const QStringList& args, int ms = 20000) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    if (!p.waitForFinished(ms) || p.exitCode() != 0) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// The visible window of process `pid` whose title contains `title` (waits for it).
QString windowOf(qint64 pid, const QString& title) {
    const QString found =
        xdotool({"search", "--sync", "--all", "--onlyvisible", "--pid", QString::number(pid),
                 "--name", QRegularExpression::escape(title)});
    return found.split('\n').value(0);
}

QString titleOf(const QString& window) {
    return xdotool({"getwindowname", window});
}

class KilledEditor : public Recovery {
protected:
    void SetUp() override {
        Recovery::SetUp();
        if (IsSkipped())
            return;
        if (!canDrivePointer())
            GTEST_SKIP() << "needs an X server and xdotool";
        // The editor's own places, private to the test.
        for (const char* sub : {"data", "config", "cache", "runtime"})
            QDir().mkpath(qpath(dir_ / sub));
        QFile::setPermissions(qpath(dir_ / "runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir().mkpath(qpath(dir_ / "config" / "Corvell"));
        QSettings conf(qpath(dir_ / "config" / "Corvell" / "Landwright.conf"),
                       QSettings::IniFormat);
        conf.setValue(QString::fromLatin1(settings::kAutosaveInterval), 1);
        conf.sync();
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("XDG_DATA_HOME", qpath(dir_ / "data"));
        env_.insert("XDG_CONFIG_HOME", qpath(dir_ / "config"));
        env_.insert("XDG_CACHE_HOME", qpath(dir_ / "cache"));
        env_.insert("XDG_RUNTIME_DIR", qpath(dir_ / "runtime"));
        env_.remove("QT_QPA_PLATFORM");
    }
    void TearDown() override {
        for (QProcess* p : {&first_, &second_})
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished();
            }
        Recovery::TearDown();
    }
    void start(QProcess& editor, const QStringList& args) {
        editor.setProcessEnvironment(env_);
        editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        editor.start(QStringLiteral(LW_EDITOR_PATH), args);
        ASSERT_TRUE(editor.waitForStarted());
    }
    // The recovery copies of the editor under test, wherever its data folder puts them.
    QStringList copies() const {
        QStringList found;
        QDirIterator it(qpath(dir_ / "data"), {"recovery-*.xom"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        return found;
    }

    QProcessEnvironment env_;
    QProcess first_;
    QProcess second_;
};

TEST_F(KilledEditor, KilledInTheMiddleOfWorkAndStartedAgainItOffersTheWorkBack) {
    // Where the root's item and "Add Poxel" are: this window is laid out as the editor's.
    ASSERT_TRUE(showWindow());
    ASSERT_TRUE(form_->openMapFile(demoPath_));
    QApplication::processEvents();
    QTreeWidgetItem* rootItem = form_->TreeView1->topLevelItem(0);
    const QPoint rootAt = form_->TreeView1->viewport()->mapTo(
        form_.get(), form_->TreeView1->visualItemRect(rootItem).center());
    form_->TreeView1->setCurrentItem(rootItem);
    const QPoint rootGlobal = form_->mapToGlobal(rootAt);
    form_->TreeView1ContextPopup(form_->TreeView1->viewport()->mapFromGlobal(rootGlobal));
    ASSERT_TRUE(form_->TreeMenu->isVisible());
    QApplication::processEvents();
    const QPoint toAddPoxel =
        form_->TreeMenu->mapToGlobal(form_->TreeMenu->actionGeometry(form_->AddPoxel1).center()) -
        rootGlobal;
    form_->TreeMenu->hide();
    form_->hide();
    QApplication::processEvents();

    // First run: one edit, then the copy comes.
    start(first_, {demoPath_});
    const QString window = windowOf(first_.processId(), "demo.xom");
    ASSERT_FALSE(window.isEmpty());
    wait(500);
    // A click on the root's item, a right click there, and "Add Poxel" in its menu.
    xdotool(QStringLiteral("mousemove --window %1 %2 %3 click 1 sleep 0.3 click 3 sleep 0.5 "
                           "mousemove_relative -- %4 %5 sleep 0.3 click 1")
                .arg(window, QString::number(rootAt.x()), QString::number(rootAt.y()),
                     QString::number(toAddPoxel.x()), QString::number(toAddPoxel.y()))
                .split(' '));
    ASSERT_TRUE(waitFor([&] { return titleOf(window).endsWith("[demo.xom]*"); }, 10000))
        << titleOf(window).toStdString();
    ASSERT_TRUE(waitFor([&] { return !copies().isEmpty(); }, 20000)) << "no recovery copy";
    const QString copy = copies().first();
    const QString recoveryFolder = QFileInfo(copy).absolutePath();
    const QString sidecar =
        QDir(recoveryFolder).filePath(QFileInfo(copy).completeBaseName() + ".json");
    ASSERT_TRUE(waitFor([&] { return QFile::exists(sidecar); }, 10000));

    // While it runs, another session does not offer its copy.
    form_->setRecoveryFolder(recoveryFolder);
    EXPECT_FALSE(form_->offerRecovery());
    EXPECT_TRUE(questions_.isEmpty());

    first_.kill(); // SIGKILL
    ASSERT_TRUE(first_.waitForFinished());
    EXPECT_EQ(first_.exitStatus(), QProcess::CrashExit);
    ASSERT_TRUE(QFile::exists(copy)) << "a killed session leaves its copy";
    const std::vector<uint8_t> userBytes = readBytes(demoPath_.toStdString());

    // Second run: the question, "Recover" (the default button), the map back and modified.
    start(second_, {});
    const QString box = windowOf(second_.processId(), "Recover Unsaved Changes");
    ASSERT_FALSE(box.isEmpty()) << "no recovery question";
    xdotool({"windowfocus", "--sync", box, "key", "Return"});
    const QString main = windowOf(second_.processId(), "demo.xom");
    ASSERT_FALSE(main.isEmpty());
    EXPECT_TRUE(waitFor(
        [&] { return titleOf(main) == "Landwright v.2.3 by Corvell - [demo.xom]*"; }, 10000))
        << titleOf(main).toStdString();
    EXPECT_EQ(readBytes(demoPath_.toStdString()), userBytes) << "nothing saved yet";

    // Leaving: "Save changes to demo.xom?", "Save" (the default) writes the user's file.
    xdotool({"windowfocus", "--sync", main, "key", "alt+F4"});
    const QString question = windowOf(second_.processId(), "Unsaved Changes");
    ASSERT_FALSE(question.isEmpty());
    xdotool({"windowfocus", "--sync", question, "key", "Return"});
    ASSERT_TRUE(second_.waitForFinished(20000));
    EXPECT_EQ(second_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second_.exitCode(), 0);

    auto saved = readMapFile(demoPath_.toStdString());
    ASSERT_TRUE(saved.ok());
    const auto demo = makeDemoMap();
    ASSERT_EQ(saved.value()->Children.size(), demo->Children.size() + 1) << "the added poxel";
    EXPECT_TRUE(copies().isEmpty())
        << "a clean exit leaves no copy: " << copies().join(' ').toStdString();
    EXPECT_TRUE(QDir(recoveryFolder).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << QDir(recoveryFolder).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
}

} // namespace

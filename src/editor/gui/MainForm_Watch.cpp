// Another program and the edited map's file. Two editors on one map, or a script writing it,
// must not silently undo each other's work: a change is told at once with the choice to load
// the file again, a deletion is reported (and the map marked unsaved, so it is written again),
// and a save over a file that changed since it was read or written asks first.

#include "editor/gui/MainForm.h"

#include "ui/Language.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace lw {

namespace {

std::string localName(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

// A question with two answers; Escape and closing the box choose the second, the safe one.
bool askTwoWays(QWidget* parent, const QString& title, const QString& text, const QString& yes,
                const QString& no) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, parent);
    QPushButton* accept = box.addButton(yes, QMessageBox::AcceptRole);
    QPushButton* reject = box.addButton(no, QMessageBox::RejectRole);
    for (QPushButton* b : {accept, reject})
        b->setAccessibleName(b->text());
    box.setDefaultButton(reject);
    box.setEscapeButton(reject);
    box.exec();
    return box.clickedButton() == accept;
}

} // namespace

void TMainForm::setupDiskWatch() {
    diskWatcher_ = new QFileSystemWatcher(this);
    diskCheckTimer_ = new QTimer(this);
    diskCheckTimer_->setObjectName(QStringLiteral("DiskCheckTimer"));
    diskCheckTimer_->setSingleShot(true);
    // A writer's burst of changes is checked once, a moment after it ends.
    diskCheckTimer_->setInterval(150);
    auto check = [this] { diskCheckTimer_->start(); };
    connect(diskWatcher_, &QFileSystemWatcher::fileChanged, this, check);
    connect(diskWatcher_, &QFileSystemWatcher::directoryChanged, this, check);
    connect(diskCheckTimer_, &QTimer::timeout, this, &TMainForm::checkMapOnDisk);
    connect(doc_, &MapDocument::fileNameChanged, this, &TMainForm::watchMapFile);
    connect(doc_, &MapDocument::documentReplaced, this, [this] {
        toldDiskStamp_ = FileStamp{};
        toldDeleted_ = false;
        watchMapFile();
    });
}

void TMainForm::watchMapFile() {
    if (!diskWatcher_->files().isEmpty())
        diskWatcher_->removePaths(diskWatcher_->files());
    if (!diskWatcher_->directories().isEmpty())
        diskWatcher_->removePaths(diskWatcher_->directories());
    const QString file = doc_->fileName();
    if (file.isEmpty())
        return;
    // The folder too: a file replaced by another program's save, or written again after it
    // was deleted, is a new file the watch on the old one never hears of.
    const QString folder = QFileInfo(file).absolutePath();
    if (QFileInfo::exists(folder))
        diskWatcher_->addPath(folder);
    if (QFileInfo::exists(file))
        diskWatcher_->addPath(file);
}

void TMainForm::checkMapOnDisk() {
    const QString file = doc_->fileName();
    if (diskQuestionOpen_ || file.isEmpty())
        return;
    if (!diskWatcher_->files().contains(file) && QFileInfo::exists(file))
        diskWatcher_->addPath(file);
    const QString name = QFileInfo(file).fileName();
    const QString title = langText("[sChangedOnDiskTitle]");
    switch (doc_->diskChange()) {
    case DiskChange::None:
        return;
    case DiskChange::Deleted: {
        if (toldDeleted_)
            return;
        toldDeleted_ = true;
        toldDiskStamp_ = FileStamp{};
        doc_->markDeletedOnDisk();
        diskQuestionOpen_ = true;
        reportWarning(formatLangText(langText("[sDeletedOnDisk]"), {name}));
        diskQuestionOpen_ = false;
        return;
    }
    case DiskChange::Changed:
        break;
    }
    const FileStamp now = currentFileStamp(localName(file));
    if (now == toldDiskStamp_)
        return; // this version was told already; a save asks before overwriting it
    toldDiskStamp_ = now;
    toldDeleted_ = false;
    const QString text = formatLangText(
        langText(doc_->isModified() ? "[sChangedOnDiskUnsaved]" : "[sChangedOnDisk]"), {name});
    diskQuestionOpen_ = true;
    const bool reload = dialogs_.askReload ? dialogs_.askReload(this, title, text)
                                           : askTwoWays(this, title, text, langText("[sReload]"),
                                                        langText("[sKeepMine]"));
    diskQuestionOpen_ = false;
    if (reload)
        loadMapFile(file);
}

bool TMainForm::mayOverwriteMapFile(const QString& fileName) {
    if (doc_->fileName().isEmpty() || canonicalFileName(fileName) != doc_->fileName() ||
        doc_->diskChange() != DiskChange::Changed)
        return true;
    const QString title = langText("[sChangedOnDiskTitle]");
    const QString text =
        formatLangText(langText("[sOverwriteChanged]"), {QFileInfo(fileName).fileName()});
    diskQuestionOpen_ = true;
    const bool overwrite =
        dialogs_.askOverwrite
            ? dialogs_.askOverwrite(this, title, text)
            : askTwoWays(this, title, text, langText("[sOverwrite]"), langText("[sCancel]"));
    diskQuestionOpen_ = false;
    return overwrite;
}

} // namespace lw

// Autosave and crash recovery in the window: the recovery copies a session writes while the
// map has unsaved changes, and the question at start-up when an earlier session left one.

#include "editor/gui/MainForm.h"

#include "editor/Autosaver.h"
#include "ui/Language.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

namespace lw {

namespace {

QString mapNameOf(const RecoveryEntry& entry) {
    const QString& file = entry.info().fileName;
    return file.isEmpty() ? langText("[sUntitled]") : QFileInfo(file).fileName();
}

QString timeOf(const RecoveryEntry& entry) {
    return QLocale().toString(entry.info().savedAt.toLocalTime(), QLocale::ShortFormat);
}

} // namespace

void TMainForm::setupAutosave() {
    autosaver_ = std::make_unique<Autosaver>(*doc_, defaultRecoveryFolder());
    connect(autosaver_.get(), &Autosaver::failed, this, [this](const QString& message) {
        // Not a box: it would come back at every interval while the user works.
        setStatus(0, formatLangText(langText("[sAutosaveFailed]"), {message}));
    });
}

void TMainForm::setRecoveryFolder(const QString& folder) {
    autosaver_->setFolder(folder);
}

void TMainForm::reportErrorText(const QString& text) {
    const QString title = langText("[sError]");
    if (dialogs_.error)
        dialogs_.error(this, title, text);
    else
        QMessageBox::critical(this, title, text);
}

void TMainForm::openMapAtStart(const QString& fileName, bool recovered) {
    if (!recovered || !doc_->isModified()) {
        openMapFile(fileName);
        return;
    }
    if (canonicalFileName(fileName) == doc_->fileName())
        return; // the recovered work is that map, with its unsaved changes
    pendingOpen_ = fileName;
    const QString recoveredName = doc_->fileName().isEmpty()
                                      ? langText("[sUntitled]")
                                      : QFileInfo(doc_->fileName()).fileName();
    setStatus(0, formatLangText(langText("[sOpensAfterRecovery]"),
                                {QFileInfo(fileName).fileName(), recoveredName}));
}

void TMainForm::reportWarning(const QString& text) {
    const QString title = langText("[sWarning]");
    if (dialogs_.warn)
        dialogs_.warn(this, title, text);
    else
        QMessageBox::warning(this, title, text);
}

bool TMainForm::offerRecovery() {
    std::vector<RecoveryEntry> entries =
        findLeftRecoveryCopies(autosaver_->folder(), autosaver_->sessionId());
    for (RecoveryEntry& entry : entries) {
        const QString name = mapNameOf(entry);
        const QString time = timeOf(entry);
        // Read before asking: a copy that cannot come back is not offered.
        const Result<std::unique_ptr<TPoxel>> check = entry.load(true);
        if (!check) {
            reportErrorText(
                formatLangText(langText("[sRecoveryDamaged]"), {name, time, entry.paths().copy}) +
                QStringLiteral("\n\n") + QString::fromStdString(check.error().message()));
            entry.markRefused();
            continue;
        }
        const QString title = langText("[sRecoverTitle]");
        const QString text = formatLangText(langText("[sRecoverChangesTo]"), {name, time});
        RecoveryAnswer answer = RecoveryAnswer::Later;
        if (dialogs_.askRecover) {
            answer = dialogs_.askRecover(this, title, text);
        } else {
            QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, this);
            QPushButton* recover = box.addButton(langText("[sRecover]"), QMessageBox::AcceptRole);
            QPushButton* discard =
                box.addButton(langText("[sDiscard]"), QMessageBox::DestructiveRole);
            QPushButton* later = box.addButton(langText("[sLater]"), QMessageBox::RejectRole);
            for (QPushButton* b : {recover, discard, later})
                b->setAccessibleName(b->text());
            box.setDefaultButton(recover);
            // Escape (or closing the box) decides nothing: the copy waits for the next start.
            box.setEscapeButton(later);
            box.exec();
            answer = box.clickedButton() == recover   ? RecoveryAnswer::Recover
                     : box.clickedButton() == discard ? RecoveryAnswer::Discard
                                                      : RecoveryAnswer::Later;
        }
        if (answer == RecoveryAnswer::Later)
            continue;
        if (answer == RecoveryAnswer::Discard) {
            entry.remove();
            continue;
        }
        if (!maybeSave())
            return false;
        Result<std::unique_ptr<TPoxel>> recovered = entry.load(false);
        if (!recovered) {
            // Changed on disk since the check.
            reportErrorText(
                formatLangText(langText("[sRecoveryDamaged]"), {name, time, entry.paths().copy}) +
                QStringLiteral("\n\n") + QString::fromStdString(recovered.error().message()));
            continue;
        }
        // Modified under the user's own file name: saving writes that file. A relative name
        // (kept by older versions) says nothing about where the file is: the map comes back
        // untitled, and saving asks where to put it.
        const QString& recorded = entry.info().fileName;
        const QString fileName = QDir::isAbsolutePath(recorded) ? recorded : QString();
        doc_->adoptMap(std::move(recovered.value()), fileName, true,
                       fileName.isEmpty() ? std::nullopt : entry.info().stamp);
        updateTitle(doc_->fileName());
        autosaver_->inherit(std::move(entry));
        return true;
    }
    return false;
}

} // namespace lw

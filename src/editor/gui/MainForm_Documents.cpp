// The File and Help commands: open, reopen, new, import, load, save, exit, about, help.

#include "editor/gui/MainForm.h"

#include "core/MapWriter.h"
#include "editor/gui/AboutForm.h"
#include "editor/gui/TreeWidgetSink.h"
#include "render/gl/DisplayLists.h"
#include "render/gl/PoxelLists.h"
#include "render/gui/OpenGLBox.h"
#include "textures/gui/SelectLandForm.h"
#include "ui/ErrorText.h"
#include "ui/Language.h"
#include "ui/Settings.h"
#include "ui/Version.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <utility>

namespace lw {

namespace {

const QString kMapFilter = QStringLiteral("Brimlow resources file (*.xom *.xan)");
const QString kSaveFilter = QStringLiteral(
    "Brimlow resources file (*.xom *.xan);;Brimlow 3D map (*.xom);;Brimlow 4 map (*.xan)");

std::string toLocal(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

} // namespace

void TMainForm::reportError(const QString& key, const QString& detail) {
    QString text = langText(key);
    if (!detail.isEmpty())
        text += QStringLiteral("\n\n") + detail;
    const QString title = langText("[sError]");
    if (dialogs_.error)
        dialogs_.error(this, title, text);
    else
        QMessageBox::critical(this, title, text);
}

void TMainForm::AddRecentFile(const QString& file, RecentKind kind) {
    (kind == RecentKind::Maps ? recentMaps_ : recentTextureLists_).add(file);
    UpdateRecentMenu(kind);
}

void TMainForm::UpdateRecentMenu(RecentKind kind) {
    const RecentList& list = kind == RecentKind::Maps ? recentMaps_ : recentTextureLists_;
    const int first = kind == RecentKind::Maps ? 1 : 8;
    Settings settings;
    for (int i = 1; i <= kRecentCount; ++i) {
        const QString& file = list.at(i - 1);
        if (file.isEmpty())
            break;
        QAction* item = reopenItems_[static_cast<size_t>(first + i - 1)];
        item->setEnabled(true);
        item->setText(recentCaption(i, file));
        settings.setString(recentSettingName(kind, i), file);
    }
}

QString TMainForm::GetRecentFile(int menuIndex, RecentKind kind) const {
    if (kind == RecentKind::Maps)
        return recentMaps_.at(menuIndex - 1);
    return recentTextureLists_.at(menuIndex - 8);
}

void TMainForm::buildMeshes(TPoxel& root, bool all) {
    if (!OpenGLBox_->glReady())
        return; // built with every document when the context comes
    std::vector<TPoxel*> nodes;
    std::vector<TPoxel*> pending{&root};
    while (!pending.empty()) {
        TPoxel* node = pending.back();
        pending.pop_back();
        // Nodes coming back from the history still hold their meshes.
        if (!node->IsEntity && (all || node->IsGroup || !gl::hasLists(*node)))
            nodes.push_back(node);
        for (auto& c : node->Children)
            pending.push_back(c.get());
    }
    // A large map shows how far its meshes are while the window stays painted; the dialog is
    // modal, so nothing changes the tree meanwhile.
    constexpr size_t kProgressFrom = 2000;
    std::unique_ptr<QProgressDialog> progress;
    if (nodes.size() >= kProgressFrom) {
        progress = std::make_unique<QProgressDialog>(langText("[sBuildingMeshes]"), QString(), 0,
                                                     int(nodes.size()), this);
        progress->setObjectName(QStringLiteral("MeshProgress"));
        progress->setAccessibleName(langText("[sBuildingMeshes]"));
        progress->setCancelButton(nullptr);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(1000);
    }
    // While the dialog runs events the view is not drawn: a frame may write into the selected
    // poxel (the point tools) while a worker reads it.
    const bool viewUpdates = OpenGLBox_->updatesEnabled();
    if (progress)
        OpenGLBox_->setUpdatesEnabled(false);
    OpenGLBox_->withContext([&] {
        gl::BuildPoxelMeshes(nodes, scene_.Textures, [&](size_t done, size_t) {
            if (!progress)
                return;
            progress->setValue(int(done)); // runs events, which may take the context
            OpenGLBox_->makeCurrent();
        });
    });
    if (progress)
        OpenGLBox_->setUpdatesEnabled(viewUpdates);
}

void TMainForm::showDocument(TPoxel* root, const QString& statusKey) {
    scene_.ShownRoot = root;
    scene_.Selected = nullptr;
    scene_.SelectedId = root ? root->ListId : 0;
    scene_.ZoomSelectedRequest = true;
    updateToolEnabling();
    showProperties();
    repaintView();
    setStatus(2, langText(statusKey));
}

void TMainForm::updateTitle(const QString& fileName) {
    // "[*]" shows the unsaved mark while the edited map is modified.
    const QString title =
        fileName.isEmpty() ? QString::fromLatin1(kAppTitle) : mapWindowTitle(fileName);
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(doc_->isModified());
}

int TMainForm::askSaveChanges(const QString& name) {
    const QString title = langText("[sUnsavedChanges]");
    const QString text = formatLangText(langText("[sSaveChangesTo]"), {name});
    if (dialogs_.askSave)
        return dialogs_.askSave(this, title, text);
    QMessageBox box(QMessageBox::Question, title, text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.button(QMessageBox::Save)->setText(langText("[sSave]"));
    box.button(QMessageBox::Discard)->setText(langText("[sDiscard]"));
    box.button(QMessageBox::Cancel)->setText(langText("[sCancel]"));
    box.setDefaultButton(QMessageBox::Save);
    return box.exec();
}

bool TMainForm::maybeSave() {
    if (!doc_->isModified())
        return true;
    const QString name = doc_->fileName().isEmpty() ? langText("[sUntitled]")
                                                    : QFileInfo(doc_->fileName()).fileName();
    const int answer = askSaveChanges(name);
    if (answer == QMessageBox::Discard)
        return true;
    if (answer != QMessageBox::Save)
        return false;
    if (!doc_->fileName().isEmpty())
        return saveEditedMap(doc_->fileName());
    // A map that never had a name goes through the save dialog.
    bool kestrel = false;
    const QString chosen = chooseSaveFile(&kestrel);
    return !chosen.isEmpty() && saveEditedMap(savedMapFileName(chosen, kestrel));
}

bool TMainForm::saveEditedMap(const QString& fileName) {
    if (!mayOverwriteMapFile(fileName))
        return false;
    std::string note;
    const Status written = doc_->saveMap(fileName, &note);
    if (!written) {
        // Nothing was written; the title, folder and recent list stay as they were.
        reportError(QStringLiteral("[sError]"), QString::fromStdString(written.error().message()));
        return false;
    }
    toldDiskStamp_ = FileStamp{};
    toldDeleted_ = false;
    watchMapFile();
    updateTitle(doc_->fileName());
    if (!note.empty())
        setStatus(0, formatLangText(langText("[sSavedNote]"), {QString::fromStdString(note)}));
    Settings().setString(QString::fromLatin1(settings::kSavePath), folderOfFile(fileName));
    AddRecentFile(doc_->fileName(), RecentKind::Maps);
    // The map named on the command line waited for the recovered work to be saved.
    if (!pendingOpen_.isEmpty())
        QTimer::singleShot(
            0, this, [this, next = std::exchange(pendingOpen_, QString())] { openMapFile(next); });
    return true;
}

bool TMainForm::openMapFile(const QString& fileName) {
    // Another command: the map that waited for recovered work is not opened behind it.
    pendingOpen_.clear();
    return maybeSave() && loadMapFile(fileName);
}

bool TMainForm::loadMapFile(const QString& fileName) {
    const Status opened = doc_->openMap(fileName);
    if (!opened) {
        reportError(QString::fromLatin1(opened.error().key == "sOutOfMemory"
                                            ? "[sOutOfMemory]"
                                            : "[sBadXomFormatFile]"),
                    fileErrorDetail(fileName, QString::fromStdString(opened.error().detail)));
        return false;
    }
    updateTitle(doc_->fileName());
    Settings().setString(QString::fromLatin1(settings::kPathMap), folderOfFile(fileName));
    AddRecentFile(doc_->fileName(), RecentKind::Maps);
    return true;
}

QString TMainForm::chooseMapFile(const char* folderSetting) {
    const QString folder =
        Settings().string(QString::fromLatin1(folderSetting)).value_or(QString());
    return dialogs_.openFile ? dialogs_.openFile(this, folder, kMapFilter)
                             : QFileDialog::getOpenFileName(this, QString(), folder, kMapFilter);
}

void TMainForm::Openxom1Click() {
    const QString file = chooseMapFile(settings::kPathMap);
    if (!file.isEmpty())
        openMapFile(file);
}

void TMainForm::Newmap1Click() {
    newMap();
}

bool TMainForm::newMap() {
    pendingOpen_.clear();
    if (!maybeSave())
        return false;
    doc_->newMap();
    updateTitle(QString());
    return true;
}

bool TMainForm::importMapFile(const QString& fileName) {
    const Status imported = doc_->importMap(fileName);
    if (!imported) {
        reportError(QStringLiteral("[sBadXomFormatFile]"),
                    QString::fromStdString(imported.error().detail));
        return false;
    }
    Settings().setString(QString::fromLatin1(settings::kPathImportMap), folderOfFile(fileName));
    return true;
}

void TMainForm::ImportMap1Click() {
    const QString file = chooseMapFile(settings::kPathImportMap);
    if (!file.isEmpty())
        importMapFile(file);
}

bool TMainForm::importObjectsFile(const QString& land, const QString& fileName) {
    if (fileName.isEmpty()) {
        reportError(QStringLiteral("[sBadlibraryXomFile]"),
                    QStringLiteral("no bundle file for the land \"%1\"").arg(land));
        return false;
    }
    // List into a scratch tree first, so a bad library leaves the listing as it was.
    QTreeWidget scratch;
    TreeWidgetSink scratchSink(&scratch);
    const Status listed = doc_->listLibrary(fileName, &scratchSink);
    if (!listed) {
        reportError(QStringLiteral("[sBadlibraryXomFile]"),
                    QString::fromStdString(listed.error().detail));
        return false;
    }
    TreeView2->clear();
    while (scratch.topLevelItemCount() > 0)
        TreeView2->addTopLevelItem(scratch.takeTopLevelItem(0));
    Button1->setEnabled(true);
    Label2->setText(QStringLiteral("[%1]").arg(land));
    Label3->setText(QFileInfo(fileName).fileName());
    PageControl1->setCurrentIndex(1);
    return true;
}

void TMainForm::ImportObjects1Click() {
    QString land;
    QString folder;
    const bool ok = dialogs_.chooseLand ? dialogs_.chooseLand(this, &land, &folder)
                                        : TSelectLandForm::choose(this, &land, &folder);
    if (!ok)
        return;
    const QString bundle = bundleFileOfLand(land);
    importObjectsFile(land, bundle.isEmpty() ? QString() : QDir(folder).filePath(bundle));
}

void TMainForm::Button1Click() {
    if (!doc_->libraryLoaded())
        return;
    QTreeWidgetItem* item = TreeView2->currentItem();
    if (!item)
        return;
    bool hasIndex = false;
    const int index = item->data(0, kObjectIndexRole).toInt(&hasIndex);
    if (!hasIndex)
        return;
    const Result<bool> loaded = doc_->loadLibraryObject(index);
    if (!loaded)
        reportError(QStringLiteral("[sBadlibraryXomFile]"),
                    QString::fromStdString(loaded.error().detail));
}

bool TMainForm::saveMapFile(const QString& chosen, bool kestrelFilter) {
    TPoxel* root = scene_.ShownRoot;
    if (chosen.isEmpty() || !root || !root->IsRoot)
        return false;
    const QString fileName = savedMapFileName(chosen, kestrelFilter);
    if (root == doc_->root())
        return saveEditedMap(fileName);
    // The imported map is saved as it is; it has no unsaved state of its own.
    const Status written = WriteMapFile(*root, toLocal(fileName));
    if (!written) {
        reportError(QStringLiteral("[sError]"), QString::fromStdString(written.error().message()));
        return false;
    }
    Settings().setString(QString::fromLatin1(settings::kSavePath), folderOfFile(fileName));
    AddRecentFile(fileName, RecentKind::Maps);
    return true;
}

QString TMainForm::chooseSaveFile(bool* kestrelFilter) {
    const QString folder =
        Settings().string(QString::fromLatin1(settings::kSavePath)).value_or(QString());
    int filterIndex = 0;
    QString file;
    if (dialogs_.saveFile) {
        file = dialogs_.saveFile(this, folder, kSaveFilter, &filterIndex);
    } else {
        QString selected;
        file = QFileDialog::getSaveFileName(this, QString(), folder, kSaveFilter, &selected);
        filterIndex = static_cast<int>(kSaveFilter.split(QStringLiteral(";;")).indexOf(selected));
    }
    *kestrelFilter = filterIndex == 2;
    return file;
}

void TMainForm::Savemapas1Click() {
    bool kestrel = false;
    const QString file = chooseSaveFile(&kestrel);
    saveMapFile(file, kestrel);
}

void TMainForm::Exit1Click() {
    close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    pendingOpen_.clear();
    if (maybeSave() && maybeSaveTextureList()) {
        saveWindowLayout();
        event->accept();
    } else
        event->ignore();
}

void TMainForm::About1Click() {
    TAboutForm about(this);
    about.exec();
}

} // namespace lw

// The File and Help commands: open, reopen, new, import, load, save, exit, about, help.

#include "editor/gui/MainForm.h"

#include "core/MapGenerator.h"
#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "editor/gui/AboutForm.h"
#include "editor/gui/TreeWidgetSink.h"
#include "render/gl/PoxelLists.h"
#include "render/gui/OpenGLBox.h"
#include "textures/gui/SelectLandForm.h"
#include "ui/Language.h"
#include "ui/Settings.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUrl>

namespace lw {

namespace {

const QString kMapFilter = QStringLiteral("Brimlow resources file (*.xom *.xan)");
const QString kSaveFilter = QStringLiteral(
    "Brimlow resources file (*.xom *.xan);;Brimlow 3D map (*.xom);;Brimlow 4 map (*.xan)");

std::string toLocal(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

// A file that is missing or unreadable is refused before the reader sees it, like a bad file.
std::optional<Error> unreadable(const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.exists())
        return badXomFormat(fileName.toStdString() + ": the file does not exist");
    if (!info.isFile() || !info.isReadable())
        return badXomFormat(fileName.toStdString() + ": the file cannot be read");
    return std::nullopt;
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
        // Texture lists can be reopened once their issue wires the command.
        item->setEnabled(kind == RecentKind::Maps);
        item->setText(recentCaption(i, file));
        settings.setString(recentSettingName(kind, i), file);
    }
}

QString TMainForm::GetRecentFile(int menuIndex, RecentKind kind) const {
    if (kind == RecentKind::Maps)
        return recentMaps_.at(menuIndex - 1);
    return recentTextureLists_.at(menuIndex - 8);
}

void TMainForm::buildMeshes(TPoxel& root) {
    if (!OpenGLBox_->glReady())
        return; // built with every document when the context comes
    OpenGLBox_->withContext([&] { gl::BuildPoxelTree(root, nullptr); });
}

void TMainForm::releaseDocument(std::unique_ptr<TPoxel>& root) {
    if (!root)
        return;
    if (scene_.ShownRoot == root.get())
        scene_.ShownRoot = nullptr;
    if (OpenGLBox_->glReady())
        OpenGLBox_->withContext([&] { root.reset(); });
    else
        root.reset();
}

void TMainForm::showDocument(TPoxel* root, const QString& statusKey) {
    scene_.ShownRoot = root;
    scene_.SelectedId = root ? root->ListId : 0;
    scene_.ZoomSelectedRequest = true;
    updateToolEnabling();
    repaintView();
    setStatus(2, langText(statusKey));
}

bool TMainForm::openMapFile(const QString& fileName) {
    if (const auto bad = unreadable(fileName)) {
        reportError(QStringLiteral("[sBadXomFormatFile]"), QString::fromStdString(bad->detail));
        return false;
    }
    // Decode into a new tree first: a bad file changes nothing.
    auto decoded = readMapFile(toLocal(fileName), CounterMode::Reset);
    if (!decoded) {
        reportError(QStringLiteral("[sBadXomFormatFile]"),
                    QString::fromStdString(decoded.error().detail));
        return false;
    }
    setWindowTitle(mapWindowTitle(fileName));
    Settings().setString(QString::fromLatin1(settings::kPathMap), folderOfFile(fileName));
    AddRecentFile(fileName, RecentKind::Maps);

    adoptEditRoot(std::move(decoded.value()));
    return true;
}

void TMainForm::adoptEditRoot(std::unique_ptr<TPoxel> root) {
    releaseDocument(editRoot_);
    editRoot_ = std::move(root);
    scene_.EditRoot = editRoot_.get();
    fillTree(TreeView1, *editRoot_);
    buildMeshes(*editRoot_);
    importMapActive_ = false;
    showDocument(editRoot_.get(), QStringLiteral("[sActiveEditMap]"));
    PageControl2->setCurrentIndex(0);
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
    adoptEditRoot(newMapRoot());
}

bool TMainForm::importMapFile(const QString& fileName) {
    if (const auto bad = unreadable(fileName)) {
        reportError(QStringLiteral("[sBadXomFormatFile]"), QString::fromStdString(bad->detail));
        return false;
    }
    auto decoded = readMapFile(toLocal(fileName), CounterMode::Band, kImportMapCounterBase);
    if (!decoded) {
        reportError(QStringLiteral("[sBadXomFormatFile]"),
                    QString::fromStdString(decoded.error().detail));
        return false;
    }
    importMapActive_ = true;
    Settings().setString(QString::fromLatin1(settings::kPathImportMap), folderOfFile(fileName));
    releaseDocument(importMapRoot_);
    importMapRoot_ = std::move(decoded.value());
    fillTree(TreeView3, *importMapRoot_);
    buildMeshes(*importMapRoot_);
    showDocument(importMapRoot_.get(), QStringLiteral("[sActiveImportMap]"));
    PageControl1->setCurrentIndex(2);
    return true;
}

void TMainForm::ImportMap1Click() {
    const QString file = chooseMapFile(settings::kPathImportMap);
    if (!file.isEmpty())
        importMapFile(file);
}

bool TMainForm::importObjectsFile(const QString& land, const QString& fileName) {
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile()) {
        reportError(QStringLiteral("[sBadlibraryXomFile]"),
                    fileName.isEmpty()
                        ? QStringLiteral("no bundle file for the land \"%1\"").arg(land)
                        : fileName + QStringLiteral(": the file does not exist"));
        return false;
    }
    // List into a scratch tree first, so a bad library leaves the listing as it was.
    TStrArr objects;
    Error error;
    QTreeWidget scratch;
    TreeWidgetSink scratchSink(&scratch);
    if (ReadXomFile(toLocal(fileName), &scratchSink, false, objects, &error) != -1) {
        reportError(QStringLiteral("[sBadlibraryXomFile]"), QString::fromStdString(error.detail));
        return false;
    }
    libraryObjects_ = std::move(objects);
    TreeView2->clear();
    while (scratch.topLevelItemCount() > 0)
        TreeView2->addTopLevelItem(scratch.takeTopLevelItem(0));
    libraryLoaded_ = true;
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
    if (!libraryLoaded_)
        return;
    QTreeWidgetItem* item = TreeView2->currentItem();
    if (!item)
        return;
    bool hasIndex = false;
    const int index = item->data(0, kObjectIndexRole).toInt(&hasIndex);
    if (!hasIndex || index < 0)
        return;
    auto decoded =
        decodeLibraryObject(libraryObjects_, index, false, CounterMode::Band, kPreviewCounterBase);
    if (!decoded) {
        reportError(QStringLiteral("[sBadlibraryXomFile]"),
                    QString::fromStdString(decoded.error().detail));
        return;
    }
    if (decoded.value()->IsEntity)
        return; // entities have nothing to preview
    releaseDocument(importObjectRoot_);
    importObjectRoot_ = std::move(decoded.value());
    buildMeshes(*importObjectRoot_);
    importMapActive_ = false;
    showDocument(importObjectRoot_.get(), QStringLiteral("[sActiveImportObject]"));
}

bool TMainForm::saveMapFile(const QString& chosen, bool kestrelFilter) {
    TPoxel* root = scene_.ShownRoot;
    if (chosen.isEmpty() || !root || !root->IsRoot)
        return false;
    const QString fileName = savedMapFileName(chosen, kestrelFilter);
    const Status written = WriteMapFile(*root, toLocal(fileName));
    if (!written) {
        // Nothing was written; the title, folder and recent list stay as they were.
        reportError(QStringLiteral("[sError]"), QString::fromStdString(written.error().message()));
        return false;
    }
    setWindowTitle(mapWindowTitle(fileName));
    Settings().setString(QString::fromLatin1(settings::kSavePath), folderOfFile(fileName));
    AddRecentFile(fileName, RecentKind::Maps);
    return true;
}

void TMainForm::Savemapas1Click() {
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
    saveMapFile(file, filterIndex == 2);
}

void TMainForm::Exit1Click() {
    close();
}

void TMainForm::About1Click() {
    TAboutForm about(this);
    about.exec();
}

void TMainForm::Help2Click() {
    const QString file = QDir::current().filePath(QStringLiteral("Landwright.chm"));
    const bool opened =
        QFileInfo(file).isFile() &&
        (dialogs_.openWithSystem ? dialogs_.openWithSystem(file)
                                 : QDesktopServices::openUrl(QUrl::fromLocalFile(file)));
    if (!opened)
        reportError(QStringLiteral("[sHelpfile]"));
}

} // namespace lw

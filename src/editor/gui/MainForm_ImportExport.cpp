// The main window's import and export commands: 3DS models in and out, the heightmap preview
// (open, save, close, made from a node) and terrain from heightmap files.

#include "editor/gui/MainForm.h"

#include "core/MapLimits.h"

#include <memory>
#include <utility>

#include "editor/gui/PropertiesPage.h"
#include "io/HeightmapFile.h"
#include "io/gl/HeightmapRender.h"
#include "io/gl/ModelPreview.h"
#include "io/gui/ExportModelForm.h"
#include "io/gui/ImportHMForm.h"
#include "io/gui/ImportModelForm.h"
#include "render/gl/PoxelLists.h"
#include "render/gui/OpenGLBox.h"
#include "textures/gui/FormXom.h"
#include "ui/ErrorText.h"
#include "ui/Language.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace lw {

namespace {

const QString kHmpFilter = QStringLiteral("Height Map (*.hmp)");
const QString k3dsFilter = QStringLiteral("3ds model (*.3ds *.3DS)");

std::string localFile(const QString& fileName) {
    return fileName.toLocal8Bit().toStdString();
}

QString fromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text);
}

} // namespace

void TMainForm::connectImportExport() {
    ProcessTimer = new QTimer(this);
    ProcessTimer->setObjectName(QStringLiteral("ProcessTimer"));
    ProcessTimer->setInterval(30);
    connect(ProcessTimer, &QTimer::timeout, this, &TMainForm::repaintView);
    scene_.DrawImportedModel = [this] {
        if (!importModel_)
            return;
        if (importProcessing_)
            scene_.Camera.CamYaw += 0.2f;
        if (importModelShown_ && Show3DModel1->isChecked())
            gl::DrawImportedModel(*importModel_);
    };
    connect(Show3DModel1, &QAction::toggled, this, &TMainForm::repaintView);
    // The wireframe goes and comes back with the imported nodes (undo, redo); an undo that
    // left it drawn would look as if it had failed.
    connect(doc_, &MapDocument::nodeAboutToBeRemoved, this, [this](TPoxel*, TPoxel* node) {
        if (importGroup_ && isInSubtree(*node, *importGroup_))
            importModelShown_ = false;
    });
    connect(doc_, &MapDocument::nodeInserted, this, [this](TPoxel*, TPoxel* node) {
        if (importGroup_ && isInSubtree(*node, *importGroup_))
            importModelShown_ = true;
    });
    connect(doc_, &MapDocument::documentAboutToBeReplaced, this,
            [this] { importGroup_ = nullptr; });
    // The export writes the loaded textures: their table, names and the browser's images.
    exportTextures = [this, held = std::make_shared<ExportTextures>()]() -> const ExportTextures* {
        if (!texturesLoaded())
            return nullptr;
        *held = ExportTextures{&textureTable(), &textureNameList(), &formXom()->images()};
        return held.get();
    };

    for (QAction* a : {Import3ds1, Export3ds1, OpenHeightmap1, ImportHeightmap1})
        a->setEnabled(true);
    MakeHmap1->setEnabled(true);
    connect(Import3ds1, &QAction::triggered, this, &TMainForm::Import3ds1Click);
    connect(Export3ds1, &QAction::triggered, this, &TMainForm::Exportto3ds1Click);
    connect(OpenHeightmap1, &QAction::triggered, this, &TMainForm::OpenHeightmap1Click);
    connect(SaveHeightmap1, &QAction::triggered, this, &TMainForm::SaveHeightmap1Click);
    connect(CloseHeightmap1, &QAction::triggered, this, &TMainForm::CloseHeightmap1Click);
    connect(ImportHeightmap1, &QAction::triggered, this, &TMainForm::ImportHeightmap1Click);
    connect(MakeHmap1, &QAction::triggered, this, &TMainForm::MakeHmap1Click);

    PropertiesPage->HeightmapCommandsWired = true;
    connect(PropertiesPage->ImportHmap, &QPushButton::clicked, this, &TMainForm::ImportHmapClick);
    connect(PropertiesPage->ExportHmap, &QPushButton::clicked, this, &TMainForm::ExportHmapClick);
    connect(PropertiesPage->ImportImage, &QPushButton::clicked, this, &TMainForm::ImportImageClick);
    connect(PropertiesPage->ExportImage, &QPushButton::clicked, this, &TMainForm::ExportImageClick);
}

void TMainForm::runPictureDialog(TImportHMForm& dialog) {
    dialog.chooseOpenFile = [this](QWidget*, const QString& filter) {
        return chooseOpenFile(filter);
    };
    dialog.chooseSaveFile = [this](QWidget*, const QString& filter) {
        return chooseSaveFileFor(filter);
    };
    dialog.reportError = [this](QWidget*, const QString& text) {
        reportError(QStringLiteral("[sCannotUsePicture]"), text);
    };
    if (pictureDialogHook)
        QTimer::singleShot(0, &dialog, [this, &dialog] { pictureDialogHook(dialog); });
    dialog.exec();
}

// The heightmap preview while it is the selection (it lies in no document, so the selected
// poxel of the shown one never names it), else nullptr.
static TPoxel* selectedPreview(const TMainForm& form) {
    TPoxel* preview = form.heightmapPreview().poxel.get();
    return preview && form.SelectedId() != 0 && preview->ListId == form.SelectedId() ? preview
                                                                                     : nullptr;
}

// The poxel whose heights the Height Map panel shows: the preview, or a poxel of the shown
// document (of the edited map only when `editable`); nullptr for none.
static TPoxel* heightsTarget(TMainForm& form, bool editable) {
    if (TPoxel* preview = selectedPreview(form))
        return preview;
    TPoxel* node = form.selectedPoxel();
    if (!node || node->IsEntity || node->IsRoot || (editable && !form.document().contains(*node)))
        return nullptr;
    return node;
}

bool TMainForm::importHeightsFromPicture() {
    TPoxel* node = heightsTarget(*this, true);
    if (!node)
        return false;
    TImportHMForm dialog(this);
    dialog.prepareHeights(node->Heights, TImportHMForm::Direction::Import);
    runPictureDialog(dialog);
    if (!dialog.appliedHeights())
        return false;
    const THmap heights = *dialog.appliedHeights();
    if (node == selectedPreview(*this)) {
        // The preview is no part of the map: it changes in place, outside the history.
        node->Heights = heights;
        if (OpenGLBox_->glReady())
            OpenGLBox_->withContext([&] { gl::BuildPoxelMesh(*node, scene_.Textures); });
        showProperties();
        repaintView();
        return true;
    }
    if (!doc_->contains(*node))
        return false;
    return doc_->editNode(*node, langText("[sImportHeightMap]"), NodeChange::Geometry,
                          [&](PoxelContent& c) { c.Heights = heights; });
}

void TMainForm::ImportHmapClick() {
    importHeightsFromPicture();
}

void TMainForm::ExportHmapClick() {
    TPoxel* node = heightsTarget(*this, false);
    if (!node)
        return;
    TImportHMForm dialog(this);
    dialog.prepareHeights(node->Heights, TImportHMForm::Direction::Export);
    runPictureDialog(dialog);
}

void TMainForm::showMaskImage() {
    if (!heightmap_.poxel) {
        PropertiesPage->HImageView->clear();
        return;
    }
    PropertiesPage->HImageView->setPixmap(QPixmap::fromImage(greyImage(heightmap_.mask)));
}

void TMainForm::ImportImageClick() {
    if (!heightmap_.poxel)
        return;
    TImportHMForm dialog(this);
    if (auto st = dialog.preparePicture(heightmap_.mask, TImportHMForm::Direction::Import); !st)
        return;
    runPictureDialog(dialog);
    if (!dialog.appliedPicture() || !heightmap_.poxel)
        return;
    heightmap_.mask = *dialog.appliedPicture();
    updateMaskImage(heightmap_);
    if (OpenGLBox_->glReady())
        OpenGLBox_->withContext([&] { gl::BuildPoxelMesh(*heightmap_.poxel, scene_.Textures); });
    showMaskImage();
    repaintView();
}

void TMainForm::ExportImageClick() {
    if (!heightmap_.poxel)
        return;
    TImportHMForm dialog(this);
    if (auto st = dialog.preparePicture(heightmap_.mask, TImportHMForm::Direction::Export); !st)
        return;
    runPictureDialog(dialog);
}

QString TMainForm::chooseOpenFile(const QString& filter) {
    return dialogs_.openFile ? dialogs_.openFile(this, QString(), filter)
                             : QFileDialog::getOpenFileName(this, QString(), QString(), filter);
}

QString TMainForm::chooseSaveFileFor(const QString& filter) {
    return dialogs_.saveFile ? dialogs_.saveFile(this, QString(), filter, nullptr)
                             : QFileDialog::getSaveFileName(this, QString(), QString(), filter);
}

// ---- 3DS import ------------------------------------------------------------------------------

void TMainForm::Import3ds1Click() {
    import3dsFile(QString());
}

bool TMainForm::import3dsFile(const QString& fileName) {
    if (!fileName.isEmpty()) {
        // A dropped file that is no 3DS model is refused before the dialog asks for options.
        auto model = Read3ds(localFile(fileName));
        if (!model) {
            reportError(QStringLiteral("[sCannotImport3ds]"),
                        fileErrorDetail(fileName, fromLocal(model.error().message())));
            return false;
        }
    }
    TImport3DModel dialog(this);
    // A dropped model is what the dialog's Open takes first; after that it asks as usual.
    dialog.chooseFile = [this, preset = fileName](QWidget*) mutable {
        if (!preset.isEmpty())
            return std::exchange(preset, QString());
        return chooseOpenFile(k3dsFilter);
    };
    importModelShown_ = false;
    importGroup_ = nullptr;
    connect(&dialog, &TImport3DModel::modelRead, this, [this, &dialog] {
        importModel_ = dialog.model();
        importModelShown_ = true;
        Show3DModel1->setEnabled(true);
    });
    connect(&dialog, &TImport3DModel::objectStarted, this, [this](int index) {
        importProcessing_ = true;
        if (!importModel_ || index < 0 || size_t(index) >= importModel_->size())
            return;
        const TObj3D& o = (*importModel_)[size_t(index)];
        TCamera& c = scene_.Camera;
        c.CamPan = {-(o.BoxMin.X + o.BoxMax.X) / 2, -(o.BoxMin.Y + o.BoxMax.Y) / 2,
                    -(o.BoxMin.Z + o.BoxMax.Z) / 2};
        c.CamDistance = 3 * std::max({o.BoxMax.X - o.BoxMin.X, o.BoxMax.Y - o.BoxMin.Y,
                                      o.BoxMax.Z - o.BoxMin.Z});
    });
    ProcessTimer->start();
    Show3DModel1->setChecked(true);
    if (importDialogHook)
        QTimer::singleShot(0, &dialog, [this, &dialog] { importDialogHook(dialog); });
    dialog.exec();
    ProcessTimer->stop();
    importProcessing_ = false;
    if (dialog.error()) {
        reportError(QStringLiteral("[sCannotImport3ds]"),
                    fileErrorDetail(dialog.fileName(), fromLocal(dialog.error()->message())));
        repaintView();
        return false;
    }
    auto result = dialog.takeResult();
    // A cancel before the first poxel leaves the map as it was.
    const bool imported = result && !(result->Cancelled && result->Poxels.empty());
    if (imported) {
        ModelImport built = buildImportNodes(std::move(*result));
        // A map that could not be saved and opened again is refused before it exists.
        if (const Status fits = checkMapLimitsWith(*EditRoot(), *built.Group); !fits) {
            reportError(QStringLiteral("[sCannotImport3ds]"),
                        fileErrorDetail(dialog.fileName(),
                                        QString::fromStdString(fits.error().message())));
            repaintView();
            return false;
        }
        importGroup_ =
            doc_->insertNode(*EditRoot(), std::move(built.Group), langText("[sOpImport3ds]"));
    }
    repaintView();
    return imported;
}

// ---- 3DS export ------------------------------------------------------------------------------

void TMainForm::Exportto3ds1Click() {
    TExport3DModel dialog(this);
    dialog.chooseFile = [this](QWidget*) {
        return chooseSaveFileFor(QStringLiteral("3DS format (*.3ds)"));
    };
    dialog.selected = selectedPoxel();
    dialog.shownRoot = ShownRoot();
    // Textured export needs the loaded textures; until they are handed over here the box
    // stays disabled and the export is untextured.
    dialog.textures = exportTextures ? exportTextures() : nullptr;
    dialog.setTexturesAvailable(dialog.textures != nullptr);
    if (exportDialogHook)
        QTimer::singleShot(0, &dialog, [this, &dialog] { exportDialogHook(dialog); });
    dialog.exec();
    if (dialog.error())
        reportError(QStringLiteral("[sCannotExport3ds]"),
                    fileErrorDetail(dialog.fileName(), fromLocal(dialog.error()->message())));
}

// ---- Heightmap preview -----------------------------------------------------------------------

void TMainForm::setHeightmapPreview(HeightmapPreview preview) {
    if (heightmap_.poxel && scene_.Selected == heightmap_.poxel.get())
        scene_.Selected = nullptr;
    heightmap_ = std::move(preview);
    updateMaskImage(heightmap_);
    scene_.HeightmapPreview = heightmap_.poxel.get();
    if (OpenGLBox_->glReady())
        OpenGLBox_->withContext([&] { gl::BuildPoxelMesh(*heightmap_.poxel, scene_.Textures); });
    scene_.SelectedId = heightmap_.poxel->ListId;
    scene_.ZoomSelectedRequest = true;
    SaveHeightmap1->setEnabled(true);
    CloseHeightmap1->setEnabled(true);
    PropertiesPage->ImportImage->setEnabled(true);
    PropertiesPage->ExportImage->setEnabled(true);
    showMaskImage();
    repaintView();
    showProperties();
}

bool TMainForm::openHeightmapFile(const QString& fileName) {
    auto read = readHmpFile(localFile(fileName));
    if (!read) {
        reportError(QStringLiteral("[sCannotOpenHeightmap]"),
                    fileErrorDetail(fileName, fromLocal(read.error().message())));
        return false;
    }
    setHeightmapPreview(std::move(*read));
    return true;
}

bool TMainForm::saveHeightmapFile(const QString& chosen) {
    if (!heightmap_.poxel)
        return false;
    auto written = writeHmpFile(heightmap_, localFile(chosen));
    if (!written) {
        reportError(QStringLiteral("[sCannotSaveHeightmap]"),
                    fileErrorDetail(chosen, fromLocal(written.error().message())));
        return false;
    }
    return true;
}

void TMainForm::closeHeightmap() {
    if (!heightmap_.poxel)
        return;
    scene_.HeightmapPreview = nullptr;
    if (scene_.Selected == heightmap_.poxel.get())
        scene_.Selected = nullptr;
    heightmap_ = HeightmapPreview{};
    SaveHeightmap1->setEnabled(false);
    CloseHeightmap1->setEnabled(false);
    PropertiesPage->ImportImage->setEnabled(false);
    PropertiesPage->ExportImage->setEnabled(false);
    showMaskImage();
    scene_.SelectedId = EditRoot()->ListId;
    scene_.ZoomSelectedRequest = true;
    repaintView();
    showProperties();
}

bool TMainForm::makeHeightmapOf(TPoxel& node) {
    if (!OpenGLBox_->glReady())
        return false;
    Result<HeightmapPreview> made = Error{};
    OpenGLBox_->withContext([&] {
        std::vector<TPoxel*> pending{&node};
        while (!pending.empty()) {
            TPoxel* p = pending.back();
            pending.pop_back();
            if (!p->IsEntity && !gl::hasLists(*p))
                gl::BuildPoxelMesh(*p, scene_.Textures);
            for (auto& c : p->Children)
                pending.push_back(c.get());
        }
        made = gl::MakeHeightmap(scene_, node);
    });
    if (!made) {
        reportError(QStringLiteral("[sCannotMakeHeightmap]"), fromLocal(made.error().message()));
        return false;
    }
    setHeightmapPreview(std::move(*made));
    return true;
}

TPoxel* TMainForm::importHeightmapFile(const QString& fileName) {
    auto grid = readHmpHeights(localFile(fileName));
    if (!grid) {
        reportError(QStringLiteral("[sCannotOpenHeightmap]"),
                    fileErrorDetail(fileName, fromLocal(grid.error().message())));
        return nullptr;
    }
    TPoxel* group = doc_->insertNode(*EditRoot(), buildHeightmapTerrain(*grid),
                                     langText("[sOpImportHeightmap]"));
    if (group) {
        selectTreeNode(group);
        scene_.ZoomSelectedRequest = true;
        repaintView();
    }
    return group;
}

void TMainForm::OpenHeightmap1Click() {
    const QString file = chooseOpenFile(kHmpFilter);
    if (!file.isEmpty())
        openHeightmapFile(file);
}

void TMainForm::SaveHeightmap1Click() {
    if (!heightmap_.poxel)
        return;
    const QString file = chooseSaveFileFor(kHmpFilter);
    if (!file.isEmpty())
        saveHeightmapFile(file);
}

void TMainForm::CloseHeightmap1Click() {
    closeHeightmap();
}

void TMainForm::MakeHmap1Click() {
    if (TPoxel* node = treeSelectedPoxel())
        makeHeightmapOf(*node);
}

void TMainForm::ImportHeightmap1Click() {
    const QString file = chooseOpenFile(kHmpFilter);
    if (!file.isEmpty())
        importHeightmapFile(file);
}

} // namespace lw

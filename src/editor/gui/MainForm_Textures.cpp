// The texture commands: opening and saving texture lists, the texture browser and the box
// overview windows, "Load Textures" and the textures the meshes are built with.

#include "editor/gui/MainForm.h"

#include "editor/TextureCodeEdit.h"
#include "editor/gui/PropertiesPage.h"
#include "editor/gui/TextureGlState.h"
#include "editor/gui/ValueGrids.h"
#include "editor/tools/ToolModel.h"

#include "render/gl/PoxelLists.h"
#include "render/gui/OpenGLBox.h"
#include "textures/TextureListDocument.h"
#include "textures/TextureTable.h"
#include "textures/gl/BoxOverview.h"
#include "textures/gui/FormXom.h"
#include "textures/gui/ShowBoxForm.h"
#include "textures/gui/TexturePage.h"
#include "textures/gui/TextureSwatch.h"
#include "ui/Language.h"
#include "ui/Settings.h"
#include "ui/gui/EditX.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>

#include <optional>

namespace lw {

namespace {

const QString kTextureFilter = QStringLiteral("Texture File Brimlow (*.txt)");
constexpr int kTexturesTab = 2;

QString errorKey(const Error& e) {
    return e.key.empty() ? QStringLiteral("[sError]")
                         : QStringLiteral("[%1]").arg(QString::fromStdString(e.key));
}

} // namespace

void TMainForm::connectTextures() {
    textures_ = std::make_unique<TextureGlState>();
    FormXom_ = new TFormXom(this);
    FormShowBox_ = new TFormShowBox(this);
    Text1Paint = new TTextureSwatch(this);
    Text1Paint->setObjectName(QStringLiteral("Text1Paint"));
    Text2Paint = new TTextureSwatch(this);
    Text2Paint->setObjectName(QStringLiteral("Text2Paint"));
    PaintCurText = new TBoxThumbnail(this);
    PaintCurText->setObjectName(QStringLiteral("PaintCurText"));
    for (QWidget* placedLater :
         std::initializer_list<QWidget*>{Text1Paint, Text2Paint, PaintCurText})
        placedLater->hide();
    TexturePage_->setImageSource(FormXom_->TreeView1);
    for (TTextureSwatch* swatch : {Text1Paint, Text2Paint}) {
        swatch->setImageSource(FormXom_->TreeView1);
        swatch->decodeImage = [this](const QString& name, int side) {
            return FormXom_->swatchImage(name, side);
        };
    }
    connect(Text1Paint, &TTextureSwatch::imageDropped, this, [this] { swatchDropped(1); });
    connect(Text2Paint, &TTextureSwatch::imageDropped, this, [this] { swatchDropped(2); });

    connect(TexturePage_->ButOpenText, &QPushButton::clicked, this, &TMainForm::ButOpenTextClick);
    connect(TexturePage_->ButLoadTextur, &QPushButton::clicked, this,
            &TMainForm::ButLoadTexturClick);
    connect(TexturePage_->ButTexturesView, &QPushButton::clicked, this,
            &TMainForm::ButTexturesViewClick);
    connect(TexturePage_->ShowBox, &QPushButton::clicked, this, &TMainForm::ShowBoxClick);
    connect(OpenTextures1, &QAction::triggered, this, &TMainForm::ButOpenTextClick);
    connect(SaveTexturesList1, &QAction::triggered, this, &TMainForm::SaveTexturesList1Click);
    connect(SaveTextures1, &QAction::triggered, this, &TMainForm::SaveTextures1Click);
    for (int i = 8; i <= 12; ++i)
        connect(reopenItems_[static_cast<size_t>(i)], &QAction::triggered, this, [this, i] {
            const QString file = GetRecentFile(i, RecentKind::TextureLists);
            if (!file.isEmpty())
                openTextureListFile(file);
        });

    connect(FormXom_, &TFormXom::closed, this,
            [this] { TexturePage_->ButTexturesView->setChecked(false); });
    connect(FormShowBox_, &TFormShowBox::closed, this,
            [this] { TexturePage_->ShowBox->setChecked(false); });
    connect(FormXom_, &TFormXom::folderLoaded, this, [this](bool ok) {
        updateTextureCommands();
        if (!textures_->startUpLoad)
            return;
        textures_->startUpLoad = ok && !OpenGLBox_->glReady();
        if (ok && OpenGLBox_->glReady())
            loadTextures();
    });
    connect(textureList_, &TextureListDocument::listReplaced, this,
            &TMainForm::updateTextureCommands);
    connect(textureList_, &TextureListDocument::modifiedChanged, this,
            &TMainForm::updateTextureCommands);

    // The textures live in the view's context: they go with it and come back with the next.
    connect(OpenGLBox_, &TOpenGLBox::glAboutToBeDestroyed, this, [this] {
        textures_->reloadWithContext = textures_->loaded;
        releaseTextures();
    });
    connect(OpenGLBox_, &TOpenGLBox::glInitialized, this, [this] {
        const bool again =
            textures_->reloadWithContext ||
            (textures_->startUpLoad && !FormXom_->loading() && !FormXom_->images().empty());
        textures_->reloadWithContext = false;
        if (again) {
            textures_->startUpLoad = false;
            loadTextures();
        }
    });
    placeTextureControls();
}

void TMainForm::placeTextureControls() {
    TPropertiesPage* page = PropertiesPage;
    const std::pair<QWidget*, QWidget*> places[] = {
        {PaintCurText, page ? page->PaintCurText : nullptr},
        {Text1Paint, page ? page->Text1Paint : nullptr},
        {Text2Paint, page ? page->Text2Paint : nullptr}};
    for (const auto& [mine, placeholder] : places) {
        if (!placeholder) {
            mine->hide();
            continue;
        }
        // Over the page's own placeholder, in the same frame.
        mine->setParent(placeholder->parentWidget());
        mine->setGeometry(placeholder->geometry());
        placeholder->hide();
        mine->show();
        mine->raise();
    }
    if (!page)
        return;
    PaintCurText->setBox(page->EditX18->FloatVal());
    connect(page->EditX18, &TEditX::FloatFunc, this, &TMainForm::EditX18FloatFunc);
    connect(page->TextCodeTab, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) {
                if (index.isValid())
                    TextCodeTabDblClick(index.row() + 1);
            });
}

void TMainForm::TextCodeTabDblClick(int row) {
    TPropertiesPage* page = PropertiesPage;
    TPoxel* node = selectedPoxel();
    if (!page || !node || scene_.ShownRoot != doc_->root() || !doc_->contains(*node))
        return;
    TextureBrushMode mode = TextureBrushMode::Fill;
    switch (tools_->cellBrush()) {
    case CellBrush::Fill:
        mode = TextureBrushMode::Fill;
        break;
    case CellBrush::Get:
        mode = TextureBrushMode::Get;
        break;
    case CellBrush::Erase:
        mode = TextureBrushMode::Erase;
        break;
    case CellBrush::None:
        return;
    }
    TextureBrushValues values{page->EditX18->FloatVal(), page->EditX17->FloatVal(),
                              page->EditX19->FloatVal(), page->EditX20->FloatVal()};
    if (!lw::TextCodeTabDblClick(*doc_, *node, row, mode, values))
        return;
    if (mode != TextureBrushMode::Get)
        return; // the page and the view follow the document's change
    const std::pair<TEditX*, double> fields[] = {{page->EditX18, values.Box},
                                                 {page->EditX17, values.Mat},
                                                 {page->EditX19, values.Corners},
                                                 {page->EditX20, values.Blur}};
    for (const auto& [field, value] : fields)
        field->setFloatVal(value); // shows it and runs the field's handlers
}

void TMainForm::releaseTextures() {
    // Runs with the view's context current (or with no context at all).
    if (QOpenGLContext::currentContext())
        textures_->set.release();
    else
        textures_->set.forget();
    scene_.Textures = nullptr;
}

void TMainForm::updateTextureCommands() {
    const bool listOpen = textureList_->hasFile() || textureList_->boxCount() > 0;
    SaveTexturesList1->setEnabled(listOpen || textureList_->isModified());
    SaveTextures1->setEnabled(SaveTexturesList1->isEnabled());
    TexturePage_->ButLoadTextur->setEnabled(listOpen && !FormXom_->loading() &&
                                            !FormXom_->images().empty());
}

const TTextureList& TMainForm::textureTable() const {
    return textures_->table;
}

const std::vector<std::string>& TMainForm::textureNameList() const {
    return textures_->nameList;
}

bool TMainForm::texturesLoaded() const {
    return textures_->loaded && scene_.Textures != nullptr;
}

const QImage& TMainForm::boxOverview() const {
    return textures_->overview;
}

// ---- Texture lists --------------------------------------------------------------------------

void TMainForm::ButOpenTextClick() {
    const QString folder =
        Settings().string(QString::fromLatin1(settings::kPathTxt)).value_or(QString());
    const QString file =
        dialogs_.openFile ? dialogs_.openFile(this, folder, kTextureFilter)
                          : QFileDialog::getOpenFileName(this, QString(), folder, kTextureFilter);
    if (!file.isEmpty())
        openTextureListFile(file);
}

bool TMainForm::openTextureListFile(const QString& fileName) {
    if (!maybeSaveTextureList())
        return false;
    std::string dropped;
    const Status opened = textureList_->open(fileName, &dropped);
    if (!opened) {
        // The list, its label, the folder and the recent entries stay as they were.
        reportError(errorKey(opened.error()), QString::fromStdString(opened.error().detail));
        return false;
    }
    if (!dropped.empty())
        reportWarning(
            formatLangText(langText("[sTextureListDropped]"),
                           {QFileInfo(fileName).fileName(), QString::fromStdString(dropped)}));
    Settings().setString(QString::fromLatin1(settings::kPathTxt), folderOfFile(fileName));
    AddRecentFile(fileName, RecentKind::TextureLists);
    PageControl2->setCurrentIndex(kTexturesTab);
    // The overview shows the boxes loaded last, not this list's: it waits for the next load.
    TexturePage_->ShowBox->setEnabled(false);
    TexturePage_->ShowBox->setChecked(false);
    FormShowBox_->hide();
    PaintCurText->setOverview(QImage());
    updateTextureCommands();
    return true;
}

void TMainForm::SaveTexturesList1Click() {
    const QString start =
        textureList_->fileName().isEmpty()
            ? Settings().string(QString::fromLatin1(settings::kPathTxt)).value_or(QString())
            : textureList_->fileName();
    const QString file = dialogs_.saveFile
                             ? dialogs_.saveFile(this, start, kTextureFilter, nullptr)
                             : QFileDialog::getSaveFileName(this, QString(), start, kTextureFilter);
    if (!file.isEmpty())
        saveTextureListFile(file);
}

bool TMainForm::saveTextureListFile(const QString& fileName) {
    const QString local = QString::fromStdString(withTxtExtension(fileName.toStdString()));
    const Status saved = textureList_->save(local);
    if (!saved) {
        reportError(errorKey(saved.error()), QString::fromStdString(saved.error().detail));
        return false;
    }
    AddRecentFile(local, RecentKind::TextureLists);
    updateTextureCommands();
    return true;
}

bool TMainForm::maybeSaveTextureList() {
    if (!textureList_->isModified())
        return true;
    const QString name = textureList_->fileName().isEmpty()
                             ? langText("[sUntitled]")
                             : QFileInfo(textureList_->fileName()).fileName();
    const int answer = askSaveChanges(name);
    if (answer == QMessageBox::Discard)
        return true;
    if (answer != QMessageBox::Save)
        return false;
    if (textureList_->hasFile())
        return saveTextureListFile(textureList_->fileName());
    const QString file =
        dialogs_.saveFile
            ? dialogs_.saveFile(this, QString(), kTextureFilter, nullptr)
            : QFileDialog::getSaveFileName(this, QString(), QString(), kTextureFilter);
    return !file.isEmpty() && saveTextureListFile(file);
}

// ---- Windows ----------------------------------------------------------------------------------

void TMainForm::ButTexturesViewClick() {
    if (FormXom_->isVisible())
        FormXom_->close();
    else
        FormXom_->show();
    TexturePage_->ButTexturesView->setChecked(FormXom_->isVisible());
}

void TMainForm::ShowBoxClick() {
    if (FormShowBox_->isVisible())
        FormShowBox_->close();
    else
        FormShowBox_->show();
    TexturePage_->ShowBox->setChecked(FormShowBox_->isVisible());
}

void TMainForm::EditX18FloatFunc(double value) {
    PaintCurText->setBox(value);
}

// ---- Loading textures -------------------------------------------------------------------------

void TMainForm::ButLoadTexturClick() {
    loadTextures();
}

bool TMainForm::loadTextures() {
    if (!OpenGLBox_->glReady()) {
        textures_->startUpLoad = true; // the context comes with the first paint
        return false;
    }
    const TextureBoxList& list = textureList_->list();
    const size_t total = buildTextureNameList(list).size();
    std::unique_ptr<QProgressDialog> progress;
    if (total > 16) {
        progress = std::make_unique<QProgressDialog>(langText("[sLoadingTextures]"),
                                                     langText("[sCancel]"), 0, int(total), this);
        progress->setObjectName(QStringLiteral("LoadProgress"));
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(500);
    }
    std::optional<Result<gl::LoadedTextures>> loaded;
    OpenGLBox_->withContext([&] {
        loaded.emplace(gl::UploadTextureList(list, FormXom_->images(), textures_->table,
                                             [&](size_t done, size_t) {
                                                 if (!progress)
                                                     return true;
                                                 progress->setValue(int(done));
                                                 return !progress->wasCanceled();
                                             }));
    });
    progress.reset();
    if (!loaded->ok()) {
        // Nothing was uploaded: the textures in use and the meshes stay as they are.
        const Error& e = loaded->error();
        reportError(errorKey(e), QString::fromStdString(e.detail));
        return false;
    }
    gl::LoadedTextures& made = loaded->value();
    if (!made.Blank.empty()) {
        QStringList blank;
        for (const std::string& b : made.Blank)
            blank << QString::fromStdString(b);
        reportWarning(
            formatLangText(langText("[sTexturesLeftBlank]"), {blank.join(QStringLiteral("; "))}));
    }
    TextureGlState& t = *textures_;
    QFont numberFont(font());
    numberFont.setPixelSize(40);
    OpenGLBox_->withContext([&] {
        t.set.release();
        t.set = std::move(made.Textures);
        t.table = made.Table;
        t.nameList = std::move(made.TextureNameList);
        t.binding = t.set.bindingTable(t.table);
        scene_.Textures = &t.binding;
        if (TPoxel* preview = scene_.HeightmapPreview;
            preview && preview->HmTex1 == int32_t(gl::kHeightmapTexture1) &&
            preview->HmTex2 == int32_t(gl::kHeightmapTexture2)) {
            if (const Status up =
                    gl::UploadHeightmapTextures(gl::kHeightmapTexture1, gl::kHeightmapTexture2,
                                                FormXom_->FindImage(Text1Paint->imageName()),
                                                FormXom_->FindImage(Text2Paint->imageName()));
                !up)
                reportErrorText(QString::fromStdString(up.error().message()));
            gl::BuildPoxelTree(*preview, nullptr);
        }
        for (TPoxel* root : {doc_->root(), doc_->importMapRoot(), doc_->importObjectRoot()})
            if (root)
                gl::BuildPoxelTree(*root, scene_.Textures);
        QOpenGLFramebufferObject target(gl::kBoxRenderSize, gl::kBoxRenderSize,
                                        QOpenGLFramebufferObject::Depth);
        target.bind();
        t.overview = gl::BuildBoxOverview(t.binding, numberFont);
        target.release();
    });
    t.loaded = true;
    extures1->setEnabled(true);
    extures1->setChecked(true);
    scene_.ShowTextures = true;
    FormShowBox_->setOverview(t.overview);
    PaintCurText->setOverview(t.overview);
    TexturePage_->ShowBox->setEnabled(true);
    repaintView();
    return true;
}

void TMainForm::openTexturesAtStart(const QString& list, const QString& bundles) {
    if (!list.isEmpty() && !openTextureListFile(list))
        return;
    if (bundles.isEmpty())
        return;
    textures_->startUpLoad = true;
    FormXom_->loadFolder(bundles);
}

void TMainForm::swatchDropped(int swatch) {
    TPoxel* preview = scene_.HeightmapPreview;
    if (!preview)
        return;
    TTextureSwatch* source = swatch == 1 ? Text1Paint : Text2Paint;
    const GLuint id = swatch == 1 ? gl::kHeightmapTexture1 : gl::kHeightmapTexture2;
    (swatch == 1 ? preview->HmTex1 : preview->HmTex2) = int32_t(id);
    if (OpenGLBox_->glReady())
        OpenGLBox_->withContext([&] {
            if (const Status up = gl::UploadHeightmapTextures(
                    id, 0, FormXom_->FindImage(source->imageName()), nullptr);
                !up)
                reportErrorText(QString::fromStdString(up.error().message()));
            gl::BuildPoxelMesh(*preview, nullptr);
        });
    repaintView();
}

} // namespace lw

#include "io/gui/ImportHMForm.h"

#include "io/PictureFile.h"
#include "ui/ErrorText.h"
#include "ui/Language.h"
#include "ui/Settings.h"
#include "ui/gui/EditX.h"
#include "ui/gui/ErrorBox.h"
#include "ui/gui/LangBind.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>

namespace lw {

namespace {

const QString kOpenFilter =
    QStringLiteral("All (*.jpg *.jpeg *.bmp);;JPEG Image File (*.jpg);;Bitmaps (*.bmp)");
const QString kSaveFilter = QStringLiteral("Bitmap File (*.bmp)");

TEditX* makeField(QWidget* parent, const char* name, int y, double lo, double hi, int precision,
                  double step, double value) {
    auto* field = new TEditX(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setGeometry(430, y, 100, 21);
    field->setRange(lo, hi);
    field->setPrecision(precision);
    field->setFloatDiv(step);
    field->setLabelPosition(LabelPosition::Left);
    field->setFloatVal(value);
    return field;
}

// Contrast, Max Val and Min Val are kept under their designer names.
QString pictureSetting(const QWidget* field) {
    return QLatin1String(settings::kHeightPictureGroup) + field->objectName();
}

QPushButton* makeButton(QWidget* parent, const char* name, int y) {
    auto* b = new QPushButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(360, y, 170, 26);
    return b;
}

} // namespace

QImage greyImage(const GreyPicture& picture) {
    QImage image(std::max(picture.width, 1), std::max(picture.height, 1),
                 QImage::Format_Grayscale8);
    image.fill(0);
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(picture.pixels.data() + size_t(y) * size_t(picture.width),
                    size_t(picture.width), image.scanLine(y));
    return image;
}

TImportHMForm::TImportHMForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ImportHMForm"));
    setFixedSize(545, 360);
    auto* frame1 = new QFrame(this);
    frame1->setFrameShape(QFrame::Box);
    frame1->setGeometry(8, 8, 340, 340);
    PaintBox1 = new QLabel(frame1);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->setGeometry(2, 2, kPicturePreviewSize, kPicturePreviewSize);
    auto* frame2 = new QFrame(this);
    frame2->setObjectName(QStringLiteral("Panel2"));
    frame2->setFrameShape(QFrame::Box);
    frame2->setGeometry(360, 8, 105, 105);
    PaintBox2 = new QLabel(frame2);
    PaintBox2->setObjectName(QStringLiteral("PaintBox2"));

    Button1 = makeButton(this, "Button1", 120);
    EditX3 = makeField(this, "EditX3", 156, 0, 100, 1, 0.1, 50);
    EditX2 = makeField(this, "EditX2", 186, -100, 100, 2, 0.01, 5);
    EditX1 = makeField(this, "EditX1", 216, -100, 100, 2, 0.01, 0);
    Invert = new QCheckBox(this);
    Invert->setObjectName(QStringLiteral("Invert"));
    Invert->setGeometry(360, 246, 100, 20);
    Button2 = makeButton(this, "Button2", 272);
    Button4 = makeButton(this, "Button4", 298);
    Button3 = makeButton(this, "Button3", 326);

    LangRegistry& r = appLangRegistry();
    const std::pair<const char*, QWidget*> texts[] = {
        {"[sOpenImage_]", Button1}, {"[sContrast]", EditX3}, {"[sMaxVal]", EditX2},
        {"[sMinVal]", EditX1},      {"[sInvert]", Invert},   {"[sApply]", Button2},
        {"[sSaveImage_]", Button4}, {"[sClose]", Button3}};
    for (const auto& [key, control] : texts)
        bindCaptionAndName(r, QString::fromLatin1(key), control);
    bindAccessibleName(r, QStringLiteral("[sPicturePreview]"), PaintBox1);
    bindAccessibleName(r, QStringLiteral("[sPictureAtGridSize]"), PaintBox2);
    r.apply(appLanguage());

    connect(Button1, &QPushButton::clicked, this, &TImportHMForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TImportHMForm::Button2Click);
    connect(Button4, &QPushButton::clicked, this, &TImportHMForm::Button4Click);
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
    connect(EditX3, &TEditX::FloatFunc, this, &TImportHMForm::processPicture);
    connect(Invert, &QCheckBox::toggled, this, &TImportHMForm::processPicture);
}

TImportHMForm::~TImportHMForm() = default;

void TImportHMForm::done(int result) {
    if (direction_ == Direction::Import) {
        Settings stored;
        for (TEditX* field : {EditX3, EditX2, EditX1})
            stored.setNumber(pictureSetting(field), field->FloatVal());
    }
    QDialog::done(result);
}

void TImportHMForm::begin(Direction direction, Kind kind) {
    direction_ = direction;
    kind_ = kind;
    appliedHeights_.reset();
    appliedPicture_.reset();
    const bool import = direction == Direction::Import;
    for (QWidget* w : std::initializer_list<QWidget*>{Button1, EditX3, EditX2, EditX1, Invert})
        w->setEnabled(import);
    Button2->setEnabled(false);
    Button4->setEnabled(!import);
    {
        const QSignalBlocker block(Invert);
        Invert->setChecked(false);
    }
    if (import) {
        // The values of the last import come back; an export shows the grid's own range.
        const Settings stored;
        for (TEditX* field : {EditX3, EditX2, EditX1})
            if (const auto v = stored.number(pictureSetting(field)))
                field->setFloatVal(*v);
    }
    const char* key = kind == Kind::Image
                          ? (import ? "[sImportMaskTexture]" : "[sExportMaskTexture]")
                          : (import ? "[sImportHeightMap]" : "[sExportHeightMap]");
    setWindowTitle(langText(key));
}

void TImportHMForm::prepareHeights(const THmap& grid, Direction direction) {
    begin(direction, Kind::Heights);
    grid_ = grid;
    const int w = int(grid.size());
    const int h = grid.empty() ? 0 : int(grid.front().size());
    session_ = std::make_unique<HeightPictureSession>(w, h);
    if (direction == Direction::Export) {
        const GridRange range = session_->prepareFromGrid(grid);
        EditX2->setFloatVal(range.max);
        EditX1->setFloatVal(range.min);
        const QSignalBlocker block(EditX3);
        EditX3->setFloatVal(0);
    }
    showPictures();
}

Status TImportHMForm::preparePicture(const GreyPicture& picture, Direction direction) {
    begin(direction, Kind::Image);
    session_ = std::make_unique<HeightPictureSession>(picture.width, picture.height);
    Status st = session_->prepareFromPicture(picture);
    showPictures();
    return st;
}

Status TImportHMForm::openImage(const QString& fileName) {
    auto loaded = loadPicture(fileName.toLocal8Bit().toStdString());
    if (!loaded)
        return loaded.error();
    if (!session_)
        return Error{"", "Nothing to import into", fileName.toStdString()};
    if (auto st = session_->openPicture(*loaded, EditX3->FloatVal(), Invert->isChecked()); !st)
        return st;
    Button2->setEnabled(true);
    Button4->setEnabled(true);
    showPictures();
    return Ok{};
}

Result<std::string> TImportHMForm::saveImage(const QString& chosen) {
    if (!session_ || !session_->hasPicture())
        return Error{"", "No picture to save", chosen.toStdString()};
    return session_->saveImage(chosen.toLocal8Bit().toStdString());
}

void TImportHMForm::Button1Click() {
    const QString file =
        chooseOpenFile ? chooseOpenFile(this, kOpenFilter)
                       : QFileDialog::getOpenFileName(this, QString(), QString(), kOpenFilter);
    if (file.isEmpty())
        return;
    if (auto st = openImage(file); !st)
        fail(fileErrorDetail(file, QString::fromLocal8Bit(st.error().message())));
}

void TImportHMForm::Button4Click() {
    const QString file =
        chooseSaveFile ? chooseSaveFile(this, kSaveFilter)
                       : QFileDialog::getSaveFileName(this, QString(), QString(), kSaveFilter);
    if (file.isEmpty())
        return;
    if (auto saved = saveImage(file); !saved)
        fail(fileErrorDetail(file, QString::fromLocal8Bit(saved.error().message())));
}

void TImportHMForm::Button2Click() {
    if (!session_ || !session_->hasPicture())
        return;
    if (kind_ == Kind::Image) {
        appliedPicture_ = session_->picture();
    } else {
        THmap grid = grid_;
        session_->applyToGrid(grid, EditX1->FloatVal(), EditX2->FloatVal());
        appliedHeights_ = std::move(grid);
    }
    accept();
}

void TImportHMForm::processPicture() {
    if (!session_ || !session_->hasPicture() || direction_ != Direction::Import)
        return;
    session_->process(EditX3->FloatVal(), Invert->isChecked());
    showPictures();
}

void TImportHMForm::showPictures() {
    if (!session_ || !session_->hasPicture()) {
        PaintBox1->clear();
        PaintBox2->clear();
        return;
    }
    PaintBox1->setPixmap(QPixmap::fromImage(greyImage(session_->preview())));
    const GreyPicture& small = session_->picture();
    const int w = std::min(small.width, 101), h = std::min(small.height, 101);
    PaintBox2->setGeometry((105 - w) / 2, (105 - h) / 2, w, h);
    PaintBox2->setPixmap(QPixmap::fromImage(greyImage(small)));
}

void TImportHMForm::fail(const QString& text) {
    if (reportError)
        reportError(this, text);
    else
        showErrorBox(this, langText("[sError]"), text);
}

} // namespace lw

#include "io/gui/ImportModelForm.h"

#include "ui/Language.h"
#include "ui/Settings.h"
#include "ui/gui/EditX.h"
#include "ui/gui/LangBind.h"
#include "ui/gui/StylePaint.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>

namespace lw {

// What the worker and the dialog share. The worker writes under the lock and never touches
// anything else of the program; the dialog polls. Either side may be gone first.
struct ImportJob {
    std::mutex lock;
    std::string full;
    std::string poxel;
    int mainPercent = 0;
    int poxelPercent = 0;
    std::shared_ptr<const TObjArray3D> model;
    int current = -1;
    std::vector<PoxelContent> finished; // poxels made so far, in piece order
    bool abandoned = false;             // the dialog took what there was and left
    bool done = false;
    std::optional<Result<DetachedImport>> result;
    std::atomic<bool> cancel{false};
};

namespace {

TEditX* makeField(QWidget* parent, const char* name, int y, double lo, double hi, int precision,
                  double step) {
    auto* field = new TEditX(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setGeometry(150, y, 90, 21);
    field->setRange(lo, hi);
    field->setPrecision(precision);
    field->setFloatDiv(step);
    field->setLabelPosition(LabelPosition::Left);
    return field;
}

QCheckBox* makeCheck(QWidget* parent, const char* name, int x, int y) {
    auto* box = new QCheckBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(x, y, 170, 20);
    return box;
}

} // namespace

TImport3DModel::TImport3DModel(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ProgressRows(this) {
    setObjectName(QStringLiteral("Import3DModel"));
    setFixedSize(440, 330);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(10, 92, 420, 190);
    applyStyleSurface(GroupBox1, StyleSurface::GroupBox);
    SizeX = makeField(GroupBox1, "SizeX", 22, 1, 30, 0, 1);
    SizeZ = makeField(GroupBox1, "SizeZ", 48, 1, 30, 0, 1);
    MaxLayers = makeField(GroupBox1, "MaxLayers", 74, 2, 26, 0, 1);
    Quality = makeField(GroupBox1, "Quality", 100, 0.0001, 1, 4, 0.0001);
    Smooth1 = makeCheck(GroupBox1, "Smooth1", 260, 22);
    Smooth2 = makeCheck(GroupBox1, "Smooth2", 260, 48);
    LayersSmooth = makeCheck(GroupBox1, "LayersSmooth", 260, 74);
    HtMap = makeCheck(GroupBox1, "HtMap", 260, 126);
    HtMap->setText(QStringLiteral("Height Map"));
    VoxDiv = makeCheck(GroupBox1, "VoxDiv", 260, 152);
    VoxDiv->setText(QStringLiteral("VoxDiv"));

    Open3ds = new QPushButton(this);
    Open3ds->setObjectName(QStringLiteral("Open3ds"));
    Open3ds->setGeometry(10, 292, 100, 26);
    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(120, 292, 100, 26);
    Cancel = new QPushButton(this);
    Cancel->setObjectName(QStringLiteral("Cancel"));
    Cancel->setGeometry(330, 292, 100, 26);

    LangRegistry& r = appLangRegistry();
    bindCaption(r, QStringLiteral("[ImportForm]"), this);
    bindCaption(r, QStringLiteral("[ImportFormOptions]"), GroupBox1);
    bindCaption(r, QStringLiteral("[sOpen...]"), Open3ds);
    bindCaption(r, QStringLiteral("[sCancel]"), Cancel);
    bindCaption(r, QStringLiteral("[sDefault]"), Button1);
    const std::pair<const char*, TEditX*> fields[] = {{"[ImportFormPoxelSizeX]", SizeX},
                                                      {"[ImportFormPoxelSizeZ]", SizeZ},
                                                      {"[ImportFormMaxLayers]", MaxLayers},
                                                      {"[ImportFormQLayersSmooth]", Quality}};
    for (const auto& [key, field] : fields)
        bindCaptionAndName(r, QString::fromLatin1(key), field);
    bindCaption(r, QStringLiteral("[sTopSmooth]"), Smooth1);
    bindCaption(r, QStringLiteral("[sSideSmooth]"), Smooth2);
    bindCaption(r, QStringLiteral("[ImportFormLayersSmooth]"), LayersSmooth);
    r.apply(appLanguage());
    for (QCheckBox* box : {Smooth1, Smooth2, LayersSmooth, HtMap, VoxDiv})
        box->setAccessibleName(box->text());

    connect(Open3ds, &QPushButton::clicked, this, &TImport3DModel::Open3dsClick);
    connect(Cancel, &QPushButton::clicked, this, &TImport3DModel::CancelClick);
    connect(Button1, &QPushButton::clicked, this, &TImport3DModel::Button1Click);
    connect(HtMap, &QCheckBox::clicked, this, &TImport3DModel::HtMapClick);
    connect(VoxDiv, &QCheckBox::clicked, this, &TImport3DModel::VoxDivClick);

    pollTimer_ = new QTimer(this);
    pollTimer_->setInterval(15);
    connect(pollTimer_, &QTimer::timeout, this, &TImport3DModel::poll);

    Button1Click();
    restoreOptions();
    HtMapClick();
}

namespace {

QString import3dsSetting(const char* control) {
    return QLatin1String(settings::kImport3dsGroup) + QLatin1String(control);
}

} // namespace

void TImport3DModel::restoreOptions() {
    // What was chosen last time, each value that was stored and reads back; defaults otherwise.
    const Settings stored;
    ApoxelOptions o = options();
    auto number = [&stored](const char* control, double fallback) {
        return stored.number(import3dsSetting(control)).value_or(fallback);
    };
    auto flag = [&number](const char* control, bool fallback) {
        return number(control, fallback ? 1 : 0) != 0;
    };
    o.SizeX = static_cast<int32_t>(std::lround(number("SizeX", o.SizeX)));
    o.SizeZ = static_cast<int32_t>(std::lround(number("SizeZ", o.SizeZ)));
    o.MaxLayers = static_cast<int32_t>(std::lround(number("MaxLayers", o.MaxLayers)));
    o.Quality = number("Quality", o.Quality);
    o.TopSmooth = flag("Smooth1", o.TopSmooth);
    o.SideSmooth = flag("Smooth2", o.SideSmooth);
    o.LayersSmooth = flag("LayersSmooth", o.LayersSmooth);
    o.HeightMap = flag("HtMap", o.HeightMap);
    o.VoxDiv = flag("VoxDiv", o.VoxDiv);
    setOptions(o); // the fields keep every value inside their ranges
}

void TImport3DModel::rememberOptions() const {
    Settings stored;
    const std::pair<const char*, double> values[] = {
        {"SizeX", SizeX->FloatVal()},
        {"SizeZ", SizeZ->FloatVal()},
        {"MaxLayers", MaxLayers->FloatVal()},
        {"Quality", Quality->FloatVal()},
        {"Smooth1", Smooth1->isChecked() ? 1 : 0},
        {"Smooth2", Smooth2->isChecked() ? 1 : 0},
        {"LayersSmooth", LayersSmooth->isChecked() ? 1 : 0},
        {"HtMap", HtMap->isChecked() ? 1 : 0},
        {"VoxDiv", VoxDiv->isChecked() ? 1 : 0},
    };
    for (const auto& [control, value] : values)
        stored.setNumber(import3dsSetting(control), value);
}

TImport3DModel::~TImport3DModel() {
    // A worker still running finishes on its own; nothing it touches belongs to this window.
    if (job_) {
        job_->cancel = true;
        std::lock_guard guard(job_->lock);
        job_->abandoned = true;
    }
}

ApoxelOptions TImport3DModel::options() const {
    ApoxelOptions o;
    o.SizeX = static_cast<int32_t>(std::lround(SizeX->FloatVal()));
    o.SizeZ = static_cast<int32_t>(std::lround(SizeZ->FloatVal()));
    o.MaxLayers = static_cast<int32_t>(std::lround(MaxLayers->FloatVal()));
    o.Quality = Quality->FloatVal();
    o.TopSmooth = Smooth1->isChecked();
    o.SideSmooth = Smooth2->isChecked();
    o.LayersSmooth = LayersSmooth->isChecked();
    o.HeightMap = HtMap->isChecked();
    o.VoxDiv = o.HeightMap && VoxDiv->isChecked();
    return o;
}

void TImport3DModel::setOptions(const ApoxelOptions& o) {
    SizeX->setFloatVal(o.SizeX);
    SizeZ->setFloatVal(o.SizeZ);
    MaxLayers->setFloatVal(o.MaxLayers);
    Quality->setFloatVal(o.Quality);
    Smooth1->setChecked(o.TopSmooth);
    Smooth2->setChecked(o.SideSmooth);
    LayersSmooth->setChecked(o.LayersSmooth);
    HtMap->setChecked(o.HeightMap);
    VoxDiv->setChecked(o.VoxDiv);
    VoxDiv->setEnabled(o.HeightMap);
}

void TImport3DModel::Button1Click() {
    setOptions(ApoxelOptions{});
}

void TImport3DModel::HtMapClick() {
    VoxDiv->setEnabled(HtMap->isChecked());
}

void TImport3DModel::VoxDivClick() {
    Quality->setFloatVal(VoxDiv->isChecked() ? 1.0 : 0.05);
}

void TImport3DModel::Open3dsClick() {
    QString file;
    if (chooseFile)
        file = chooseFile(this);
    else
        file = QFileDialog::getOpenFileName(this, QString(), QString(),
                                            QStringLiteral("3ds model (*.3ds *.3DS)"));
    if (file.isEmpty()) {
        finishWith(QDialog::Rejected);
        return;
    }
    startImport(file);
}

void TImport3DModel::startImport(const QString& fileName) {
    if (running())
        return;
    fileName_ = fileName;
    result_.reset();
    error_.reset();
    model_.reset();
    current_ = -1;
    const ApoxelOptions o = options();
    if (auto st = checkApoxelOptions(o); !st) {
        error_ = st.error();
        finishWith(QDialog::Rejected);
        return;
    }
    auto job = std::make_shared<ImportJob>();
    job_ = job;
    Open3ds->setEnabled(false);
    GroupBox1->setEnabled(false);
    const std::string file = fileName.toLocal8Bit().toStdString();
    std::thread([job, file, o] {
        ImportFeedback feedback;
        feedback.Cancel = &job->cancel;
        feedback.OnStage = [job](const std::string& full, const std::string& poxel) {
            std::lock_guard guard(job->lock);
            job->full = full;
            job->poxel = poxel;
        };
        feedback.OnProgress = [job](int mainPercent, int poxelPercent) {
            std::lock_guard guard(job->lock);
            if (mainPercent >= 0)
                job->mainPercent = mainPercent;
            if (poxelPercent >= 0)
                job->poxelPercent = poxelPercent;
        };
        feedback.OnRead = [job](const TObjArray3D& objects) {
            auto copy = std::make_shared<const TObjArray3D>(objects);
            std::lock_guard guard(job->lock);
            job->model = std::move(copy);
        };
        feedback.OnObject = [job](size_t index) {
            std::lock_guard guard(job->lock);
            job->current = static_cast<int>(index);
        };
        feedback.OnPoxel = [job](size_t, const PoxelContent& poxel) {
            std::lock_guard guard(job->lock);
            if (!job->abandoned)
                job->finished.push_back(poxel);
        };
        auto result = importModel3dsDetached(file, o, feedback);
        std::lock_guard guard(job->lock);
        job->result = std::move(result);
        job->done = true;
        job->current = -1;
    }).detach();
    pollTimer_->start();
}

bool TImport3DModel::running() const {
    return job_ != nullptr;
}

void TImport3DModel::poll() {
    if (!job_)
        return;
    std::string full, poxel;
    int mainPercent = 0, poxelPercent = 0, current = -1;
    bool done = false;
    bool newModel = false;
    {
        std::lock_guard guard(job_->lock);
        full = job_->full;
        poxel = job_->poxel;
        mainPercent = job_->mainPercent;
        poxelPercent = job_->poxelPercent;
        current = job_->current;
        if (job_->model && job_->model != model_) {
            model_ = job_->model;
            newModel = true;
        }
        done = job_->done;
        if (done) {
            if (job_->result->ok())
                result_ = std::move(job_->result->value());
            else
                error_ = job_->result->error();
        }
    }
    showStage(full, poxel);
    showPercents(mainPercent, poxelPercent);
    if (newModel)
        emit modelRead();
    if (current != current_ && !done) {
        current_ = current;
        if (current >= 0)
            emit objectStarted(current);
    }
    if (done) {
        current_ = -1;
        job_.reset();
        pollTimer_->stop();
        finishWith(error_ ? QDialog::Rejected : QDialog::Accepted);
    }
}

void TImport3DModel::CancelClick() {
    if (job_) {
        // The worker makes no further poxel; what it finished stays, and the dialog goes at
        // once instead of waiting for the piece in hand.
        job_->cancel = true;
        DetachedImport partial =
            apoxelateDetached(fileName_.toLocal8Bit().toStdString(), {}, ApoxelOptions{});
        {
            std::lock_guard guard(job_->lock);
            job_->abandoned = true;
            if (job_->done && job_->result->ok()) {
                partial = std::move(job_->result->value());
            } else {
                partial.Poxels = std::move(job_->finished);
            }
        }
        partial.Cancelled = true;
        result_ = std::move(partial);
        job_.reset();
        pollTimer_->stop();
        current_ = -1;
    }
    finishWith(QDialog::Rejected);
}

void TImport3DModel::reject() {
    // Esc and the window's close button cancel as the button does.
    if (job_)
        CancelClick();
    else
        finishWith(QDialog::Rejected);
}

void TImport3DModel::finishWith(int code) {
    rememberOptions();
    Open3ds->setEnabled(true);
    GroupBox1->setEnabled(true);
    done(code);
}

std::optional<DetachedImport> TImport3DModel::takeResult() {
    auto r = std::move(result_);
    result_.reset();
    return r;
}

std::shared_ptr<const TObjArray3D> TImport3DModel::model() const {
    return model_;
}

} // namespace lw

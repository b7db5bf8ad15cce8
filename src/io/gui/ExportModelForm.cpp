#include "io/gui/ExportModelForm.h"

#include "ui/Language.h"
#include "ui/Settings.h"
#include "ui/gui/LangBind.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>

namespace lw {

namespace {

QString exportSetting(const char* control) {
    return QLatin1String(settings::kExport3dsGroup) + QLatin1String(control);
}

} // namespace

TExport3DModel::TExport3DModel(QWidget* parent) : QDialog(parent), ProgressRows(this) {
    setObjectName(QStringLiteral("Export3DModel"));
    setFixedSize(440, 210);
    SaveGroup = new QGroupBox(this);
    SaveGroup->setObjectName(QStringLiteral("SaveGroup"));
    SaveGroup->setGeometry(10, 92, 420, 50);
    auto* row = new QHBoxLayout(SaveGroup);
    SelectModel = new QRadioButton(SaveGroup);
    SelectModel->setObjectName(QStringLiteral("SelectModel"));
    FullMap = new QRadioButton(SaveGroup);
    FullMap->setObjectName(QStringLiteral("FullMap"));
    row->addWidget(SelectModel);
    row->addWidget(FullMap);
    row->addStretch();
    SelectModel->setChecked(true);
    Textures = new QCheckBox(this);
    Textures->setObjectName(QStringLiteral("Textures"));
    Textures->setGeometry(10, 150, 200, 20);
    Save3ds = new QPushButton(this);
    Save3ds->setObjectName(QStringLiteral("Save3ds"));
    Save3ds->setGeometry(220, 176, 100, 26);
    Cancel = new QPushButton(this);
    Cancel->setObjectName(QStringLiteral("Cancel"));
    Cancel->setGeometry(330, 176, 100, 26);

    LangRegistry& r = appLangRegistry();
    bindCaption(r, QStringLiteral("[ExportForm]"), this);
    bindCaption(r, QStringLiteral("[sSave]"), SaveGroup);
    bindCaption(r, QStringLiteral("[ExportFormSelectModel]"), SelectModel);
    bindCaption(r, QStringLiteral("[ExportFormFullMap]"), FullMap);
    bindCaption(r, QStringLiteral("[ExportFormTextures]"), Textures);
    bindCaption(r, QStringLiteral("[sSave...]"), Save3ds);
    bindCaption(r, QStringLiteral("[sCancel]"), Cancel);
    r.apply(appLanguage());
    for (QAbstractButton* b :
         std::initializer_list<QAbstractButton*>{SelectModel, FullMap, Textures})
        b->setAccessibleName(b->text());
    // The choices of the last opening come back.
    if (Settings().number(exportSetting("FullMap")).value_or(0) != 0)
        FullMap->setChecked(true);
    setTexturesAvailable(false);

    connect(Save3ds, &QPushButton::clicked, this, &TExport3DModel::Save3dsClick);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TExport3DModel::setTexturesAvailable(bool available) {
    const bool usable = available && textures != nullptr;
    Textures->setEnabled(usable);
    Textures->setChecked(usable && Settings().number(exportSetting("Textures")).value_or(0) != 0);
}

void TExport3DModel::done(int result) {
    Settings stored;
    stored.setNumber(exportSetting("FullMap"), FullMap->isChecked() ? 1 : 0);
    // Unticked only because there were no textures to write is no choice of the user's.
    if (Textures->isEnabled())
        stored.setNumber(exportSetting("Textures"), Textures->isChecked() ? 1 : 0);
    QDialog::done(result);
}

void TExport3DModel::Save3dsClick() {
    const QString file = chooseFile
                             ? chooseFile(this)
                             : QFileDialog::getSaveFileName(this, QString(), QString(),
                                                            QStringLiteral("3DS format (*.3ds)"));
    if (file.isEmpty()) {
        reject();
        return;
    }
    // A failure is kept in error() for the main window to report.
    (void)exportTo(file);
}

Status TExport3DModel::exportTo(const QString& fileName) {
    fileName_ = fileName;
    error_.reset();
    Status result = Ok{};
    if (!shownRoot || !shownRoot->IsRoot) {
        // Only a map is exported (not the library preview).
        result = Error{"", "Nothing to export", "the view does not show a map"};
    } else {
        const TPoxel* poxel = FullMap->isChecked() ? shownRoot : selected;
        ImportFeedback feedback;
        QElapsedTimer sinceShown;
        sinceShown.start();
        feedback.OnStage = [this](const std::string& full, const std::string& poxelText) {
            showStage(full, poxelText);
        };
        feedback.OnProgress = [this, &sinceShown](int mainPercent, int poxelPercent) {
            showPercents(mainPercent, poxelPercent);
            // Keep the bars moving on long exports; input waits until the end.
            if (sinceShown.elapsed() > 40) {
                QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                sinceShown.restart();
            }
        };
        const bool withTextures = Textures->isChecked() && textures;
        result = Export3ds(poxel, fileName.toLocal8Bit().toStdString(),
                           withTextures ? textures : nullptr, feedback);
    }
    if (!result)
        error_ = result.error();
    done(result ? QDialog::Accepted : QDialog::Rejected);
    return result;
}

} // namespace lw

#pragma once
// "Export 3D Model": the selected poxel or the whole map shown, as a 3DS file, optionally with
// its textures as TGA files beside it.

#include "core/Poxel.h"
#include "core/Result.h"
#include "io/Export3ds.h"
#include "io/gui/ProgressRows.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QPushButton;
class QRadioButton;
class QGroupBox;

namespace lw {

class TExport3DModel : public QDialog, public ProgressRows {
    Q_OBJECT

public:
    explicit TExport3DModel(QWidget* parent = nullptr);

    // What "Save..." exports: the selected node (null when none is selected) and the root
    // shown, which must be a map root.
    const TPoxel* selected = nullptr;
    const TPoxel* shownRoot = nullptr;
    // The loaded textures for "Textures (*.tga)"; null while none are loaded (the box is then
    // disabled). Call setTexturesAvailable after setting it.
    const ExportTextures* textures = nullptr;
    void setTexturesAvailable(bool available);
    // Chooses the file for "Save..."; unset: a file dialog.
    std::function<QString(QWidget*)> chooseFile;

    // Exports to `fileName` as "Save..." does after the choice; the dialog closes.
    Status exportTo(const QString& fileName);
    const std::optional<Error>& error() const { return error_; }
    const QString& fileName() const { return fileName_; }

public slots:
    void Save3dsClick();
    // Closing keeps the choices for the next opening.
    void done(int result) override;

private:
    std::optional<Error> error_;
    QString fileName_;

public:
    QGroupBox* SaveGroup = nullptr;
    QRadioButton* SelectModel = nullptr;
    QRadioButton* FullMap = nullptr;
    QCheckBox* Textures = nullptr;
    QPushButton* Save3ds = nullptr;
    QPushButton* Cancel = nullptr;
};

} // namespace lw

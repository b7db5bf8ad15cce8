#pragma once
// "Import 3D Model": the options of a 3DS import, the two progress bars, and the worker thread
// that reads and voxelises the model. The worker only computes (node contents, no nodes); the
// window that runs the dialog turns the result into nodes of its map.

#include "core/Result.h"
#include "io/Apoxelate.h"
#include "io/gui/ProgressRows.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QTimer;

namespace lw {

class TEditX;
struct ImportJob;

class TImport3DModel : public QDialog, public ProgressRows {
    Q_OBJECT

public:
    explicit TImport3DModel(QWidget* parent = nullptr);
    ~TImport3DModel() override;

    ApoxelOptions options() const;
    void setOptions(const ApoxelOptions& options);

    // Chooses the model for "Open..."; an empty name closes the dialog. Unset: a file dialog.
    std::function<QString(QWidget*)> chooseFile;

    // Starts the worker on `fileName` ("Open..." after the choice).
    void startImport(const QString& fileName);
    bool running() const;
    const QString& fileName() const { return fileName_; }

    // After the dialog closed: what was made (on cancel, the poxels finished before it), and
    // the reason when the file was refused.
    std::optional<DetachedImport> takeResult();
    const std::optional<Error>& error() const { return error_; }

    // While the worker runs: the model as read (null before) and the piece being worked on.
    std::shared_ptr<const TObjArray3D> model() const;
    int currentObject() const { return current_; }
    bool processing() const { return current_ >= 0; }

signals:
    // The model has been read: the view may show its wireframe.
    void modelRead();
    // Piece `index` of the model is being voxelised.
    void objectStarted(int index);

public slots:
    void Open3dsClick();
    void CancelClick();
    void Button1Click();
    void HtMapClick();
    void VoxDivClick();

protected:
    void reject() override;

private:
    void poll();
    void finishWith(int code);
    // The options are kept from one opening of the dialog to the next.
    void restoreOptions();
    void rememberOptions() const;

    QString fileName_;
    std::shared_ptr<ImportJob> job_;
    QTimer* pollTimer_ = nullptr;
    std::optional<DetachedImport> result_;
    std::optional<Error> error_;
    std::shared_ptr<const TObjArray3D> model_;
    int current_ = -1;

public:
    QPushButton* Open3ds = nullptr;
    QPushButton* Cancel = nullptr;
    QPushButton* Button1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    TEditX* SizeX = nullptr;
    TEditX* SizeZ = nullptr;
    TEditX* MaxLayers = nullptr;
    QCheckBox* Smooth1 = nullptr;
    QCheckBox* Smooth2 = nullptr;
    QCheckBox* LayersSmooth = nullptr;
    QCheckBox* HtMap = nullptr;
    TEditX* Quality = nullptr;
    QCheckBox* VoxDiv = nullptr;
};

} // namespace lw

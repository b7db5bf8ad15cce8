#pragma once
// The height picture dialog: a grid of heights (a poxel's Heights) or the heightmap preview's
// mask on one side, a grey picture on the other. Import loads a picture, brings it to the grid
// size, inverts it, changes its contrast and applies it; export shows the grid as a picture
// and saves it.

#include "core/Poxel.h"
#include "core/Result.h"
#include "io/GreyPicture.h"
#include "io/HeightPicture.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QImage;
class QLabel;
class QPushButton;

namespace lw {

class TEditX;

class TImportHMForm : public QDialog {
    Q_OBJECT

public:
    enum class Direction { Import, Export };
    enum class Kind { Heights, Image };

    explicit TImportHMForm(QWidget* parent = nullptr);
    ~TImportHMForm() override;

    // Heights of a grid of width × height points ([x][z]); export shows them as a picture.
    void prepareHeights(const THmap& grid, Direction direction);
    // The mask picture; both directions start from it.
    Status preparePicture(const GreyPicture& picture, Direction direction);

    Direction direction() const { return direction_; }
    Kind kind() const { return kind_; }

    // File choices and error messages; unset: the platform's dialogs.
    std::function<QString(QWidget*, const QString& filter)> chooseOpenFile;
    std::function<QString(QWidget*, const QString& filter)> chooseSaveFile;
    std::function<void(QWidget*, const QString& text)> reportError;

    // "Open Image...", "Save Image..." and the processing, without the file dialogs.
    Status openImage(const QString& fileName);
    Result<std::string> saveImage(const QString& chosen);

    // After "Apply": the new heights (heights kind) or the new picture (image kind).
    const std::optional<THmap>& appliedHeights() const { return appliedHeights_; }
    const std::optional<GreyPicture>& appliedPicture() const { return appliedPicture_; }
    const HeightPictureSession* session() const { return session_.get(); }

public slots:
    // Closing an import keeps Contrast, Max Val and Min Val for the next one.
    void done(int result) override;
    void Button1Click(); // Open Image...
    void Button2Click(); // Apply
    void Button4Click(); // Save Image...
    void processPicture();

private:
    void begin(Direction direction, Kind kind);
    void showPictures();
    void fail(const QString& text);

    Direction direction_ = Direction::Import;
    Kind kind_ = Kind::Heights;
    std::unique_ptr<HeightPictureSession> session_;
    THmap grid_;
    std::optional<THmap> appliedHeights_;
    std::optional<GreyPicture> appliedPicture_;

public:
    QLabel* PaintBox1 = nullptr;
    QLabel* PaintBox2 = nullptr;
    QPushButton* Button1 = nullptr;
    TEditX* EditX3 = nullptr; // Contrast
    QCheckBox* Invert = nullptr;
    QPushButton* Button2 = nullptr;
    TEditX* EditX2 = nullptr; // Max Val
    TEditX* EditX1 = nullptr; // Min Val
    QPushButton* Button4 = nullptr;
    QPushButton* Button3 = nullptr;
};

// A grey picture as a QImage (one grey byte per pixel).
QImage greyImage(const GreyPicture& picture);

} // namespace lw

#pragma once
// The texture browser: every image of a folder of texture bundles, of Kestrel themes or of TGA
// files in one flat list sorted by name, each row with a thumbnail, a larger view of the
// selected image, and the source of image names dragged into texture lists and swatches.
//
// Nothing heavy runs on the window's thread: a folder is read on a worker, and thumbnails are
// decoded on another worker only for the rows that are painted, so a folder of thousands of
// images opens and scrolls without stalling the window.

#include "textures/ImageFolder.h"
#include "textures/ImageRecord.h"

#include <QImage>
#include <QTreeWidget>
#include <QWidget>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

class QHeaderView;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QStatusBar;

namespace lw {

class ThumbnailWorker;

// The browser's list: a flat tree whose rows drag their image names.
class TImageTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit TImageTree(QWidget* parent = nullptr);

protected:
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
};

class TFormXom : public QWidget {
    Q_OBJECT

public:
    // Row height and thumbnail side of the list.
    static constexpr int kRowHeight = 33;
    static constexpr int kThumbSide = 32;

    explicit TFormXom(QWidget* parent = nullptr);
    ~TFormXom() override;

    // The images in list order; a load replaces them.
    const ImageList& images() const { return *images_; }
    // The first image of that name (exact letter case), or nullptr.
    const NamedImage* FindImage(const QString& name) const;
    // The folder loaded last (empty before the first load).
    const QString& folder() const { return folder_; }
    // True while a folder is being read.
    bool loading() const { return loading_; }

    // Reads `folder` (of any of the three layouts) on a worker and shows its images when done.
    // A folder of none of the layouts, or a bundle that cannot be read, is reported; the images
    // read before a bad bundle are kept.
    void loadFolder(const QString& folder);
    // Writes image `name` as an uncompressed TGA file; false (and a message) when it cannot.
    bool saveImageAsTga(const QString& name, const QString& fileName);
    // The image `name` decoded with the checkerboard and scaled smoothly to `side` pixels, as
    // swatches show it; a null image when there is no such image or it cannot be shown.
    QImage swatchImage(const QString& name, int side) const;
    // The thumbnail of row `row` if it has been decoded already (tests, the delegate).
    QImage cachedThumbnail(int row) const;
    int decodedThumbnails() const;

    // Hooks for tests: the folder chooser, messages and the TGA save dialog.
    std::function<bool(QWidget*, const QString& prompt, QString& folder)> chooseFolder;
    std::function<void(QWidget*, const QString& title, const QString& text)> error;
    std::function<QString(QWidget*, const QString& suggested)> chooseTgaFile;

    // Controls, by designer name.
    QPushButton* Button1 = nullptr;
    QHeaderView* HeaderControl1 = nullptr;
    TImageTree* TreeView1 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QLabel* Image1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel = nullptr;
    QMenu* ImageMenu = nullptr;
    QAction* SaveImage1 = nullptr;

public slots:
    void Button1Click();
    void TreeView1Change();
    void SaveImage1Click();

signals:
    // The window was closed by the user.
    void closed();
    // A load finished; `ok` is false when a bundle could not be read.
    void folderLoaded(bool ok);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class ThumbnailDelegate;
    // The first time it opens: wide enough for its whole caption, no higher than the screen,
    // beside the window it belongs to and inside the screen.
    void placeOnScreen();
    bool placed_ = false;
    void reportError(const QString& text);
    void showImages(ImageList images);
    // The thumbnail of `row`, asking the worker for it when it is not there yet.
    const QImage* thumbnail(int row);
    void thumbnailDecoded(quint64 generation, int row, const QImage& image);

    std::shared_ptr<const ImageList> images_;
    std::vector<QImage> thumbnails_;
    std::vector<char> requested_;
    quint64 generation_ = 0;
    std::unique_ptr<ThumbnailWorker> worker_;
    QString folder_;
    QString prompt_;
    bool loading_ = false;
    // The folder reader of the running load; joined before the next and at destruction.
    std::unique_ptr<std::thread> reader_;
};

} // namespace lw

#pragma once
// Two small pictures of the "Poxel Texture" and "Height Map Texture" panels: the heightmap
// texture swatches that take an image dragged from the texture browser, and the thumbnail of
// the current texture box cut from the box overview.

#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

namespace lw {

// `Text1Paint` / `Text2Paint`: 64 x 64, the image's name as hint (default "NoName").
class TTextureSwatch : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSide = 64;

    explicit TTextureSwatch(QWidget* parent = nullptr);

    // Drops are taken only from this view (the browser's image list).
    void setImageSource(const QObject* browserTree) { source_ = browserTree; }
    // Decodes an image for the swatch (the browser's swatchImage); a null image for a name
    // without image data, which leaves the picture as it was.
    std::function<QImage(const QString& name, int side)> decodeImage;

    // The name of the image the swatch shows: its hint.
    QString imageName() const { return toolTip(); }
    const QImage& picture() const { return picture_; }
    // What a drop of `name` does: the hint, the picture, then imageDropped.
    void setImage(const QString& name);

signals:
    void imageDropped(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    const QObject* source_ = nullptr;
    QImage picture_;
};

// `PaintCurText`: 64 x 64, the overview tile of the box `EditX18` names while the overview
// exists (box 0 shows tile 64), else the panel's "No Thumb".
class TBoxThumbnail : public QWidget {
    Q_OBJECT

public:
    explicit TBoxThumbnail(QWidget* parent = nullptr);

    // The overview to cut from; null for none (before the first "Load Textures").
    void setOverview(const QImage& overview);
    // The value of `EditX18`, rounded.
    void setBox(double value);
    int box() const { return box_; }
    // The 64 x 64 tile shown now; null when there is no overview.
    QImage tile() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage overview_;
    int box_ = 1;
    QString noThumb_;
};

} // namespace lw

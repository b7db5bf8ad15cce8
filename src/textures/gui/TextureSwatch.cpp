#include "textures/gui/TextureSwatch.h"

#include "textures/TextureCodes.h"
#include "textures/gui/ImageDrag.h"
#include "ui/Language.h"
#include "ui/gui/LangBind.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QPainter>

#include <cmath>

namespace lw {

TTextureSwatch::TTextureSwatch(QWidget* parent) : QWidget(parent) {
    setFixedSize(kSide, kSide);
    setAcceptDrops(true);
    setToolTip(QStringLiteral("NoName"));
}

void TTextureSwatch::setImage(const QString& name) {
    setToolTip(name);
    setAccessibleName(name);
    if (decodeImage) {
        const QImage decoded = decodeImage(name, kSide);
        if (!decoded.isNull())
            picture_ = decoded;
    }
    update();
    emit imageDropped(name);
}

void TTextureSwatch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (picture_.isNull())
        p.fillRect(rect(), palette().window());
    else
        p.drawImage(0, 0, picture_);
}

void TTextureSwatch::dragEnterEvent(QDragEnterEvent* event) {
    if (!draggedImageName(event->mimeData(), event->source(), source_).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TTextureSwatch::dragMoveEvent(QDragMoveEvent* event) {
    if (!draggedImageName(event->mimeData(), event->source(), source_).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TTextureSwatch::dropEvent(QDropEvent* event) {
    const QString name = draggedImageName(event->mimeData(), event->source(), source_);
    if (name.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    setImage(name);
}

TBoxThumbnail::TBoxThumbnail(QWidget* parent) : QWidget(parent) {
    setFixedSize(kBoxTileSize, kBoxTileSize);
    noThumb_ = langText("[sNoThumb]");
    bindString(appLangRegistry(), QStringLiteral("[sNoThumb]"), this, &noThumb_);
}

void TBoxThumbnail::setOverview(const QImage& overview) {
    overview_ = overview;
    update();
}

void TBoxThumbnail::setBox(double value) {
    const int n = std::isfinite(value) ? int(std::lround(value)) : 0;
    if (n == box_)
        return;
    box_ = n;
    if (!overview_.isNull())
        update();
}

QImage TBoxThumbnail::tile() const {
    if (overview_.isNull())
        return {};
    const TileOrigin o = thumbnailTileOrigin(box_);
    return overview_.copy(o.x, o.y, kBoxTileSize, kBoxTileSize);
}

void TBoxThumbnail::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (overview_.isNull()) {
        p.fillRect(rect(), palette().window());
        p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, noThumb_);
        return;
    }
    p.drawImage(0, 0, tile());
}

} // namespace lw

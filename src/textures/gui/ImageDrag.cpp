#include "textures/gui/ImageDrag.h"

#include <QMimeData>

namespace lw {

QMimeData* imageNameMimeData(const QString& name) {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kImageNameMimeType), name.toUtf8());
    data->setText(name);
    return data;
}

QString draggedImageName(const QMimeData* data, const QObject* source, const QObject* browserTree) {
    if (!data || !browserTree || source != browserTree)
        return {};
    const QString type = QString::fromLatin1(kImageNameMimeType);
    if (!data->hasFormat(type))
        return {};
    return QString::fromUtf8(data->data(type));
}

} // namespace lw

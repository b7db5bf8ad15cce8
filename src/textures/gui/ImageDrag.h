#pragma once
// Dragging an image name out of the texture browser into texture lists and swatches.

#include <QString>

class QMimeData;
class QObject;

namespace lw {

// The type of the data a drag from the browser carries: the image name as UTF-8.
inline constexpr char kImageNameMimeType[] = "application/x-landwright-image-name";

// The data of a drag of image `name` (also as plain text, for other programs).
QMimeData* imageNameMimeData(const QString& name);

// The image name a drag carries, when it comes from `browserTree` (the drag's source must be
// that very view); empty otherwise.
QString draggedImageName(const QMimeData* data, const QObject* source, const QObject* browserTree);

} // namespace lw

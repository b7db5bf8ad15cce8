// Files dropped onto the window: each kind goes to the command that opens it.

#include "editor/gui/MainForm.h"

#include "editor/FileDrops.h"
#include "ui/Language.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>

namespace lw {

// Any file is taken, so that a kind the editor does not open is refused with a message rather
// than by a silent "no" from the pointer.
void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TMainForm::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TMainForm::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // Opened once the drop has returned: the program the drag came from must not wait for our
    // questions and dialogs.
    const QList<QUrl> urls = event->mimeData()->urls();
    QTimer::singleShot(0, this, [this, urls] { openDroppedUrls(urls); });
}

bool TMainForm::openDroppedUrls(const QList<QUrl>& urls) {
    int others = 0;
    const QStringList files = droppedLocalFiles(urls, &others);
    if (files.size() + others > 1) {
        reportErrorText(langText("[sDropOneFile]"));
        return false;
    }
    if (others > 0) {
        reportErrorText(
            formatLangText(langText("[sDropNotLocal]"), {urls.value(0).toDisplayString()}));
        return false;
    }
    if (files.isEmpty())
        return false;
    return openDroppedFile(files.first());
}

bool TMainForm::openDroppedFile(const QString& fileName) {
    switch (droppedFileKind(fileName)) {
    case DroppedFileKind::Map:
        return openMapFile(fileName); // asks first when the map has unsaved changes
    case DroppedFileKind::TextureList:
        return openTextureListFile(fileName);
    case DroppedFileKind::Model3ds:
        return import3dsFile(fileName);
    case DroppedFileKind::Heightmap:
        return openHeightmapFile(fileName);
    case DroppedFileKind::Other:
        break;
    }
    reportErrorText(formatLangText(langText("[sDropRefused]"), {QFileInfo(fileName).fileName()}));
    return false;
}

} // namespace lw

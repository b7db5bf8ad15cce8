// Object drags in the view: the press starts one on a gizmo handle (or on the object with the
// move tool), every pointer movement runs a step of the drag maths and shows it, the release
// writes it into the document as one undo step, Escape cancels it.

#include "editor/gui/MainForm.h"

#include "render/gl/PoxelLists.h"
#include "render/gui/OpenGLBox.h"
#include "ui/Language.h"

#include <QAction>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>

namespace lw {

namespace {

QString vectorText(const QString& what, double x, double y, double z) {
    return QStringLiteral("%1 [X:%2 Y:%3 Z:%4]")
        .arg(what, QString::number(x, 'f', 2), QString::number(y, 'f', 2),
             QString::number(z, 'f', 2));
}

} // namespace

void TMainForm::connectDrag() {
    // Anything that changes the map under a running drag (an undo from the keyboard, a file
    // opened) ends it: its frames and start values no longer hold.
    connect(doc_->undoStack(), &QUndoStack::indexChanged, this, [this] {
        if (drag_.Active && !applyingDrag_)
            cancelObjectDrag();
    });
    connect(doc_, &MapDocument::documentAboutToBeReplaced, this, [this] {
        if (drag_.Active)
            cancelObjectDrag();
    });
}

DragView TMainForm::currentDragView() const {
    // The view's camera in widget pixels, like the pointer.
    TCamera camera = scene_.Camera;
    camera.Width = OpenGLBox_->width();
    camera.Height = OpenGLBox_->height();
    return dragViewOf(camera);
}

void TMainForm::beginObjectDrag(DragKind kind, const QPoint& local) {
    drag_ = ObjectDrag{};
    scene_.DragStep = DragPreview{};
    TPoxel* node = selectedPoxel();
    if (!node || scene_.ShownRoot != doc_->root() || node->IsRoot)
        return;
    const auto frames = nodeFrames(*scene_.ShownRoot, *node, scene_.KestrelEmitters);
    if (!frames)
        return;
    const DragView view = currentDragView();
    // DragPoint: the pointer in window coordinates (y from the bottom).
    const double px = local.x();
    const double py = OpenGLBox_->height() - local.y() - 1;
    beginDrag(drag_, kind, Restriction_, modeDown("LayersPick"), *node, *frames, view, px, py);
    if (drag_.LayersMode)
        gl::keepSlabListsForUndo();
    scene_.DragStep = dragPreview(drag_);
}

void TMainForm::objectDragStep(const QPoint& local, Qt::KeyboardModifiers modifiers) {
    if (!drag_.Active)
        return;
    const double px = local.x();
    const double py = OpenGLBox_->height() - local.y() - 1;
    scene_.DragStep = DragStep(drag_, currentDragView(), px, py, modifiers & Qt::ControlModifier,
                               modifiers & Qt::ShiftModifier);
    if (drag_.LayersMode) {
        // The level corners follow live; the release records the step from the snapshot.
        if (TPoxel* node = doc_->findByListId(drag_.ListId)) {
            applyLayerStep(drag_, layerPicks_, *node);
            if (OpenGLBox_->glReady())
                OpenGLBox_->withContext([&] { gl::BuildPoxelMesh(*node, scene_.Textures); });
        }
    }
}

QString TMainForm::dragStatusText() const {
    if (!drag_.Active)
        return {};
    switch (drag_.Kind) {
    case DragKind::Move:
        return vectorText(langText("[sMove]"), drag_.PosAtStart.X + drag_.MoveDelta.X,
                          drag_.PosAtStart.Y + drag_.MoveDelta.Y,
                          drag_.PosAtStart.Z + drag_.MoveDelta.Z);
    case DragKind::Rotate:
        return vectorText(langText("[sRotate]"), drag_.RotateDelta.X, drag_.RotateDelta.Y,
                          drag_.RotateDelta.Z);
    case DragKind::Scale:
        return vectorText(langText("[sScale]"), drag_.SizeAtStart.X * drag_.ScaleFactor.X,
                          drag_.SizeAtStart.Y * drag_.ScaleFactor.Y,
                          drag_.SizeAtStart.Z * drag_.ScaleFactor.Z);
    }
    return {};
}

void TMainForm::finishObjectDrag() {
    if (!drag_.Active)
        return;
    const ObjectDrag finished = drag_;
    drag_ = ObjectDrag{};
    scene_.DragStep = DragPreview{};
    TPoxel* node = doc_->findByListId(finished.ListId);
    TPoxel* result = nullptr;
    if (node) {
        applyingDrag_ = true;
        result = ApplyDrag(*doc_, *node, finished);
        applyingDrag_ = false;
        if (finished.LayersMode && !result && OpenGLBox_->glReady())
            OpenGLBox_->withContext([&] { gl::BuildPoxelMesh(*node, scene_.Textures); });
    }
    if (result && result != node) {
        // The copy of a Ctrl-move becomes the selected node.
        if (auto* item = static_cast<QTreeWidgetItem*>(result->Node))
            if (QTreeWidgetItem* parentItem = item->parent())
                parentItem->setExpanded(true);
        selectTreeNode(result);
    }
    repaintView();
}

void TMainForm::cancelObjectDrag() {
    const ObjectDrag cancelled = drag_;
    drag_ = ObjectDrag{};
    scene_.DragStep = DragPreview{};
    if (cancelled.LayersMode) {
        // The corners moved live: put them back.
        if (TPoxel* node = doc_->findByListId(cancelled.ListId)) {
            node->LayerLow = cancelled.Layers.Low;
            node->LayerHigh = cancelled.Layers.High;
            if (OpenGLBox_->glReady())
                OpenGLBox_->withContext([&] { gl::BuildPoxelMesh(*node, scene_.Textures); });
        }
    }
    setStatus(0, QString());
    repaintView();
}

} // namespace lw

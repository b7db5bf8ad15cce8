#include "editor/tools/ToolController.h"

#include "editor/MapDocument.h"

#include <QUndoStack>

namespace lw {

ToolController::ToolController(MapDocument& doc, ToolModel& model, SceneState& scene,
                               PickSource& picks, ToolHost& host, QObject* parent)
    : QObject(parent), model_(model), scene_(scene),
      host_(host), ctx_{doc, model, scene, picks, host, heightPicks_, layerPicks_, {}} {
    scene_.HeightPicks = &heightPicks_;
    scene_.LayerPicks = &layerPicks_;
    connect(&model_, &ToolModel::changed, this, &ToolController::onModelChanged);

    // No tool keeps working on what the document no longer holds as it was.
    connect(&doc, &MapDocument::nodeChanged, this, [this](TPoxel* node, NodeChanges what) {
        if (what & NodeChange::Geometry)
            heightTool_.nodeChanged(*node);
    });
    connect(&doc, &MapDocument::nodeAboutToBeRemoved, this, [this](TPoxel*, TPoxel* node) {
        cellTool_.nodeLeaves(*node);
        heightTool_.nodeLeaves(*node);
        if (TPoxel* selected = ctx_.selectedMapNode(); selected && isInSubtree(*node, *selected)) {
            objectTool_.cancel();
            heightPicks_.Clear();
            layerPicks_.Clear();
        }
        stale_ = true;
    });
    connect(&doc, &MapDocument::documentAboutToBeReplaced, this, [this, &doc] {
        objectTool_.cancel();
        cellTool_.endStroke();
        heightTool_.nodeLeaves(*doc.root());
        heightPicks_.Clear();
        layerPicks_.Clear();
        stale_ = true;
    });
    // An undo or redo while a drag or a stroke runs (from the keyboard) ends it: its start no
    // longer describes the node.
    connect(doc.undoStack(), &QUndoStack::indexChanged, this, [this] {
        if (!objectTool_.applying())
            objectTool_.cancel();
        if (!cellTool_.painting())
            cellTool_.endStroke();
        stale_ = true;
    });
    syncScene();
    active_->idle();
    status_ = active_->statusText();
}

Tool& ToolController::activeTool() {
    return *active_;
}

int ToolController::cursorCode() const {
    return panning_ ? int(CodePan) : code_;
}

void ToolController::syncScene() {
    const ToolKind tool = model_.tool();
    scene_.Gizmo = model_.gizmo();
    scene_.HeightPick = model_.heightPick();
    scene_.LayersMode = model_.layersMode();
    // An armed object tool's pick pass sees only the selected node and its gizmo.
    scene_.MoveArmed = tool == ToolKind::Move;
    scene_.RotateArmed = tool == ToolKind::Rotate;
    scene_.ScaleArmed = tool == ToolKind::Scale;
    scene_.HoverRestriction = model_.restriction();
}

void ToolController::onModelChanged() {
    syncScene();
    const Modes now{model_.tool(), model_.cellBrush(), model_.heightPick(), model_.layersMode()};
    if (!(now == modes_)) {
        const Modes was = modes_;
        modes_ = now;
        // A change of tool ends what the tool in use was doing (a drag is cancelled).
        active_->cancel();
        cellTool_.endStroke();
        if (was.heightPick != now.heightPick)
            heightTool_.setActive(now.heightPick);
        if (isCameraTool(now.tool))
            active_ = &cameraTool_;
        else if (isObjectTool(now.tool))
            active_ = &objectTool_;
        else if (now.brush != CellBrush::None)
            active_ = &cellTool_;
        else if (now.heightPick)
            active_ = &heightTool_;
        else if (now.layersMode)
            active_ = &layersTool_;
        else
            active_ = &selectTool_;
    }
    host_.repaint();
    refresh();
}

void ToolController::publish(const QString& status) {
    const int before = cursorCode();
    status_ = status;
    code_ = active_->cursorCode();
    emit statusChanged(status_);
    if (cursorCode() != before)
        emit cursorChanged(cursorCode());
}

void ToolController::hoverAt(const PointerInput& in) {
    last_ = in;
    ctx_.lastScreen = in.screen;
    active_->hover(in);
    // The hover's own redraw only highlights a handle, which no pick sees.
    stale_ = false;
    publish(active_->statusText());
}

void ToolController::refresh() {
    // While a button is held the tool's own text stays (a press may change the model).
    if (leftHeld_ || panning_)
        return;
    if (inside_) {
        hoverAt(last_);
        return;
    }
    active_->idle();
    publish(active_->statusText());
}

void ToolController::move(const PointerInput& in) {
    if (!in.focused)
        return;
    inside_ = true;
    if (in.buttons & (Qt::LeftButton | Qt::MiddleButton)) {
        Tool& tool = panning_ ? static_cast<Tool&>(panTool_) : *active_;
        tool.drag(in);
        // The endless drag: the pointer wraps at the desktop's edges, except while something
        // follows it (an object must not jump with it).
        ctx_.lastScreen = tool.followsPointer() ? in.screen : host_.wrapPointer(in.screen);
        last_ = in;
        stale_ = true;
        host_.repaint();
        const int before = cursorCode();
        status_ = tool.statusText();
        emit statusChanged(status_);
        if (cursorCode() != before)
            emit cursorChanged(cursorCode());
        return;
    }
    // Picking draws the scene again: only when the pointer or the scene changed.
    if (!stale_ && in.screen == last_.screen && in.x == last_.x && in.y == last_.y)
        return;
    hoverAt(in);
}

void ToolController::press(const PointerInput& in) {
    if (!in.focused)
        return; // the first click into an unfocused view only focuses it
    inside_ = true;
    switch (in.button) {
    case Qt::LeftButton:
        // A click acts on what lies under the pointer now: pick again when the last hover was
        // elsewhere or the scene changed since.
        if (stale_ || in.x != last_.x || in.y != last_.y)
            hoverAt(in);
        leftHeld_ = true;
        active_->press(in);
        ctx_.lastScreen = in.screen;
        if (active_->statusText() != status_)
            publish(active_->statusText());
        break;
    case Qt::MiddleButton: {
        // A pan with any tool, until the button goes up.
        const int before = cursorCode();
        panning_ = true;
        ctx_.lastScreen = in.screen;
        if (cursorCode() != before)
            emit cursorChanged(cursorCode());
        break;
    }
    case Qt::RightButton:
        // The camera rotation on, or off again back to the tool used before.
        last_ = in;
        model_.chooseTool(ToolKind::Orbit);
        break;
    default:
        break;
    }
}

void ToolController::release(const PointerInput& in) {
    if (in.button == Qt::MiddleButton && panning_) {
        panning_ = false;
        emit cursorChanged(cursorCode());
    } else if (in.button == Qt::LeftButton) {
        leftHeld_ = false;
        active_->release(in);
    } else {
        return;
    }
    last_ = in;
    stale_ = true;
    refresh();
}

void ToolController::leave() {
    inside_ = false;
}

void ToolController::wheel(int angleDelta) {
    // A turn the other way starts afresh.
    if ((angleDelta > 0 && wheelRest_ < 0) || (angleDelta < 0 && wheelRest_ > 0))
        wheelRest_ = 0;
    wheelRest_ += angleDelta;
    const int steps = wheelRest_ / 120;
    wheelRest_ -= steps * 120;
    if (steps == 0)
        return;
    scene_.Camera.CamDistance -= 5.0f * static_cast<float>(steps);
    host_.repaint();
    // Something else may lie under the pointer now.
    stale_ = true;
    refresh();
}

void ToolController::zoomSelected() {
    scene_.ZoomSelectedRequest = true;
    stale_ = true;
    host_.repaint();
}

bool ToolController::key(int key) {
    switch (key) {
    case Qt::Key_Escape:
        active_->cancel();
        refresh();
        return true;
    case Qt::Key_M:
        if (model_.cellBrushesEnabled())
            model_.toggleCellBrush(CellBrush::Fill);
        return true;
    case Qt::Key_F:
        if (model_.cellBrushesEnabled())
            model_.toggleCellBrush(CellBrush::Get);
        return true;
    case Qt::Key_P:
        if (model_.heightPickEnabled())
            model_.toggleHeightPick();
        return true;
    case Qt::Key_C:
        if (model_.zoomSelectedEnabled())
            zoomSelected();
        return true;
    case Qt::Key_Q:
        model_.chooseSelect();
        return true;
    case Qt::Key_W:
        model_.chooseTool(ToolKind::Move);
        return true;
    case Qt::Key_E:
        model_.chooseTool(ToolKind::Rotate);
        return true;
    case Qt::Key_R:
        model_.chooseTool(ToolKind::Scale);
        return true;
    case Qt::Key_X:
    case Qt::Key_S:
        DollyCamera(scene_.Camera, key == Qt::Key_X ? 1.0f : -1.0f);
        host_.repaint();
        stale_ = true;
        refresh();
        return true;
    default:
        return false;
    }
}

} // namespace lw

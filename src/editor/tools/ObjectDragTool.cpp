#include "editor/tools/ObjectDragTool.h"

#include "editor/MapDocument.h"
#include "ui/Language.h"

namespace lw {

namespace {

QString vectorText(const QString& what, double x, double y, double z) {
    return bracketed(what, QStringLiteral("X:%1 Y:%2 Z:%3")
                               .arg(QString::number(x, 'f', 2), QString::number(y, 'f', 2),
                                    QString::number(z, 'f', 2)));
}

bool isHandle(uint32_t id) {
    return id >= 1 && id <= kHandleCentre;
}

} // namespace

DragKind ObjectDragTool::kind() const {
    switch (ctx_.model.tool()) {
    case ToolKind::Rotate:
        return DragKind::Rotate;
    case ToolKind::Scale:
        return DragKind::Scale;
    default:
        return DragKind::Move;
    }
}

QString ObjectDragTool::modeText() const {
    if (ctx_.model.layersMode())
        return langText("[sLayersMode]");
    switch (kind()) {
    case DragKind::Rotate:
        return langText("[sRotateMode]");
    case DragKind::Scale:
        return langText("[sScaleMode]");
    case DragKind::Move:
        break;
    }
    return langText("[sMoveMode]");
}

void ObjectDragTool::idle() {
    show(CodeSelectNothing, modeText());
    ctx_.scene.HoverRestriction = ctx_.model.restriction();
}

void ObjectDragTool::hover(const PointerInput& in) {
    // Handles are thin: the nearest within the tolerance counts. The node itself (a larger
    // identity) only under the exact pixel.
    const uint32_t a = pickNear(ctx_.picks, in.x, in.y, PickPass::Scene, kPickTolerance, isHandle);
    const int before = ctx_.scene.HoverRestriction;
    const DragKind k = kind();
    // Rotating and scaling act on handles only: over the node or nothing a click does nothing.
    if (a < 1 || (k != DragKind::Move && a > kHandleCentre)) {
        idle();
    } else {
        static const char* axisNames[8] = {"", "X", "Y", "Z", "XY", "YZ", "XZ", "XYZ"};
        QString name;
        if (a <= 6 || (k == DragKind::Scale && a == kHandleCentre))
            name = QString::fromLatin1(axisNames[a]);
        else
            name = langText("[sObject]");
        show(k == DragKind::Move     ? CodeMove
             : k == DragKind::Rotate ? CodeRotate
                                     : CodeScale,
             bracketed(modeText(), name));
        // The rotate gizmo has no centre handle: there the tool bar's restriction counts.
        const bool own = a < kHandleCentre || (k == DragKind::Scale && a == kHandleCentre);
        ctx_.scene.HoverRestriction = own ? static_cast<int>(a) - 1 : ctx_.model.restriction();
    }
    // The highlighted handle changes nothing a pick sees.
    if (ctx_.scene.HoverRestriction != before)
        ctx_.host.repaint();
}

void ObjectDragTool::press(const PointerInput& in) {
    if (code_ != CodeMove && code_ != CodeRotate && code_ != CodeScale)
        return;
    // The handle's axes become the tool bar's restriction (the uniform handle: none pressed).
    ctx_.model.setRestriction(ctx_.scene.HoverRestriction);
    begin(in);
}

void ObjectDragTool::begin(const PointerInput& in) {
    drag_ = ObjectDrag{};
    ctx_.scene.DragStep = DragPreview{};
    TPoxel* node = ctx_.selectedMapNode();
    if (!node || node->IsRoot)
        return;
    const auto frames = nodeFrames(*ctx_.scene.ShownRoot, *node, ctx_.scene.KestrelEmitters);
    if (!frames)
        return;
    const TCamera camera = ctx_.viewCamera();
    // The pointer in window coordinates (y from the bottom).
    const double px = in.x;
    const double py = camera.Height - in.y - 1;
    beginDrag(drag_, kind(), ctx_.model.restriction(), ctx_.model.layersMode(), *node, *frames,
              dragViewOf(camera), px, py);
    if (drag_.LayersMode)
        ctx_.host.liveEditBegins();
    ctx_.scene.DragStep = dragPreview(drag_);
}

void ObjectDragTool::drag(const PointerInput& in) {
    if (!drag_.Active) {
        status_.clear();
        return;
    }
    const TCamera camera = ctx_.viewCamera();
    const double px = in.x;
    const double py = camera.Height - in.y - 1;
    ctx_.scene.DragStep = DragStep(drag_, dragViewOf(camera), px, py, in.ctrl(), in.shift());
    if (drag_.LayersMode) {
        // The level corners follow live; the release records the step from the snapshot.
        if (TPoxel* node = ctx_.doc.findByListId(drag_.ListId)) {
            applyLayerStep(drag_, ctx_.layerPicks, *node);
            ctx_.host.previewGeometry(*node);
        }
    }
    status_ = dragStatusText();
}

QString ObjectDragTool::dragStatusText() const {
    const ObjectDrag& d = drag_;
    switch (d.Kind) {
    case DragKind::Move:
        return vectorText(langText("[sMove]"), d.PosAtStart.X + d.MoveDelta.X,
                          d.PosAtStart.Y + d.MoveDelta.Y, d.PosAtStart.Z + d.MoveDelta.Z);
    case DragKind::Rotate:
        return vectorText(langText("[sRotate]"), d.RotateDelta.X, d.RotateDelta.Y, d.RotateDelta.Z);
    case DragKind::Scale:
        return vectorText(langText("[sScale]"), d.SizeAtStart.X * d.ScaleFactor.X,
                          d.SizeAtStart.Y * d.ScaleFactor.Y, d.SizeAtStart.Z * d.ScaleFactor.Z);
    }
    return {};
}

void ObjectDragTool::release(const PointerInput&) {
    if (!drag_.Active)
        return;
    const ObjectDrag finished = drag_;
    drag_ = ObjectDrag{};
    ctx_.scene.DragStep = DragPreview{};
    TPoxel* node = ctx_.doc.findByListId(finished.ListId);
    TPoxel* result = nullptr;
    if (node) {
        applying_ = true;
        result = ApplyDrag(ctx_.doc, *node, finished);
        applying_ = false;
        // Nothing recorded: the corners are back at the snapshot, their meshes follow.
        if (finished.LayersMode && !result)
            ctx_.host.previewGeometry(*node);
    }
    if (result && result != node)
        ctx_.host.selectCopy(*result);
    ctx_.host.repaint();
}

void ObjectDragTool::cancel() {
    if (!drag_.Active)
        return;
    const ObjectDrag cancelled = drag_;
    drag_ = ObjectDrag{};
    ctx_.scene.DragStep = DragPreview{};
    if (cancelled.LayersMode) {
        // The corners moved live: put them back.
        if (TPoxel* node = ctx_.doc.findByListId(cancelled.ListId)) {
            node->LayerLow = cancelled.Layers.Low;
            node->LayerHigh = cancelled.Layers.High;
            ctx_.host.previewGeometry(*node);
        }
    }
    status_.clear();
    ctx_.host.repaint();
}

} // namespace lw

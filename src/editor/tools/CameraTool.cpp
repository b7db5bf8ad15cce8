#include "editor/tools/CameraTool.h"

#include "ui/Language.h"

#include <QChar>

namespace lw {

namespace {

QString fixed2(float v) {
    return QString::number(static_cast<double>(v), 'f', 2);
}

QString degrees(float v) {
    return fixed2(v) + QChar(0xB0);
}

} // namespace

QString cameraStatusText(const TCamera& c, int mode, bool dragging) {
    if (!dragging) {
        static const char* names[6] = {nullptr,
                                       "[sCameraZoomMode]",
                                       "[SCameraPanMode]",
                                       "[sCameraRotationMode]",
                                       "[sCameraPerspectiveMode]",
                                       "[sCameraDollyMode]"};
        return mode >= 1 && mode <= 5 ? langText(names[mode]) : QString();
    }
    switch (mode) {
    case ModeZoom:
        return bracketed(langText("[sCameraZoom]"), fixed2(c.CamDistance));
    case ModePan:
    case ModeDolly:
        return bracketed(langText("[sCameraPosition]"),
                         QStringLiteral("X:%1 Y:%2 Z:%3")
                             .arg(fixed2(c.CamPan.X), fixed2(c.CamPan.Y), fixed2(c.CamPan.Z)));
    case ModeRotation:
        return bracketed(langText("[sCameraRotation]"),
                         QStringLiteral("X:%1 Y:%2").arg(degrees(c.CamPitch), degrees(c.CamYaw)));
    case ModePerspective:
        return bracketed(langText("[sCameraPerspective]"), degrees(c.CamFov));
    default:
        return {};
    }
}

int CameraTool::mode() const {
    return fixedMode_ != 0 ? fixedMode_ : cameraModeOf(ctx_.model.tool());
}

void CameraTool::idle() {
    show(mode(), cameraStatusText(ctx_.scene.Camera, mode(), false));
}

void CameraTool::hover(const PointerInput&) {
    idle();
}

void CameraTool::drag(const PointerInput& in) {
    // dx, dy: the previous position minus this one, so a movement up is a positive dy.
    const ScreenPoint last = ctx_.lastScreen;
    cameraDragStep(ctx_.scene.Camera, mode(), last.x - in.screen.x, last.y - in.screen.y);
    show(mode(), cameraStatusText(ctx_.scene.Camera, mode(), true));
}

} // namespace lw

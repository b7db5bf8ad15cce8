#include "editor/tools/Tool.h"

#include "editor/MapDocument.h"
#include "ui/Language.h"

namespace lw {

TPoxel* ToolContext::selectedNode() const {
    return findByListId(scene.ShownRoot, scene.SelectedId);
}

TPoxel* ToolContext::selectedMapNode() const {
    if (!scene.ShownRoot || scene.ShownRoot != doc.root())
        return nullptr;
    return selectedNode();
}

void PointPickTool::idle() {
    hoverId_ = 0;
    show(CodeSelectNothing, langText(modeKey_));
}

void PointPickTool::hover(const PointerInput& in) {
    hoverId_ = pickNear(ctx_.picks, in.x, in.y, PickPass::Scene, kPickTolerance,
                        [](uint32_t) { return true; });
    if (hoverId_ < 1)
        idle();
    else
        show(CodeSelect, bracketed(langText(modeKey_), hoverId_));
}

void PointPickTool::press(const PointerInput& in) {
    if (code_ == CodeSelect && hoverId_ >= 1)
        picked(static_cast<int32_t>(hoverId_), in.ctrl());
}

QString bracketed(const QString& text, const QString& value) {
    return text + QStringLiteral(" [") + value + QLatin1Char(']');
}

QString bracketed(const QString& text, uint32_t value) {
    return bracketed(text, QString::number(value));
}

} // namespace lw

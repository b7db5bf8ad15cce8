#include "editor/tools/LayersTool.h"

#include "ui/Language.h"

namespace lw {

void LayersTool::idle() {
    hoverId_ = 0;
    show(CodeSelectNothing, langText("[sLayersMode]"));
}

void LayersTool::hover(const PointerInput& in) {
    // The pass draws nothing but the selected poxel's level corners: the nearest one counts.
    hoverId_ = pickNear(ctx_.picks, in.x, in.y, PickPass::Scene, kPickTolerance,
                        [](uint32_t) { return true; });
    if (hoverId_ < 1)
        idle();
    else
        show(CodeSelect, bracketed(langText("[sLayersMode]"), hoverId_));
}

void LayersTool::press(const PointerInput& in) {
    if (code_ != CodeSelect || hoverId_ < 1)
        return;
    const auto id = static_cast<int32_t>(hoverId_);
    in.ctrl() ? ctx_.layerPicks.Add(id) : ctx_.layerPicks.SetOnly(id);
    ctx_.host.repaint();
}

} // namespace lw

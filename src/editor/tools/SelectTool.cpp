#include "editor/tools/SelectTool.h"

#include "ui/Language.h"

namespace lw {

void SelectTool::idle() {
    hoverId_ = 0;
    show(CodeSelectNothing, langText("[sSelectMode]"));
}

void SelectTool::hover(const PointerInput& in) {
    // Nodes are picked under the exact pixel.
    hoverId_ = pickExact(ctx_.picks, in.x, in.y, PickPass::Scene);
    const QString mode = langText("[sSelectMode]");
    if (hoverId_ < 1)
        show(CodeSelectNothing, mode);
    else
        show(CodeSelect, bracketed(mode, hoverId_));
}

void SelectTool::press(const PointerInput&) {
    // Empty space deselects.
    ctx_.host.selectById(code_ == CodeSelect ? static_cast<int32_t>(hoverId_) : 0);
}

} // namespace lw

#include "editor/tools/LayersTool.h"

namespace lw {

void LayersTool::picked(int32_t id, bool ctrl) {
    ctrl ? ctx_.layerPicks.Add(id) : ctx_.layerPicks.SetOnly(id);
    ctx_.host.repaint();
}

} // namespace lw

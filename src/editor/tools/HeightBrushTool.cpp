#include "editor/tools/HeightBrushTool.h"

#include "editor/MapDocument.h"

namespace lw {

void HeightBrushTool::picked(int32_t id, bool ctrl) {
    ctrl ? ctx_.heightPicks.Add(id) : ctx_.heightPicks.SetOnly(id);
    snapshot();
    ctx_.host.repaint();
}

void HeightBrushTool::setActive(bool down) {
    ctx_.heightPicks.Clear();
    if (down) {
        snapshot();
    } else {
        endSession();
        ctx_.host.showHeight(0);
    }
}

void HeightBrushTool::endSession() {
    session_.end();
    node_ = nullptr;
    heights_.clear();
    written_.clear();
}

void HeightBrushTool::snapshot() {
    TPoxel* node = ctx_.selectedMapNode();
    // Only a node of the edited map: the history must never hold a node it does not own.
    if (node && (node->IsEntity || node->IsHeightmapImage || !ctx_.doc.contains(*node)))
        node = nullptr;
    session_.begin(BrushKind::Heights);
    ctx_.host.liveEditBegins();
    node_ = node;
    heights_ = node ? node->Heights : HeightSnapshot{};
    written_ = heights_;
    // Showing 0 runs the brush once, which gives the snapshot back unchanged.
    ctx_.host.showHeight(0);
}

void HeightBrushTool::setHeight(double h) {
    if (!ctx_.model.heightPick() || !node_ || !session_.active())
        return;
    painting_ = true;
    paintHeights(ctx_.doc, *node_, heights_, ctx_.heightPicks, h, session_);
    painting_ = false;
    written_ = node_->Heights;
    ctx_.host.repaint();
}

void HeightBrushTool::nodeLeaves(const TPoxel& node) {
    if (node_ && isInSubtree(node, *node_))
        endSession();
}

void HeightBrushTool::nodeChanged(TPoxel& node) {
    if (&node == node_ && !painting_ && node.Heights != written_)
        snapshot();
}

} // namespace lw

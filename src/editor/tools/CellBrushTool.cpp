#include "editor/tools/CellBrushTool.h"

#include "editor/MapDocument.h"
#include "ui/Language.h"

#include <utility>

namespace lw {

QString CellBrushTool::modeText() const {
    switch (ctx_.model.cellBrush()) {
    case CellBrush::Erase:
        return langText("[sEraseMode]");
    case CellBrush::Get:
        return langText("[sGetMode]");
    default:
        return langText("[sFillMode]");
    }
}

TPoxel* CellBrushTool::brushNode() const {
    TPoxel* node = ctx_.selectedMapNode();
    if (!node || node->IsRoot || node->IsGroup || node->IsEntity || node->IsHeightmapImage)
        return nullptr;
    return node;
}

uint32_t CellBrushTool::pickCell(double x, double y) {
    // Cells are picked under the exact pixel.
    return pickExact(ctx_.picks, x, y, PickPass::Cells);
}

void CellBrushTool::idle() {
    show(CodeSelectNothing, modeText());
}

void CellBrushTool::hover(const PointerInput& in) {
    const uint32_t a = pickCell(in.x, in.y);
    if (a < 1) {
        idle();
        return;
    }
    const CellBrush brush = ctx_.model.cellBrush();
    show(brush == CellBrush::Erase ? CodeErase
         : brush == CellBrush::Get ? CodeGetFill
                                   : CodeFill,
         bracketed(modeText(), a));
}

void CellBrushTool::press(const PointerInput& in) {
    endStroke();
    const CellBrush brush = ctx_.model.cellBrush();
    if (code_ == CodeSelectNothing) {
        // Empty space deselects under the erase brush, as under the select tool.
        if (brush == CellBrush::Erase)
            ctx_.host.selectById(0);
        return;
    }
    TPoxel* node = brushNode();
    if (!node)
        return;
    if (brush == CellBrush::Get) {
        const uint32_t p = pickCell(in.x, in.y);
        if (p >= 1 && p <= node->Voxels.size())
            ctx_.host.showCellSettings(node->Voxels[p - 1]);
        return;
    }
    stroke_.begin(brush == CellBrush::Erase ? BrushKind::Erase : BrushKind::Fill);
    ctx_.host.liveEditBegins();
    strokeNode_ = node;
    cellsAtPress_ = node->Voxels;
    status_ = sample(in.x, in.y);
}

void CellBrushTool::drag(const PointerInput& in) {
    status_ = stroke_.active() ? sample(in.x, in.y) : QString();
}

void CellBrushTool::release(const PointerInput&) {
    endStroke();
}

void CellBrushTool::endStroke() {
    stroke_.end();
    strokeNode_ = nullptr;
    cellsAtPress_.clear();
}

void CellBrushTool::nodeLeaves(const TPoxel& node) {
    if (strokeNode_ && isInSubtree(node, *strokeNode_))
        endStroke();
}

QString CellBrushTool::sample(double x, double y) {
    TPoxel* node = strokeNode_;
    const bool fill = stroke_.kind() == BrushKind::Fill;
    const QString mode = langText(fill ? "[sFillMode]" : "[sEraseMode]");
    if (!node || !stroke_.active() || cellsAtPress_.size() != node->Voxels.size())
        return mode;
    // Only the pick pass reads the cells swapped in.
    std::swap(node->Voxels, cellsAtPress_);
    const uint32_t p = pickCell(x, y);
    std::swap(node->Voxels, cellsAtPress_);
    if (p == 0 || p > node->Voxels.size())
        return mode;
    const uint32_t code = fill ? fillCodeOf(ctx_.host.cellBrushSettings()) : 0;
    painting_ = true;
    paintCell(ctx_.doc, *node, size_t(p) - 1, code, stroke_);
    painting_ = false;
    return bracketed(mode, p);
}

} // namespace lw

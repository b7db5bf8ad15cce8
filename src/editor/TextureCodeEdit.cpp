#include "editor/TextureCodeEdit.h"

#include "editor/PropertyEdits.h"

#include "textures/TextureBoxes.h"
#include "textures/TextureCodes.h"

#include <algorithm>
#include <cmath>

namespace lw {

namespace {

int nearestIn(double v, int lo, int hi) {
    if (!std::isfinite(v))
        return lo;
    return int(std::clamp(std::lround(v), long(lo), long(hi)));
}

} // namespace

uint32_t fillCellCode(const TextureBrushValues& values) {
    return composeCellCode(nearestIn(values.Box, 0, kMaxTextureBoxes),
                           nearestIn(values.Mat, 0, kMaxTextureBoxes),
                           nearestIn(values.Corners, 0, 15), nearestIn(values.Blur, 0, 15));
}

TextureBrushValues brushValuesOfCode(uint32_t code) {
    TextureBrushValues v;
    v.Box = boxOfCode(code);
    v.Mat = boxOfCode(code >> 8);
    v.Corners = double(code >> 16 & 15u);
    v.Blur = double(code >> 20 & 15u);
    return v;
}

std::optional<QString> TextCodeTabDblClick(MapDocument& doc, TPoxel& node, int row,
                                           TextureBrushMode mode, TextureBrushValues& values) {
    const int cell = row - 1;
    if (row < 1 || size_t(cell) >= node.Voxels.size() || node.IsGroup || node.IsEntity ||
        !doc.contains(node))
        return std::nullopt;
    switch (mode) {
    case TextureBrushMode::Get:
        values = brushValuesOfCode(node.Voxels[size_t(cell)]);
        break;
    case TextureBrushMode::Fill:
        setCellCode(doc, node, size_t(cell), fillCellCode(values));
        break;
    case TextureBrushMode::Erase:
        setCellCode(doc, node, size_t(cell), 0);
        break;
    }
    return QString::fromStdString(cellCodeText(node.Voxels[size_t(cell)]));
}

} // namespace lw

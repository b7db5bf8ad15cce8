#include "editor/Brushes.h"

#include "editor/MapDocument.h"
#include "render/PoxelMesh.h"
#include "textures/TextureCodes.h"
#include "ui/Language.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace lw {

namespace {

constexpr int kMostBoxes = 64;
constexpr int kCornerMask = 15;

int clampedNearest(double value, int low, int high) {
    if (!std::isfinite(value))
        return low;
    return std::clamp(nearestInt(std::clamp(value, double(low), double(high))), low, high);
}

} // namespace

int nearestInt(double value) {
    if (!std::isfinite(value))
        return 0;
    const double limit = double(std::numeric_limits<int>::max());
    // rint rounds halves to the even neighbour in the default rounding mode.
    return int(std::rint(std::clamp(value, -limit, limit)));
}

// ---- Cell brushes -------------------------------------------------------------------------------

uint32_t fillCodeOf(const CellBrushSettings& s) {
    return composeCellCode(
        clampedNearest(s.Box, 0, kMostBoxes), clampedNearest(s.Mat, 0, kMostBoxes),
        clampedNearest(s.Corners, 0, kCornerMask), clampedNearest(s.Blur, 0, kCornerMask));
}

CellBrushSettings settingsOfCell(uint32_t cell) {
    CellBrushSettings s;
    s.Box = boxOfCode(cell & 0xFFu);
    s.Mat = boxOfCode(cell >> 8 & 0xFFu);
    s.Corners = double(cell >> 16 & 0xFu);
    s.Blur = double(cell >> 20 & 0xFu);
    return s;
}

int cornerValueOf(const std::array<bool, 4>& boxes) {
    int value = 0;
    for (size_t i = 0; i < boxes.size(); ++i)
        if (boxes[i])
            value |= 1 << i;
    return value;
}

std::array<bool, 4> cornerBoxesOf(int value) {
    std::array<bool, 4> boxes{};
    for (size_t i = 0; i < boxes.size(); ++i)
        boxes[i] = (value >> i & 1) != 0;
    return boxes;
}

// ---- Auto Blur and Blur -------------------------------------------------------------------------

QString autoBlurQuestion(double box, double mat) {
    char a[64];
    char b[64];
    std::snprintf(a, sizeof a, "%.0f", box);
    std::snprintf(b, sizeof b, "%.0f", mat);
    return QStringLiteral("%1 [%2] %3 [%4]?")
        .arg(langText("[sYousureBlurfrom]"), QString::fromLatin1(a), langText("[sto]"),
             QString::fromLatin1(b));
}

uint32_t autoBlurCell(uint32_t cell, uint32_t t1, uint32_t t2) {
    if ((cell & 0x0FF00000u) != 0)
        return cell; // already blended from below (or marked): left alone
    const uint32_t first = cell & 0xFFu;
    if (first == t2)
        return t2 + 256 * t1;
    if (first == t1)
        return t2 + 256 * t1 + 0xFF0000u;
    return cell;
}

int autoBlurCells(PoxelContent& content, int box, int mat) {
    // Without both boxes the pair would name "no texture": empty cells would be filled and
    // cells of the other box emptied. Nothing is changed then.
    if (box < 1 || mat < 1 || box > kMostBoxes || mat > kMostBoxes)
        return 0;
    const uint32_t t1 = boxCode(box);
    const uint32_t t2 = boxCode(mat);
    int changed = 0;
    for (uint32_t& cell : content.Voxels) {
        const uint32_t blurred = autoBlurCell(cell, t1, t2);
        if (blurred != cell) {
            cell = blurred;
            ++changed;
        }
    }
    return changed;
}

bool autoBlur(MapDocument& doc, TPoxel& node, int box, int mat) {
    return doc.editNode(node, brushStepText(BrushKind::AutoBlur), NodeChange::Geometry,
                        [&](PoxelContent& c) { autoBlurCells(c, box, mat); });
}

std::vector<uint32_t> blurredCells(const TPoxel& node, const TTextureList* textures) {
    if (!textures || node.IsGroup || node.IsEntity)
        return node.Voxels;
    // The mesh builder's own blur pass, so the flags are exactly those it blends with. The
    // switch is scratch of the node, restored before anyone else looks.
    auto& scratch = const_cast<TPoxel&>(node);
    const bool was = scratch.BlurPass;
    scratch.BlurPass = true;
    PoxelMesh mesh;
    computePoxelGeometry(node, textures, mesh);
    scratch.BlurPass = was;
    if (mesh.BlurredVoxels.size() != node.Voxels.size())
        return node.Voxels;
    return std::move(mesh.BlurredVoxels);
}

bool blur(MapDocument& doc, TPoxel& node, const TTextureList* textures) {
    std::vector<uint32_t> cells = blurredCells(node, textures);
    return doc.editNode(node, brushStepText(BrushKind::Blur), NodeChange::Geometry,
                        [&](PoxelContent& c) { c.Voxels = std::move(cells); });
}

// ---- Heightmap brush ----------------------------------------------------------------------------

void applyHeightBrush(PoxelContent& content, const HeightSnapshot& snapshot,
                      const TPickArray& picks, double h) {
    if (!std::isfinite(h))
        return;
    const size_t columns = std::min(content.Heights.size(), snapshot.size());
    for (size_t x = 0; x < columns; ++x) {
        std::vector<float>& column = content.Heights[x];
        const std::vector<float>& from = snapshot[x];
        const size_t rows = std::min(column.size(), from.size());
        for (size_t z = 0; z < rows; ++z) {
            const double w = HeightWeight(int32_t(x), int32_t(z), picks);
            column[z] = static_cast<float>(w * h / 100.0 + double(from[z]));
        }
    }
}

// ---- Strokes ------------------------------------------------------------------------------------

QString brushStepText(BrushKind kind) {
    switch (kind) {
    case BrushKind::Fill:
        return langText("[sOpFill]");
    case BrushKind::Erase:
        return langText("[sOpErase]");
    case BrushKind::Heights:
        return langText("[sOpHeights]");
    case BrushKind::Layers:
        return langText("[sOpLayers]");
    case BrushKind::Blur:
        return langText("[sOpBlur]");
    case BrushKind::AutoBlur:
        return langText("[sOpAutoBlur]");
    }
    return {};
}

int brushMergeKey(BrushKind kind, unsigned stroke) {
    return kBrushMergeKeyBase + (int(kind) & (kBrushKinds - 1)) * kBrushStrokes +
           int(stroke % kBrushStrokes);
}

bool paintCell(MapDocument& doc, TPoxel& node, size_t cell, uint32_t code,
               const BrushStroke& stroke) {
    if (cell >= node.Voxels.size() || node.Voxels[cell] == code)
        return false;
    return doc.editNode(
        node, brushStepText(stroke.kind()), NodeChange::Geometry,
        [&](PoxelContent& c) { c.Voxels[cell] = code; }, stroke.mergeKey());
}

bool paintHeights(MapDocument& doc, TPoxel& node, const HeightSnapshot& snapshot,
                  const TPickArray& picks, double h, const BrushStroke& stroke) {
    return doc.editNode(
        node, brushStepText(BrushKind::Heights), NodeChange::Geometry,
        [&](PoxelContent& c) { applyHeightBrush(c, snapshot, picks, h); }, stroke.mergeKey());
}

} // namespace lw

#include "editor/tools/ToolModel.h"

namespace lw {

int cameraModeOf(ToolKind tool) {
    switch (tool) {
    case ToolKind::Zoom:
        return 1;
    case ToolKind::Pan:
        return 2;
    case ToolKind::Orbit:
        return 3;
    case ToolKind::Perspective:
        return 4;
    case ToolKind::Dolly:
        return 5;
    default:
        return 0;
    }
}

bool isCameraTool(ToolKind tool) {
    return cameraModeOf(tool) != 0;
}

bool isObjectTool(ToolKind tool) {
    return tool == ToolKind::Move || tool == ToolKind::Rotate || tool == ToolKind::Scale;
}

SelectionInfo selectionOf(const TPoxel* node, bool editedMapShown) {
    SelectionInfo s;
    if (!node)
        return s;
    s.node = true;
    s.listId = node->ListId;
    s.editedMap = editedMapShown;
    s.root = node->IsRoot;
    s.group = node->IsGroup;
    s.entity = node->IsEntity;
    s.heightmapImage = node->IsHeightmapImage;
    return s;
}

ToolModel::ToolModel(QObject* parent) : QObject(parent) {}

GizmoKind ToolModel::gizmo() const {
    auto of = [](ToolKind t) {
        switch (t) {
        case ToolKind::Move:
            return GizmoKind::Move;
        case ToolKind::Rotate:
            return GizmoKind::Rotate;
        case ToolKind::Scale:
            return GizmoKind::Scale;
        default:
            return GizmoKind::None;
        }
    };
    if (s_.tool == ToolKind::Orbit && s_.previous)
        return of(*s_.previous);
    return of(s_.tool);
}

// A node of the edited map, shown, that is not its root.
bool ToolModel::editable() const {
    const SelectionInfo& s = s_.selection;
    return s.node && s.editedMap && !s.root;
}

// Heights and level offsets: a poxel or group of the map (the heightmap preview is none).
bool ToolModel::pointsEditable() const {
    return editable() && !s_.selection.entity && !s_.selection.heightmapImage;
}

bool ToolModel::toolEnabled(ToolKind tool) const {
    if (!isObjectTool(tool))
        return true;
    // The brushes that work inside the node keep its transform still; layers mode moves and
    // scales level corners, which have no rotation.
    if (!editable() || s_.selection.heightmapImage || s_.brush != CellBrush::None || s_.heightPick)
        return false;
    return !(tool == ToolKind::Rotate && s_.layersMode);
}

bool ToolModel::restrictionEnabled(int restriction) const {
    // Level corners move in the level's plane, one axis at a time.
    return !(s_.layersMode && restriction >= RestrictXY && restriction <= RestrictZX);
}

bool ToolModel::cellBrushesEnabled() const {
    return pointsEditable() && !s_.selection.group;
}

bool ToolModel::heightPickEnabled() const {
    return pointsEditable();
}

bool ToolModel::layersModeEnabled() const {
    return pointsEditable();
}

void ToolModel::settle(const State& before) {
    if (s_.brush != CellBrush::None && !cellBrushesEnabled())
        s_.brush = CellBrush::None;
    if (s_.heightPick && !heightPickEnabled())
        s_.heightPick = false;
    if (s_.layersMode && !layersModeEnabled())
        s_.layersMode = false;
    if (!toolEnabled(s_.tool))
        s_.tool = ToolKind::Select;
    if (!(s_ == before))
        emit changed();
}

void ToolModel::chooseTool(ToolKind tool) {
    if (tool == ToolKind::Select) {
        chooseSelect();
        return;
    }
    if (!toolEnabled(tool))
        return;
    const State before = s_;
    if (tool == ToolKind::Move && s_.restriction == RestrictXYZ)
        s_.restriction = RestrictX; // moving has no uniform handle
    if (tool == s_.tool) {
        const std::optional<ToolKind> previous = s_.previous;
        s_.previous.reset();
        s_.tool = ToolKind::Select;
        if (previous && isObjectTool(*previous) && toolEnabled(*previous)) {
            if (*previous == ToolKind::Move && s_.restriction == RestrictXYZ)
                s_.restriction = RestrictX;
            s_.tool = *previous;
        }
    } else {
        s_.previous = s_.tool;
        s_.tool = tool;
    }
    settle(before);
}

void ToolModel::chooseSelect() {
    const State before = s_;
    s_.tool = ToolKind::Select;
    settle(before);
}

void ToolModel::setRestriction(int restriction) {
    if (restriction < RestrictX || restriction > RestrictXYZ)
        return;
    const State before = s_;
    s_.restriction = restriction;
    settle(before);
}

void ToolModel::toggleCellBrush(CellBrush brush) {
    if (brush == CellBrush::None || !cellBrushesEnabled())
        return;
    const State before = s_;
    s_.brush = s_.brush == brush ? CellBrush::None : brush;
    s_.heightPick = false;
    s_.layersMode = false;
    settle(before);
}

void ToolModel::toggleHeightPick() {
    if (!heightPickEnabled())
        return;
    const State before = s_;
    s_.heightPick = !s_.heightPick;
    s_.brush = CellBrush::None;
    s_.layersMode = false;
    // Points are picked with the select tool.
    s_.tool = ToolKind::Select;
    settle(before);
}

void ToolModel::toggleLayersMode() {
    if (!layersModeEnabled())
        return;
    const State before = s_;
    s_.layersMode = !s_.layersMode;
    s_.heightPick = false;
    s_.brush = CellBrush::None;
    s_.restriction = RestrictX; // level corners start along X
    settle(before);
}

void ToolModel::setSelection(const SelectionInfo& selection) {
    const State before = s_;
    s_.selection = selection;
    settle(before);
}

void ToolModel::showSelection(const SelectionInfo& selection) {
    const State before = s_;
    s_.selection = selection;
    s_.heightPick = false;
    s_.layersMode = false;
    // A new poxel starts without the fill and get brushes; erase stays down for the next one.
    const bool cells =
        selection.node && !selection.entity && !selection.root && !selection.heightmapImage;
    if (cells && (s_.brush == CellBrush::Fill || s_.brush == CellBrush::Get))
        s_.brush = CellBrush::None;
    settle(before);
}

void ToolModel::documentShown() {
    const State before = s_;
    s_.brush = CellBrush::None;
    s_.heightPick = false;
    s_.layersMode = false;
    settle(before);
}

} // namespace lw

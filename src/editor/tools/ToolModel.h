#pragma once
// The state of the tools, in one place: the camera tool or object tool in use, the axis
// restriction and the brush modes (fill, get, erase; height pick; layers mode), with every rule
// that enables, disables or releases them. The tool bar, the brush buttons, the keys and the
// menus show this state and change it only through the commands below; nothing decides what a
// click does from a button's checked state.
//
// The rules keep modes from getting stuck: a mode that cannot apply to the selection (a cell
// brush on a group, an entity or nothing; the height pick or layers mode on an entity) is
// released, never left down and disabled, and an object tool that becomes disabled gives way to
// the select tool.

#include "core/Poxel.h"
#include "render/SceneState.h"

#include <QObject>

#include <optional>

namespace lw {

enum class ToolKind { Select, Zoom, Pan, Orbit, Perspective, Dolly, Move, Rotate, Scale };
enum class CellBrush { None, Fill, Get, Erase };

// The camera mode of a camera tool (1..5, as the view's codes), 0 for the other tools.
int cameraModeOf(ToolKind tool);
bool isCameraTool(ToolKind tool);
bool isObjectTool(ToolKind tool);

// What the tools need to know of the selected node: what the property panels were filled from.
struct SelectionInfo {
    bool node = false;
    int32_t listId = 0;
    bool editedMap = false; // the node belongs to the edited map, which is shown
    bool root = false;
    bool group = false;
    bool entity = false;
    bool heightmapImage = false;
    friend bool operator==(const SelectionInfo&, const SelectionInfo&) = default;
};
SelectionInfo selectionOf(const TPoxel* node, bool editedMapShown);

class ToolModel : public QObject {
    Q_OBJECT

public:
    explicit ToolModel(QObject* parent = nullptr);

    // ---- State ---------------------------------------------------------------------------------
    ToolKind tool() const { return s_.tool; }
    std::optional<ToolKind> previousTool() const { return s_.previous; }
    int restriction() const { return s_.restriction; }
    CellBrush cellBrush() const { return s_.brush; }
    bool heightPick() const { return s_.heightPick; }
    bool layersMode() const { return s_.layersMode; }
    const SelectionInfo& selection() const { return s_.selection; }
    // The gizmo the view shows: the object tool's, or the one of the tool in use before the
    // camera rotation tool.
    GizmoKind gizmo() const;

    // ---- Enabling ------------------------------------------------------------------------------
    bool toolEnabled(ToolKind tool) const;
    bool restrictionEnabled(int restriction) const;
    bool cellBrushesEnabled() const;
    bool heightPickEnabled() const;
    bool layersModeEnabled() const;
    bool zoomSelectedEnabled() const { return s_.selection.listId > 0; }
    // "Show Points" goes with the fill brush; "Height" with the height pick.
    bool showPointsEnabled() const { return s_.brush == CellBrush::Fill; }

    // ---- Commands ------------------------------------------------------------------------------
    // A camera or object tool chosen (its button, its key, the right button for the camera
    // rotation). Choosing the tool in use again puts back the object tool used before it, or the
    // select tool. The move tool takes restriction X in place of the uniform one.
    void chooseTool(ToolKind tool);
    // The select tool; the tool used before is kept.
    void chooseSelect();
    // The axis restriction, 0..5 from its buttons, 6 from the scale gizmo's uniform handle.
    void setRestriction(int restriction);
    // A brush button clicked: the brush goes down, or up when it was down. One brush at a time.
    void toggleCellBrush(CellBrush brush);
    void toggleHeightPick();
    void toggleLayersMode();
    // What is selected now (a node inserted or removed meanwhile): only what cannot apply to
    // it any more is released.
    void setSelection(const SelectionInfo& selection);
    // The property panels were filled for `selection` (a new selection, or a refill after an
    // edit): the height pick and layers mode go up, and fill and get when the node has cells.
    void showSelection(const SelectionInfo& selection);
    // A document was opened, created or imported and is shown: every brush goes up.
    void documentShown();

signals:
    void changed();

private:
    struct State {
        ToolKind tool = ToolKind::Select;
        std::optional<ToolKind> previous;
        int restriction = RestrictX;
        CellBrush brush = CellBrush::None;
        bool heightPick = false;
        bool layersMode = false;
        SelectionInfo selection;
        friend bool operator==(const State&, const State&) = default;
    };
    bool editable() const;
    bool pointsEditable() const;
    // Releases what cannot apply any more, then tells when anything differs from `before`.
    void settle(const State& before);

    State s_;
};

} // namespace lw

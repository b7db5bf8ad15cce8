#pragma once
// The tools of the 3D view as objects. Each sees plain pointer input (never a window event), asks
// a PickSource what lies under the pointer, changes the map only through the document and says
// in its status text and interaction code what a click would do at the pointer now. The window
// implements ToolHost for what only it can do (selecting in its trees, the brush settings of
// its property page, redrawing the view).

#include "editor/Brushes.h"
#include "editor/tools/ToolModel.h"
#include "render/Camera.h"
#include "render/InteractionCode.h"
#include "render/PickArrays.h"
#include "render/PickSource.h"
#include "render/SceneState.h"

#include <QString>
#include <Qt>

namespace lw {

class MapDocument;

// One pointer event over the view.
struct PointerInput {
    // Position in the view, logical pixels, y down; and on the desktop (camera steps and the
    // endless drag measure there).
    double x = 0;
    double y = 0;
    ScreenPoint screen;
    // The button that went down or up (press, release), and the buttons held.
    Qt::MouseButton button = Qt::NoButton;
    Qt::MouseButtons buttons;
    Qt::KeyboardModifiers modifiers;
    // Whether the view has the keyboard focus: an unfocused view only takes the focus.
    bool focused = true;

    bool ctrl() const { return modifiers.testFlag(Qt::ControlModifier); }
    bool shift() const { return modifiers.testFlag(Qt::ShiftModifier); }
};

// What only the window can do for the tools.
class ToolHost {
public:
    virtual ~ToolHost() = default;
    // The view is to be drawn again.
    virtual void repaint() = 0;
    // Selects the node of the shown document with `listId` (0: none), as the trees and the
    // property page show it.
    virtual void selectById(int32_t listId) = 0;
    // The copy a Ctrl-move made: selected and shown in the map tree.
    virtual void selectCopy(TPoxel& node) = 0;
    // The cell brush settings of "Poxel Texture", and the get brush showing a cell's.
    virtual CellBrushSettings cellBrushSettings() const = 0;
    virtual void showCellSettings(uint32_t cell) = 0;
    // The "Height" field shows `h` (after a new snapshot: 0).
    virtual void showHeight(double h) = 0;
    // `node` was changed outside the document for a live preview: its meshes must follow.
    virtual void previewGeometry(TPoxel& node) = 0;
    // A stroke or a layers drag begins: the meshes undo gives back are to be kept.
    virtual void liveEditBegins() = 0;
    // The endless drag: the pointer came near the desktop's edge and is moved; returns where it
    // is now.
    virtual ScreenPoint wrapPointer(ScreenPoint at) = 0;
};

// What every tool works with.
struct ToolContext {
    MapDocument& doc;
    ToolModel& model;
    SceneState& scene;
    PickSource& picks;
    ToolHost& host;
    TPickArray& heightPicks;
    TLPickArray& layerPicks;
    // The pointer on the desktop after the last handled press or drag step (where the endless
    // drag put it).
    ScreenPoint lastScreen;

    // The node the selection names in the shown document, or nullptr.
    TPoxel* selectedNode() const;
    // The selected node when it is a node of the edited map (never a reference document's).
    TPoxel* selectedMapNode() const;
    // The view's camera in logical pixels, as the pointer is given.
    TCamera viewCamera() const { return scene.Camera; }
};

class Tool {
public:
    explicit Tool(ToolContext& context) : ctx_(context) {}
    virtual ~Tool() = default;
    Tool(const Tool&) = delete;
    Tool& operator=(const Tool&) = delete;

    // The pointer moved with no button held: what lies under it and what a click would do.
    virtual void hover(const PointerInput& in) = 0;
    // What the tool shows while the pointer is outside the view.
    virtual void idle() = 0;
    // The left button went down (after a hover at the same place), moved while held, went up.
    virtual void press(const PointerInput&) {}
    virtual void drag(const PointerInput&) { status_.clear(); }
    virtual void release(const PointerInput&) {}
    // Escape, a change of tool, a document replaced: whatever runs ends without a trace.
    virtual void cancel() {}
    // True while the tool follows the pointer itself, so the pointer must not be wrapped at the
    // desktop's edges (an object drag, a brush stroke).
    virtual bool followsPointer() const { return false; }

    const QString& statusText() const { return status_; }
    int cursorCode() const { return code_; }

protected:
    void show(int code, const QString& status) {
        code_ = code;
        status_ = status;
    }

    ToolContext& ctx_;
    QString status_;
    int code_ = CodeSelectNothing;
};

// The tools that pick the selected poxel's height points or level corners: the pass draws
// nothing else, so the nearest within the tolerance is the one under the pointer. A click hands
// it over (Ctrl: to be added to the picked ones).
class PointPickTool : public Tool {
public:
    // `modeKey`: the language key of the mode's status text.
    PointPickTool(ToolContext& context, const char* modeKey) : Tool(context), modeKey_(modeKey) {}
    void hover(const PointerInput& in) override;
    void idle() override;
    void press(const PointerInput& in) override;

protected:
    virtual void picked(int32_t id, bool ctrl) = 0;

private:
    const char* modeKey_;
    uint32_t hoverId_ = 0;
};

// "%1 [%2]" with the pattern's own text left alone (a translated text may hold "%1").
QString bracketed(const QString& text, const QString& value);
QString bracketed(const QString& text, uint32_t value);

} // namespace lw

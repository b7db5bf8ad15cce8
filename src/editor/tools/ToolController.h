#pragma once
// Routes the view's pointer, wheel and key input to the tool in use, as the tool model names it:
// a camera tool, the move, rotate or scale tool, a brush, or the select tool. It keeps the
// interaction code and the status text that say what a click at the pointer would do now, also
// right after a change of tool (by a key, the right button or the tool bar), and follows the
// document so that no tool keeps working on a node that is gone.

#include "editor/tools/CameraTool.h"
#include "editor/tools/CellBrushTool.h"
#include "editor/tools/HeightBrushTool.h"
#include "editor/tools/LayersTool.h"
#include "editor/tools/ObjectDragTool.h"
#include "editor/tools/SelectTool.h"

#include <QObject>

namespace lw {

class ToolController : public QObject {
    Q_OBJECT

public:
    ToolController(MapDocument& doc, ToolModel& model, SceneState& scene, PickSource& picks,
                   ToolHost& host, QObject* parent = nullptr);

    // Pointer events over the view. Presses and movements need the view's focus (the first
    // click into an unfocused view only focuses it); a release is always taken.
    void press(const PointerInput& in);
    void move(const PointerInput& in);
    void release(const PointerInput& in);
    void leave();
    // The wheel turned by `angleDelta` eighths of a degree (positive away from the user). Small
    // steps of touchpads and fine wheels add up until they make a whole step of 120.
    void wheel(int angleDelta);
    // A key pressed while the view has the focus (Qt::Key); false when it is none of the view's.
    bool key(int key);
    // "Zoom Selected" (its button and C).
    void zoomSelected();

    // Something drawn changed: the next hover or press picks again even where the pointer is.
    void sceneChanged() { stale_ = true; }
    // What a click at the last pointer position would do, picked again now.
    void refresh();

    int cursorCode() const;
    const QString& statusText() const { return status_; }
    Tool& activeTool();
    ObjectDragTool& objectTool() { return objectTool_; }
    CellBrushTool& cellBrushTool() { return cellTool_; }
    HeightBrushTool& heightBrushTool() { return heightTool_; }
    TPickArray& heightPicks() { return heightPicks_; }
    TLPickArray& layerPicks() { return layerPicks_; }

signals:
    void statusChanged(const QString& text);
    void cursorChanged(int code);

private:
    void onModelChanged();
    // Mirrors the model into what the drawer reads.
    void syncScene();
    void hoverAt(const PointerInput& in);
    void publish(const QString& status);

    ToolModel& model_;
    SceneState& scene_;
    ToolHost& host_;
    TPickArray heightPicks_;
    TLPickArray layerPicks_;
    ToolContext ctx_;
    SelectTool selectTool_{ctx_};
    CameraTool cameraTool_{ctx_};
    CameraTool panTool_{ctx_, ModePan};
    ObjectDragTool objectTool_{ctx_};
    CellBrushTool cellTool_{ctx_};
    HeightBrushTool heightTool_{ctx_};
    LayersTool layersTool_{ctx_};

    Tool* active_ = &selectTool_;
    // The modes the active tool was chosen for: a change ends what it was doing.
    struct Modes {
        ToolKind tool = ToolKind::Select;
        CellBrush brush = CellBrush::None;
        bool heightPick = false;
        bool layersMode = false;
        friend bool operator==(const Modes&, const Modes&) = default;
    } modes_;
    // The last pointer position over the view, whether the pointer is there, and whether the
    // scene changed since the last hover there.
    PointerInput last_;
    bool inside_ = false;
    bool stale_ = true;
    bool leftHeld_ = false;
    bool panning_ = false;
    int wheelRest_ = 0;
    QString status_;
    int code_ = CodeSelectNothing;
};

} // namespace lw

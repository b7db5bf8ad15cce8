#pragma once
// The move, rotate and scale tools: the pointer over a gizmo handle (or, for moving, over the
// node itself) arms a drag; the press makes the handle's axes the restriction, every movement
// runs a step of the drag maths that the view shows, the release writes the result as one undo
// step (the Ctrl-move copy, the Ctrl-uniform scale of the subtree). In layers mode the same
// drags move the picked level corners. Escape or a change of tool cancels a drag.

#include "editor/DragMath.h"
#include "editor/tools/Tool.h"

namespace lw {

class ObjectDragTool : public Tool {
public:
    using Tool::Tool;
    void hover(const PointerInput& in) override;
    void idle() override;
    void press(const PointerInput& in) override;
    void drag(const PointerInput& in) override;
    void release(const PointerInput& in) override;
    void cancel() override;
    bool followsPointer() const override { return drag_.Active; }

    // The drag in progress (Active false between drags).
    const ObjectDrag& objectDrag() const { return drag_; }
    // Whether a release is writing the drag (the document's change is its own).
    bool applying() const { return applying_; }

private:
    DragKind kind() const;
    QString modeText() const;
    void begin(const PointerInput& in);
    QString dragStatusText() const;

    ObjectDrag drag_;
    bool applying_ = false;
};

} // namespace lw

#pragma once
// The camera tools (zoom, pan, rotation, perspective, dolly): a drag moves the camera by the
// pointer's movement on the desktop. The middle button pans with any tool through one of these.

#include "editor/tools/Tool.h"

namespace lw {

class CameraTool : public Tool {
public:
    // `mode`: the camera mode (1..5); 0 follows the camera tool chosen in the model.
    CameraTool(ToolContext& context, int mode = 0) : Tool(context), fixedMode_(mode) {}
    int mode() const;

    void hover(const PointerInput& in) override;
    void idle() override;
    void drag(const PointerInput& in) override;

private:
    int fixedMode_ = 0;
};

// The status text of camera mode `mode`: its name while hovering, its values while dragging.
QString cameraStatusText(const TCamera& camera, int mode, bool dragging);

} // namespace lw

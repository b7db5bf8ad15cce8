#pragma once
// The select tool: a click selects the node under the pointer, or nothing over empty space.

#include "editor/tools/Tool.h"

namespace lw {

class SelectTool : public Tool {
public:
    using Tool::Tool;
    void hover(const PointerInput& in) override;
    void idle() override;
    void press(const PointerInput& in) override;

private:
    uint32_t hoverId_ = 0;
};

} // namespace lw

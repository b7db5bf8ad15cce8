#pragma once
// Layers mode with the select tool: a click picks the level corner under the pointer (Ctrl adds
// it to the picked ones). The move and scale tools then drag the picked corners.

#include "editor/tools/Tool.h"

namespace lw {

class LayersTool : public Tool {
public:
    using Tool::Tool;
    void hover(const PointerInput& in) override;
    void idle() override;
    void press(const PointerInput& in) override;

private:
    uint32_t hoverId_ = 0;
};

} // namespace lw

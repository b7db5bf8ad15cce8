#pragma once
// Layers mode with the select tool: a click picks the level corner under the pointer (Ctrl adds
// it to the picked ones). The move and scale tools then drag the picked corners.

#include "editor/tools/Tool.h"

namespace lw {

class LayersTool : public PointPickTool {
public:
    explicit LayersTool(ToolContext& context) : PointPickTool(context, "[sLayersMode]") {}

protected:
    void picked(int32_t id, bool ctrl) override;
};

} // namespace lw

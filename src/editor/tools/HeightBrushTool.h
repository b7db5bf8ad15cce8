#pragma once
// The heightmap brush ("Pick" down, with the select tool): a click picks the grid point under
// the pointer (Ctrl adds it to the picked ones) and takes a snapshot of the heights; "Height"
// then raises or lowers the picked points with a soft fall-off from that snapshot. Everything
// from one pick to the next is one undo step.

#include "editor/tools/Tool.h"

namespace lw {

class HeightBrushTool : public PointPickTool {
public:
    explicit HeightBrushTool(ToolContext& context) : PointPickTool(context, "[sPickMode]") {}

    // "Pick" went down or up: the picks are cleared; going down takes a snapshot.
    void setActive(bool down);
    // The heights are copied as the snapshot "Height" is an offset from; "Height" shows 0.
    void snapshot();
    // "Height" changed to `h`.
    void setHeight(double h);
    // `node` leaves the map, or a node's geometry changed by other means than the brush (an
    // undo, a table edit): the snapshot follows.
    void nodeLeaves(const TPoxel& node);
    void nodeChanged(TPoxel& node);

    TPoxel* node() const { return node_; }

protected:
    void picked(int32_t id, bool ctrl) override;

private:
    void endSession();

    BrushStroke session_;
    TPoxel* node_ = nullptr;
    HeightSnapshot heights_;
    // The heights the brush wrote last: any other change starts a new snapshot.
    THmap written_;
    bool painting_ = false;
};

} // namespace lw

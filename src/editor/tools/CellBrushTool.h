#pragma once
// The cell brushes over the selected poxel: fill and erase paint every cell the pointer passes
// while the button is held, as one undo step per stroke; get reads the cell under the pointer
// into the brush settings.

#include "editor/tools/Tool.h"

#include <vector>

namespace lw {

class CellBrushTool : public Tool {
public:
    using Tool::Tool;
    void hover(const PointerInput& in) override;
    void idle() override;
    void press(const PointerInput& in) override;
    void drag(const PointerInput& in) override;
    void release(const PointerInput& in) override;
    void cancel() override { endStroke(); }
    bool followsPointer() const override { return stroke_.active(); }

    bool strokeActive() const { return stroke_.active(); }
    // Whether a sample is writing a cell (the document's change is the stroke's own).
    bool painting() const { return painting_; }
    // `node` leaves the map (or the map is replaced): a stroke in it ends.
    void nodeLeaves(const TPoxel& node);
    void endStroke();

private:
    QString modeText() const;
    // The poxel the brushes work in: the selected poxel of the edited map when it has cells.
    TPoxel* brushNode() const;
    uint32_t pickCell(double x, double y);
    // Paints the cell under (x, y) in the running stroke; the status text of the sample.
    QString sample(double x, double y);

    BrushStroke stroke_;
    TPoxel* strokeNode_ = nullptr;
    // The cells at the press: the stroke's picks see them, so an erased cell does not uncover
    // the one behind it to the next movement (a stroke would dig a tunnel).
    std::vector<uint32_t> cellsAtPress_;
    bool painting_ = false;
};

} // namespace lw

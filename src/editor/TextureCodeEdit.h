#pragma once
// The cell texture code editor of the "Poxel Texture" panel: a double click on a row of the
// cell code table fills, erases or reads that cell's texture word with the brush settings.
// Fill and erase are one undo step each on the edited map.

#include "editor/MapDocument.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace lw {

// The brush settings the editor reads and (in get mode) writes: the box (`EditX18`, 0..64),
// the second box "Mat" (`EditX17`, 0..64), the four corner flags (`EditX19`, 0..15) and the
// four "Blur" flags (`EditX20`, 0..15). Fields hold the values the controls show; each is taken
// to the nearest whole number and into its range when used.
struct TextureBrushValues {
    double Box = 1;
    double Mat = 0;
    double Corners = 0;
    double Blur = 0;
};

enum class TextureBrushMode { Fill, Erase, Get };

// The cell word fill mode writes for these settings.
uint32_t fillCellCode(const TextureBrushValues& values);
// The settings get mode reads from a cell word.
TextureBrushValues brushValuesOfCode(uint32_t code);

// A double click on row `row` of the table (row 0 is the title row; row r shows cell r - 1).
// Fill and erase store the cell's word as one undo step of the map (setCellCode, nothing
// recorded when the cell already holds it); get fills `values` from the cell. Returns the row's
// value text after the action, or nothing (and does nothing) on the title row, a row without a
// cell, a group, an entity or a node that is not in the document's map.
std::optional<QString> TextCodeTabDblClick(MapDocument& doc, TPoxel& node, int row,
                                           TextureBrushMode mode, TextureBrushValues& values);

} // namespace lw

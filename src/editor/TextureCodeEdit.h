#pragma once
// The cell texture code editor of the "Poxel Texture" panel: a double click on a row of the
// cell code table fills, erases or reads that cell's texture word with the brush settings.
// Fill and erase are one undo step each on the edited map.

#include "editor/MapDocument.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

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

// The table's text of cell `cell`: key "%d" and value "[%.2d] [%.2d] [%.2d] [%.2d]" (blur,
// corners, second box, box).
QString textCodeKey(int cell);
QString textCodeValue(uint32_t code);

// Stores `code` in cell `cell` of `node` (a poxel of the edited map) as one undo step named
// `text`. False, recording nothing, when the cell does not exist, the node is a group, an
// entity or not in the map, or the cell already holds the code.
bool setCellTextureCode(MapDocument& doc, TPoxel& node, int cell, uint32_t code,
                        const QString& text);

// A double click on row `row` of the table (row 0 is the title row; row r shows cell r - 1).
// Fill and erase change the cell through setCellTextureCode; get fills `values` from the cell.
// Returns the row's value text after the action, or nothing (and does nothing) on the title
// row or a row without a cell.
std::optional<QString> TextCodeTabDblClick(MapDocument& doc, TPoxel& node, int row,
                                           TextureBrushMode mode, TextureBrushValues& values,
                                           const QString& text);

} // namespace lw

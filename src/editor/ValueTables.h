#pragma once
// The clipboard text of the property page's value tables ("Copy Table" and "Paste Table"):
// numbers in "%.6f" with the locale's decimal separator, columns split by a tab, every line
// ended by CR LF. Headless: the page puts the text on the clipboard and takes it from there.

#include "core/Poxel.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace lw {

// The three tables: texture coordinates (4 lines of 4), level offsets (NY + 1 lines of -X, -Z,
// +X, +Z) and heights (NX + 1 lines of NZ + 1, line x holding Heights[x][0 .. NZ]).
enum class ValueGrid { TextCoord, Layers, Heights };

// "Copy Table": the table of `grid` for `poxel`.
std::string copyValueTable(const TPoxel& poxel, ValueGrid grid, char decimalPoint = '.');

// "Paste Table": values are read in the order they are written, each stored at once as a
// 32-bit float. A value is the text up to the next tab, or for the last of a line up to the next
// CR (one more character, the LF, is passed after it). The first value without its separator,
// that is no number, or that no float can hold ends the reading; what was stored stays.
// Returns how many values were stored.
size_t pasteValueTable(TPoxel& poxel, ValueGrid grid, std::string_view text,
                       char decimalPoint = '.');

// Whether "Paste Table" is offered: the text before the first tab is a number.
bool clipboardHoldsTable(std::string_view text, char decimalPoint = '.');

} // namespace lw

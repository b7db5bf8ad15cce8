#pragma once
// Column widths of the main window's string grids (those without fixed columns), recomputed
// whenever a grid's width changes so the columns fill it.

#include <vector>

namespace lw {

// Widths of all columns for a grid `width` pixels wide. Grids of 4 columns: every column is
// width / 4 and the last takes what is left less 7. Grids of 5: a narrow first column of 16, the
// others (width - 22) / 4 and the last what is left less 24. Other column counts are left alone
// (empty result). No width is negative.
std::vector<int> gridColumnWidths(int columnCount, int width);

} // namespace lw

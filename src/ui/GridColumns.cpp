#include "ui/GridColumns.h"

#include <algorithm>

namespace lw {

std::vector<int> gridColumnWidths(int columnCount, int width) {
    std::vector<int> widths;
    if (columnCount == 4) {
        const int w = std::max(0, width / 4);
        widths.assign(4, w);
        widths[3] = std::max(0, width - 3 * w - 7);
    } else if (columnCount == 5) {
        const int w = std::max(0, (width - 22) / 4);
        widths.assign(5, w);
        widths[0] = 16;
        widths[4] = std::max(0, width - 3 * w - 24);
    }
    return widths;
}

} // namespace lw

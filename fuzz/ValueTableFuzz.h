#pragma once
// Clipboard tables pasted into the value grids of a poxel, and tables copied from it.

#include "Fuzz.h"

#include "editor/ValueTables.h"

#include <cmath>

namespace lwfuzz {

inline void pasteValueTables(const uint8_t* data, size_t size) {
    InputSplitter in(data, size);
    const uint8_t dims = in.byte();
    const std::string text = in.restText();
    const int nx = 1 + (dims & 7), ny = 1 + ((dims >> 3) & 3), nz = 1 + (dims >> 5);
    for (const lw::ValueGrid grid :
         {lw::ValueGrid::TextCoord, lw::ValueGrid::Layers, lw::ValueGrid::Heights}) {
        auto poxel = lw::makePoxel(nx, ny, nz);
        (void)lw::clipboardHoldsTable(text, ',');
        (void)lw::pasteValueTable(*poxel, grid, text, ',');
        (void)lw::pasteValueTable(*poxel, grid, text);
        // A table copied from what was pasted reads back whole.
        const std::string copied = lw::copyValueTable(*poxel, grid);
        auto other = lw::makePoxel(nx, ny, nz);
        const size_t values = grid == lw::ValueGrid::TextCoord ? 16
                              : grid == lw::ValueGrid::Layers  ? size_t(ny + 1) * 4
                                                               : size_t(nx + 1) * size_t(nz + 1);
        require(lw::pasteValueTable(*other, grid, copied) == values,
                "a copied table pastes back whole");
        bool finite = true;
        for (const float v : poxel->TextCoord)
            finite = finite && std::isfinite(v);
        for (const auto& column : poxel->Heights)
            for (const float v : column)
                finite = finite && std::isfinite(v);
        for (const auto* levels : {&poxel->LayerLow, &poxel->LayerHigh})
            for (const lw::TLayer& l : *levels)
                finite = finite && std::isfinite(l.X) && std::isfinite(l.Z);
        require(finite, "pasted values are finite");
    }
}

} // namespace lwfuzz

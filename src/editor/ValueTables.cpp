#include "editor/ValueTables.h"

#include "replace/ReplaceQuery.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <optional>

namespace lw {

namespace {

// Lines and columns of a table, following the arrays the poxel really holds.
struct TableSize {
    size_t lines = 0;
    size_t columns = 0;
};

TableSize sizeOf(const TPoxel& p, ValueGrid grid) {
    switch (grid) {
    case ValueGrid::TextCoord:
        return {4, 4};
    case ValueGrid::Layers:
        return {std::min({size_t(std::max(p.NY, 0)) + 1, p.LayerLow.size(), p.LayerHigh.size()}),
                4};
    case ValueGrid::Heights: {
        TableSize t{std::min(size_t(std::max(p.NX, 0)) + 1, p.Heights.size()),
                    size_t(std::max(p.NZ, 0)) + 1};
        for (size_t x = 0; x < t.lines; ++x)
            t.columns = std::min(t.columns, p.Heights[x].size());
        return t;
    }
    }
    return {};
}

// The float at line i, column j of the table (const for a const poxel).
template <typename Poxel> auto* cellOf(Poxel& p, ValueGrid grid, size_t i, size_t j) {
    switch (grid) {
    case ValueGrid::TextCoord:
        return &p.TextCoord[4 * i + j];
    case ValueGrid::Layers: {
        auto& l = j < 2 ? p.LayerLow[i] : p.LayerHigh[i];
        return j % 2 == 0 ? &l.X : &l.Z;
    }
    case ValueGrid::Heights:
        break;
    }
    return &p.Heights[i][j];
}

std::optional<float> readValue(std::string_view text, char decimalPoint) {
    // Separators never belong to a value: a text that ran past the line end is no number.
    if (text.find_first_of("\t\r\n") != std::string_view::npos)
        return std::nullopt;
    auto v = readExtended(text, decimalPoint);
    if (!v || std::fabs(*v) > FLT_MAX)
        return std::nullopt;
    return float(*v);
}

} // namespace

std::string copyValueTable(const TPoxel& poxel, ValueGrid grid, char decimalPoint) {
    const TableSize t = sizeOf(poxel, grid);
    std::string out;
    for (size_t i = 0; i < t.lines; ++i) {
        for (size_t j = 0; j < t.columns; ++j) {
            char number[64];
            std::snprintf(number, sizeof number, "%.6f", double(*cellOf(poxel, grid, i, j)));
            std::string text(number);
            if (decimalPoint != '.')
                if (const size_t dot = text.find('.'); dot != std::string::npos)
                    text[dot] = decimalPoint;
            out += text;
            out += j + 1 < t.columns ? "\t" : "\r\n";
        }
    }
    return out;
}

size_t pasteValueTable(TPoxel& poxel, ValueGrid grid, std::string_view text, char decimalPoint) {
    const TableSize t = sizeOf(poxel, grid);
    size_t stored = 0;
    size_t pos = 0;
    for (size_t i = 0; i < t.lines; ++i) {
        for (size_t j = 0; j < t.columns; ++j) {
            const bool last = j + 1 == t.columns;
            const size_t end = text.find(last ? '\r' : '\t', pos);
            if (end == std::string_view::npos)
                return stored;
            const auto value = readValue(text.substr(pos, end - pos), decimalPoint);
            if (!value)
                return stored;
            *cellOf(poxel, grid, i, j) = *value;
            ++stored;
            pos = std::min(text.size(), end + (last ? 2 : 1));
        }
    }
    return stored;
}

bool clipboardHoldsTable(std::string_view text, char decimalPoint) {
    const size_t tab = text.find('\t');
    return tab != std::string_view::npos && readValue(text.substr(0, tab), decimalPoint);
}

} // namespace lw

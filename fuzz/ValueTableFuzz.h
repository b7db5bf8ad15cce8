#pragma once
// Clipboard tables pasted into the value grids of a poxel ("Paste Table"), and the tables copied
// from what was pasted ("Copy Table"), with a point and with a comma as decimal separator.

#include "Fuzz.h"

#include "editor/PropertyEdits.h"

#include <QLocale>
#include <QString>

#include <cmath>

namespace lwfuzz {

inline void pasteValueTables(const uint8_t* data, size_t size) {
    InputSplitter in(data, size);
    const uint8_t dims = in.byte();
    const std::string bytes = in.restText();
    const QString text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    const int nx = 1 + (dims & 7), ny = 1 + ((dims >> 3) & 3), nz = 1 + (dims >> 5);
    const QLocale before;
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        for (const lw::ValueTable table :
             {lw::ValueTable::TextCoord, lw::ValueTable::Layers, lw::ValueTable::HeightMap}) {
            auto poxel = lw::makePoxel(nx, ny, nz);
            (void)lw::clipboardStartsWithNumber(text);
            const int stored = lw::pasteTableInto(*poxel, table, text);
            const int values = lw::tableLines(*poxel, table) * lw::tableLineValues(*poxel, table);
            require(stored >= 0 && stored <= values,
                    "no more values are stored than the table has");
            // A table copied from what was pasted reads back whole.
            const QString copied = lw::tableText(*poxel, table);
            auto other = lw::makePoxel(nx, ny, nz);
            require(lw::pasteTableInto(*other, table, copied) == values,
                    "a copied table pastes back whole");
            require(lw::tableText(*other, table) == copied, "a copied table pastes back unchanged");
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
    QLocale::setDefault(before);
}

} // namespace lwfuzz

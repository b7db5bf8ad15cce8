#pragma once
// Maps and land libraries: read as a library and as a map; whatever is accepted must save and
// read back.

#include "Fuzz.h"

#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "core/Xom.h"

namespace lwfuzz {

// The limits scaled to the memory rule: shared records let a small file describe a map as
// large as the limits allow, and the program's own limits allow a gigabyte.
inline constexpr lw::MapLimits kFuzzMapLimits{lw::kMaxDecodedNodes, lw::kMaxDecodedCells,
                                              size_t(48) << 20};

inline void readMapBytes(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    if (auto lib = lw::parseXom(bytes, lw::XomMode::Library))
        (void)lw::buildLibraryListing(*lib, kFuzzMapLimits);
    lw::Result<std::vector<uint8_t>> saved = lw::Error{};
    {
        auto table = lw::parseXom(std::move(bytes), lw::XomMode::Map);
        if (!table)
            return;
        auto root = lw::decodeMapRoot(*table, lw::CounterMode::Keep, 0, kFuzzMapLimits);
        if (!root)
            return;
        saved = lw::encodeMap(**root, kFuzzMapLimits);
        if (!saved)
            return;
    } // the first reading is let go before the saved file is read
    auto again = lw::parseXom(std::move(*saved), lw::XomMode::Map);
    require(again && lw::decodeMapRoot(*again, lw::CounterMode::Keep, 0, kFuzzMapLimits).ok(),
            "a file the writer made reads back");
}

} // namespace lwfuzz

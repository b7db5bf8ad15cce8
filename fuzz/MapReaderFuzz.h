#pragma once
// One fuzz input: read it as a map and as a library; whatever is accepted must save and read
// back. Shared by the libFuzzer target and the corpus replay test.

#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "core/Xom.h"

#include <cstdlib>

namespace lwfuzz {

inline void readMapBytes(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    if (auto lib = lw::parseXom(bytes, lw::XomMode::Library))
        (void)lw::buildLibraryListing(*lib);
    auto table = lw::parseXom(std::move(bytes), lw::XomMode::Map);
    if (!table)
        return;
    auto root = lw::decodeMapRoot(*table, lw::CounterMode::Keep);
    if (!root)
        return;
    auto saved = lw::encodeMap(**root);
    if (!saved)
        return;
    auto again = lw::parseXom(*saved, lw::XomMode::Map);
    if (!again || !lw::decodeMapRoot(*again, lw::CounterMode::Keep))
        std::abort(); // a file the writer made must always read back
}

} // namespace lwfuzz

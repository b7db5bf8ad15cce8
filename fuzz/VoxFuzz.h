#pragma once
// VOX blocks, read into a poxel of the size the file names (when a poxel can have it).

#include "Fuzz.h"

#include "core/ByteIO.h"
#include "io/VoxFile.h"

namespace lwfuzz {

inline void readVoxFile(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    int32_t nx = 2, ny = 3, nz = 4;
    if (size >= lw::kVoxHeaderSize) {
        const auto fits = [](uint32_t v) { return v >= 1 && v <= 255; };
        const uint32_t x = lw::loadU32(data), y = lw::loadU32(data + 4), z = lw::loadU32(data + 8);
        if (fits(x) && fits(y) && fits(z) && uint64_t(x) * y * z <= 32767) {
            nx = int32_t(x);
            ny = int32_t(y);
            nz = int32_t(z);
        }
    }
    auto poxel = lw::makePoxel(nx, ny, nz);
    for (size_t i = 0; i < poxel->Voxels.size(); ++i)
        poxel->Voxels[i] = uint32_t(0x00ABCD00u | (i & 0xFF));
    const std::vector<uint32_t> before = poxel->Voxels;
    if (!lw::decodeVoxInto(*poxel, bytes)) {
        require(poxel->Voxels == before, "a refused file changes no cell");
        return;
    }
    // Bits 8-31 stay; a byte b comes back as b modulo 64 (255 stays empty).
    const std::vector<uint8_t> saved = lw::encodeVox(*poxel);
    for (size_t i = 0; i < poxel->Voxels.size(); ++i) {
        require((poxel->Voxels[i] & ~0xFFu) == (before[i] & ~0xFFu), "only bits 0-7 change");
        const uint8_t b = bytes[lw::kVoxHeaderSize + i];
        require(saved[lw::kVoxHeaderSize + i] == (b == 255 ? 255 : b % 64),
                "a cell byte saves as the box it named");
    }
}

} // namespace lwfuzz

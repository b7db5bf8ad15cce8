#include "io/VoxFile.h"

#include "core/AtomicFile.h"
#include "core/ByteIO.h"
#include "core/Xom.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace lw {

namespace {

Error badVox(std::string detail) {
    return Error{"", "Bad VOX File", std::move(detail)};
}

template <typename Visit> void forEachCell(const PoxelContent& p, Visit visit) {
    for (int32_t x = 0; x < p.NX; ++x)
        for (int32_t y = 0; y < p.NY; ++y)
            for (int32_t z = 0; z < p.NZ; ++z)
                visit(p.cellIndex(x, y, z));
}

} // namespace

std::string voxFileName(const PoxelContent& poxel) {
    char dims[48];
    std::snprintf(dims, sizeof dims, "_%dx%dx%d.vox", poxel.NX, poxel.NY, poxel.NZ);
    return poxel.Name + dims;
}

std::vector<uint8_t> encodeVox(const PoxelContent& poxel) {
    const size_t cells = size_t(poxel.NX) * size_t(poxel.NY) * size_t(poxel.NZ);
    std::vector<uint8_t> out;
    out.reserve(kVoxHeaderSize + cells + kVoxPaletteSize);
    appendU32(out, uint32_t(poxel.NX));
    appendU32(out, uint32_t(poxel.NY));
    appendU32(out, uint32_t(poxel.NZ));
    forEachCell(poxel, [&](size_t i) {
        const int code = int(poxel.Voxels[i] & 0xFFu);
        // Box b + 1 is code 4·b + 3; an empty cell (code 0) comes out as 255.
        out.push_back(uint8_t((code + 1) / 4 - 1));
    });
    for (int i = 0; i < 256; ++i) {
        const uint8_t v = i <= 64 ? uint8_t(125 - i) : uint8_t(255);
        out.insert(out.end(), {v, v, v});
    }
    return out;
}

Status writeVoxFile(const PoxelContent& poxel, const std::string& fileName) {
    return writeFileAtomically(fileName, encodeVox(poxel));
}

Status decodeVoxInto(PoxelContent& poxel, const std::vector<uint8_t>& bytes) {
    if (bytes.size() < kVoxHeaderSize)
        return badVox("the file has " + std::to_string(bytes.size()) +
                      " bytes, fewer than its 12-byte size header");
    const int32_t sx = int32_t(loadU32(&bytes[0]));
    const int32_t sy = int32_t(loadU32(&bytes[4]));
    const int32_t sz = int32_t(loadU32(&bytes[8]));
    if (sx != poxel.NX || sy != poxel.NY || sz != poxel.NZ) {
        char text[160];
        std::snprintf(text, sizeof text, "Bad Size (X:%d=%d, Y:%d=%d, Z:%d=%d)", sx, poxel.NX, sy,
                      poxel.NY, sz, poxel.NZ);
        return Error{"", text, ""};
    }
    const size_t cells = size_t(sx) * size_t(sy) * size_t(sz);
    if (bytes.size() - kVoxHeaderSize < cells)
        return badVox("the sizes announce " + std::to_string(cells) + " cells but the file holds " +
                      std::to_string(bytes.size() - kVoxHeaderSize));
    size_t at = kVoxHeaderSize;
    forEachCell(poxel, [&](size_t i) {
        const uint32_t b = bytes[at++];
        const uint32_t code = b == 255 ? 0u : (4u * b + 3u) & 0xFFu;
        poxel.Voxels[i] = (poxel.Voxels[i] & ~0xFFu) | code;
    });
    return Ok{};
}

Status readVoxFile(PoxelContent& poxel, const std::string& fileName) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec))
        return Error{"", "Bad File Name", fileName};
    auto bytes = readFileBytes(fileName);
    if (!bytes)
        return bytes.error();
    if (auto st = decodeVoxInto(poxel, *bytes); !st) {
        Error e = st.error();
        e.detail = e.detail.empty() ? "'" + fileName + "'" : "'" + fileName + "': " + e.detail;
        return e;
    }
    return Ok{};
}

} // namespace lw

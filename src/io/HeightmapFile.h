#pragma once
// Heightmap files (.hmp), the heightmap preview poxel and the terrain tiles built from a file.
//
// An .hmp file is exactly 50,000 bytes: 100 × 100 little-endian floats (z-major, x fastest)
// followed by 100 × 100 mask grey levels in the same order.

#include "core/Poxel.h"
#include "core/Result.h"
#include "io/GreyPicture.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace lw {

constexpr int kHmpGrid = 100;
constexpr size_t kHmpHeightBytes = size_t(kHmpGrid) * kHmpGrid * 4;
constexpr size_t kHmpFileSize = kHmpHeightBytes + size_t(kHmpGrid) * kHmpGrid;

// The heightmap preview as the main window holds it: the poxel (not part of any map) and its
// 100 × 100 mask picture. Grid point (x, z) shows in mask pixel (99 - x, 99 - z).
struct HeightmapPreview {
    std::unique_ptr<TPoxel> poxel;
    GreyPicture mask;
};

// A fresh preview: "HMapPoxel", 99 × 1 × 99 filled cells, list 410000, black mask.
HeightmapPreview makeHeightmapPreview();
// "Make Hmap": a fresh preview whose heights come from a depth picture of 100 × 100 16-bit
// values (rows from the bottom): Heights[row][column] = (1 - depth / 65535) · 1.5. A picture
// of another size is refused.
Result<HeightmapPreview> heightmapFromDepth(const std::vector<uint16_t>& depth);
// HmImage[z][x] = mask pixel (99 - x, 99 - z) / 255.
void updateMaskImage(HeightmapPreview& preview);

Result<HeightmapPreview> decodeHmp(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> encodeHmp(const HeightmapPreview& preview);
// "Open Height map...": a file shorter than 50,000 bytes is refused.
Result<HeightmapPreview> readHmpFile(const std::string& fileName);
// "Save Height map...": writes under hmpFileName(chosen); returns the name written.
Result<std::string> writeHmpFile(const HeightmapPreview& preview, const std::string& chosen);
// ".hmp" is appended unless the name already contains it somewhere.
std::string hmpFileName(const std::string& chosen);

// The height part of a file as G[x][z] (needs the first 40,000 bytes).
Result<THmap> readHmpHeights(const std::string& fileName);
Result<THmap> decodeHmpHeights(const std::vector<uint8_t>& bytes);

// "Import Height map...": the "HMapDummy" group with sixteen 25 × 3 × 25 tiles and sixteen
// clip poxels built from a 100 × 100 grid G[x][z]. Meshes are the caller's.
std::unique_ptr<TPoxel> buildHeightmapTerrain(const THmap& grid);
// Reads the file and appends the group to `root`'s children; on a bad file nothing changes.
Result<TPoxel*> importHeightmapTerrain(TPoxel& root, const std::string& fileName);

} // namespace lw

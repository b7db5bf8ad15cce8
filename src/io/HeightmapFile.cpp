#include "io/HeightmapFile.h"

#include "core/AtomicFile.h"
#include "core/ByteIO.h"
#include "core/Xom.h"

#include <cmath>
#include <cstdio>

namespace lw {

namespace {

Error badHeightmap(std::string detail) {
    return Error{"sBadHeightMapFile", "Bad Height Map File", std::move(detail)};
}

// Reads the 100 × 100 heights (record z, x fastest) into G[x][z]; the caller checked the size.
Result<THmap> heightsOf(const std::vector<uint8_t>& bytes) {
    THmap grid(kHmpGrid, std::vector<float>(kHmpGrid));
    for (int z = 0; z < kHmpGrid; ++z)
        for (int x = 0; x < kHmpGrid; ++x) {
            const float v = loadF32(&bytes[size_t(z * kHmpGrid + x) * 4]);
            if (!std::isfinite(v))
                return badHeightmap("the height at x " + std::to_string(x) + ", z " +
                                    std::to_string(z) + " is not a number");
            grid[size_t(x)][size_t(z)] = v;
        }
    return grid;
}

Error tooShort(size_t have, size_t need) {
    return badHeightmap("the file has " + std::to_string(have) + " bytes; at least " +
                        std::to_string(need) + " are needed");
}

std::string tileName(const char* pattern, int c, int r) {
    char name[64];
    std::snprintf(name, sizeof name, pattern, c, r);
    return name;
}

// True when the nine cells around (x, z) on level y are empty; cells outside count as empty.
bool emptyAround(const TPoxel& p, int x, int y, int z) {
    for (int zz = z - 1; zz <= z + 1; ++zz)
        for (int xx = x - 1; xx <= x + 1; ++xx)
            if (xx >= 0 && xx < p.NX && zz >= 0 && zz < p.NZ && p.Voxels[p.cellIndex(xx, y, zz)])
                return false;
    return true;
}

// A grid made elsewhere may be smaller than 100 × 100; points it lacks read as 0.
bool inGrid(const THmap& grid, int x, int z) {
    return size_t(x) < grid.size() && size_t(z) < grid[size_t(x)].size();
}

constexpr int kTile = 25;
constexpr float kTileCell = 1.5f;
constexpr float kTileHeightScale = 3.0f;

std::unique_ptr<TPoxel> makeTile(const THmap& grid, int c, int r) {
    auto tile = makePoxel(kTile, 3, kTile);
    tile->Name = tileName("HMapP_%.2d_%.2d", c, r);
    tile->Size = {kTileCell, 1.6666666f, kTileCell};
    tile->Pos = {(kTile * c - 62.5f) * kTileCell, 0.0f, (kTile * r - 62.5f) * kTileCell};
    FillVoxels(*tile, kDefaultCellCode);
    const int x0 = kTile * (c - 1);
    const int z0 = kTile * (r - 1);
    // The last grid line of the outermost tiles lies beyond the file's grid and stays 0.
    for (int i = 0; i <= kTile; ++i)
        for (int j = 0; j <= kTile; ++j)
            if (inGrid(grid, x0 + j, z0 + i))
                tile->Heights[size_t(j)][size_t(i)] =
                    kTileHeightScale * grid[size_t(x0 + j)][size_t(z0 + i)];

    // No top where the ground is at or below zero.
    const THmap& h = tile->Heights;
    auto low = [&h](int x, int z) { return x < 0 || z < 0 || h[size_t(x)][size_t(z)] <= 0.0f; };
    for (int z = 0; z < kTile; ++z)
        for (int x = 0; x < kTile; ++x)
            if (low(x, z) && low(x - 1, z) && low(x, z - 1) && low(x - 1, z - 1))
                tile->Voxels[tile->cellIndex(x, 2, z)] = 0;
    // Then the levels below lose cells that nothing above covers.
    for (int y = 1; y >= 0; --y)
        for (int z = 0; z < kTile; ++z)
            for (int x = 0; x < kTile; ++x)
                if (emptyAround(*tile, x, y + 1, z))
                    tile->Voxels[tile->cellIndex(x, y, z)] = 0;
    return tile;
}

std::unique_ptr<TPoxel> makeClip(const THmap& grid, int c, int r) {
    auto clip = makePoxel(1, 3, 1);
    clip->Name = tileName("HMapP_clip_%.2d_%.2d", c, r);
    clip->Size = {kTileCell, 1.6666666f, kTileCell};
    clip->Pos = {(kTile * c - 75.0f) * kTileCell, 0.0f, (kTile * r - 75.0f) * kTileCell};
    FillVoxels(*clip, kDefaultCellCode);
    const int x0 = kTile * (c - 1);
    const int z0 = kTile * (r - 1);
    bool allLow = true;
    for (int k = 0; k <= 1; ++k)
        for (int l = 0; l <= 1; ++l) {
            float& v = clip->Heights[size_t(l)][size_t(k)];
            if (inGrid(grid, x0 + l, z0 + k))
                v = kTileHeightScale * grid[size_t(x0 + l)][size_t(z0 + k)];
            allLow = allLow && v <= 0.0f;
        }
    if (allLow)
        FillVoxels(*clip, 0);
    return clip;
}

} // namespace

HeightmapPreview makeHeightmapPreview() {
    HeightmapPreview preview;
    // The preview draws from its own band of display lists (410000).
    PushPoxelCounter(kHeightmapCounterBase);
    preview.poxel = makePoxel(kHmpGrid - 1, 1, kHmpGrid - 1);
    PopPoxelCounter();
    TPoxel& p = *preview.poxel;
    p.Name = "HMapPoxel";
    FillVoxels(p, 1);
    p.IsHeightmapImage = true;
    p.Pos = {0.0f, -4.0f, 0.0f};
    p.Size = {1.5f, 5.0f, 1.5f};
    p.HmImage.assign(kHmpGrid, std::vector<float>(kHmpGrid, 0.0f));
    preview.mask = GreyPicture(kHmpGrid, kHmpGrid);
    return preview;
}

Result<HeightmapPreview> heightmapFromDepth(const std::vector<uint16_t>& depth) {
    if (depth.size() != size_t(kHmpGrid) * kHmpGrid)
        return Error{"", "Bad depth picture",
                     "a heightmap needs 100 x 100 depth values, got " +
                         std::to_string(depth.size())};
    HeightmapPreview preview = makeHeightmapPreview();
    auto& heights = preview.poxel->Heights;
    for (int r = 0; r < kHmpGrid; ++r)
        for (int c = 0; c < kHmpGrid; ++c)
            heights[size_t(r)][size_t(c)] =
                static_cast<float>((1.0 - depth[size_t(r) * kHmpGrid + size_t(c)] / 65535.0) * 1.5);
    return preview;
}

void updateMaskImage(HeightmapPreview& preview) {
    auto& image = preview.poxel->HmImage;
    image.assign(kHmpGrid, std::vector<float>(kHmpGrid, 0.0f));
    if (preview.mask.width != kHmpGrid || preview.mask.height != kHmpGrid)
        return;
    for (int z = 0; z < kHmpGrid; ++z)
        for (int x = 0; x < kHmpGrid; ++x)
            image[size_t(z)][size_t(x)] =
                float(preview.mask.at(kHmpGrid - 1 - x, kHmpGrid - 1 - z)) / 255.0f;
}

Result<THmap> decodeHmpHeights(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < kHmpHeightBytes)
        return tooShort(bytes.size(), kHmpHeightBytes);
    return heightsOf(bytes);
}

Result<HeightmapPreview> decodeHmp(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < kHmpFileSize)
        return tooShort(bytes.size(), kHmpFileSize);
    auto grid = heightsOf(bytes);
    if (!grid)
        return grid.error();
    HeightmapPreview preview = makeHeightmapPreview();
    preview.poxel->Heights = std::move(*grid);
    for (int z = 0; z < kHmpGrid; ++z)
        for (int x = 0; x < kHmpGrid; ++x)
            preview.mask.at(kHmpGrid - 1 - x, kHmpGrid - 1 - z) =
                bytes[kHmpHeightBytes + size_t(z * kHmpGrid + x)];
    updateMaskImage(preview);
    return preview;
}

std::vector<uint8_t> encodeHmp(const HeightmapPreview& preview) {
    std::vector<uint8_t> out;
    out.reserve(kHmpFileSize);
    const THmap& h = preview.poxel->Heights;
    for (int z = 0; z < kHmpGrid; ++z)
        for (int x = 0; x < kHmpGrid; ++x) {
            const bool inside = size_t(x) < h.size() && size_t(z) < h[size_t(x)].size();
            appendF32(out, inside ? h[size_t(x)][size_t(z)] : 0.0f);
        }
    const GreyPicture& mask = preview.mask;
    const bool hasMask = mask.width == kHmpGrid && mask.height == kHmpGrid;
    for (int z = 0; z < kHmpGrid; ++z)
        for (int x = 0; x < kHmpGrid; ++x)
            out.push_back(hasMask ? mask.at(kHmpGrid - 1 - x, kHmpGrid - 1 - z) : 0);
    return out;
}

std::string hmpFileName(const std::string& chosen) {
    return chosen.find(".hmp") == std::string::npos ? chosen + ".hmp" : chosen;
}

Result<HeightmapPreview> readHmpFile(const std::string& fileName) {
    auto bytes = readFileBytes(fileName);
    if (!bytes)
        return bytes.error();
    auto preview = decodeHmp(*bytes);
    if (!preview)
        return badHeightmap("'" + fileName + "': " + preview.error().detail);
    return preview;
}

Result<std::string> writeHmpFile(const HeightmapPreview& preview, const std::string& chosen) {
    const std::string name = hmpFileName(chosen);
    if (auto st = writeFileAtomically(name, encodeHmp(preview)); !st)
        return st.error();
    return name;
}

Result<THmap> readHmpHeights(const std::string& fileName) {
    auto bytes = readFileBytes(fileName);
    if (!bytes)
        return bytes.error();
    auto grid = decodeHmpHeights(*bytes);
    if (!grid)
        return badHeightmap("'" + fileName + "': " + grid.error().detail);
    return grid;
}

std::unique_ptr<TPoxel> buildHeightmapTerrain(const THmap& grid) {
    auto group = makePoxel();
    group->Name = "HMapDummy";
    group->IsGroup = true;
    FillVoxels(*group, 0);
    group->Surface = 0;
    group->Pos = {0.75f, -4.0f, 0.75f};
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c) {
            AddChildPoxel(*group, makeTile(grid, c, r));
            AddChildPoxel(*group, makeClip(grid, c, r));
        }
    return group;
}

Result<TPoxel*> importHeightmapTerrain(TPoxel& root, const std::string& fileName) {
    auto grid = readHmpHeights(fileName);
    if (!grid)
        return grid.error();
    return AddChildPoxel(root, buildHeightmapTerrain(*grid));
}

} // namespace lw

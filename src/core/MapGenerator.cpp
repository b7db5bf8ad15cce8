#include "core/MapGenerator.h"

#include <cmath>
#include <cstdio>

namespace lw {

namespace {

// A small deterministic generator, so generated maps are the same on every platform.
class Rng {
public:
    explicit Rng(uint32_t seed) : s_(seed * 2654435761u + 1) {}
    uint32_t next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    int range(int lo, int hi) { return lo + int(next() % uint32_t(hi - lo + 1)); }
    float unit() { return float(next() % 10000) / 10000.0f; }

private:
    uint32_t s_;
};

std::string numbered(const char* pattern, int n) {
    char buf[64];
    std::snprintf(buf, sizeof buf, pattern, n);
    return buf;
}

uint32_t cellCode(int firstBox, int secondBox, uint32_t upperFlags, uint32_t lowerFlags) {
    const uint32_t first = firstBox > 0 ? uint32_t(4 * firstBox - 1) : 0u;
    const uint32_t second = secondBox > 0 ? uint32_t(4 * secondBox - 1) : 0u;
    return first | second << 8 | (upperFlags & 15u) << 16 | (lowerFlags & 15u) << 20;
}

std::unique_ptr<TPoxel> group(const std::string& name) {
    auto g = makePoxel();
    g->Name = name;
    g->IsGroup = true;
    g->Surface = 0;
    FillVoxels(*g, 0);
    return g;
}

std::unique_ptr<TPoxel> entity(const std::string& name, const std::string& lib, TVec3 pos) {
    auto e = makePoxel();
    e->Name = name;
    e->LibName = lib;
    e->IsEntity = true;
    e->Pos = pos;
    return e;
}

// Rolling terrain: heights from a few waves, the top level painted with a second texture.
std::unique_ptr<TPoxel> hill(const std::string& name, int nx, int ny, int nz, float amplitude,
                             int box) {
    auto p = makePoxel(nx, ny, nz);
    p->Name = name;
    for (int x = 0; x <= nx; ++x)
        for (int z = 0; z <= nz; ++z)
            p->Heights[size_t(x)][size_t(z)] =
                amplitude * std::sin(float(x) * 0.7f) * std::cos(float(z) * 0.5f);
    for (int z = 0; z < nz; ++z)
        for (int x = 0; x < nx; ++x)
            for (int y = 0; y < ny; ++y) {
                const bool top = y == ny - 1;
                p->Voxels[p->cellIndex(x, y, z)] =
                    top ? cellCode(box, box + 1, uint32_t(x + z) & 15u, 0) : cellCode(box, 0, 0, 0);
            }
    p->Surface = 0x0101; // side and top smoothing
    return p;
}

} // namespace

std::unique_ptr<TPoxel> newMapRoot() {
    ResetPoxelCounter();
    auto root = makePoxel();
    root->Name = "Root";
    FillVoxels(*root, 0);
    root->Surface = 0;
    root->IsRoot = true;
    root->IsGroup = true;
    return root;
}

std::unique_ptr<TPoxel> makeDemoMap() {
    auto root = newMapRoot();

    TPoxel* island = AddChildPoxel(*root, group("Island"));
    TPoxel* ground = AddChildPoxel(*island, hill("Ground", 12, 3, 10, 0.8f, 1));
    ground->Pos = {0.0f, -2.0f, 0.0f};
    AddEntity(*ground, entity("Emitter_01", "Base_01", {2.0f, 1.5f, -1.0f}));
    AddEntity(*ground, entity("Bounds", "Bounds", {}));

    // A tower leaning by its level offsets, on a square base.
    auto tower = makePoxel(2, 6, 2);
    tower->Name = "Tower";
    tower->Pos = {3.0f, 2.5f, 2.0f};
    tower->Rot = {0.0f, 30.0f, 0.0f};
    for (int y = 0; y <= 6; ++y) {
        tower->LayerHigh[size_t(y)] = TLayer{0.1f * float(y), 0.05f * float(y)};
        tower->LayerLow[size_t(y)] = TLayer{0.1f * float(y) - 0.2f, 0.05f * float(y)};
    }
    FillVoxels(*tower, cellCode(3, 0, 0, 0));
    tower->Surface = 0x0001; // side smoothing only
    tower->Color = 0xFFC0E0FFu;
    TPoxel* towerNode = AddChildPoxel(*island, std::move(tower));

    // A bridge of cells with an arch left empty, and a texture blend on its corners.
    auto bridge = makePoxel(8, 2, 2);
    bridge->Name = "Bridge";
    bridge->Pos = {-6.0f, 0.5f, 0.0f};
    bridge->Size = {1.0f, 0.5f, 1.0f};
    for (int z = 0; z < 2; ++z)
        for (int x = 0; x < 8; ++x) {
            bridge->Voxels[bridge->cellIndex(x, 1, z)] = cellCode(2, 4, 0x5u, 0xAu);
            bridge->Voxels[bridge->cellIndex(x, 0, z)] =
                (x == 0 || x == 7) ? cellCode(2, 0, 0, 0) : 0u;
        }
    bridge->Surface = 0x00120100; // top smoothing, surface code 0x0012
    bridge->Surface2 = 0x00010034;
    AddChildPoxel(*island, std::move(bridge));

    // Rocks: three identical copies and one that differs only by place.
    TPoxel* rocks = AddChildPoxel(*root, group("Rocks"));
    for (int i = 0; i < 4; ++i) {
        auto rock = hill("Rock", 2, 1, 2, 0.3f, 5);
        rock->Pos = i < 3 ? TVec3{8.0f, 0.0f, 4.0f} : TVec3{9.5f, 0.0f, -3.0f};
        rock->Rot = {0.0f, 45.0f, 0.0f};
        AddChildPoxel(*rocks, std::move(rock));
    }
    TPoxel* cairn = AddChildPoxel(*rocks, group("Cairn"));
    AddChildPoxel(*cairn, hill("Stone", 1, 2, 1, 0.0f, 6))->Pos = {9.0f, 1.0f, 0.0f};

    AddEntity(*towerNode, entity("Emitter_02", "Base_02", {0.0f, 3.5f, 0.0f}));
    return root;
}

std::unique_ptr<TPoxel> makeGeneratedMap(int poxelCount, uint32_t seed) {
    auto root = newMapRoot();
    Rng rng(seed);
    TPoxel* current = nullptr;
    for (int i = 0; i < poxelCount; ++i) {
        if (i % 50 == 0)
            current = AddChildPoxel(*root, group(numbered("Group_%.2d", i / 50 + 1)));
        std::unique_ptr<TPoxel> p;
        const TPoxel* last = current->Children.empty() ? nullptr : current->Children.back().get();
        if (last && rng.range(0, 9) == 0) {
            // An identical copy of the previous poxel, as copy and paste makes them.
            p = makePoxel();
            ClonePoxel(*p, *last, nullptr, nullptr);
        } else {
            const int nx = rng.range(1, 8), ny = rng.range(1, 4), nz = rng.range(1, 8);
            p = hill(numbered("Poxel%.2d", i % 1000), nx, ny, nz, rng.unit(), rng.range(1, 8));
            p->Pos = {float(rng.range(-200, 200)), float(rng.range(-5, 5)),
                      float(rng.range(-200, 200))};
            p->Rot = {0.0f, float(rng.range(0, 3) * 90), 0.0f};
            if (rng.range(0, 4) == 0)
                AddEntity(*p, entity(numbered("Emitter_%.2d", i % 500),
                                     numbered("Base_%.2d", i % 7), {0.0f, float(ny), 0.0f}));
        }
        AddChildPoxel(*current, std::move(p));
    }
    return root;
}

std::unique_ptr<TPoxel> makeTerrainMap(int tiles, int side, int levels) {
    auto root = newMapRoot();
    TPoxel* land = AddChildPoxel(*root, group("Terrain"));
    for (int row = 0; row < tiles; ++row)
        for (int col = 0; col < tiles; ++col) {
            auto p = hill(numbered("Tile%.4d", row * tiles + col), side, levels, side, 2.0f,
                          1 + (row + col) % 8);
            p->Pos = {float(col * side), 0.0f, float(row * side)};
            AddChildPoxel(*land, std::move(p));
        }
    return root;
}

} // namespace lw

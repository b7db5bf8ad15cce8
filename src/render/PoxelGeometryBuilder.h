#pragma once
// The mesh builder of a poxel, shared by the two halves of its work: the cell pass (cells,
// points, colours and texture slots, PoxelGeometry.cpp) and the faces it emits with their
// smoothing, bevels and caps (PoxelFaces.cpp). Internal to the mesh generation.

#include "core/Lattice.h"
#include "render/PoxelMesh.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lw::meshing {

// ---- Small vector helpers -------------------------------------------------------------------

inline TVec3 operator+(const TVec3& a, const TVec3& b) {
    return {a.X + b.X, a.Y + b.Y, a.Z + b.Z};
}
inline TVec3 operator-(const TVec3& a, const TVec3& b) {
    return {a.X - b.X, a.Y - b.Y, a.Z - b.Z};
}
inline TVec3 operator*(const TVec3& a, float s) {
    return {a.X * s, a.Y * s, a.Z * s};
}
inline TVec3 mid(const TVec3& a, const TVec3& b) {
    return (a + b) * 0.5f;
}
inline TVec3 cross(const TVec3& a, const TVec3& b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}
inline double lengthSquared(const TVec3& a) {
    return static_cast<double>(a.X) * a.X + static_cast<double>(a.Y) * a.Y +
           static_cast<double>(a.Z) * a.Z;
}
// `a` moved the fraction f of the way to `b`.
inline TVec3 toward(const TVec3& a, const TVec3& b, float f) {
    return a + (b - a) * f;
}
// t * m + (1 - t) * o.
inline TVec3 blend(const TVec3& m, const TVec3& o, float t) {
    return m * t + o * (1.0f - t);
}

inline TTexCoord mid(const TTexCoord& a, const TTexCoord& b) {
    return {(a.U + b.U) * 0.5f, (a.V + b.V) * 0.5f};
}
inline TTexCoord toward(const TTexCoord& a, const TTexCoord& b, float f) {
    return {a.U + (b.U - a.U) * f, a.V + (b.V - a.V) * f};
}

constexpr float kSixth = 1.0f / 6.0f;

// ---- Neighbour directions -------------------------------------------------------------------

struct Dir {
    int x, y, z;
};
constexpr Dir operator+(Dir a, Dir b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
constexpr Dir operator-(Dir a, Dir b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

constexpr Dir kPosX{1, 0, 0}, kNegX{-1, 0, 0};
constexpr Dir kPosY{0, 1, 0}, kNegY{0, -1, 0};
constexpr Dir kPosZ{0, 0, 1}, kNegZ{0, 0, -1};

// Bit n of the neighbour mask is set when the neighbour at kNeighbours[n] is empty.
constexpr std::array<Dir, 26> kNeighbours{{
    {1, 0, 0},   {0, 1, 0},   {0, 0, 1},   {-1, 0, 0},   {0, -1, 0},  {0, 0, -1},  {1, 1, 1},
    {-1, 1, 1},  {1, 1, -1},  {-1, 1, -1}, {1, 1, 0},    {-1, 1, 0},  {0, 1, 1},   {0, 1, -1},
    {1, -1, 1},  {-1, -1, 1}, {1, -1, -1}, {-1, -1, -1}, {1, -1, 0},  {-1, -1, 0}, {0, -1, 1},
    {0, -1, -1}, {1, 0, 1},   {-1, 0, 1},  {1, 0, -1},   {-1, 0, -1},
}};

constexpr int offsetSlot(Dir d) {
    return (d.x + 1) + 3 * (d.y + 1) + 9 * (d.z + 1);
}

constexpr std::array<int8_t, 27> makeBitTable() {
    std::array<int8_t, 27> t{};
    for (auto& b : t)
        b = -1;
    for (size_t i = 0; i < kNeighbours.size(); ++i)
        t[static_cast<size_t>(offsetSlot(kNeighbours[i]))] = static_cast<int8_t>(i);
    return t;
}
constexpr std::array<int8_t, 27> kBitOfOffset = makeBitTable();

// ---- Faces ----------------------------------------------------------------------------------

// A face: its corners P0..P3 as cell corners (0 or 1 per axis, in order around the face) and
// its frame: L, F, R, B lie beyond the edges P0-P1, P1-P2, P2-P3, P3-P0; N points outward.
struct FaceDef {
    std::array<Dir, 4> P;
    Dir L, F, R, B, N;
};

constexpr FaceDef kTop{
    {{{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}}}, kNegX, kPosZ, kPosX, kNegZ, kPosY};
constexpr FaceDef kBottom{
    {{{0, 0, 1}, {0, 0, 0}, {1, 0, 0}, {1, 0, 1}}}, kNegX, kNegZ, kPosX, kPosZ, kNegY};
constexpr std::array<FaceDef, 4> kSides{{
    {{{{1, 1, 0}, {1, 1, 1}, {1, 0, 1}, {1, 0, 0}}}, kPosY, kPosZ, kNegY, kNegZ, kPosX},
    {{{{0, 1, 1}, {0, 1, 0}, {0, 0, 0}, {0, 0, 1}}}, kPosY, kNegZ, kNegY, kPosZ, kNegX},
    {{{{1, 1, 1}, {0, 1, 1}, {0, 0, 1}, {1, 0, 1}}}, kPosY, kNegX, kNegY, kPosX, kPosZ},
    {{{{0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0}}}, kPosY, kPosX, kNegY, kNegX, kNegZ},
}};

constexpr std::array<TTexCoord, 4> kDefaultTex{{{0, 0}, {0, 1}, {1, 1}, {1, 0}}};

// Outline bits of a triangle (A, B, C), as the export's edge code counts them.
constexpr unsigned kAB = 4, kBC = 2, kCA = 1;

// A point of a face with what it carries to the vertex.
struct FV {
    TVec3 P;
    TTexCoord T;
    TColor4 C;
};

// Midpoint: corner RGB, the average alpha of the two ends.
inline FV midFV(const FV& a, const FV& b) {
    return {mid(a.P, b.P), mid(a.T, b.T), {a.C.R, a.C.G, a.C.B, (a.C.A + b.C.A) * 0.5f}};
}

// The corners of one face of the current cell.
struct Slots {
    std::array<TVec3, 4> P; // lattice positions of the face corners
    std::array<TVec3, 4> Q; // the lattice points one cell behind them
    std::array<TTexCoord, 4> T;
    std::array<TColor4, 4> C;
    std::array<Dir, 4> PCell, QCell; // the same as cell corners
};

enum class TexRows { Top, Side };

class Builder {
public:
    Builder(const TPoxel& p, const TTextureList* textures, PoxelMesh& mesh,
            const MeshBuildExtras& extras)
        : p_(p), textures_(textures), m_(mesh), extras_(extras) {}

    void run();

private:
    const TPoxel& p_;
    const TTextureList* textures_;
    PoxelMesh& m_;
    const MeshBuildExtras& extras_;

    int nx_ = 0, ny_ = 0, nz_ = 0;
    bool direct_ = false, textured_ = false, sideSmooth_ = false, topSmooth_ = false;
    TColor4 baseColour_;
    // Emptiness of every cell with a border of empty cells around the poxel.
    std::vector<uint8_t> empty_;
    std::array<ptrdiff_t, 26> neighbourDelta_{};
    // OR of the corner flags that the filled cells around each lattice point give it.
    std::vector<uint8_t> latticeFlag_;
    int remembered_ = 0;

    // Build state of the cell being emitted.
    int x_ = 0, y_ = 0, z_ = 0;
    uint32_t mask_ = 0;
    int first_ = 0, second_ = 0;
    uint32_t tex1_ = 0, tex0_ = 0;
    FaceTag kind_ = FaceTag::Flat;
    TColor4 identityColour_;

    size_t cellIndex(int x, int y, int z) const { return p_.cellIndex(x, y, z); }
    size_t paddedIndex(int x, int y, int z) const {
        return static_cast<size_t>(x + 1) +
               static_cast<size_t>(nx_ + 2) *
                   (static_cast<size_t>(y + 1) + static_cast<size_t>(ny_ + 2) * (z + 1));
    }
    bool filled(int x, int y, int z) const {
        const size_t i = cellIndex(x, y, z);
        return i < p_.Voxels.size() && firstTextureCode(p_.Voxels[i]) != 0;
    }
    const TVec3& lattice(int x, int y, int z) const {
        return m_.Lattice[latticeIndex(p_, x, y, z)];
    }
    bool emptyAt(Dir d) const {
        const int bit = kBitOfOffset[static_cast<size_t>(offsetSlot(d))];
        return bit >= 0 && (mask_ >> bit & 1u) != 0;
    }

    void prepareCells();
    void heightPoints();
    void layerPoints();
    void cellPass();
    void emptyCellPoint(size_t index);
    void textureCell(size_t index);
    void regularCell();
    void heightmapTop();

    uint32_t textureName(int index, int slot) const;
    void bind(int slot);
    TColor4 cornerColour(Dir corner) const;
    TTexCoord mapTex(TexRows rows, float x, float y, float z) const;
    Slots slots(const FaceDef& f, TexRows rows) const;
    void colourSlotsFrom(Slots& s, bool behind) const;

    void flatFace(const FaceDef& f, const Slots& s);
    void sideFace(const FaceDef& f, const Slots& s);
    void capFace(const FaceDef& f, const Slots& s, Dir toward);
    void tri(const FV& a, const FV& b, const FV& c, unsigned outline);
    void point(const TVec3& pos, const TColor4& colour, PointStyle style);
};

} // namespace lw::meshing

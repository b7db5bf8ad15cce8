#include "core/Lattice.h"
#include "render/IdentityColour.h"
#include "render/PoxelMesh.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <iterator>

namespace lw {

namespace {

// ---- Small vector helpers -------------------------------------------------------------------

TVec3 operator+(const TVec3& a, const TVec3& b) {
    return {a.X + b.X, a.Y + b.Y, a.Z + b.Z};
}
TVec3 operator-(const TVec3& a, const TVec3& b) {
    return {a.X - b.X, a.Y - b.Y, a.Z - b.Z};
}
TVec3 operator*(const TVec3& a, float s) {
    return {a.X * s, a.Y * s, a.Z * s};
}
TVec3 mid(const TVec3& a, const TVec3& b) {
    return (a + b) * 0.5f;
}
TVec3 cross(const TVec3& a, const TVec3& b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}
double lengthSquared(const TVec3& a) {
    return static_cast<double>(a.X) * a.X + static_cast<double>(a.Y) * a.Y +
           static_cast<double>(a.Z) * a.Z;
}
// `a` moved the fraction f of the way to `b`.
TVec3 toward(const TVec3& a, const TVec3& b, float f) {
    return a + (b - a) * f;
}
// t * m + (1 - t) * o.
TVec3 blend(const TVec3& m, const TVec3& o, float t) {
    return m * t + o * (1.0f - t);
}

TTexCoord mid(const TTexCoord& a, const TTexCoord& b) {
    return {(a.U + b.U) * 0.5f, (a.V + b.V) * 0.5f};
}
TTexCoord toward(const TTexCoord& a, const TTexCoord& b, float f) {
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
FV midFV(const FV& a, const FV& b) {
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

TColor4 colourOfWord(uint32_t word) {
    const auto c = identityColour(word);
    return {c[0], c[1], c[2], c[3]};
}

void Builder::run() {
    m_.clear();
    if (p_.IsGroup) {
        m_.BoxMin = TVec3{-0.5f, -0.5f, -0.5f};
        m_.BoxMax = TVec3{0.5f, 0.5f, 0.5f};
        return;
    }
    nx_ = p_.NX;
    ny_ = p_.NY;
    nz_ = p_.NZ;
    // The model never holds such dimensions; a damaged node still must not size arrays by them.
    if (nx_ < 1 || ny_ < 1 || nz_ < 1)
        return;
    computeLattice(p_, m_.Lattice, m_.BoxMin, m_.BoxMax);
    if (p_.HeightPickMode) {
        m_.Mode = MeshMode::HeightPoints;
        heightPoints();
    } else if (p_.LayerPickMode) {
        m_.Mode = MeshMode::LayerPoints;
        layerPoints();
    } else {
        m_.Mode = p_.DirectDraw ? MeshMode::DirectDraw : MeshMode::Lists;
        cellPass();
    }
}

void Builder::point(const TVec3& pos, const TColor4& colour, PointStyle style) {
    m_.Points.push_back(MeshPoint{pos, colour, style});
}

void Builder::heightPoints() {
    for (int z = 0; z <= nz_; ++z) {
        for (int x = 0; x <= nx_; ++x) {
            const uint32_t colour =
                p_.HeightPickPass
                    ? static_cast<uint32_t>(1001 + z + 1000 * x)
                    : HeatColour(extras_.HeightWeight ? extras_.HeightWeight(x, z) : 0.0);
            point(lattice(x, ny_, z), colourOfWord(colour), PointStyle::Flat);
        }
    }
}

void Builder::layerPoints() {
    const std::array<std::array<int, 2>, 4> corners{{{0, 0}, {nx_, 0}, {nx_, nz_}, {0, nz_}}};
    for (int y = 0; y <= ny_; ++y) {
        for (int j = 1; j <= 4; ++j) {
            const uint32_t colour =
                p_.LayerPickPass
                    ? static_cast<uint32_t>(j + 10 * y)
                    : HeatColour(extras_.LayerWeight ? extras_.LayerWeight(j, y) : 0.0);
            const auto& c = corners[static_cast<size_t>(j - 1)];
            point(lattice(c[0], y, c[1]), colourOfWord(colour), PointStyle::Flat);
        }
        if (!p_.LayerPickPass) {
            for (const auto& c : corners)
                m_.LoopVertices.push_back(lattice(c[0], y, c[1]));
        }
    }
}

void Builder::prepareCells() {
    empty_.assign(static_cast<size_t>(nx_ + 2) * static_cast<size_t>(ny_ + 2) *
                      static_cast<size_t>(nz_ + 2),
                  1);
    for (int z = 0; z < nz_; ++z)
        for (int x = 0; x < nx_; ++x)
            for (int y = 0; y < ny_; ++y)
                empty_[paddedIndex(x, y, z)] = filled(x, y, z) ? 0 : 1;
    const auto base = static_cast<ptrdiff_t>(paddedIndex(0, 0, 0));
    for (size_t i = 0; i < kNeighbours.size(); ++i) {
        const Dir d = kNeighbours[i];
        neighbourDelta_[i] = static_cast<ptrdiff_t>(paddedIndex(d.x, d.y, d.z)) - base;
    }
    if (!textured_)
        return;
    // Every filled cell gives each of its flagged corners to the lattice point there; a face
    // corner then shows the OR over all cells that share its point.
    latticeFlag_.assign(m_.Lattice.size(), 0);
    // Flag bit b names the corner (1 - bit 0, 1 - bit 2, 1 - bit 1) of the cell, as an offset
    // from the lattice index of its (0, 0, 0) corner.
    std::array<size_t, 8> cornerOffset{};
    for (int b = 0; b < 8; ++b) {
        const int cx = 1 - (b & 1), cz = 1 - (b >> 1 & 1), cy = 1 - (b >> 2 & 1);
        cornerOffset[size_t(b)] = latticeIndex(p_, cx, cy, cz);
    }
    for (int z = 0; z < nz_; ++z)
        for (int x = 0; x < nx_; ++x)
            for (int y = 0; y < ny_; ++y) {
                uint32_t flags = p_.Voxels[cellIndex(x, y, z)] >> 16 & 0xFFu;
                if (flags == 0 || empty_[paddedIndex(x, y, z)])
                    continue;
                const size_t cellCorner = latticeIndex(p_, x, y, z);
                for (; flags != 0; flags &= flags - 1)
                    latticeFlag_[cellCorner + cornerOffset[size_t(std::countr_zero(flags))]] = 1;
            }
    if (p_.BlurPass)
        m_.BlurredVoxels = p_.Voxels;
}

void Builder::cellPass() {
    direct_ = p_.DirectDraw;
    textured_ = textures_ != nullptr && !direct_;
    sideSmooth_ = (p_.Surface & 0xFFu) != 0;
    topSmooth_ = (p_.Surface >> 8 & 0xFFu) != 0;
    baseColour_ = TColor4{static_cast<float>(p_.Color & 0xFFu) / 255.0f,
                          static_cast<float>(p_.Color >> 8 & 0xFFu) / 255.0f,
                          static_cast<float>(p_.Color >> 16 & 0xFFu) / 255.0f, 0.0f};
    remembered_ = 0;
    m_.BindsTextures = textured_;
    if (p_.IsHeightmapImage && p_.HmTex1 == 1000 && p_.HmTex2 == 1001) {
        tex1_ = 1000;
        tex0_ = 1001;
        m_.BindsTextures = true;
    }
    prepareCells();

    // Tiles of side x side columns of about kSlabCells cells.
    const int side = std::max(
        1, static_cast<int>(std::lround(std::sqrt(static_cast<double>(kSlabCells) / ny_))));
    const int tilesX = (nx_ + side - 1) / side;
    m_.SlabCount = static_cast<uint32_t>(tilesX * ((nz_ + side - 1) / side));
    auto markChunk = [this] {
        m_.SlabTriangleStart.push_back(static_cast<uint32_t>(m_.Triangles.size()));
        m_.SlabEdgeStart.push_back(static_cast<uint32_t>(m_.EdgeVertices.size()));
    };
    for (z_ = 0; z_ < nz_; ++z_) {
        for (x_ = 0; x_ < nx_; ++x_) {
            if (x_ % side == 0) {
                markChunk();
                m_.ChunkSlab.push_back(static_cast<uint32_t>(z_ / side * tilesX + x_ / side));
            }
            for (y_ = 0; y_ < ny_; ++y_) {
                const size_t index = cellIndex(x_, y_, z_);
                const size_t padded = paddedIndex(x_, y_, z_);
                if (empty_[padded]) {
                    if (p_.ShowPoints)
                        emptyCellPoint(index);
                    continue;
                }
                if (direct_)
                    identityColour_ = colourOfWord(static_cast<uint32_t>(index + 1));
                mask_ = 0;
                for (size_t i = 0; i < neighbourDelta_.size(); ++i)
                    mask_ |= static_cast<uint32_t>(empty_[static_cast<size_t>(
                                 static_cast<ptrdiff_t>(padded) + neighbourDelta_[i])])
                             << i;
                if (textured_)
                    textureCell(index);
                if (p_.IsHeightmapImage)
                    heightmapTop();
                else
                    regularCell();
            }
        }
    }
    markChunk();
}

void Builder::emptyCellPoint(size_t index) {
    const TVec3 centre = mid(mid(lattice(x_, y_, z_), lattice(x_, y_ + 1, z_)),
                             mid(lattice(x_ + 1, y_, z_ + 1), lattice(x_ + 1, y_ + 1, z_ + 1)));
    if (direct_)
        point(centre, colourOfWord(static_cast<uint32_t>(index + 1)), PointStyle::Flat);
    else
        point(centre, TColor4{1.0f, 1.0f, 0.0f, 1.0f}, PointStyle::Marker);
}

void Builder::textureCell(size_t index) {
    const uint32_t cell = p_.Voxels[index];
    first_ = textureIndexOfCode(firstTextureCode(cell));
    int second = textureIndexOfCode(secondTextureCode(cell));
    // A cell without a second texture blends into the last one named (or, before any, into
    // the first texture of the first such cell).
    if (second == -1) {
        if (remembered_ == 0)
            remembered_ = first_;
        second = remembered_;
    } else {
        remembered_ = second;
    }
    second_ = second;
    if (!m_.BlurredVoxels.empty()) {
        uint32_t combined = 0;
        for (int cy = 0; cy <= 1; ++cy)
            for (int cz = 0; cz <= 1; ++cz)
                for (int cx = 0; cx <= 1; ++cx)
                    if (latticeFlag_[latticeIndex(p_, x_ + cx, y_ + cy, z_ + cz)])
                        combined |= 1u << cornerFlagBit(cx, cy, cz);
        m_.BlurredVoxels[index] |= combined;
    }
}

uint32_t Builder::textureName(int index, int slot) const {
    // Codes 1 and 2 decode to index -1, which names no row: such cells use texture name 0.
    if (index < 0 || index >= kTextureListRows)
        return 0;
    return (*textures_)[static_cast<size_t>(index)][static_cast<size_t>(slot)];
}

void Builder::bind(int slot) {
    tex1_ = textureName(first_, slot);
    tex0_ = textureName(second_, slot);
}

TColor4 Builder::cornerColour(Dir corner) const {
    TColor4 c = baseColour_;
    if (textured_ && latticeFlag_[latticeIndex(p_, x_ + corner.x, y_ + corner.y, z_ + corner.z)])
        c.A = 1.0f;
    return c;
}

TTexCoord Builder::mapTex(TexRows rows, float x, float y, float z) const {
    const auto& t = p_.TextCoord;
    if (rows == TexRows::Top)
        return {t[0] * x + t[1] * y + t[2] * z + t[12], t[3] * x + t[4] * y + t[5] * z + t[13]};
    return {t[6] * x + t[7] * y + t[8] * z + t[14], t[9] * x + t[10] * y + t[11] * z + t[15]};
}

Slots Builder::slots(const FaceDef& f, TexRows rows) const {
    Slots s;
    for (size_t i = 0; i < 4; ++i) {
        const Dir c = f.P[i], q = c - f.N;
        s.PCell[i] = c;
        s.QCell[i] = q;
        s.P[i] = lattice(x_ + c.x, y_ + c.y, z_ + c.z);
        s.Q[i] = lattice(x_ + q.x, y_ + q.y, z_ + q.z);
        s.T[i] = textured_ ? mapTex(rows, static_cast<float>(x_ + c.x),
                                    static_cast<float>(y_ + c.y), static_cast<float>(z_ + c.z))
                           : kDefaultTex[i];
        s.C[i] = cornerColour(c);
    }
    return s;
}

void Builder::colourSlotsFrom(Slots& s, bool behind) const {
    for (size_t i = 0; i < 4; ++i)
        s.C[i] = cornerColour(behind ? s.QCell[i] : s.PCell[i]);
}

void Builder::regularCell() {
    // A cell with all 26 neighbours filled shows nothing.
    if (mask_ == 0)
        return;
    const bool emptyUp = emptyAt(kPosY), emptyDown = emptyAt(kNegY);
    // A cap corner needs an empty x neighbour and an empty z neighbour beside it.
    const bool capsPossible =
        (emptyAt(kPosX) || emptyAt(kNegX)) && (emptyAt(kPosZ) || emptyAt(kNegZ));

    if (textured_)
        bind(SlotTop);
    const bool lowerCap = !emptyDown && capsPossible;
    if (emptyUp || lowerCap) {
        Slots top = slots(kTop, TexRows::Top);
        if (emptyUp)
            flatFace(kTop, top);
        if (lowerCap) {
            // The lower cap keeps the top face's textures and coordinates, on the bottom corners.
            colourSlotsFrom(top, true);
            capFace(kTop, top, kNegY);
        }
    }

    if (textured_)
        bind(SlotBottom);
    const bool upperCap = !emptyUp && capsPossible;
    if (emptyDown || upperCap) {
        Slots bottom = slots(kBottom, TexRows::Top);
        if (emptyDown)
            flatFace(kBottom, bottom);
        if (upperCap) {
            colourSlotsFrom(bottom, true);
            capFace(kBottom, bottom, kPosY);
        }
    }

    for (const FaceDef& side : kSides) {
        if (textured_)
            bind(SlotSide);
        if (emptyAt(side.N))
            sideFace(side, slots(side, TexRows::Side));
    }
}

void Builder::heightmapTop() {
    kind_ = FaceTag::Flat;
    std::array<FV, 4> v;
    for (size_t i = 0; i < 4; ++i) {
        const int x = x_ + kTop.P[i].x, y = y_ + kTop.P[i].y, z = z_ + kTop.P[i].z;
        float alpha = 0.0f;
        if (static_cast<size_t>(z) < p_.HmImage.size() &&
            static_cast<size_t>(x) < p_.HmImage[static_cast<size_t>(z)].size())
            alpha = p_.HmImage[static_cast<size_t>(z)][static_cast<size_t>(x)];
        v[i] = FV{lattice(x, y, z),
                  {0.27f * static_cast<float>(x), 0.271f * static_cast<float>(z)},
                  {1.0f, 1.0f, 1.0f, alpha}};
    }
    tri(v[0], v[1], v[2], kAB | kBC);
    tri(v[2], v[3], v[0], kAB | kBC);
}

void Builder::flatFace(const FaceDef& f, const Slots& s) {
    kind_ = FaceTag::Flat;
    const bool eL = emptyAt(f.L + f.N), eF = emptyAt(f.F + f.N), eR = emptyAt(f.R + f.N),
               eB = emptyAt(f.B + f.N);
    const bool openL = emptyAt(f.L) && eL, openF = emptyAt(f.F) && eF, openR = emptyAt(f.R) && eR,
               openB = emptyAt(f.B) && eB;
    auto skip = [this](Dir a, Dir b) { return emptyAt(a) && emptyAt(b) && emptyAt(a + b); };
    const bool skipLF = skip(f.L, f.F), skipRF = skip(f.R, f.F), skipRB = skip(f.R, f.B),
               skipLB = skip(f.L, f.B);

    std::array<FV, 4> P;
    for (size_t i = 0; i < 4; ++i)
        P[i] = FV{s.P[i], s.T[i], s.C[i]};
    FV C = midFV(P[0], P[1]), D = midFV(P[1], P[2]), E = midFV(P[2], P[3]), F = midFV(P[3], P[0]);
    TVec3 Cq = mid(s.Q[0], s.Q[1]), Dq = mid(s.Q[1], s.Q[2]), Eq = mid(s.Q[2], s.Q[3]),
          Fq = mid(s.Q[3], s.Q[0]);
    FV S{mid(C.P, E.P),
         mid(C.T, E.T),
         {P[0].C.R, P[0].C.G, P[0].C.B, (P[0].C.A + P[1].C.A + P[2].C.A + P[3].C.A) * 0.25f}};

    if (sideSmooth_) {
        const FV C0 = C, D0 = D, E0 = E, F0 = F;
        const TVec3 Cq0 = Cq, Dq0 = Dq, Eq0 = Eq, Fq0 = Fq;
        auto move = [](FV& m, TVec3& mq, const FV& target, const TVec3& targetQ) {
            m.P = toward(m.P, target.P, kSixth);
            mq = toward(mq, targetQ, kSixth);
            m.T = toward(m.T, target.T, kSixth);
        };
        if (openL)
            move(C, Cq, E0, Eq0);
        if (openF)
            move(D, Dq, F0, Fq0);
        if (openR)
            move(E, Eq, C0, Cq0);
        if (openB)
            move(F, Fq, D0, Dq0);
    }

    if (topSmooth_) {
        auto round4 = [this, &f](Dir a, Dir b) {
            return emptyAt(a + b) && emptyAt(b + f.N) && emptyAt(a + f.N) && emptyAt(a + b + f.N);
        };
        auto round3 = [this, &f](Dir a, Dir b) {
            return emptyAt(b + f.N) && emptyAt(a + f.N) && emptyAt(a + b + f.N);
        };
        const bool roundLF4 = round4(f.L, f.F), roundRF4 = round4(f.R, f.F),
                   roundRB4 = round4(f.R, f.B), roundLB4 = round4(f.L, f.B);
        // How far an edge midpoint sinks toward the one behind it: `across` = either of the
        // two neighbouring edges is open, `open`/`e` = this edge, `ends` = both neighbouring
        // edges have no upper neighbour.
        auto edgeT = [](bool across, bool open, bool e, bool ends, bool round) {
            if (across && open && ends)
                return 0.7f;
            if (across && !open && e)
                return 0.95f;
            if (!across && !open && round)
                return 0.95f;
            if (!across && open && ends)
                return 0.8f;
            return 1.0f;
        };
        const float tC = edgeT(openF || openB, openL, eL, eF && eB, roundLF4 || roundLB4);
        const float tE = edgeT(openF || openB, openR, eR, eF && eB, roundRF4 || roundRB4);
        const float tD = edgeT(openL || openR, openF, eF, eL && eR, roundLF4 || roundRF4);
        const float tF = edgeT(openL || openR, openB, eB, eL && eR, roundLB4 || roundRB4);
        auto sink = [](FV& m, const TVec3& behind, float t) {
            if (t != 1.0f)
                m.P = blend(m.P, behind, t);
        };
        sink(C, Cq, tC);
        sink(D, Dq, tD);
        sink(E, Eq, tE);
        sink(F, Fq, tF);
        const std::array<bool, 4> pull{
            (openL || openB || roundLB4) && round3(f.L, f.B),
            (openL || openF || roundLF4) && round3(f.L, f.F),
            (openF || openR || roundRF4) && round3(f.R, f.F),
            (openB || openR || roundRB4) && round3(f.R, f.B),
        };
        for (size_t i = 0; i < 4; ++i)
            if (pull[i])
                P[i].P = blend(P[i].P, s.Q[i], 0.75f);
        const TVec3 across = mid(D.P, F.P), along = mid(C.P, E.P);
        S.P = lengthSquared(along) > lengthSquared(across) ? along : across;
    }

    if (!skipLF)
        tri(C, P[1], D, kAB | kBC);
    tri(C, D, S, 0);
    tri(C, S, F, 0);
    if (!skipLB)
        tri(C, F, P[0], kBC | kCA);
    if (!skipRF) {
        tri(D, P[2], S, kAB);
        tri(P[2], E, S, kAB);
    } else {
        tri(D, E, S, kAB);
    }
    if (skipRB) {
        tri(S, E, F, kBC);
    } else {
        tri(S, E, P[3], kBC);
        tri(S, P[3], F, kBC);
    }
}

void Builder::sideFace(const FaceDef& f, const Slots& s) {
    kind_ = FaceTag::Side;
    const Dir L = f.L, F = f.F, R = f.R, B = f.B, N = f.N;
    const bool openF = emptyAt(F) && emptyAt(F + N), openB = emptyAt(B) && emptyAt(B + N);
    const bool uN = emptyAt(L + N), uB = emptyAt(L + B), dN = emptyAt(R + N), dF = emptyAt(R + F);
    const bool upX = emptyAt(L) && emptyAt(L + N) && emptyAt(L - N);
    const bool downX = emptyAt(R) && emptyAt(R + N) && emptyAt(R - N);
    const bool upAll = emptyAt(L) && emptyAt(L + N) && emptyAt(L + F) && emptyAt(L + B);
    const bool downAll = emptyAt(R) && emptyAt(R + N) && emptyAt(R + F) && emptyAt(R + B);
    const bool upF = emptyAt(L) && emptyAt(L + N) && emptyAt(L + F) && emptyAt(L + N + F);
    const bool upB = emptyAt(L) && emptyAt(L + N) && emptyAt(L + B) && emptyAt(L + N + B);
    const bool downF = emptyAt(R) && emptyAt(R + N) && emptyAt(R + F) && emptyAt(R + N + F);
    const bool downB = emptyAt(R) && emptyAt(R + N) && emptyAt(R + B) && emptyAt(R + N + B);

    std::array<FV, 4> P;
    for (size_t i = 0; i < 4; ++i)
        P[i] = FV{s.P[i], s.T[i], s.C[i]};
    FV C = midFV(P[0], P[1]), E = midFV(P[2], P[3]);
    TVec3 Ct = C.P, Eb = E.P;

    if (sideSmooth_) {
        const TVec3 Dq = mid(s.Q[0], s.Q[1]), Fq = mid(s.Q[2], s.Q[3]);
        const TVec3 C0 = C.P, E0 = E.P;
        if (uN) {
            C.P = toward(C0, Dq, kSixth);
            Eb = toward(E0, Fq, kSixth);
        }
        if (dN) {
            E.P = toward(E0, Fq, kSixth);
            Ct = toward(C0, Dq, kSixth);
        }
    }
    if (topSmooth_) {
        const float t = openF || openB ? 0.7f : 0.8f;
        if (upAll)
            C.P = blend(C.P, Eb, t);
        if (downAll)
            E.P = blend(E.P, Ct, t);
        const TVec3 P0 = P[0].P, P1 = P[1].P;
        if (upF)
            P[1].P = blend(P1, P[2].P, 0.75f);
        if (downF)
            P[2].P = blend(P[2].P, P1, 0.75f);
        if (upB)
            P[0].P = blend(P0, P[3].P, 0.75f);
        if (downB)
            P[3].P = blend(P[3].P, P0, 0.75f);
    }

    // The bevel points sit halfway between a face corner and the corner behind it.
    auto bevelTex = [this, &s](size_t i, const TTexCoord& untextured) {
        if (!textured_)
            return untextured;
        const Dir a = s.PCell[i], b = s.QCell[i];
        return mapTex(TexRows::Side, static_cast<float>(x_) + (a.x + b.x) * 0.5f,
                      static_cast<float>(y_) + (a.y + b.y) * 0.5f,
                      static_cast<float>(z_) + (a.z + b.z) * 0.5f);
    };

    if (openF) {
        TVec3 V = mid(s.P[2], s.Q[2]);
        if (topSmooth_ && downX)
            V = blend(V, mid(s.Q[1], s.P[1]), 0.7f);
        if (sideSmooth_ && dF) {
            TVec3 W = mid(s.P[3], s.Q[3]);
            if (topSmooth_ && downX)
                W = blend(W, mid(s.Q[0], s.P[0]), 0.7f);
            V = toward(V, W, kSixth);
        }
        tri(C, FV{V, bevelTex(2, E.T), E.C}, E, kBC);
    } else {
        tri(P[1], P[2], C, kAB | kCA);
        tri(C, P[2], E, 0);
    }
    if (openB) {
        TVec3 V = mid(s.Q[0], s.P[0]);
        if (topSmooth_ && upX)
            V = blend(V, mid(s.Q[3], s.P[3]), 0.7f);
        if (sideSmooth_ && uB) {
            TVec3 W = mid(s.P[1], s.Q[1]);
            if (topSmooth_ && upX)
                W = blend(W, mid(s.Q[2], s.P[2]), 0.7f);
            V = toward(V, W, kSixth);
        }
        tri(FV{V, bevelTex(0, C.T), C.C}, C, E, kAB);
    } else {
        tri(E, P[0], C, 0);
        tri(P[0], E, P[3], kBC);
    }
}

void Builder::capFace(const FaceDef& f, const Slots& s, Dir T) {
    // A corner of this layer that is cut while the layer beyond T keeps it.
    auto open = [this, T](Dir a, Dir b) {
        return emptyAt(a) && emptyAt(b) && emptyAt(a + b) &&
               !(emptyAt(T + a) && emptyAt(T + b) && emptyAt(T + a + b));
    };
    const bool openLF = open(f.L, f.F), openFR = open(f.F, f.R), openRB = open(f.R, f.B),
               openBL = open(f.B, f.L);
    if (!(openLF || openFR || openRB || openBL))
        return;
    kind_ = FaceTag::Cap;
    std::array<FV, 4> Q;
    for (size_t i = 0; i < 4; ++i)
        Q[i] = FV{s.Q[i], s.T[i], s.C[i]};
    FV C = midFV(Q[0], Q[1]), D = midFV(Q[1], Q[2]), E = midFV(Q[2], Q[3]), F = midFV(Q[3], Q[0]);
    if (sideSmooth_) {
        const FV C0 = C, D0 = D, E0 = E, F0 = F;
        auto move = [](FV& m, const FV& target) {
            m.P = toward(m.P, target.P, kSixth);
            m.T = toward(m.T, target.T, kSixth);
        };
        if (emptyAt(T + f.L))
            move(C, E0);
        if (emptyAt(T + f.F))
            move(D, F0);
        if (emptyAt(T + f.R))
            move(E, C0);
        if (emptyAt(T + f.B))
            move(F, D0);
    }
    constexpr unsigned all = kAB | kBC | kCA;
    if (openLF)
        tri(C, Q[1], D, all);
    if (openFR)
        tri(D, Q[2], E, all);
    if (openRB)
        tri(E, Q[3], F, all);
    if (openBL)
        tri(F, Q[0], C, all);
}

void Builder::tri(const FV& a, const FV& b, const FV& c, unsigned outline) {
    if (ExportCollector* ex = extras_.Export) {
        const auto kind = static_cast<uint8_t>(kind_);
        const int32_t ic = ex->FindOrAddExportVertex(c.P, c.T, kind);
        const int32_t ib = ex->FindOrAddExportVertex(b.P, b.T, kind);
        const int32_t ia = ex->FindOrAddExportVertex(a.P, a.T, kind);
        ex->AddExportFace(ia, ib, ic, static_cast<int>(outline), tex1_);
    }
    m_.Triangles.push_back(MeshTriangle{tex1_, tex0_, kind_});
    if (direct_) {
        // Picking: flat identity colour, no outline, not part of the pick list.
        for (const FV* v : {&a, &b, &c})
            m_.Vertices.push_back(MeshVertex{v->T, identityColour_, TVec3{}, v->P});
        return;
    }
    const TVec3 n = cross(a.P - c.P, b.P - a.P);
    const MeshVertex vertices[3] = {{a.T, a.C, n, a.P}, {b.T, b.C, n, b.P}, {c.T, c.C, n, c.P}};
    m_.Vertices.insert(m_.Vertices.end(), std::begin(vertices), std::end(vertices));
    const TVec3 positions[3] = {a.P, b.P, c.P};
    m_.PickVertices.insert(m_.PickVertices.end(), std::begin(positions), std::end(positions));
    auto edge = [this](const TVec3& from, const TVec3& to) {
        m_.EdgeVertices.push_back(from);
        m_.EdgeVertices.push_back(to);
    };
    if (outline & kAB)
        edge(a.P, b.P);
    if (outline & kBC)
        edge(b.P, c.P);
    if (outline & kCA)
        edge(c.P, a.P);
}

} // namespace

void PoxelMesh::clear() {
    Mode = MeshMode::Lists;
    Lattice.clear();
    BoxMin = TVec3{};
    BoxMax = TVec3{};
    Vertices.clear();
    Triangles.clear();
    BindsTextures = false;
    EdgeVertices.clear();
    PickVertices.clear();
    Points.clear();
    LoopVertices.clear();
    BlurredVoxels.clear();
    SlabTriangleStart.clear();
    SlabEdgeStart.clear();
    ChunkSlab.clear();
    SlabCount = 0;
}

void computePoxelGeometry(const TPoxel& p, const TTextureList* textures, PoxelMesh& mesh,
                          const MeshBuildExtras& extras) {
    Builder(p, textures, mesh, extras).run();
}

void buildPoxelGeometry(TPoxel& p, const TTextureList* textures, PoxelMesh& mesh,
                        const MeshBuildExtras& extras) {
    computePoxelGeometry(p, textures, mesh, extras);
    storePoxelGeometry(p, mesh);
}

void storePoxelGeometry(TPoxel& p, const PoxelMesh& mesh) {
    p.BoxMin = mesh.BoxMin;
    p.BoxMax = mesh.BoxMax;
    if (p.IsGroup)
        return;
    p.Vertices = mesh.Lattice;
    if (!mesh.BlurredVoxels.empty())
        p.Voxels = mesh.BlurredVoxels;
}

} // namespace lw

// The mesh builder's cell pass: which cells show, their colours and texture slots, the points
// of the point tools, and the public entry points of mesh generation.

#include "render/IdentityColour.h"
#include "render/PoxelGeometryBuilder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <iterator>

namespace lw {

namespace meshing {

namespace {

TColor4 colourOfWord(uint32_t word) {
    const auto c = identityColour(word);
    return {c[0], c[1], c[2], c[3]};
}

} // namespace

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

} // namespace meshing

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
    meshing::Builder(p, textures, mesh, extras).run();
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

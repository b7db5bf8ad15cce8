// Properties every build must have, over many random poxels.

#include "core/Poxel.h"
#include "render/MeshSamples.h"
#include "render/PoxelMesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <set>

using namespace lw;

namespace {

constexpr int kRounds = 300;

PoxelMesh build(const TPoxel& p, const TTextureList* textures = nullptr) {
    PoxelMesh m;
    computePoxelGeometry(p, textures, m);
    return m;
}

double area2(const TVec3& a, const TVec3& b, const TVec3& c) {
    const double ux = b.X - a.X, uy = b.Y - a.Y, uz = b.Z - a.Z;
    const double vx = c.X - a.X, vy = c.Y - a.Y, vz = c.Z - a.Z;
    const double x = uy * vz - uz * vy, y = uz * vx - ux * vz, z = ux * vy - uy * vx;
    return std::sqrt(x * x + y * y + z * z);
}

// The poxel mirrored along one axis (0 = x, 1 = y, 2 = z).
std::unique_ptr<TPoxel> mirrored(const TPoxel& p, int axis) {
    auto q = makePoxel(p.NX, p.NY, p.NZ);
    q->Surface = p.Surface;
    for (int z = 0; z < p.NZ; ++z)
        for (int x = 0; x < p.NX; ++x)
            for (int y = 0; y < p.NY; ++y) {
                const int mx = axis == 0 ? p.NX - 1 - x : x;
                const int my = axis == 1 ? p.NY - 1 - y : y;
                const int mz = axis == 2 ? p.NZ - 1 - z : z;
                q->Voxels[q->cellIndex(mx, my, mz)] = p.Voxels[p.cellIndex(x, y, z)];
            }
    return q;
}

} // namespace

TEST(PoxelGeometryInvariants, TrianglesOnAnUndeformedLatticeAreNeverDegenerate) {
    const TTextureList table = lwtest::numberedTextureTable();
    std::mt19937 rng(1);
    for (int round = 0; round < kRounds; ++round) {
        auto p = lwtest::randomPoxel(rng, {5, 0.6, false});
        const PoxelMesh m = build(*p, round % 2 ? &table : nullptr);
        for (size_t t = 0; t < m.triangleCount(); ++t) {
            const double a =
                area2(m.Vertices[3 * t].Pos, m.Vertices[3 * t + 1].Pos, m.Vertices[3 * t + 2].Pos);
            ASSERT_GT(a, 1e-4) << "round " << round << " triangle " << t << " surface "
                               << p->Surface;
        }
    }
}

TEST(PoxelGeometryInvariants, EverythingEmittedLiesInTheBoundingBox) {
    std::mt19937 rng(2);
    for (int round = 0; round < kRounds; ++round) {
        auto p = lwtest::randomPoxel(rng, {5, 0.6, true});
        p->ShowPoints = round % 2 == 0;
        const PoxelMesh m = build(*p);
        const float eps = 1e-4f;
        auto inside = [&](const TVec3& v) {
            return v.X >= m.BoxMin.X - eps && v.Y >= m.BoxMin.Y - eps && v.Z >= m.BoxMin.Z - eps &&
                   v.X <= m.BoxMax.X + eps && v.Y <= m.BoxMax.Y + eps && v.Z <= m.BoxMax.Z + eps;
        };
        EXPECT_LE(m.BoxMin.X, 0.0f);
        EXPECT_GE(m.BoxMax.Y, 0.0f);
        for (const auto& v : m.Vertices)
            ASSERT_TRUE(inside(v.Pos)) << "round " << round;
        for (const auto& v : m.EdgeVertices)
            ASSERT_TRUE(inside(v)) << "round " << round;
        for (const auto& pt : m.Points)
            ASSERT_TRUE(inside(pt.Pos)) << "round " << round;
    }
}

TEST(PoxelGeometryInvariants, PickAndEdgeListsFollowTheTriangles) {
    std::mt19937 rng(3);
    for (int round = 0; round < 100; ++round) {
        auto p = lwtest::randomPoxel(rng, {5, 0.6, true});
        const PoxelMesh m = build(*p);
        ASSERT_EQ(m.PickVertices.size(), m.Vertices.size());
        ASSERT_EQ(m.Triangles.size() * 3, m.Vertices.size());
        for (size_t i = 0; i < m.Vertices.size(); ++i)
            ASSERT_EQ(m.PickVertices[i], m.Vertices[i].Pos);
        EXPECT_EQ(m.EdgeVertices.size() % 2, 0u);
        // The chunks split triangles and edges in order, without gaps, each in a slab.
        ASSERT_GE(m.SlabTriangleStart.size(), 2u);
        EXPECT_EQ(m.SlabTriangleStart.front(), 0u);
        EXPECT_EQ(m.SlabTriangleStart.back(), m.triangleCount());
        EXPECT_EQ(m.SlabEdgeStart.back(), m.EdgeVertices.size());
        EXPECT_TRUE(std::is_sorted(m.SlabTriangleStart.begin(), m.SlabTriangleStart.end()));
        EXPECT_TRUE(std::is_sorted(m.SlabEdgeStart.begin(), m.SlabEdgeStart.end()));
        ASSERT_EQ(m.ChunkSlab.size() + 1, m.SlabTriangleStart.size());
        for (uint32_t slab : m.ChunkSlab)
            EXPECT_LT(slab, m.SlabCount);
    }
    // Slabs are square tiles of whole columns of about kSlabCells cells: one level gives tiles
    // of 25 x 25 columns, so 64 x 80 columns make 3 x 4 slabs; each z row of a tile is a chunk.
    TPoxel wide(64, 1, 80);
    const PoxelMesh w = build(wide);
    EXPECT_EQ(w.SlabCount, 12u);
    ASSERT_EQ(w.ChunkSlab.size(), 80u * 3u);
    EXPECT_EQ(w.ChunkSlab[0], 0u);
    EXPECT_EQ(w.ChunkSlab[2], 2u);
    EXPECT_EQ(w.ChunkSlab[3 * 25], 3u);
    EXPECT_EQ(w.ChunkSlab.back(), 11u);
    // A change in one corner of the top changes the output of that corner's slab only.
    auto tall = makePoxel(30, 25, 30);
    const PoxelMesh before = build(*tall);
    ASSERT_EQ(before.SlabCount, 36u);
    tall->Heights[2][3] = 0.5;
    const PoxelMesh after = build(*tall);
    ASSERT_EQ(after.ChunkSlab, before.ChunkSlab);
    std::set<uint32_t> changed;
    for (size_t k = 0; k < before.ChunkSlab.size(); ++k) {
        const auto output = [k](const PoxelMesh& m) {
            std::vector<float> v;
            for (uint32_t t = m.SlabTriangleStart[k]; t < m.SlabTriangleStart[k + 1]; ++t)
                for (int i = 0; i < 3; ++i) {
                    const TVec3& pos = m.Vertices[3 * t + i].Pos;
                    v.insert(v.end(), {pos.X, pos.Y, pos.Z});
                }
            return v;
        };
        if (output(before) != output(after))
            changed.insert(before.ChunkSlab[k]);
    }
    EXPECT_EQ(changed, (std::set<uint32_t>{0}));
}

TEST(PoxelGeometryInvariants, AFullyEnclosedCellEmitsNothing) {
    std::mt19937 rng(4);
    for (int round = 0; round < 100; ++round) {
        auto p = lwtest::randomPoxel(rng, {6, 0.85, round % 2 == 0});
        p->DirectDraw = true; // every triangle then carries its cell's identity
        const PoxelMesh m = build(*p);
        auto filled = [&](int x, int y, int z) {
            return x >= 0 && y >= 0 && z >= 0 && x < p->NX && y < p->NY && z < p->NZ &&
                   (p->Voxels[p->cellIndex(x, y, z)] & 0xFFu) != 0;
        };
        std::vector<bool> enclosed(p->Voxels.size(), false);
        for (int z = 0; z < p->NZ; ++z)
            for (int x = 0; x < p->NX; ++x)
                for (int y = 0; y < p->NY; ++y) {
                    bool all = filled(x, y, z);
                    for (int dz = -1; dz <= 1 && all; ++dz)
                        for (int dx = -1; dx <= 1 && all; ++dx)
                            for (int dy = -1; dy <= 1 && all; ++dy)
                                all = filled(x + dx, y + dy, z + dz);
                    enclosed[p->cellIndex(x, y, z)] = all;
                }
        for (const auto& v : m.Vertices) {
            const long id = std::lround(v.Colour.R * 255) + 256 * std::lround(v.Colour.G * 255) +
                            65536 * std::lround(v.Colour.B * 255);
            ASSERT_GE(id, 1);
            ASSERT_FALSE(enclosed[static_cast<size_t>(id - 1)]) << "round " << round;
        }
    }
}

TEST(PoxelGeometryInvariants, MirroredPoxelsGiveTheSameTriangleCounts) {
    std::mt19937 rng(5);
    for (int round = 0; round < kRounds; ++round) {
        auto p = lwtest::randomPoxel(rng, {5, 0.55, false});
        const PoxelMesh m = build(*p);
        std::array<size_t, 3> kinds{};
        for (const auto& t : m.Triangles)
            ++kinds[static_cast<size_t>(t.Kind)];
        for (int axis = 0; axis < 3; ++axis) {
            const PoxelMesh n = build(*mirrored(*p, axis));
            std::array<size_t, 3> mirroredKinds{};
            for (const auto& t : n.Triangles)
                ++mirroredKinds[static_cast<size_t>(t.Kind)];
            ASSERT_EQ(kinds, mirroredKinds) << "round " << round << " axis " << axis;
        }
    }
}

TEST(PoxelGeometryInvariants, TheBuildDependsOnlyOnThePoxel) {
    // The remembered second texture and the buffers must not leak from one build into the next.
    const TTextureList table = lwtest::numberedTextureTable();
    std::mt19937 rng(6);
    auto a = lwtest::randomPoxel(rng, {5, 0.6, true});
    auto b = lwtest::randomPoxel(rng, {5, 0.6, true});
    const PoxelMesh fresh = build(*b, &table);
    PoxelMesh reused;
    computePoxelGeometry(*a, &table, reused);
    computePoxelGeometry(*b, &table, reused);
    ASSERT_EQ(reused.Vertices.size(), fresh.Vertices.size());
    for (size_t i = 0; i < fresh.Vertices.size(); ++i) {
        EXPECT_EQ(reused.Vertices[i].Pos, fresh.Vertices[i].Pos);
        EXPECT_EQ(reused.Vertices[i].Colour, fresh.Vertices[i].Colour);
    }
    for (size_t t = 0; t < fresh.Triangles.size(); ++t)
        EXPECT_EQ(reused.Triangles[t].Tex0, fresh.Triangles[t].Tex0);
    EXPECT_EQ(reused.EdgeVertices, fresh.EdgeVertices);
}

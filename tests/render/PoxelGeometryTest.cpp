#include "core/Poxel.h"
#include "render/IdentityColour.h"
#include "render/MeshSamples.h"
#include "render/PoxelMesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

using namespace lw;

namespace {

constexpr float kEps = 1e-5f;

PoxelMesh build(const TPoxel& p, const TTextureList* textures = nullptr,
                const MeshBuildExtras& extras = {}) {
    PoxelMesh m;
    computePoxelGeometry(p, textures, m, extras);
    return m;
}

size_t countKind(const PoxelMesh& m, FaceTag kind) {
    return static_cast<size_t>(
        std::count_if(m.Triangles.begin(), m.Triangles.end(),
                      [kind](const MeshTriangle& t) { return t.Kind == kind; }));
}

const TVec3& normalOf(const PoxelMesh& m, size_t triangle) {
    return m.Vertices[3 * triangle].Normal;
}

bool near(float a, float b) {
    return std::fabs(a - b) < kEps;
}

constexpr uint32_t kSideSmooth = 0x1u, kTopSmooth = 0x100u;

const TTextureList kTable = lwtest::numberedTextureTable();

} // namespace

TEST(PoxelGeometry, LoneCellIsAnUprightPrismOfSixteenTriangles) {
    TPoxel p(1, 1, 1);
    const PoxelMesh m = build(p);
    ASSERT_EQ(m.Mode, MeshMode::Lists);
    ASSERT_EQ(m.triangleCount(), 16u);
    EXPECT_EQ(countKind(m, FaceTag::Flat), 8u);
    EXPECT_EQ(countKind(m, FaceTag::Side), 8u);
    EXPECT_EQ(m.PickVertices.size(), 48u);

    size_t up = 0, down = 0;
    for (size_t t = 0; t < m.triangleCount(); ++t) {
        const TVec3& n = normalOf(m, t);
        if (m.Triangles[t].Kind == FaceTag::Flat) {
            up += n.Y > 0;
            down += n.Y < 0;
            EXPECT_TRUE(near(n.X, 0) && near(n.Z, 0));
        } else {
            // The vertical faces are the 45-degree bevels through the side-face midpoints.
            EXPECT_TRUE(near(n.Y, 0));
            EXPECT_TRUE(near(std::fabs(n.X), std::fabs(n.Z)));
            for (int k = 0; k < 3; ++k) {
                const TVec3& v = m.Vertices[3 * t + static_cast<size_t>(k)].Pos;
                EXPECT_TRUE(near(std::fabs(v.X) + std::fabs(v.Z), 0.5f)) << v.X << " " << v.Z;
            }
        }
    }
    EXPECT_EQ(up, 4u);
    EXPECT_EQ(down, 4u);
    for (const auto& v : m.Vertices)
        EXPECT_LE(std::fabs(v.Pos.X) + std::fabs(v.Pos.Z), 0.5f + kEps);
    EXPECT_EQ(m.BoxMin, (TVec3{-0.5f, -0.5f, -0.5f}));
    EXPECT_EQ(m.BoxMax, (TVec3{0.5f, 0.5f, 0.5f}));
    // Untextured: default colour with alpha 0, no binds.
    EXPECT_FALSE(m.BindsTextures);
    for (const auto& v : m.Vertices)
        EXPECT_EQ(v.Colour, (TColor4{1, 1, 1, 0}));
}

TEST(PoxelGeometry, CapsOnlyWhereTheNeighboursLeaveThem) {
    // A column of two lone cells: no top or bottom between them, and no cap either, because
    // both layers cut all their corners alike.
    TPoxel column(1, 2, 1);
    const PoxelMesh c = build(column);
    EXPECT_EQ(countKind(c, FaceTag::Cap), 0u);
    EXPECT_EQ(c.triangleCount(), 24u);

    // A full block: every cap is covered by the layer beside it.
    TPoxel block(3, 2, 3);
    EXPECT_EQ(countKind(build(block), FaceTag::Cap), 0u);

    // An L: the lower cell's +x corners are cut, the upper cell's are not (its +x neighbour
    // is filled), so the lower cell's upper cap closes the two gaps, facing down.
    TPoxel l(2, 2, 1);
    l.Voxels[l.cellIndex(1, 0, 0)] = 0;
    const PoxelMesh m = build(l);
    ASSERT_EQ(countKind(m, FaceTag::Cap), 2u);
    std::set<std::pair<float, float>> capCorners;
    for (size_t t = 0; t < m.triangleCount(); ++t) {
        if (m.Triangles[t].Kind != FaceTag::Cap)
            continue;
        EXPECT_LT(normalOf(m, t).Y, 0.0f);
        for (size_t k = 0; k < 3; ++k) {
            const TVec3& v = m.Vertices[3 * t + k].Pos;
            EXPECT_FLOAT_EQ(v.Y, 0.0f);
            if (near(v.X, 0.0f) && near(std::fabs(v.Z), 0.5f))
                capCorners.insert({v.X, v.Z});
        }
    }
    EXPECT_EQ(capCorners.size(), 2u);
    // Every cap edge is outlined.
    auto outlined = [&m](const TVec3& a, const TVec3& b) {
        for (size_t e = 0; e + 1 < m.EdgeVertices.size(); e += 2)
            if (m.EdgeVertices[e] == a && m.EdgeVertices[e + 1] == b)
                return true;
        return false;
    };
    for (size_t t = 0; t < m.triangleCount(); ++t) {
        if (m.Triangles[t].Kind != FaceTag::Cap)
            continue;
        const TVec3 &a = m.Vertices[3 * t].Pos, &b = m.Vertices[3 * t + 1].Pos,
                    &c3 = m.Vertices[3 * t + 2].Pos;
        EXPECT_TRUE(outlined(a, b) && outlined(b, c3) && outlined(c3, a));
    }
}

TEST(PoxelGeometry, TextureCodesDecodeToRowsOfTheTable) {
    auto topNames = [&](uint32_t code) {
        TPoxel p(1, 1, 1);
        p.Voxels[0] = code;
        const PoxelMesh m = build(p, &kTable);
        EXPECT_TRUE(m.BindsTextures);
        std::set<uint32_t> names;
        for (size_t t = 0; t < m.triangleCount(); ++t)
            if (m.Triangles[t].Kind == FaceTag::Flat && normalOf(m, t).Y > 0)
                names.insert(m.Triangles[t].Tex1);
        return names;
    };
    EXPECT_EQ(topNames(3), (std::set<uint32_t>{1000}));   // texture 1, index 0
    EXPECT_EQ(topNames(7), (std::set<uint32_t>{1004}));   // texture 2, index 1
    EXPECT_EQ(topNames(255), (std::set<uint32_t>{1252})); // texture 64, index 63
    // Codes 1 and 2 decode to index -1: no row, texture name 0 instead of a read before the table.
    EXPECT_EQ(topNames(1), (std::set<uint32_t>{0}));
    EXPECT_EQ(topNames(2), (std::set<uint32_t>{0}));
    EXPECT_EQ(textureIndexOfCode(1), -1);
    EXPECT_EQ(textureIndexOfCode(2), -1);
    EXPECT_EQ(textureIndexOfCode(3), 0);
    EXPECT_EQ(textureIndexOfCode(7), 1);
}

TEST(PoxelGeometry, EachFaceBindsItsSlotAndTheRememberedSecondTexture) {
    // Three cells along x: texture 2 alone, texture 1 over texture 3, texture 1 alone.
    TPoxel p(3, 1, 1);
    p.Voxels[p.cellIndex(0, 0, 0)] = 7;
    p.Voxels[p.cellIndex(1, 0, 0)] = 3 | 11u << 8;
    p.Voxels[p.cellIndex(2, 0, 0)] = 3;
    const PoxelMesh m = build(p, &kTable);
    // Emission follows the cells; collect the distinct bind pairs in order with their kinds.
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    for (const auto& t : m.Triangles)
        if (pairs.empty() || pairs.back() != std::make_pair(t.Tex1, t.Tex0))
            pairs.emplace_back(t.Tex1, t.Tex0);
    const std::vector<std::pair<uint32_t, uint32_t>> expected{
        // cell 0: no second texture yet, so it blends into its own (index 1)
        {1004, 1004},
        {1006, 1006},
        {1005, 1005},
        // cell 1: second texture 3 (index 2), which is remembered ...
        {1000, 1008},
        {1002, 1010},
        {1001, 1009},
        // ... for cell 2, which has none
        {1000, 1008},
        {1002, 1010},
        {1001, 1009}};
    EXPECT_EQ(pairs, expected);
}

TEST(PoxelGeometry, TopSmoothSinksEdgeMidpointsAndDrawnCorners) {
    TPoxel lone(1, 1, 1);
    lone.Surface = kTopSmooth;
    const PoxelMesh m = build(lone);
    EXPECT_EQ(m.triangleCount(), 16u);
    float top = -1, bottom = 1;
    for (const auto& v : m.Vertices) {
        top = std::max(top, v.Pos.Y);
        bottom = std::min(bottom, v.Pos.Y);
    }
    // Edge midpoints move 0.3 of the cell height toward the opposite ones; so does the centre.
    EXPECT_NEAR(top, 0.2f, kEps);
    EXPECT_NEAR(bottom, -0.2f, kEps);
    bool sawMidpoint = false;
    for (const auto& v : m.Vertices)
        if (near(v.Pos.X, 0.5f) && near(v.Pos.Z, 0.0f) && v.Pos.Y > 0) {
            EXPECT_NEAR(v.Pos.Y, 0.2f, kEps);
            sawMidpoint = true;
        }
    EXPECT_TRUE(sawMidpoint);

    // Two cells side by side draw the top corners where they meet; those sink by a quarter.
    TPoxel pair(2, 1, 1);
    pair.Surface = kTopSmooth;
    const PoxelMesh q = build(pair);
    int corners = 0;
    for (const auto& v : q.Vertices)
        if (near(v.Pos.X, 0.0f) && near(std::fabs(v.Pos.Z), 0.5f) && v.Pos.Y > 0) {
            EXPECT_NEAR(v.Pos.Y, 0.25f, kEps);
            ++corners;
        }
    EXPECT_GT(corners, 0);

    // Without the switch nothing sinks.
    pair.Surface = 0;
    for (const auto& v : build(pair).Vertices)
        EXPECT_TRUE(near(std::fabs(v.Pos.Y), 0.5f));
}

TEST(PoxelGeometry, SideSmoothPullsOpenEdgesInward) {
    TPoxel lone(1, 1, 1);
    lone.Surface = kSideSmooth;
    const PoxelMesh m = build(lone);
    EXPECT_EQ(m.triangleCount(), 16u);
    // The top-face midpoint C of the -x edge moves a sixth toward E (at +x): x = -0.5 + 1/6.
    bool moved = false;
    for (const auto& v : m.Vertices)
        if (near(v.Pos.Z, 0.0f) && near(v.Pos.Y, 0.5f) && near(v.Pos.X, -0.5f + 1.0f / 6.0f))
            moved = true;
    EXPECT_TRUE(moved);
    for (const auto& v : m.Vertices)
        EXPECT_LE(std::fabs(v.Pos.X) + std::fabs(v.Pos.Z), 0.5f + kEps);
}

TEST(PoxelGeometry, TextureCoordinatesIgnoreHeightsAndLevelOffsets) {
    auto make = [](bool deformed) {
        auto p = makePoxel(2, 2, 2);
        p->Voxels[p->cellIndex(1, 1, 1)] = 0;
        p->Surface = kSideSmooth | kTopSmooth;
        p->TextCoord = {0.25f, 0.1f, 0.3f,  -0.2f, 0.05f, 0.25f, 0.15f, 0.2f,
                        -0.2f, 0.4f, 0.25f, 0.1f,  0.5f,  0.6f,  0.7f,  0.8f};
        if (deformed) {
            p->Heights[1][1] = 1.75f;
            p->Heights[0][2] = -0.5f;
            p->LayerHigh[2] = TLayer{0.5f, -0.25f};
            p->LayerLow[1] = TLayer{-0.3f, 0.2f};
        }
        return p;
    };
    const PoxelMesh flat = build(*make(false), &kTable);
    const PoxelMesh raised = build(*make(true), &kTable);
    ASSERT_EQ(flat.Vertices.size(), raised.Vertices.size());
    bool positionsDiffer = false;
    for (size_t i = 0; i < flat.Vertices.size(); ++i) {
        EXPECT_EQ(flat.Vertices[i].Tex, raised.Vertices[i].Tex) << i;
        positionsDiffer |= !(flat.Vertices[i].Pos == raised.Vertices[i].Pos);
    }
    EXPECT_TRUE(positionsDiffer);

    // The planar mapping of a known point: the lone cell's top midpoint C at lattice (0, 1, 0.5)
    // uses the top rows, whatever height its column has.
    TPoxel lone(1, 1, 1);
    lone.Heights[0][0] = 3.0f;
    const PoxelMesh m = build(lone, &kTable);
    bool found = false;
    for (size_t t = 0; t < m.triangleCount() && !found; ++t) {
        if (m.Triangles[t].Kind != FaceTag::Flat || normalOf(m, t).Y <= 0)
            continue;
        // Triangle (C, D, S) comes first on the top face.
        EXPECT_FLOAT_EQ(m.Vertices[3 * t].Tex.U, 0.0f);
        EXPECT_FLOAT_EQ(m.Vertices[3 * t].Tex.V, 0.125f);
        found = true;
    }
    EXPECT_TRUE(found);
}

TEST(PoxelGeometry, CombinedCornerFlagsSetAlphaAndBlurPassWritesThemBack) {
    TPoxel p(2, 1, 1);
    // Cell 0 flags its corner (1, 1, 1), the lattice point it shares with cell 1's (0, 1, 1).
    p.Voxels[p.cellIndex(0, 0, 0)] = 3 | 1u << cornerFlagBit(1, 1, 1);
    p.Voxels[p.cellIndex(1, 0, 0)] = 3;
    const TVec3 shared{0.0f, 0.5f, 0.5f};

    auto alphasAtShared = [&](const PoxelMesh& m) {
        std::set<float> alphas;
        for (const auto& v : m.Vertices)
            if (v.Pos == shared)
                alphas.insert(v.Colour.A);
        return alphas;
    };
    PoxelMesh plain;
    buildPoxelGeometry(p, &kTable, plain);
    EXPECT_EQ(alphasAtShared(plain), (std::set<float>{1.0f}));
    EXPECT_EQ(p.Voxels[p.cellIndex(1, 0, 0)], 3u) << "no write-back without BlurPass";
    EXPECT_EQ(p.Vertices.size(), 3u * 2u * 2u);

    // Untextured builds leave the flags alone: alpha 0.
    EXPECT_EQ(alphasAtShared(build(p)), (std::set<float>{0.0f}));
    p.BlurPass = true;
    buildPoxelGeometry(p, nullptr, plain);
    EXPECT_EQ(p.Voxels[p.cellIndex(1, 0, 0)], 3u);

    buildPoxelGeometry(p, &kTable, plain);
    EXPECT_EQ(p.Voxels[p.cellIndex(1, 0, 0)], 3u | 1u << cornerFlagBit(0, 1, 1));
    EXPECT_EQ(p.Voxels[p.cellIndex(0, 0, 0)], 3u | 1u << cornerFlagBit(1, 1, 1));

    // Empty cells neither give nor take flags.
    TPoxel gap(3, 1, 1);
    gap.BlurPass = true;
    gap.Voxels[gap.cellIndex(0, 0, 0)] = 3 | 0xFFu << 16;
    gap.Voxels[gap.cellIndex(1, 0, 0)] = 0;
    buildPoxelGeometry(gap, &kTable, plain);
    EXPECT_EQ(gap.Voxels[gap.cellIndex(1, 0, 0)], 0u);
    EXPECT_EQ(gap.Voxels[gap.cellIndex(2, 0, 0)], 3u);
}

TEST(PoxelGeometry, DirectDrawEmitsIdentityColoursOnly) {
    TPoxel p(2, 1, 2);
    p.Voxels[p.cellIndex(1, 0, 1)] = 0;
    p.DirectDraw = true;
    p.ShowPoints = true;
    const PoxelMesh m = build(p, nullptr);
    EXPECT_EQ(m.Mode, MeshMode::DirectDraw);
    EXPECT_TRUE(m.EdgeVertices.empty());
    EXPECT_TRUE(m.PickVertices.empty());
    std::set<uint32_t> identities;
    for (const auto& v : m.Vertices)
        identities.insert(static_cast<uint32_t>(std::lround(v.Colour.R * 255)) |
                          static_cast<uint32_t>(std::lround(v.Colour.G * 255)) << 8);
    // Cells 0, 1 and 2 (index + 1); the empty cell 3 is a point in its own identity.
    EXPECT_EQ(identities, (std::set<uint32_t>{1, 2, 3}));
    ASSERT_EQ(m.Points.size(), 1u);
    EXPECT_EQ(m.Points[0].Style, PointStyle::Flat);
    EXPECT_FLOAT_EQ(m.Points[0].Colour.R, 4.0f / 255.0f);
    EXPECT_EQ(m.Points[0].Pos, (TVec3{0.5f, 0.0f, 0.5f}));

    // A texture table does not texture a picking build.
    EXPECT_FALSE(build(p, &kTable).BindsTextures);

    // Without DirectDraw the empty cell is a yellow marker inside the textured list.
    p.DirectDraw = false;
    const PoxelMesh lists = build(p);
    ASSERT_EQ(lists.Points.size(), 1u);
    EXPECT_EQ(lists.Points[0].Style, PointStyle::Marker);
    EXPECT_EQ(lists.Points[0].Colour, (TColor4{1, 1, 0, 1}));
}

TEST(PoxelGeometry, HeightPointsCarryIdentitiesOrHeatTints) {
    TPoxel p(2, 1, 3);
    p.HeightPickMode = true;
    p.HeightPickPass = true;
    const PoxelMesh pass = build(p);
    EXPECT_EQ(pass.Mode, MeshMode::HeightPoints);
    EXPECT_TRUE(pass.Vertices.empty());
    ASSERT_EQ(pass.Points.size(), 3u * 4u);
    for (int z = 0, i = 0; z <= 3; ++z)
        for (int x = 0; x <= 2; ++x, ++i) {
            const MeshPoint& pt = pass.Points[static_cast<size_t>(i)];
            const auto c = identityColour(static_cast<uint32_t>(1001 + z + 1000 * x));
            EXPECT_EQ(pt.Colour, (TColor4{c[0], c[1], c[2], c[3]}));
            EXPECT_EQ(pt.Pos, (TVec3{x - 1.0f, 0.5f, z - 1.5f}));
        }

    p.HeightPickPass = false;
    MeshBuildExtras extras;
    extras.HeightWeight = [](int32_t x, int32_t z) { return x == 1 && z == 2 ? 100.0 : 0.0; };
    const PoxelMesh tint = build(p, nullptr, extras);
    ASSERT_EQ(tint.Points.size(), 12u);
    EXPECT_EQ(tint.Points[2 * 3 + 1].Colour, (TColor4{1, 0, 0, 0}));
    EXPECT_EQ(tint.Points[0].Colour, (TColor4{0, 1, 0, 0}));
    // No weight function: every point shows weight 0.
    for (const auto& pt : build(p).Points)
        EXPECT_EQ(pt.Colour, (TColor4{0, 1, 0, 0}));
}

TEST(PoxelGeometry, LayerPointsAreLevelCornersWithLoopsOutsideThePickPass) {
    TPoxel p(2, 2, 3);
    p.LayerPickMode = true;
    p.LayerPickPass = true;
    const PoxelMesh pass = build(p);
    EXPECT_EQ(pass.Mode, MeshMode::LayerPoints);
    ASSERT_EQ(pass.Points.size(), 12u);
    EXPECT_TRUE(pass.LoopVertices.empty());
    // Level 1, corner 3 is (x NX, z NZ).
    const MeshPoint& pt = pass.Points[4 + 2];
    EXPECT_EQ(pt.Pos, (TVec3{1.0f, 0.0f, 1.5f}));
    EXPECT_FLOAT_EQ(pt.Colour.R, 13.0f / 255.0f);

    p.LayerPickPass = false;
    MeshBuildExtras extras;
    extras.LayerWeight = [](int32_t j, int32_t y) { return j == 1 && y == 0 ? 50.0 : 0.0; };
    const PoxelMesh tint = build(p, nullptr, extras);
    EXPECT_EQ(tint.LoopVertices.size(), 12u);
    EXPECT_EQ(tint.Points[0].Colour, (TColor4{1, 1, 0, 0})); // 50 %: yellow
    EXPECT_EQ(tint.LoopVertices[4], tint.Points[4].Pos);
}

TEST(PoxelGeometry, HeatColourRunsFromGreenOverYellowToRed) {
    EXPECT_EQ(HeatColour(0), 255u * 256u);
    EXPECT_EQ(HeatColour(50), 255u + 255u * 256u);
    EXPECT_EQ(HeatColour(100), 255u);
    EXPECT_EQ(HeatColour(25), 127u + 255u * 256u); // 2.55 is a little less than 2.55
    EXPECT_EQ(HeatColour(75), 255u + 127u * 256u);
    EXPECT_EQ(HeatColour(5), 26u + 255u * 256u); // 25.5 rounds to even
    EXPECT_EQ(HeatColour(std::nan("")), HeatColour(0));
}

TEST(PoxelGeometry, HeightmapPreviewDrawsOnlyItsTop) {
    TPoxel p(2, 1, 2);
    p.IsHeightmapImage = true;
    p.HmTex1 = 1000;
    p.HmTex2 = 1001;
    p.HmImage.assign(100, std::vector<float>(100, 0.0f));
    p.HmImage[2][1] = 0.75f; // [z][x]
    const PoxelMesh m = build(p);
    ASSERT_EQ(m.triangleCount(), 8u);
    EXPECT_EQ(m.edgeCount(), 16u);
    EXPECT_TRUE(m.BindsTextures);
    for (const auto& t : m.Triangles) {
        EXPECT_EQ(t.Tex1, 1000u);
        EXPECT_EQ(t.Tex0, 1001u);
        EXPECT_EQ(t.Kind, FaceTag::Flat);
    }
    bool sawAlpha = false;
    for (const auto& v : m.Vertices) {
        EXPECT_FLOAT_EQ(v.Pos.Y, 0.5f);
        const float x = v.Pos.X + 1.0f, z = v.Pos.Z + 1.0f;
        EXPECT_FLOAT_EQ(v.Tex.U, 0.27f * x);
        EXPECT_FLOAT_EQ(v.Tex.V, 0.271f * z);
        EXPECT_FLOAT_EQ(v.Colour.A, x == 1.0f && z == 2.0f ? 0.75f : 0.0f);
        sawAlpha |= v.Colour.A > 0;
    }
    EXPECT_TRUE(sawAlpha);

    // Without the two textures nothing is bound; a missing image reads as alpha 0.
    p.HmTex2 = 0;
    p.HmImage.clear();
    const PoxelMesh bare = build(p);
    EXPECT_FALSE(bare.BindsTextures);
    for (const auto& v : bare.Vertices)
        EXPECT_EQ(v.Colour.A, 0.0f);
}

TEST(PoxelGeometry, GroupsGetTheUnitBoxAndNothingElse) {
    TPoxel g(1, 1, 1);
    g.IsGroup = true;
    g.Vertices = {TVec3{7, 7, 7}};
    PoxelMesh m;
    buildPoxelGeometry(g, nullptr, m);
    EXPECT_EQ(m.triangleCount(), 0u);
    EXPECT_EQ(g.BoxMin, (TVec3{-0.5f, -0.5f, -0.5f}));
    EXPECT_EQ(g.BoxMax, (TVec3{0.5f, 0.5f, 0.5f}));
    EXPECT_EQ(g.Vertices.size(), 1u);
}

TEST(PoxelGeometry, EmptyAndDamagedPoxelsBuildSafely) {
    TPoxel empty(3, 2, 2);
    FillVoxels(empty, 0);
    empty.Heights[3][2] = 2.0f;
    PoxelMesh m;
    buildPoxelGeometry(empty, nullptr, m);
    EXPECT_EQ(m.triangleCount(), 0u);
    EXPECT_EQ(m.edgeCount(), 0u);
    EXPECT_EQ(empty.BoxMin, (TVec3{-1.5f, -1.0f, -1.0f}));
    EXPECT_FLOAT_EQ(empty.BoxMax.Y, 3.0f);

    // Fewer cell words than cells: the missing ones count as empty.
    TPoxel shortCells(2, 1, 1);
    shortCells.Voxels.resize(1);
    EXPECT_EQ(build(shortCells).triangleCount(), 16u);

    TPoxel zero(1, 1, 1);
    zero.NX = 0;
    const PoxelMesh z = build(zero);
    EXPECT_EQ(z.triangleCount(), 0u);
    EXPECT_TRUE(z.Lattice.empty());
}

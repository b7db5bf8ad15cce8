#include "render/ExportCollector.h"
#include "render/MeshSamples.h"
#include "render/PoxelMesh.h"

#include <gtest/gtest.h>

#include <random>

using namespace lw;

TEST(ExportCollector, SharesVerticesByTheirBytesAndKeepsTheFirstCoordinate) {
    ExportCollector c;
    std::vector<int32_t> added;
    c.OnVertexAdded = [&added](int32_t i) { added.push_back(i); };
    EXPECT_EQ(c.FindOrAddExportVertex({1, 2, 3}, {0.5f, 0.5f}, 0), 0);
    EXPECT_EQ(c.FindOrAddExportVertex({4, 5, 6}, {0, 0}, 1), 1);
    EXPECT_EQ(c.FindOrAddExportVertex({1, 2, 3}, {9, 9}, 2), 0);
    EXPECT_EQ(c.TexCoords[0], (TTexCoord{0.5f, 0.5f}));
    // -0.0 and 0.0 differ byte for byte.
    EXPECT_EQ(c.FindOrAddExportVertex({0.0f, 0, 0}, {}, 0), 2);
    EXPECT_EQ(c.FindOrAddExportVertex({-0.0f, 0, 0}, {}, 0), 3);
    EXPECT_EQ(added, (std::vector<int32_t>{0, 1, 2, 3}));

    // Grouping keeps the face kinds apart.
    ExportCollector g;
    g.GroupByTexture = true;
    EXPECT_EQ(g.FindOrAddExportVertex({1, 2, 3}, {}, 0), 0);
    EXPECT_EQ(g.FindOrAddExportVertex({1, 2, 3}, {}, 1), 1);
    EXPECT_EQ(g.FindOrAddExportVertex({1, 2, 3}, {}, 0), 0);
    EXPECT_EQ(g.FaceKinds, (std::vector<uint8_t>{0, 1}));

    g.clear();
    EXPECT_TRUE(g.Positions.empty());
    EXPECT_EQ(g.FindOrAddExportVertex({1, 2, 3}, {}, 1), 0);
}

TEST(ExportCollector, FacesAreRecordedBackwardsAndListedPerFirstTexture) {
    ExportCollector c;
    c.GroupByTexture = true;
    c.AddExportFace(5, 6, 7, 4 | 1, 12);
    c.AddExportFace(1, 2, 3, 2, 3);
    c.AddExportFace(8, 9, 10, 0, 12);
    EXPECT_EQ(c.Faces[0], (ExportFace{7, 6, 5, 5}));
    ASSERT_EQ(c.TextureFaces.size(), 2u);
    EXPECT_EQ(c.TextureFaces.begin()->first, 3u);
    EXPECT_EQ(c.TextureFaces.at(12), (std::vector<int32_t>{0, 2}));
}

TEST(ExportCollector, CollectedFacesRebuildTheEmittedTriangles) {
    const TTextureList table = lwtest::numberedTextureTable();
    std::mt19937 rng(7);
    for (int round = 0; round < 60; ++round) {
        auto p = lwtest::randomPoxel(rng, {4, 0.6, round % 2 == 0});
        const bool grouped = round % 3 != 0;
        ExportCollector c;
        c.GroupByTexture = grouped;
        MeshBuildExtras extras;
        extras.Export = &c;
        PoxelMesh m;
        computePoxelGeometry(*p, grouped ? &table : nullptr, m, extras);
        ASSERT_EQ(c.Faces.size(), m.triangleCount());
        size_t listed = 0;
        for (const auto& [name, faces] : c.TextureFaces)
            listed += faces.size();
        EXPECT_EQ(listed, grouped ? m.triangleCount() : 0u);
        for (size_t t = 0; t < m.triangleCount(); ++t) {
            const ExportFace& f = c.Faces[t];
            // The record holds the third, second and first vertex: A, B, C of the triangle
            // come back as f[2], f[1], f[0].
            for (size_t k = 0; k < 3; ++k) {
                const auto index = static_cast<size_t>(f[2 - k]);
                ASSERT_LT(index, c.Positions.size());
                EXPECT_EQ(c.Positions[index], m.Vertices[3 * t + k].Pos);
                if (grouped) {
                    EXPECT_EQ(c.FaceKinds[index], static_cast<uint8_t>(m.Triangles[t].Kind));
                }
            }
            EXPECT_GE(f[3], 0);
            EXPECT_LE(f[3], 7);
        }
    }
}

TEST(ExportCollector, LoneCellOutlinesGiveTheEdgeCodes) {
    TPoxel p(1, 1, 1);
    p.DirectDraw = true; // the untextured export collects from a picking build
    ExportCollector c;
    MeshBuildExtras extras;
    extras.Export = &c;
    PoxelMesh m;
    computePoxelGeometry(p, nullptr, m, extras);
    ASSERT_EQ(c.Faces.size(), 16u);
    // Top face: (C, D, S), (C, S, F), (D, E, S) outlined D-E, (S, E, F) outlined E-F.
    EXPECT_EQ(c.Faces[0][3], 0);
    EXPECT_EQ(c.Faces[1][3], 0);
    EXPECT_EQ(c.Faces[2][3], 4);
    EXPECT_EQ(c.Faces[3][3], 2);
    // Top, bottom and the bevel quads share their vertices: 2 x 5 + 8 side points, of which
    // the 8 bevel corners are the top and bottom edge midpoints again.
    EXPECT_EQ(c.Positions.size(), 10u);
}

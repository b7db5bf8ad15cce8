#include "render/MeshStats.h"

#include <gtest/gtest.h>

#include <limits>

using namespace lw;

namespace {

// Root > [entity, poxel "Hill" 1x1x1, group > [poxel "Rock" 1x1x1 with a raised column,
// entity]].
std::unique_ptr<TPoxel> sampleMap() {
    auto root = makePoxel();
    root->IsRoot = root->IsGroup = true;
    AddEntity(*root, makePoxel())->IsEntity = true;
    AddChildPoxel(*root, makePoxel(1, 1, 1))->Name = "Hill";
    TPoxel* group = AddChildPoxel(*root, makePoxel());
    group->IsGroup = true;
    TPoxel* rock = AddChildPoxel(*group, makePoxel(1, 1, 1));
    rock->Name = "Rock";
    rock->Heights[1][1] = 1.5f;
    AddEntity(*group, makePoxel())->IsEntity = true;
    return root;
}

// A lone filled cell without smoothing, counted by hand from the face rules: the top and the
// bottom are four triangles each with two outlined edges (D-E and E-F; every corner is cut),
// each of the four sides two bevel triangles with one outlined edge each. Heights move
// points, not the triangles.
constexpr size_t kLoneCellTriangles = 4 + 4 + 4 * 2;
constexpr size_t kLoneCellEdges = 2 + 2 + 4 * 2;

} // namespace

TEST(MeshStats, ListsPoxelsInPreOrderWithTotals) {
    auto root = sampleMap();
    const auto stats = collectMeshStats(*root);
    ASSERT_EQ(stats.size(), 2u);
    EXPECT_EQ(stats[0].Name, "Hill");
    EXPECT_EQ(stats[0].Triangles, kLoneCellTriangles);
    EXPECT_EQ(stats[0].Edges, kLoneCellEdges);
    EXPECT_EQ(stats[1].Name, "Rock");
    EXPECT_EQ(stats[1].Triangles, kLoneCellTriangles);
    EXPECT_EQ(stats[1].Edges, kLoneCellEdges);
    // The raised column lifts the top of the box from 0.5 to 2.
    EXPECT_EQ(stats[1].BoxMax.Y, 2.0f);
    // The nodes are read, never written.
    EXPECT_TRUE(root->Children[0]->Vertices.empty());
    EXPECT_EQ(root->Children[0]->BoxMax, (TVec3{}));

    EXPECT_EQ(meshStatsText(*root, false),
              "Hill: 16 triangles, 12 edges, box (-0.5, -0.5, -0.5) to (0.5, 0.5, 0.5)\n"
              "Rock: 16 triangles, 12 edges, box (-0.5, -0.5, -0.5) to (0.5, 2, 0.5)\n"
              "total: 32 triangles, 24 edges\n");
}

TEST(MeshStats, JsonHasTheDocumentedShape) {
    auto root = makePoxel();
    root->IsGroup = true;
    auto p = makePoxel(1, 1, 1);
    p->Name = "A \"q\" \xE9\\";
    AddChildPoxel(*root, std::move(p));
    EXPECT_EQ(meshStatsText(*root, true),
              "{\"poxels\": [{\"name\": \"A \\\"q\\\" \xC3\xA9\\\\\", \"triangles\": 16, "
              "\"edges\": 12, \"box_min\": [-0.5, -0.5, -0.5], \"box_max\": [0.5, 0.5, 0.5]}], "
              "\"triangles\": 16, \"edges\": 12}\n");
}

TEST(MeshStats, EmptyMapsAndNonFiniteBoxes) {
    auto root = makePoxel();
    root->IsGroup = true;
    EXPECT_EQ(meshStatsText(*root, true), "{\"poxels\": [], \"triangles\": 0, \"edges\": 0}\n");
    EXPECT_EQ(meshStatsText(*root, false), "total: 0 triangles, 0 edges\n");

    TPoxel* p = AddChildPoxel(*root, makePoxel(1, 1, 1));
    p->Heights[0][0] = std::numeric_limits<float>::infinity();
    p->Heights[1][1] = -std::numeric_limits<float>::infinity();
    std::string json = meshStatsText(*root, true);
    EXPECT_NE(json.find("\"box_min\": [-0.5, \"-inf\", -0.5]"), std::string::npos) << json;
    EXPECT_NE(json.find("\"box_max\": [0.5, \"inf\", 0.5]"), std::string::npos) << json;

    // 0.5 + 0.1 is the float 0.60000002384...: nine digits tell it from the 0.6 a shorter
    // format would show, so a box read back from the JSON is the box computed.
    p->Heights = {{0, 0}, {0.1f, 0}};
    json = meshStatsText(*root, true);
    EXPECT_NE(json.find("\"box_max\": [0.5, 0.600000024, 0.5]"), std::string::npos) << json;
}

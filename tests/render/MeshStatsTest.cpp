#include "render/MeshStats.h"

#include <gtest/gtest.h>

#include <limits>

using namespace lw;

namespace {

// Root > [entity, poxel "Hill" 1x1x1, group > [poxel "Rock" 2x1x1, entity]].
std::unique_ptr<TPoxel> sampleMap() {
    auto root = makePoxel();
    root->IsRoot = root->IsGroup = true;
    root->Name = "Root";
    auto entity = makePoxel();
    entity->IsEntity = true;
    entity->Name = "Emitter_01";
    AddEntity(*root, std::move(entity));
    auto hill = makePoxel(1, 1, 1);
    hill->Name = "Hill";
    AddChildPoxel(*root, std::move(hill));
    auto group = makePoxel();
    group->IsGroup = true;
    group->Name = "Group_01";
    auto rock = makePoxel(2, 1, 1);
    rock->Name = "Rock";
    rock->Heights[2][1] = 1.5f;
    AddChildPoxel(*group, std::move(rock));
    auto inner = makePoxel();
    inner->IsEntity = true;
    AddEntity(*group, std::move(inner));
    AddChildPoxel(*root, std::move(group));
    return root;
}

} // namespace

TEST(MeshStats, ListsPoxelsInPreOrderWithTotals) {
    auto root = sampleMap();
    const auto stats = collectMeshStats(*root);
    ASSERT_EQ(stats.size(), 2u);
    EXPECT_EQ(stats[0].Name, "Hill");
    EXPECT_EQ(stats[0].Triangles, 16u);
    EXPECT_EQ(stats[1].Name, "Rock");
    EXPECT_EQ(stats[1].BoxMax.Y, 2.0f);
    // The nodes are read, never written.
    EXPECT_TRUE(root->Children[0]->Vertices.empty());
    EXPECT_EQ(root->Children[0]->BoxMax, (TVec3{}));

    const std::string text = meshStatsText(*root, false);
    const std::string hill = "Hill: 16 triangles, " + std::to_string(stats[0].Edges) +
                             " edges, box (-0.5, -0.5, -0.5) to (0.5, 0.5, 0.5)\n";
    EXPECT_EQ(text.substr(0, hill.size()), hill);
    const size_t total = stats[0].Triangles + stats[1].Triangles;
    const std::string last = "total: " + std::to_string(total) + " triangles, " +
                             std::to_string(stats[0].Edges + stats[1].Edges) + " edges\n";
    EXPECT_EQ(text.substr(text.size() - last.size()), last);
}

TEST(MeshStats, JsonHasTheDocumentedShape) {
    auto root = makePoxel();
    root->IsGroup = true;
    auto p = makePoxel(1, 1, 1);
    p->Name = "A \"q\" \xE9\\";
    AddChildPoxel(*root, std::move(p));
    const std::string json = meshStatsText(*root, true);
    const auto stats = collectMeshStats(*root);
    const std::string edges = std::to_string(stats[0].Edges);
    EXPECT_EQ(json, "{\"poxels\": [{\"name\": \"A \\\"q\\\" \xC3\xA9\\\\\", \"triangles\": 16, "
                    "\"edges\": " +
                        edges +
                        ", \"box_min\": [-0.5, -0.5, -0.5], \"box_max\": [0.5, 0.5, 0.5]}], "
                        "\"triangles\": 16, \"edges\": " +
                        edges + "}\n");
}

TEST(MeshStats, EmptyMapsAndNonFiniteBoxes) {
    auto root = makePoxel();
    root->IsGroup = true;
    EXPECT_EQ(meshStatsText(*root, true), "{\"poxels\": [], \"triangles\": 0, \"edges\": 0}\n");
    EXPECT_EQ(meshStatsText(*root, false), "total: 0 triangles, 0 edges\n");

    auto p = makePoxel(1, 1, 1);
    p->Heights[0][0] = std::numeric_limits<float>::infinity();
    p->Heights[1][1] = -std::numeric_limits<float>::infinity();
    p->Heights[1][0] = 0.1f;
    AddChildPoxel(*root, std::move(p));
    const std::string json = meshStatsText(*root, true);
    EXPECT_NE(json.find("\"box_min\": [-0.5, \"-inf\", -0.5]"), std::string::npos) << json;
    EXPECT_NE(json.find("\"box_max\": [0.5, \"inf\", 0.5]"), std::string::npos) << json;
    // Nine significant digits for finite values.
    EXPECT_EQ(json.find("0.100000001"), std::string::npos);
}

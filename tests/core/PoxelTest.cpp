#include "core/Poxel.h"
#include "core/Lattice.h"

#include <gtest/gtest.h>

#include <map>

using namespace lw;

namespace {

// Records what the model asks of a tree view.
struct RecordingSink : ItemSink {
    struct Item {
        TreeItem parent;
        std::string text;
        int image;
        TPoxel* node;
    };
    std::map<intptr_t, Item> items;
    intptr_t next = 1;
    TreeItem addItem(TreeItem parent, const std::string& text, int image, TPoxel* node,
                     int) override {
        items[next] = Item{parent, text, image, node};
        return reinterpret_cast<TreeItem>(next++);
    }
    void updateItem(TreeItem item, const std::string& text, int image, TPoxel* node) override {
        auto& it = items.at(reinterpret_cast<intptr_t>(item));
        it.text = text;
        it.image = image;
        it.node = node;
    }
};

std::vector<int32_t> g_released;
void recordRelease(const TPoxel& node) {
    g_released.push_back(node.ListId);
}

} // namespace

TEST(Poxel, CreateClampsDimensionsAndSizesItsArrays) {
    TPoxel p(0, -5, 2);
    EXPECT_EQ(p.NX, 1);
    EXPECT_EQ(p.NY, 1);
    EXPECT_EQ(p.NZ, 2);
    EXPECT_EQ(p.LowCount, 2);
    EXPECT_EQ(p.HighCount, 2);
    EXPECT_EQ(p.HeightCount, 6);
    EXPECT_EQ(p.Voxels, (std::vector<uint32_t>{3, 3}));
    ASSERT_EQ(p.Heights.size(), 2u);
    EXPECT_EQ(p.Heights[0].size(), 3u);
}

TEST(Poxel, CounterHandsOutListNumbersInBands) {
    ResetPoxelCounter();
    TPoxel a(1, 1, 1);
    TPoxel b(1, 1, 1);
    EXPECT_EQ(a.ListId, 10000);
    EXPECT_EQ(b.ListId, 10001);
    PushPoxelCounter(200000);
    TPoxel c(1, 1, 1);
    EXPECT_EQ(c.ListId, 210000);
    PopPoxelCounter();
    TPoxel d(1, 1, 1);
    EXPECT_EQ(d.ListId, 10002);
}

TEST(Poxel, DestroyReleasesTheListsOfTheWholeSubtree) {
    g_released.clear();
    setDisplayListReleaseHook(&recordRelease);
    {
        auto root = makePoxel();
        TPoxel* child = AddChildPoxel(*root, makePoxel());
        AddEntity(*child, makePoxel())->ListsBuilt = true;
        AddChildPoxel(*child, makePoxel());
        root->ListsBuilt = child->ListsBuilt = true;
    }
    setDisplayListReleaseHook(nullptr);
    // The one node that never got lists releases nothing.
    EXPECT_EQ(g_released.size(), 3u);
}

TEST(Poxel, DeepChainsAreDestroyedWithoutRecursion) {
    auto root = makePoxel();
    TPoxel* tip = root.get();
    for (int i = 0; i < 200000; ++i)
        tip = AddChildPoxel(*tip, makePoxel());
    EXPECT_EQ(treeDepth(*root), 200000);
    root.reset(); // must not overflow the stack
}

TEST(Poxel, RemovePoxelKeepsOrderAndRefusesStrangers) {
    auto root = makePoxel();
    TPoxel* a = AddChildPoxel(*root, makePoxel());
    TPoxel* b = AddChildPoxel(*root, makePoxel());
    TPoxel* c = AddChildPoxel(*root, makePoxel());
    TPoxel stranger(1, 1, 1);
    EXPECT_FALSE(RemovePoxel(*root, &stranger));
    EXPECT_TRUE(RemovePoxel(*root, b));
    ASSERT_EQ(root->Children.size(), 2u);
    EXPECT_EQ(root->Children[0].get(), a);
    EXPECT_EQ(root->Children[1].get(), c);
}

TEST(Poxel, ResizeKeepsCellsInArrayOrderAndColumnsThatExistInBoth) {
    TPoxel p(2, 1, 1);
    p.Voxels = {7, 11};
    p.Heights[1][1] = 4.5f;
    ResizePoxel(p, 1, 1, 2);
    ASSERT_EQ(p.Voxels.size(), 2u);
    EXPECT_EQ(p.Voxels[0], 7u);
    EXPECT_EQ(p.Voxels[1], 11u);
    EXPECT_EQ(p.HeightCount, 6);
    EXPECT_EQ(p.Heights[1][1], 4.5f);
    ResizePoxel(p, 3, 2, 2);
    EXPECT_EQ(p.Voxels.size(), 12u);
    EXPECT_EQ(p.Voxels[11], 0u);
    EXPECT_EQ(p.LayerLow.size(), 3u);
}

TEST(Poxel, CountPoxelsCountsChildrenButNotEntities) {
    auto root = makePoxel(2, 2, 2);
    AddChildPoxel(*root, makePoxel(3, 1, 1));
    AddEntity(*root, makePoxel(5, 5, 5));
    int64_t cells = 0, nodes = 0;
    CountPoxels(*root, cells, nodes);
    EXPECT_EQ(cells, 11);
    EXPECT_EQ(nodes, 2);
}

TEST(Poxel, CloneOfTheRootIsAGroupWithItemsForTheSubtree) {
    auto root = makePoxel();
    root->IsRoot = root->IsGroup = true;
    root->Name = "Root";
    TPoxel* child = AddChildPoxel(*root, makePoxel(2, 1, 1));
    child->Name = "Hill";
    AddEntity(*child, makePoxel())->IsEntity = true;
    RecordingSink sink;
    TPoxel copy(1, 1, 1);
    ClonePoxel(copy, *root, &sink, nullptr);
    EXPECT_FALSE(copy.IsRoot);
    EXPECT_TRUE(copy.IsGroup);
    ASSERT_EQ(copy.Children.size(), 1u);
    EXPECT_EQ(copy.Children[0]->Name, "Hill");
    EXPECT_EQ(copy.Children[0]->NX, 2);
    EXPECT_EQ(copy.Children[0]->Entities.size(), 1u);
    EXPECT_EQ(sink.items.size(), 3u);
    EXPECT_EQ(sink.items[1].image, ImageGroup);
    EXPECT_EQ(sink.items[3].image, ImageEntity);
    EXPECT_EQ(sink.items[3].parent, copy.Children[0]->Node);
}

TEST(Poxel, CopyContentKeepsPlacementAndAppendsChildren) {
    TPoxel target(1, 1, 1);
    target.Pos = {1, 2, 3};
    target.Rot = {0, 90, 0};
    AddChildPoxel(target, makePoxel())->Name = "Old";
    TPoxel source(3, 2, 1);
    source.Pos = {9, 9, 9};
    source.Size = {2, 2, 2};
    AddChildPoxel(source, makePoxel())->Name = "New";
    CopyPoxelContent(target, source, nullptr);
    EXPECT_EQ(target.Pos, (TVec3{1, 2, 3}));
    EXPECT_EQ(target.Rot, (TVec3{0, 90, 0}));
    EXPECT_EQ(target.Size, (TVec3{2, 2, 2}));
    EXPECT_EQ(target.NX, 3);
    ASSERT_EQ(target.Children.size(), 2u);
    EXPECT_EQ(target.Children[0]->Name, "Old");
    EXPECT_EQ(target.Children[1]->Name, "New");
}

TEST(Lattice, PointsFollowHeightsAndLevelOffsets) {
    TPoxel p(2, 1, 1);
    p.Heights[2][0] = 1.0f;
    p.LayerLow[1].X = 0.5f; // +0.5 at x = NX on the top level
    updateLattice(p);
    ASSERT_EQ(p.Vertices.size(), 12u);
    // Point (0, 0, 0): no height, no offset.
    EXPECT_EQ(p.Vertices[latticeIndex(p, 0, 0, 0)], (TVec3{-1.0f, -0.5f, -0.5f}));
    // Point (2, 1, 0): offset 0.5 at x = NX, raised by 1 and sheared along the slope.
    const TVec3 v = p.Vertices[latticeIndex(p, 2, 1, 0)];
    EXPECT_FLOAT_EQ(v.X, 1.0f + 0.5f + 0.5f);
    EXPECT_FLOAT_EQ(v.Y, 1.5f);
    // Level 0 takes its slope from level 1.
    EXPECT_FLOAT_EQ(p.Vertices[latticeIndex(p, 2, 0, 0)].X, 1.0f + 0.5f);
    EXPECT_FLOAT_EQ(p.BoxMax.Y, 1.5f);
    EXPECT_FLOAT_EQ(p.BoxMin.X, -1.0f);
}

TEST(Lattice, BoxAlwaysHoldsTheOriginAndGroupsGetTheUnitBox) {
    TPoxel p(1, 1, 1);
    for (auto& col : p.Heights)
        for (auto& h : col)
            h = 10.0f;
    updateLattice(p);
    EXPECT_EQ(p.BoxMin.Y, 0.0f);
    EXPECT_EQ(p.BoxMax.Y, 10.5f);
    p.IsGroup = true;
    updateLattice(p);
    EXPECT_EQ(p.BoxMin, (TVec3{-0.5f, -0.5f, -0.5f}));
}

TEST(Poxel, CopyContentOntoItselfAppendsCopiesOfWhatItHeld) {
    TPoxel p(2, 1, 1);
    p.Name = "Self";
    AddChildPoxel(p, makePoxel())->Name = "A";
    AddChildPoxel(p, makePoxel())->Name = "B";
    AddEntity(p, makePoxel())->Name = "E";
    p.Entities[0]->IsEntity = true;
    CopyPoxelContent(p, p, nullptr);
    EXPECT_EQ(p.Name, "Self");
    EXPECT_EQ(p.NX, 2);
    ASSERT_EQ(p.Children.size(), 4u);
    EXPECT_EQ(p.Children[2]->Name, "A");
    EXPECT_EQ(p.Children[3]->Name, "B");
    EXPECT_NE(p.Children[2].get(), p.Children[0].get());
    ASSERT_EQ(p.Entities.size(), 2u);
    EXPECT_EQ(p.Entities[1]->Name, "E");
}

TEST(Poxel, CopyContentOfAnAncestorCopiesItAsItWasBefore) {
    // Root "R" > child "C" > grandchild "G". Copying R onto C appends a copy of R's children
    // as they stood: C named "C" with its one child, not the renamed, half-grown C.
    TPoxel root(1, 1, 1);
    root.Name = "R";
    TPoxel* child = AddChildPoxel(root, makePoxel(3, 1, 1));
    child->Name = "C";
    AddChildPoxel(*child, makePoxel())->Name = "G";
    CopyPoxelContent(*child, root, nullptr);
    EXPECT_EQ(child->Name, "R");
    EXPECT_EQ(child->NX, 1);
    ASSERT_EQ(child->Children.size(), 2u);
    EXPECT_EQ(child->Children[0]->Name, "G");
    const TPoxel& copy = *child->Children[1];
    EXPECT_EQ(copy.Name, "C");
    EXPECT_EQ(copy.NX, 3);
    ASSERT_EQ(copy.Children.size(), 1u);
    EXPECT_EQ(copy.Children[0]->Name, "G");
}

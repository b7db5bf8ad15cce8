// Imports worked out on another thread: no node is made until the owner builds them, the nodes
// come out as the direct import makes them, and cancelling keeps what was finished.

#include "io/Apoxelate.h"

#include "core/PoxelContentFactory.h"

#include "core/MapWriter.h"
#include "core/Poxel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

std::string model(const char* name) {
    return std::string(LW_SHARED_TESTDATA_DIR) + "/3ds/" + name;
}

// Content of a subtree, in pre-order, for comparisons that ignore node numbers.
void contents(const lw::TPoxel& node, std::vector<lw::PoxelContent>& out) {
    out.push_back(node.content());
    for (const auto& c : node.Children)
        contents(*c, out);
}

} // namespace

TEST(DetachedImport, NewContentIsWhatANewNodeStartsWith) {
    for (auto [x, y, z] : {std::array{1, 1, 1}, std::array{2, 3, 4}, std::array{0, -2, 5}}) {
        auto node = lw::makePoxel(x, y, z);
        EXPECT_EQ(lw::newPoxelContent(x, y, z), node->content());
    }
}

TEST(DetachedImport, WorkerMakesNoNodesAndTheOwnerNumbersThemInItsBand) {
    LW_REQUIRE_SHARED_TESTDATA();
    lw::ApoxelOptions options;
    const int32_t counterBefore = lw::PoxelCounter();
    const int32_t serialBefore = lw::makePoxel()->Serial;
    lw::Result<lw::DetachedImport> detached = lw::Error{};
    std::thread worker([&] { detached = lw::importModel3dsDetached(model("jeep1.3ds"), options); });
    worker.join();
    ASSERT_TRUE(detached.ok()) << detached.error().message();
    // Neither the list counter nor the serials moved while the worker ran.
    EXPECT_EQ(lw::PoxelCounter(), counterBefore + 1);
    EXPECT_EQ(lw::makePoxel()->Serial, serialBefore + 1);
    ASSERT_FALSE(detached->Poxels.empty());
    EXPECT_EQ(detached->Group.Name, "jeep1.3ds");
    EXPECT_TRUE(detached->Group.IsGroup);

    const int32_t base = lw::PoxelCounter();
    lw::ModelImport built = lw::buildImportNodes(std::move(*detached));
    ASSERT_TRUE(built.Group);
    EXPECT_EQ(built.Group->ListId, lw::kListBase + base);
    for (size_t i = 0; i < built.Group->Children.size(); ++i)
        EXPECT_EQ(built.Group->Children[i]->ListId, lw::kListBase + base + 1 + int32_t(i));

    // The direct import (the command line's) gives the very same contents.
    auto direct = lw::importModel3ds(model("jeep1.3ds"), options);
    ASSERT_TRUE(direct.ok());
    std::vector<lw::PoxelContent> a, b;
    contents(*built.Group, a);
    contents(*direct->Group, b);
    EXPECT_EQ(a, b);
}

TEST(DetachedImport, ProgressReportsTheModelAndEachPiece) {
    LW_REQUIRE_SHARED_TESTDATA();
    lw::ApoxelOptions options;
    size_t readCount = 0;
    std::vector<size_t> visited;
    lw::ImportFeedback feedback;
    feedback.OnRead = [&](const lw::TObjArray3D& objects) { readCount = objects.size(); };
    feedback.OnObject = [&](size_t i) { visited.push_back(i); };
    auto detached = lw::importModel3dsDetached(model("cubes_with_alpha.3DS"), options, feedback);
    ASSERT_TRUE(detached.ok());
    EXPECT_EQ(readCount, 5u);
    EXPECT_EQ(visited, (std::vector<size_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(detached->Poxels.size() + detached->Notes.size(), 5u);
}

TEST(DetachedImport, CancelStopsBeforeTheNextPoxel) {
    LW_REQUIRE_SHARED_TESTDATA();
    lw::ApoxelOptions options;
    std::atomic<bool> cancel{false};
    lw::ImportFeedback feedback;
    feedback.Cancel = &cancel;
    // Cancelled while the second piece is worked on: the first poxel stays.
    feedback.OnObject = [&](size_t i) {
        if (i == 1)
            cancel = true;
    };
    auto detached = lw::importModel3dsDetached(model("cubes_with_alpha.3DS"), options, feedback);
    ASSERT_TRUE(detached.ok());
    EXPECT_TRUE(detached->Cancelled);
    EXPECT_EQ(detached->Poxels.size(), 1u);
}

TEST(DetachedImport, BadFilesAreRefusedWithTheReason) {
    LW_REQUIRE_SHARED_TESTDATA();
    lw::ApoxelOptions options;
    for (const char* name : {"malformed_empty.3ds", "malformed_wrong.3ds", "no_such_file.3ds"}) {
        auto detached = lw::importModel3dsDetached(model(name), options);
        EXPECT_FALSE(detached.ok()) << name;
        if (!detached.ok()) {
            EXPECT_FALSE(detached.error().message().empty());
        }
    }
    options.MaxLayers = 1;
    EXPECT_FALSE(lw::importModel3dsDetached(model("fels.3ds"), options).ok());
}

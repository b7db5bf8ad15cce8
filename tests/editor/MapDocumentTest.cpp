// The editable document: every tree operation done, checked, undone to the identical map and
// redone; the modified state; files that are refused; the notifications listeners rely on.

#include "editor/MapDocument.h"
#include "editor/Documents.h"

#include "editor/ClipboardEdits.h"

#include "core/MapGenerator.h"
#include "core/MapWriter.h"
#include "support/TestSupport.h"
#include "ui/Language.h"

#include "../core/TreeCompare.h"
#include "../core/XomBuilder.h"

#include <QDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using namespace lw;
using lwtest::mapBytes;

namespace {

// Every node of the tree in pre-order (entities before children) with its depth and content:
// equal snapshots mean the same nodes, in the same places, holding the same values.
struct NodeState {
    const TPoxel* node;
    int depth;
    PoxelContent content;
    bool operator==(const NodeState&) const = default;
};

std::vector<NodeState> snapshot(const TPoxel& root) {
    std::vector<NodeState> out;
    std::vector<std::pair<const TPoxel*, int>> stack{{&root, 0}};
    while (!stack.empty()) {
        auto [n, d] = stack.back();
        stack.pop_back();
        out.push_back({n, d, n->content()});
        for (auto it = n->Children.rbegin(); it != n->Children.rend(); ++it)
            stack.push_back({it->get(), d + 1});
        for (auto it = n->Entities.rbegin(); it != n->Entities.rend(); ++it)
            stack.push_back({it->get(), d + 1});
    }
    return out;
}

TPoxel* child(TPoxel& node, size_t i) {
    return node.Children.at(i).get();
}

// The last child of `node` that has children of its own.
TPoxel* lastParentIn(TPoxel& node) {
    TPoxel* parent = nullptr;
    for (auto& c : node.Children)
        if (!c->Children.empty())
            parent = c.get();
    EXPECT_TRUE(parent);
    return parent;
}

class Document : public ::testing::Test {
protected:
    void SetUp() override {
        const QString path = QString::fromStdString((dir_ / "demo.xom").string());
        ASSERT_TRUE(WriteMapFile(*makeDemoMap(), path.toStdString()).ok());
        ASSERT_TRUE(doc_.openMap(path).ok());
        demoPath_ = path;
    }

    // Runs `op`, then checks that undo gives back exactly the map before it and that redo
    // gives back exactly the map after it.
    template <typename Op> void checkUndoRedo(Op op) {
        const auto before = snapshot(*doc_.root());
        const auto beforeBytes = mapBytes(*doc_.root());
        const int steps = doc_.undoStack()->index();
        op();
        ASSERT_EQ(doc_.undoStack()->index(), steps + 1) << "one operation, one step";
        ASSERT_EQ(doc_.undoStack()->count(), steps + 1);
        const auto after = snapshot(*doc_.root());
        const auto afterBytes = mapBytes(*doc_.root());
        doc_.undoStack()->undo();
        EXPECT_EQ(snapshot(*doc_.root()), before);
        EXPECT_EQ(mapBytes(*doc_.root()), beforeBytes);
        doc_.undoStack()->redo();
        EXPECT_EQ(snapshot(*doc_.root()), after);
        EXPECT_EQ(mapBytes(*doc_.root()), afterBytes);
    }

    lwtest::TempDir dir_;
    MapDocument doc_;
    QString demoPath_;
};

} // namespace

TEST_F(Document, AddCommandsNameNodesFromCountersThatNeverReset) {
    TPoxel& root = *doc_.root();
    const size_t children = root.Children.size();
    TPoxel* first = nullptr;
    checkUndoRedo([&] { first = doc_.addPoxel(root); });
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Name, "Poxel01");
    EXPECT_EQ(root.Children.size(), children + 1);
    EXPECT_EQ(root.Children.back().get(), first) << "appended as the last child";
    EXPECT_EQ(first->Voxels, std::vector<uint32_t>{3u});

    // A new map keeps counting.
    doc_.newMap();
    EXPECT_EQ(doc_.addPoxel(*doc_.root())->Name, "Poxel02");

    TPoxel* dummy = doc_.addDummy(*doc_.root());
    EXPECT_EQ(dummy->Name, "Dummy01");
    EXPECT_TRUE(dummy->IsGroup);
    EXPECT_EQ(dummy->Voxels, std::vector<uint32_t>{0u});
    EXPECT_EQ(dummy->Surface, 0u);

    // Emitters: not on the root, not on an entity.
    EXPECT_EQ(doc_.addEmitter(*doc_.root()), nullptr);
    TPoxel* emitter = doc_.addEmitter(*dummy);
    ASSERT_TRUE(emitter);
    EXPECT_EQ(emitter->Name, "Emitter_01");
    EXPECT_EQ(emitter->LibName, "Base_01");
    EXPECT_TRUE(emitter->IsEntity);
    EXPECT_EQ(dummy->Entities.size(), 1u);
    EXPECT_EQ(doc_.addEmitter(*emitter), nullptr);
    EXPECT_EQ(doc_.addPoxel(*emitter), nullptr);
    EXPECT_EQ(doc_.addDummy(*emitter), nullptr);
    EXPECT_EQ(doc_.addEmitter(*dummy)->Name, "Emitter_02");
}

TEST_F(Document, DeleteTakesTheSubtreeAndUndoPutsBackTheSameNodes) {
    // "Island" holds Ground (with two entities), Tower and Bridge.
    TPoxel& island = *child(*doc_.root(), 0);
    ASSERT_EQ(island.Children.size(), 3u);
    TPoxel* victim = child(island, 1);
    checkUndoRedo([&] { EXPECT_TRUE(doc_.deleteNode(*victim)); });
    EXPECT_FALSE(doc_.contains(*victim));
    EXPECT_EQ(island.Children.size(), 2u);
    doc_.undoStack()->undo();
    EXPECT_EQ(child(island, 1), victim) << "back in its place";
    // An entity goes from its own list.
    TPoxel* entity = child(island, 0)->Entities.back().get();
    checkUndoRedo([&] { EXPECT_TRUE(doc_.deleteNode(*entity)); });
    EXPECT_EQ(child(island, 0)->Entities.size(), 1u);
    TPoxel& root = *doc_.root();

    // The root cannot be deleted, nor can a node of another map.
    const int steps = doc_.undoStack()->count();
    EXPECT_FALSE(doc_.deleteNode(root));
    auto stranger = makePoxel();
    EXPECT_FALSE(doc_.deleteNode(*stranger));
    EXPECT_EQ(doc_.undoStack()->count(), steps);

    // With the parent given: the same step, refused for a node the parent does not hold.
    TPoxel* bridge = child(island, 2);
    checkUndoRedo([&] { EXPECT_TRUE(doc_.removeNodeOf(island, *bridge, "Delete")); });
    doc_.undoStack()->undo();
    EXPECT_EQ(child(island, 2), bridge);
    EXPECT_FALSE(doc_.removeNodeOf(root, *bridge, "Delete"));
    EXPECT_FALSE(doc_.removeNodeOf(island, *stranger, "Delete"));
    EXPECT_EQ(doc_.undoStack()->count(), steps + 1);
}

TEST_F(Document, DeletePoxelsIsOneStepForTheWholeSelection) {
    TPoxel& root = *doc_.root();
    TPoxel& rocks = *child(root, 1);
    const std::vector<TPoxel*> picked{child(rocks, 0), child(rocks, 2), child(rocks, 3)};
    TPoxel* kept = child(rocks, 1);
    checkUndoRedo([&] { EXPECT_EQ(doc_.deleteNodes(picked), 3); });
    ASSERT_EQ(rocks.Children.size(), 2u);
    EXPECT_EQ(child(rocks, 0), kept);

    // A node whose ancestor goes first is taken along, not removed twice.
    TPoxel* parent = lastParentIn(root);
    ASSERT_TRUE(parent);
    checkUndoRedo([&] {
        EXPECT_EQ(doc_.deleteNodes({parent->Children.front().get(), parent}), 1);
    });
}

TEST_F(Document, GroupingThreeSiblingsHoldsCopiesInReverseSelectionOrder) {
    doc_.newMap();
    TPoxel& fresh = *doc_.root();
    TPoxel* a = doc_.addPoxel(fresh);
    TPoxel* b = doc_.addPoxel(fresh);
    TPoxel* c = doc_.addDummy(fresh);
    doc_.addEmitter(*b);
    TPoxel* group = nullptr;
    checkUndoRedo([&] { group = doc_.groupNodes({a, b, c}); });
    ASSERT_TRUE(group);
    EXPECT_EQ(group->Name, "Group_01");
    EXPECT_TRUE(group->IsGroup);
    ASSERT_EQ(fresh.Children.size(), 1u);
    EXPECT_EQ(fresh.Children[0].get(), group);
    ASSERT_EQ(group->Children.size(), 3u);
    EXPECT_EQ(group->Children[0]->Name, "Dummy01");
    EXPECT_EQ(group->Children[1]->Name, "Poxel02");
    EXPECT_EQ(group->Children[2]->Name, "Poxel01");
    EXPECT_EQ(group->Children[1]->Entities.size(), 1u) << "copies are deep";

    // Undo brings back the very nodes that were grouped.
    doc_.undoStack()->undo();
    ASSERT_EQ(fresh.Children.size(), 3u);
    EXPECT_EQ(fresh.Children[0].get(), a);
    EXPECT_EQ(fresh.Children[1].get(), b);
    EXPECT_EQ(fresh.Children[2].get(), c);

    // Nodes that are not siblings, or the root, are not grouped.
    TPoxel* nested = doc_.addPoxel(*a);
    EXPECT_EQ(doc_.groupNodes({b, nested}), nullptr);
    EXPECT_EQ(doc_.groupNodes({&fresh}), nullptr);
}

TEST_F(Document, DropsCopyAndRefuseTheirOwnSubtreeEntitiesAndTheRoot) {
    TPoxel& root = *doc_.root();
    TPoxel* parent = lastParentIn(root);
    ASSERT_TRUE(parent);
    TPoxel* sibling = child(root, 0) == parent ? child(root, 1) : child(root, 0);

    EXPECT_EQ(doc_.copyNodeInto(*parent, *parent), nullptr);
    EXPECT_EQ(doc_.copyNodeInto(*parent->Children.front(), *parent), nullptr);
    EXPECT_EQ(doc_.copyNodeInto(*sibling, root), nullptr);
    TPoxel* entity = doc_.addEmitter(*sibling);
    EXPECT_FALSE(MapDocument::canDropOnto(*entity));
    EXPECT_EQ(doc_.copyNodeInto(*entity, *parent), nullptr);

    int64_t cells = 0, nodes = 0;
    CountPoxels(*parent, cells, nodes);
    TPoxel* copy = nullptr;
    checkUndoRedo([&] { copy = doc_.copyNodeInto(*sibling, *parent); });
    ASSERT_TRUE(copy);
    EXPECT_EQ(sibling->Children.back().get(), copy);
    EXPECT_TRUE(doc_.contains(*parent)) << "a drop copies; the dragged node stays";
    int64_t copyCells = 0, copyNodes = 0;
    CountPoxels(*copy, copyCells, copyNodes);
    EXPECT_EQ(copyNodes, nodes);
    EXPECT_EQ(copyCells, cells);
    EXPECT_FALSE(copy->IsRoot);

    // An entity dragged onto a poxel lands among its entities.
    checkUndoRedo([&] { doc_.copyNodeInto(*parent, *entity); });
    EXPECT_EQ(parent->Entities.back()->Name, entity->Name);

    // Nodes of another map (the imported one) are copied the same way.
    MapDocument other;
    checkUndoRedo([&] { EXPECT_TRUE(doc_.copyNodeInto(root, *other.addPoxel(*other.root()))); });
}

TEST_F(Document, LibraryObjectsPreviewAndDropWithTheirEntitiesFiltered) {
    const auto path = dir_ / "Bundle22.xom";
    lwtest::writeBytes(path, lwtest::sampleLibrary().build());
    ASSERT_TRUE(doc_.listLibrary(QString::fromStdString(path.string()), nullptr).ok());
    EXPECT_TRUE(doc_.libraryLoaded());

    // Object 3 is "zeta" (index 2) with its child and the reserved entity "Bounds".
    EXPECT_FALSE(doc_.isLibraryLandObject(1)) << "the entity";
    EXPECT_FALSE(doc_.loadLibraryObject(1).value());
    EXPECT_FALSE(doc_.loadLibraryObject(99).value());
    ASSERT_TRUE(doc_.loadLibraryObject(2).value());
    ASSERT_TRUE(doc_.importObjectRoot());
    EXPECT_EQ(doc_.importObjectRoot()->Name, "zeta");
    EXPECT_EQ(doc_.importObjectRoot()->ListId, kListBase + kPreviewCounterBase);
    EXPECT_EQ(doc_.importObjectRoot()->Entities.size(), 1u) << "a preview is not filtered";
    EXPECT_EQ(doc_.undoStack()->count(), 0) << "previews are no edits";

    TPoxel& root = *doc_.root();
    Result<TPoxel*> dropped = static_cast<TPoxel*>(nullptr);
    checkUndoRedo([&] { dropped = doc_.dropLibraryObject(root, 2); });
    ASSERT_TRUE(dropped.ok() && dropped.value());
    EXPECT_EQ(dropped.value()->Name, "zeta");
    EXPECT_TRUE(dropped.value()->Entities.empty()) << "reserved entities stay out of the map";
    EXPECT_EQ(dropped.value()->Children.size(), 1u);
    EXPECT_LT(dropped.value()->ListId, kPreviewCounterBase) << "numbered with the edited map";

    // The entity itself can be dragged in; an entity target refuses.
    checkUndoRedo([&] { dropped = doc_.dropLibraryObject(root, 1); });
    EXPECT_TRUE(dropped.value()->IsEntity);
    EXPECT_EQ(doc_.dropLibraryObject(*dropped.value(), 2).value(), nullptr);
}

TEST_F(Document, FieldEditsMergeWhileTheValueKeepsChanging) {
    TPoxel* node = child(*doc_.root(), 0);
    const float x0 = node->Pos.X;
    int changed = 0;
    TPoxel* lastChanged = nullptr;
    QObject::connect(&doc_, &MapDocument::nodeChanged, [&](TPoxel* n, NodeChanges) {
        ++changed;
        lastChanged = n;
    });
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(doc_.editNode(
            *node, "Position X", NodeChange::Transform,
            [i](PoxelContent& c) { c.Pos.X += float(i); }, 7));
    EXPECT_EQ(doc_.undoStack()->count(), 1);
    EXPECT_EQ(changed, 5);
    EXPECT_FLOAT_EQ(node->Pos.X, x0 + 15.0f);

    // Another field, or another node, is another step; an edit that changes nothing is none.
    doc_.editNode(*node, "Name", NodeChange::Name, [](PoxelContent& c) { c.Name = "Renamed"; });
    doc_.editNode(
        *child(*doc_.root(), 1), "Position X", NodeChange::Transform,
        [](PoxelContent& c) { c.Pos.X = 100; }, 7);
    EXPECT_EQ(doc_.undoStack()->count(), 3);
    EXPECT_FALSE(doc_.editNode(*node, "Name", NodeChange::Name, [](PoxelContent&) {}));
    EXPECT_EQ(doc_.undoStack()->count(), 3);

    doc_.undoStack()->undo();
    doc_.undoStack()->undo();
    doc_.undoStack()->undo();
    EXPECT_EQ(node->Pos.X, x0);
    EXPECT_NE(node->Name, "Renamed");
    EXPECT_EQ(lastChanged, node);
}

TEST_F(Document, ModifiedFollowsTheSavedStateThroughUndoAndSaves) {
    int modified = 0;
    QObject::connect(&doc_, &MapDocument::modifiedChanged, [&](bool) { ++modified; });
    EXPECT_FALSE(doc_.isModified());
    EXPECT_EQ(doc_.fileName(), demoPath_);
    doc_.addPoxel(*doc_.root());
    EXPECT_TRUE(doc_.isModified());
    doc_.undoStack()->undo();
    EXPECT_FALSE(doc_.isModified()) << "back at the saved state";
    doc_.undoStack()->redo();
    EXPECT_TRUE(doc_.isModified());
    EXPECT_GE(modified, 3);

    // A save that fails changes nothing: still modified, still the old name.
    const QString nowhere = QString::fromStdString((dir_ / "no/such/folder/x.xom").string());
    EXPECT_FALSE(doc_.saveMap(nowhere).ok());
    EXPECT_TRUE(doc_.isModified());
    EXPECT_EQ(doc_.fileName(), demoPath_);

    const QString saved = QString::fromStdString((dir_ / "saved.xom").string());
    ASSERT_TRUE(doc_.saveMap(saved).ok());
    EXPECT_FALSE(doc_.isModified());
    EXPECT_EQ(doc_.fileName(), saved);
    doc_.undoStack()->undo();
    EXPECT_TRUE(doc_.isModified()) << "the saved state is the one with the poxel";

    // A recovered map is modified with nothing to undo, until it is saved.
    doc_.adoptMap(makeDemoMap(), saved, true);
    EXPECT_TRUE(doc_.isModified());
    EXPECT_FALSE(doc_.undoStack()->canUndo());
    ASSERT_TRUE(doc_.saveMap(saved).ok());
    EXPECT_FALSE(doc_.isModified());
}

TEST_F(Document, BadFilesLeaveEveryDocumentAsItWas) {
    doc_.addPoxel(*doc_.root());
    const TPoxel* root = doc_.root();
    const auto before = snapshot(*root);
    int replaced = 0;
    QObject::connect(&doc_, &MapDocument::documentAboutToBeReplaced, [&] { ++replaced; });

    const auto truncated = dir_ / "cut.xom";
    auto bytes = lwtest::readBytes(demoPath_.toStdString());
    bytes.resize(bytes.size() / 2);
    lwtest::writeBytes(truncated, bytes);
    const auto garbage = dir_ / "garbage.xom";
    lwtest::writeBytes(garbage, std::vector<uint8_t>(5000, 0xAB));
    const auto fifo = dir_ / "pipe.xom";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const auto& bad : {truncated, garbage, dir_ / "missing.xom", dir_.path(), fifo}) {
        const QString name = QString::fromStdString(bad.string());
        const Status opened = doc_.openMap(name);
        ASSERT_FALSE(opened.ok()) << bad;
        EXPECT_EQ(opened.error().text, "Bad Xom Format File!");
        EXPECT_FALSE(opened.error().detail.empty());
        EXPECT_FALSE(doc_.importMap(name).ok());
        EXPECT_FALSE(doc_.listLibrary(name, nullptr).ok());
    }
    // What the name is, said before a byte is read (a FIFO would wait for a writer).
    EXPECT_NE(doc_.openMap(QString::fromStdString(dir_.path().string()))
                  .error()
                  .detail.find("is a folder"),
              std::string::npos);
    EXPECT_NE(doc_.openMap(QString::fromStdString(fifo.string()))
                  .error()
                  .detail.find("is not a regular file"),
              std::string::npos);
    EXPECT_EQ(replaced, 0);
    EXPECT_EQ(doc_.root(), root);
    EXPECT_EQ(snapshot(*doc_.root()), before);
    EXPECT_TRUE(doc_.isModified());
    EXPECT_EQ(doc_.undoStack()->count(), 1);
    EXPECT_EQ(doc_.importMapRoot(), nullptr);
    EXPECT_FALSE(doc_.libraryLoaded());
}

TEST_F(Document, FileNamesAreKeptAbsoluteWhateverTheWorkingFolder) {
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir_.path().string())));
    std::filesystem::create_directory(dir_ / "sub");
    const Status opened = doc_.openMap(QStringLiteral("sub/../demo.xom"));
    const Status saved = doc_.saveMap(QStringLiteral("./sub/copy.xom"));
    QDir::setCurrent(before);
    ASSERT_TRUE(opened.ok());
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(doc_.fileName(),
              canonicalFileName(QString::fromStdString((dir_ / "sub" / "copy.xom").string())));
    EXPECT_TRUE(QDir::isAbsolutePath(doc_.fileName()));
    EXPECT_FALSE(doc_.fileName().contains(QStringLiteral("./")));
}

TEST_F(Document, ChangesOfAnotherProgramToTheFileAreSeen) {
    const std::string file = demoPath_.toStdString();
    EXPECT_EQ(doc_.diskChange(), DiskChange::None);
    // Touched, same content: no change.
    const auto bytes = lwtest::readBytes(file);
    struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), later, 0), 0);
    EXPECT_EQ(doc_.diskChange(), DiskChange::None);
    // Written by someone else at the same size: the content tells.
    auto other = bytes;
    other[other.size() / 2] ^= 0x55;
    lwtest::writeBytes(file, other);
    EXPECT_EQ(doc_.diskChange(), DiskChange::Changed);
    // Our own save is what the file holds again.
    ASSERT_TRUE(doc_.saveMap(demoPath_).ok());
    EXPECT_EQ(doc_.diskChange(), DiskChange::None);
    // Deleted: the map is marked unsaved so that leaving asks; saving writes it again.
    std::filesystem::remove(file);
    EXPECT_EQ(doc_.diskChange(), DiskChange::Deleted);
    doc_.markDeletedOnDisk();
    EXPECT_TRUE(doc_.isModified());
    EXPECT_EQ(doc_.diskChange(), DiskChange::None);
    ASSERT_TRUE(doc_.saveMap(demoPath_).ok());
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_FALSE(doc_.isModified());
}

TEST_F(Document, RemovalIsAnnouncedBeforeTheNodeLeavesAndTheHistoryIsBounded) {
    TPoxel& root = *doc_.root();
    TPoxel* victim = child(root, 0);
    bool stillThere = false;
    QObject::connect(&doc_, &MapDocument::nodeAboutToBeRemoved, [&](TPoxel* parent, TPoxel* node) {
        stillThere = parent == &root && node == victim && doc_.contains(*node);
    });
    doc_.deleteNode(*victim);
    EXPECT_TRUE(stillThere);

    for (int i = 0; i < MapDocument::kUndoLimit + 50; ++i)
        doc_.addDummy(root);
    EXPECT_EQ(doc_.undoStack()->count(), MapDocument::kUndoLimit);
}

TEST(InfoLine, CountsNodesAndCellsOfTheSubtree) {
    auto poxel = makePoxel(2, 2, 2);
    AddChildPoxel(*poxel, makePoxel(2, 2, 2));
    AddEntity(*poxel, makePoxel(3, 3, 3)); // entities do not count
    int64_t cells = 0, nodes = 0;
    CountPoxels(*poxel, cells, nodes);
    EXPECT_EQ(
        formatLangText(langText("[mnuTreeInfo]"), {QString::number(nodes), QString::number(cells)}),
        "[2] poxels have [16] voxels");
    // A translated pattern with other directives, too few arguments or a percent sign.
    EXPECT_EQ(formatLangText("%s - %5.2d%% %x", {"a", "b"}), "a - b% ");
}

// ---- Cut, copy, paste and duplicate ---------------------------------------------------------

namespace {

// The root of an empty map, made without resetting the numbering of the open one.
std::unique_ptr<TPoxel> emptyRoot() {
    auto root = makePoxel();
    root->IsRoot = true;
    root->IsGroup = true;
    FillVoxels(*root, 0);
    return root;
}

std::vector<uint8_t> fragmentOf(const std::vector<TPoxel*>& nodes) {
    auto fragment = copyNodes(nodes);
    EXPECT_TRUE(fragment.ok()) << (fragment.ok() ? "" : fragment.error().message());
    return fragment.ok() ? fragment->bytes : std::vector<uint8_t>{};
}

} // namespace

TEST_F(Document, CopiedNodesPasteAsCopiesIntoGroupsPoxelsAndAnotherMap) {
    TPoxel& root = *doc_.root();
    TPoxel& island = *child(root, 0);
    TPoxel& rocks = *child(root, 1);
    TPoxel& ground = *child(island, 0);
    TPoxel& tower = *child(island, 1);
    TPoxel* emitter = ground.Entities.front().get();

    // Copying leaves the map and the numbering of new nodes as they were.
    const auto bytes = mapBytes(root);
    const int32_t counter = PoxelCounter();
    auto fragment = copyNodes({&tower, emitter});
    ASSERT_TRUE(fragment.ok());
    EXPECT_EQ(fragment->nodeCount, 2);
    EXPECT_EQ(fragment->text, "Landwright map nodes: Tower, Emitter_01");
    EXPECT_EQ(mapBytes(root), bytes);
    EXPECT_EQ(PoxelCounter(), counter);

    // Into a group: the poxel among the children, the entity among the entities, both deep
    // copies with names as they were and identities of their own.
    Result<std::vector<TPoxel*>> pasted = std::vector<TPoxel*>{};
    checkUndoRedo([&] { pasted = pasteNodes(doc_, rocks, fragment->bytes); });
    ASSERT_TRUE(pasted.ok()) << pasted.error().message();
    ASSERT_EQ(pasted->size(), 2u);
    EXPECT_EQ(rocks.Entities.back().get(), (*pasted)[0]);
    EXPECT_EQ(rocks.Children.back().get(), (*pasted)[1]);
    EXPECT_EQ(lwtest::firstDifference(*(*pasted)[0], *emitter), "");
    EXPECT_EQ(lwtest::firstDifference(*(*pasted)[1], tower), "");
    for (TPoxel* copy : *pasted)
        EXPECT_EQ(doc_.findByListId(copy->ListId), copy) << "a fresh identity";

    // Entities paste onto a poxel; a copy of nodes with their descendant is one subtree.
    checkUndoRedo([&] { pasted = pasteNodes(doc_, ground, fragmentOf({emitter})); });
    EXPECT_EQ(ground.Entities.size(), 3u);
    checkUndoRedo([&] {
        pasted = pasteNodes(doc_, *child(rocks, 0), fragmentOf({&island, &ground}));
    });
    ASSERT_EQ(pasted->size(), 1u);
    EXPECT_EQ(lwtest::firstDifference(*(*pasted)[0], island), "");
    // The clipboard holds a snapshot, so unlike a drag it may go into the copied node itself.
    EXPECT_TRUE(pasteNodes(doc_, tower, fragmentOf({&island})).ok());

    // From another map, as from the imported map into the edited one.
    MapDocument other;
    TPoxel* stranger = other.addPoxel(*other.root());
    checkUndoRedo([&] { pasted = pasteNodes(doc_, root, fragmentOf({stranger})); });
    EXPECT_EQ(root.Children.back()->Name, stranger->Name);
}

TEST_F(Document, PasteIsRefusedWhereADropIsRefused) {
    TPoxel& root = *doc_.root();
    TPoxel& ground = *child(*child(root, 0), 0);
    const auto fragment = fragmentOf({child(root, 1)});
    const auto bytes = mapBytes(root);
    MapDocument other;
    struct Case {
        const char* what;
        TPoxel* target;
    };
    for (const Case& c : {Case{"an entity", ground.Entities.front().get()},
                          Case{"a node of another map", other.root()}}) {
        auto pasted = pasteNodes(doc_, *c.target, fragment);
        ASSERT_FALSE(pasted.ok()) << c.what;
        EXPECT_EQ(pasted.error().key, "sCannotPasteNodes");
        EXPECT_FALSE(pasted.error().detail.empty());
        EXPECT_FALSE(canPasteInto(doc_, *c.target));
    }
    EXPECT_TRUE(canPasteInto(doc_, root));
    EXPECT_EQ(doc_.undoStack()->count(), 0);
    EXPECT_EQ(mapBytes(root), bytes);

    // The root is never copied, cut or duplicated; nothing at all is no selection.
    for (const std::vector<TPoxel*>& nodes : {std::vector<TPoxel*>{&root}, {}}) {
        EXPECT_EQ(copyNodes(nodes).error().key, "sCannotCopyNodes");
        EXPECT_FALSE(cutNodes(doc_, nodes).ok());
        EXPECT_FALSE(duplicateNodes(doc_, nodes).ok());
    }
    // Nodes of another map can be copied but not cut or duplicated here.
    TPoxel* stranger = other.addPoxel(*other.root());
    EXPECT_TRUE(copyNodes({stranger}).ok());
    EXPECT_EQ(cutNodes(doc_, {stranger}).error().key, "sCannotCutNodes");
    EXPECT_EQ(duplicateNodes(doc_, {stranger}).error().key, "sCannotDuplicateNodes");
    EXPECT_EQ(doc_.undoStack()->count(), 0);
    EXPECT_EQ(mapBytes(root), bytes);
}

TEST_F(Document, CutAndPasteAreTwoStepsThatUndoToTheSameBytes) {
    TPoxel& root = *doc_.root();
    TPoxel& island = *child(root, 0);
    TPoxel& rocks = *child(root, 1);
    const std::vector<TPoxel*> picked{child(rocks, 2), child(rocks, 0)};
    const std::string firstName = picked[1]->Name;
    const auto before = mapBytes(root);
    Result<NodeFragment> cut = NodeFragment{};
    checkUndoRedo([&] { cut = cutNodes(doc_, picked); });
    ASSERT_TRUE(cut.ok());
    EXPECT_FALSE(doc_.contains(*picked[0]));
    EXPECT_FALSE(doc_.contains(*picked[1]));
    checkUndoRedo([&] { ASSERT_TRUE(pasteNodes(doc_, island, cut->bytes).ok()); });
    EXPECT_EQ(island.Children[island.Children.size() - 1]->Name, firstName)
        << "pasted in the order they were picked";
    const auto after = mapBytes(root);
    doc_.undoStack()->undo();
    doc_.undoStack()->undo();
    EXPECT_EQ(mapBytes(root), before);
    EXPECT_EQ(child(rocks, 0), picked[1]) << "the very nodes are back in their places";
    doc_.undoStack()->redo();
    doc_.undoStack()->redo();
    EXPECT_EQ(mapBytes(root), after);
}

TEST_F(Document, DuplicateAppendsCopiesBesideTheOriginalsAsOneStep) {
    TPoxel& root = *doc_.root();
    TPoxel& island = *child(root, 0);
    TPoxel& ground = *child(island, 0);
    TPoxel* emitter = ground.Entities.front().get();
    const size_t children = island.Children.size();
    Result<std::vector<TPoxel*>> copies = std::vector<TPoxel*>{};
    // The emitter lies below a picked node: it is copied with it, not once more on its own.
    checkUndoRedo([&] { copies = duplicateNodes(doc_, {child(island, 2), emitter, &ground}); });
    ASSERT_TRUE(copies.ok());
    ASSERT_EQ(copies->size(), 2u);
    ASSERT_EQ(island.Children.size(), children + 2);
    EXPECT_EQ(island.Children[children].get(), (*copies)[0]);
    EXPECT_EQ(lwtest::firstDifference(*(*copies)[1], ground), "");
    EXPECT_EQ(ground.Entities.size(), 2u);
    checkUndoRedo([&] { copies = duplicateNodes(doc_, {emitter}); });
    EXPECT_EQ(ground.Entities.back().get(), copies->front());
}

// Clipboard data comes from any program: whatever it holds, a paste either succeeds or says why
// and leaves the map, its history and the numbering of new nodes exactly as they were.
TEST_F(Document, HostileOrTruncatedFragmentsAreRefusedAndChangeNothing) {
    TPoxel& root = *doc_.root();
    const auto good = fragmentOf({child(root, 0), child(root, 1)});
    std::vector<std::pair<std::string, std::vector<uint8_t>>> bad{
        {"nothing", {}},
        {"text", {'R', 'o', 'c', 'k', '\n'}},
        {"noise", std::vector<uint8_t>(4096, 0x5A)},
        {"a map without nodes", lwtest::mapBytes(*emptyRoot())},
    };
    for (size_t keep : {size_t(4), size_t(64), good.size() / 3, good.size() / 2, good.size() - 30})
        bad.push_back({"cut to " + std::to_string(keep),
                       std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(keep))});
    // Counts and references grown past what the records hold.
    for (size_t at = 64; at < good.size(); at += good.size() / 40) {
        auto flipped = good;
        flipped[at] = 0xFF;
        flipped[at + 1] ^= 0x7F;
        bad.push_back({"bytes at " + std::to_string(at), std::move(flipped)});
    }

    doc_.addPoxel(root);
    const auto bytes = mapBytes(root);
    const auto state = snapshot(root);
    int32_t counter = PoxelCounter();
    int refused = 0;
    for (auto& [what, data] : bad) {
        auto pasted = pasteNodes(doc_, root, data);
        if (pasted.ok()) {
            // A change the reader cannot tell from a real value (a float, a cell code).
            doc_.undoStack()->undo();
            counter = PoxelCounter();
            continue;
        }
        ++refused;
        EXPECT_EQ(pasted.error().key, "sCannotPasteNodes") << what;
        EXPECT_FALSE(pasted.error().detail.empty()) << what;
        EXPECT_EQ(PoxelCounter(), counter) << what;
        EXPECT_EQ(doc_.undoStack()->index(), 1) << what;
    }
    EXPECT_GE(refused, 9);
    doc_.undoStack()->setIndex(1);
    EXPECT_EQ(snapshot(root), state);
    EXPECT_EQ(mapBytes(root), bytes);
}

// The editable document: deleting a subtree of 5,000 nodes and undoing it, alone and with the
// main window's map tree following; 1,000 small edits and the save after them; the map tree's
// filter over 5,000 poxels (a letter typed and taken back) against filling that tree.

#include "core/MapGenerator.h"
#include "editor/MapDocument.h"
#include "editor/gui/MainForm.h"
#include "editor/gui/MapTreeFilter.h"
#include "editor/gui/TreeWidgetSink.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

using namespace lw;

namespace {

// The generated 5,000-poxel map with all of its nodes under one group.
std::unique_ptr<TPoxel> mapWithOneBigGroup() {
    auto generated = makeGeneratedMap(5000);
    auto root = makePoxel();
    root->IsRoot = root->IsGroup = true;
    root->Name = "Root";
    root->Voxels[0] = 0;
    auto group = makePoxel();
    group->IsGroup = true;
    group->Voxels[0] = 0;
    group->Name = "Everything";
    group->Children = std::move(generated->Children);
    generated->Children.clear();
    root->Children.push_back(std::move(group));
    return root;
}

void deleteAndUndo(benchmark::State& state, MapDocument& doc) {
    int64_t cells = 0, nodes = 0;
    CountPoxels(*doc.root()->Children[0], cells, nodes);
    for (auto _ : state) {
        TPoxel* group = doc.root()->Children[0].get();
        if (!doc.deleteNode(*group))
            state.SkipWithError("refused");
        doc.undoStack()->undo();
    }
    state.counters["nodes"] = double(nodes);
}

void BM_DeleteAndUndo5000NodeSubtree(benchmark::State& state) {
    MapDocument doc;
    doc.adoptMap(mapWithOneBigGroup(), QString(), false);
    deleteAndUndo(state, doc);
}
BENCHMARK(BM_DeleteAndUndo5000NodeSubtree)->Unit(benchmark::kMillisecond);

void BM_DeleteAndUndo5000NodeSubtreeWithTheMapTree(benchmark::State& state) {
    TMainForm form;
    form.document().adoptMap(mapWithOneBigGroup(), QString(), false);
    deleteAndUndo(state, form.document());
}
BENCHMARK(BM_DeleteAndUndo5000NodeSubtreeWithTheMapTree)->Unit(benchmark::kMillisecond);

void BM_ThousandEditsThenSave(benchmark::State& state) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("edited.xom"));
    for (auto _ : state) {
        state.PauseTiming();
        MapDocument doc;
        doc.adoptMap(makeGeneratedMap(5000), QString(), false);
        std::vector<TPoxel*> targets;
        for (auto& group : doc.root()->Children)
            for (auto& c : group->Children)
                targets.push_back(c.get());
        state.ResumeTiming();
        for (int i = 0; i < 1000; ++i)
            doc.editNode(*targets[size_t(i) % targets.size()], QStringLiteral("Position X"),
                         NodeChange::Transform, [](PoxelContent& c) { c.Pos.X += 0.5f; });
        if (!doc.saveMap(file))
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_ThousandEditsThenSave)->Unit(benchmark::kMillisecond);

// The tree of the generated map as the window fills it on Open.
void BM_FillMapTree5000(benchmark::State& state) {
    auto map = makeGeneratedMap(5000);
    QTreeWidget tree;
    for (auto _ : state) {
        tree.clear();
        TreeWidgetSink sink(&tree);
        addTreeItems(*map, sink, nullptr);
    }
}
BENCHMARK(BM_FillMapTree5000)->Unit(benchmark::kMillisecond);

// Two runs of the filter: a name typed (a few matches) and the field emptied again.
void BM_FilterMapTree5000(benchmark::State& state) {
    auto map = makeGeneratedMap(5000);
    QTreeWidget tree;
    TreeWidgetSink sink(&tree);
    addTreeItems(*map, sink, nullptr);
    size_t found = 0;
    for (auto _ : state) {
        found = filterTreeItems(tree, QStringLiteral("poxel42")).size();
        filterTreeItems(tree, QString());
    }
    state.counters["matches"] = double(found);
}
BENCHMARK(BM_FilterMapTree5000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

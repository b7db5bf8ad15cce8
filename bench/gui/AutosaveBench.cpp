// Autosave of the 5,000-poxel map: what the window's thread spends on each copy (encoding the
// map) against the whole copy (the write and the wait for the disk, on the worker), and a
// snapshot of the tree, the other way to get the map off the window's thread.

#include "core/MapGenerator.h"
#include "core/MapWriter.h"
#include "editor/Autosaver.h"
#include "editor/MapDocument.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace lw;

namespace {

struct EditedMap {
    EditedMap() {
        doc.adoptMap(makeGeneratedMap(5000), QString(), false);
        for (auto& group : doc.root()->Children)
            for (auto& c : group->Children)
                targets.push_back(c.get());
    }
    void edit() {
        TPoxel* node = targets[next++ % targets.size()];
        doc.editNode(*node, QStringLiteral("Position X"), NodeChange::Transform,
                     [](PoxelContent& c) { c.Pos.X += 0.5f; });
    }
    MapDocument doc;
    std::vector<TPoxel*> targets;
    size_t next = 0;
};

// One autosave at each interval: the part on the window's thread, or (`whole`) the whole copy
// until it is on the disk.
void autosaves(benchmark::State& state, bool whole) {
    QTemporaryDir dir;
    EditedMap map;
    Autosaver saver(map.doc, dir.path());
    for (auto _ : state) {
        state.PauseTiming();
        map.edit();
        state.ResumeTiming();
        if (!saver.writeNow())
            state.SkipWithError("nothing written");
        if (!whole)
            state.PauseTiming();
        saver.waitForWrites();
        if (!whole)
            state.ResumeTiming();
    }
    state.counters["bytes"] = double(encodeMap(*map.doc.root()).value().size());
}

void BM_AutosaveOnTheWindowThread5000(benchmark::State& state) {
    autosaves(state, false);
}
BENCHMARK(BM_AutosaveOnTheWindowThread5000)->Unit(benchmark::kMillisecond);

void BM_AutosaveWholeCopy5000(benchmark::State& state) {
    autosaves(state, true);
}
BENCHMARK(BM_AutosaveWholeCopy5000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A deep copy of the tree, for comparison with encoding it.
void BM_SnapshotTree5000(benchmark::State& state) {
    EditedMap map;
    for (auto _ : state) {
        auto copy = makePoxel();
        ClonePoxel(*copy, *map.doc.root(), nullptr, nullptr);
        benchmark::DoNotOptimize(copy.get());
    }
}
BENCHMARK(BM_SnapshotTree5000)->Unit(benchmark::kMillisecond);

} // namespace

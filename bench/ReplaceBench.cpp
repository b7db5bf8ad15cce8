// Replacer runs over generated maps of 5,000 and 20,000 poxels.

#include "core/MapGenerator.h"
#include "editor/MapDocument.h"
#include "replace/DocumentReplace.h"
#include "replace/Replacer.h"

#include <benchmark/benchmark.h>

namespace {

void runQuery(benchmark::State& state, const char* find, const char* replace) {
    auto root = lw::makeGeneratedMap(int(state.range(0)));
    lw::ReplaceSettings settings;
    settings.Seed = 1;
    qsizetype lines = 0;
    for (auto _ : state) {
        auto report = lw::runReplacer(*root, *root, find, replace, settings);
        lines = report.Log.size();
        benchmark::DoNotOptimize(report);
    }
    state.counters["log_lines"] = double(lines);
}

// The walk and the conditions alone: nothing matches.
void BM_ReplaceFindOnly(benchmark::State& state) {
    runQuery(state, "(Dummy=False)&(Pos.X=123456.5)", "(Name=x)");
}

// Six numeric operations on every node that is not an entity (a zoom by 1 keeps values stable).
void BM_ReplaceZoom(benchmark::State& state) {
    runQuery(state, "(Emitter=False)", "(Zoom=1)");
}

// Every cell of every poxel compared with a swap of two boxes.
void BM_ReplaceTextureSwap(benchmark::State& state) {
    runQuery(state, "(Dummy=False)&(Emitter=False)", "(Texture=1>>2,2>>1)");
}

// The editor's run: the walk, taken back and done again through the document as one step, then
// that step undone (the history holds every changed node's fields twice).
void BM_ReplaceInDocumentZoomAndUndo(benchmark::State& state) {
    lw::MapDocument doc;
    doc.adoptMap(lw::makeGeneratedMap(int(state.range(0))), QString(), false);
    lw::ReplaceSettings settings;
    settings.Seed = 1;
    for (auto _ : state) {
        auto report =
            lw::replaceInDocument(doc, *doc.root(), "(Emitter=False)", "(Zoom=1.5)", settings);
        doc.undoStack()->undo();
        benchmark::DoNotOptimize(report);
    }
}

// Deleting about a quarter of the poxels: one removal command each, undone.
void BM_ReplaceInDocumentDeleteAndUndo(benchmark::State& state) {
    lw::MapDocument doc;
    doc.adoptMap(lw::makeGeneratedMap(int(state.range(0))), QString(), false);
    lw::ReplaceSettings settings;
    int removed = 0;
    for (auto _ : state) {
        auto report =
            lw::replaceInDocument(doc, *doc.root(), "(Dummy=False)&(Emitter=False)&(Rot.Y=90)",
                                  "(Poxel=Delete)", settings);
        removed = report.Removed;
        doc.undoStack()->undo();
    }
    state.counters["removed"] = double(removed);
}

} // namespace

BENCHMARK(BM_ReplaceFindOnly)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceZoom)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceTextureSwap)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceInDocumentZoomAndUndo)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceInDocumentDeleteAndUndo)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

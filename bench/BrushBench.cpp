// The brushes on the largest poxel (30 x 25 x 30, both smoothings, textured), each sample
// through the document with the mesh rebuilt as the window rebuilds it: a fill sample, the same
// with the pick pass that finds its cell, a height sample of radius 10, and the undo of a stroke
// of 200 samples.

#include "BenchContext.h"
#include "LargestPoxel.h"
#include "editor/Brushes.h"
#include "core/MapGenerator.h"
#include "editor/MapDocument.h"
#include "render/MeshSamples.h"
#include "render/gl/PoxelLists.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <random>

using namespace lw;

namespace {

const TTextureList kTable = lwtest::numberedTextureTable();

// A document holding the largest poxel, rebuilt on every geometry change like the window's.
struct BrushDocument {
    MapDocument doc;
    TPoxel* node = nullptr;

    BrushDocument() {
        auto root = newMapRoot();
        node = AddChildPoxel(*root, lwbench::largestPoxel(false));
        doc.adoptMap(std::move(root), QString(), false);
        gl::BuildPoxelMesh(*node, &kTable);
        QObject::connect(&doc, &MapDocument::nodeChanged, [](TPoxel* n, NodeChanges what) {
            if (what & NodeChange::Geometry)
                gl::BuildPoxelMesh(*n, &kTable);
        });
    }
};

void fillSamples(benchmark::State& state, bool pick) {
    if (!lwbench::glContext(state))
        return;
    BrushDocument b;
    BrushStroke stroke;
    stroke.begin(BrushKind::Fill);
    std::mt19937 rng(7);
    std::uniform_int_distribution<size_t> cell(0, b.node->Voxels.size() - 1);
    const uint32_t codes[2] = {fillCodeOf({5, 6, 3, 0}), fillCodeOf({7, 2, 0, 12})};
    size_t n = 0;
    for (auto _ : state) {
        if (pick) {
            // The pick pass that names the cell: the poxel in its cell identities.
            b.node->DirectDraw = true;
            gl::BuildPoxelMesh(*b.node, nullptr);
            b.node->DirectDraw = false;
        }
        paintCell(b.doc, *b.node, cell(rng), codes[n++ % 2], stroke);
        glFinish();
    }
    state.counters["steps"] = double(b.doc.undoStack()->count());
}

void BM_BrushFillSample(benchmark::State& state) {
    fillSamples(state, false);
}
BENCHMARK(BM_BrushFillSample)->Unit(benchmark::kMillisecond);

void BM_BrushFillSampleWithPick(benchmark::State& state) {
    fillSamples(state, true);
}
BENCHMARK(BM_BrushFillSampleWithPick)->Unit(benchmark::kMillisecond);

void BM_BrushHeightSampleRadius10(benchmark::State& state) {
    if (!lwbench::glContext(state))
        return;
    BrushDocument b;
    TPickArray picks;
    picks.Radius = 10;
    picks.SetOnly(1001 + 15 + 1000 * 15);
    BrushStroke session;
    session.begin(BrushKind::Heights);
    const HeightSnapshot snapshot = b.node->Heights;
    double h = 0;
    for (auto _ : state) {
        h += 0.25;
        paintHeights(b.doc, *b.node, snapshot, picks, h, session);
        glFinish();
    }
    state.counters["steps"] = double(b.doc.undoStack()->count());
}
BENCHMARK(BM_BrushHeightSampleRadius10)->Unit(benchmark::kMillisecond);

void BM_BrushUndoStrokeOf200Samples(benchmark::State& state) {
    if (!lwbench::glContext(state))
        return;
    BrushDocument b;
    BrushStroke stroke;
    stroke.begin(BrushKind::Erase);
    gl::keepSlabBuffersForUndo(); // as the window does when a stroke begins
    std::mt19937 rng(9);
    std::uniform_int_distribution<size_t> cell(0, b.node->Voxels.size() - 1);
    for (int i = 0; i < 200; ++i)
        paintCell(b.doc, *b.node, cell(rng), 0, stroke);
    stroke.end();
    if (b.doc.undoStack()->count() != 1)
        state.SkipWithError("the stroke is not one step");
    for (auto _ : state) {
        b.doc.undoStack()->undo();
        glFinish();
        state.PauseTiming();
        b.doc.undoStack()->redo();
        glFinish();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BrushUndoStrokeOf200Samples)->Unit(benchmark::kMillisecond);

} // namespace

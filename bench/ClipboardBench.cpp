// Copy and paste of a subtree of 5,000 poxels (with its groups and entities) through the
// clipboard format, in its parts: encoding the copied nodes, decoding the clipboard's bytes and
// inserting the nodes into the map, and the whole round trip. The floor beside them is what a
// drop in the map tree does with the same subtree: a direct deep copy inserted into the map.

#include "core/MapGenerator.h"
#include "editor/ClipboardEdits.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kPoxels = 5000;

// A document whose map holds one group with the generated map's nodes below it.
struct Scene {
    lw::MapDocument doc;
    lw::TPoxel* subtree = nullptr;
    int64_t nodes = 0;

    Scene() {
        auto generated = lw::makeGeneratedMap(kPoxels);
        auto group = lw::makePoxel();
        group->Name = "Copied";
        group->IsGroup = true;
        lw::FillVoxels(*group, 0);
        for (auto& child : generated->Children)
            group->Children.push_back(std::move(child));
        doc.adoptMap(std::move(generated), {}, false);
        subtree = doc.insertNode(*doc.root(), std::move(group), "Add");
        doc.undoStack()->clear();
        std::vector<const lw::TPoxel*> stack{subtree};
        while (!stack.empty()) {
            const lw::TPoxel* n = stack.back();
            stack.pop_back();
            ++nodes;
            for (const auto* list : {&n->Entities, &n->Children})
                for (const auto& c : *list)
                    stack.push_back(c.get());
        }
    }

    // Takes the last paste back and forgets it, outside the measured time.
    void undoPaste(benchmark::State& state) {
        state.PauseTiming();
        doc.undoStack()->undo();
        doc.undoStack()->clear();
        state.ResumeTiming();
    }

    void report(benchmark::State& state) const {
        state.counters["nodes"] = double(nodes);
        state.counters["nodes_per_s"] =
            benchmark::Counter(double(nodes), benchmark::Counter::kIsIterationInvariantRate);
    }
};

Scene& scene() {
    static Scene s;
    return s;
}

void BM_CopyPaste_Encode(benchmark::State& state) {
    Scene& s = scene();
    size_t bytes = 0;
    for (auto _ : state) {
        auto fragment = lw::copyNodes({s.subtree});
        bytes = fragment->bytes.size();
        benchmark::DoNotOptimize(fragment);
    }
    s.report(state);
    state.counters["fragment_bytes"] = double(bytes);
}

void BM_CopyPaste_Decode(benchmark::State& state) {
    Scene& s = scene();
    const auto fragment = lw::copyNodes({s.subtree})->bytes;
    for (auto _ : state) {
        auto nodes = lw::decodeNodeFragment(fragment);
        benchmark::DoNotOptimize(nodes);
    }
    s.report(state);
}

void BM_CopyPaste_Insert(benchmark::State& state) {
    Scene& s = scene();
    const auto fragment = lw::copyNodes({s.subtree})->bytes;
    for (auto _ : state) {
        state.PauseTiming();
        auto nodes = std::move(*lw::decodeNodeFragment(fragment));
        state.ResumeTiming();
        // What a paste does once the nodes are decoded.
        s.doc.beginStep("Paste");
        for (auto& node : nodes)
            s.doc.insertNode(*s.doc.root(), std::move(node), "Paste");
        s.doc.endStep();
        s.undoPaste(state);
    }
    s.report(state);
}

void BM_CopyPaste_RoundTrip(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        auto fragment = lw::copyNodes({s.subtree});
        auto pasted = lw::pasteNodes(s.doc, *s.doc.root(), std::move(fragment->bytes));
        benchmark::DoNotOptimize(pasted);
        s.undoPaste(state);
    }
    s.report(state);
}

// The floor: a drop of the same subtree onto the root.
void BM_CopyPaste_DropFloor(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.doc.copyNodeInto(*s.doc.root(), *s.subtree));
        s.undoPaste(state);
    }
    s.report(state);
}

} // namespace

BENCHMARK(BM_CopyPaste_Encode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyPaste_Decode)->Unit(benchmark::kMillisecond);
// The inserting itself is quick beside the decoding and undoing around it, which are not
// measured; a fixed count keeps the run short.
BENCHMARK(BM_CopyPaste_Insert)->Iterations(50)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyPaste_RoundTrip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyPaste_DropFloor)->Unit(benchmark::kMillisecond);

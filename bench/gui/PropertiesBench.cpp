// Filling the property page when a node is selected: the largest poxel the format holds
// (30 x 25 x 30: 22,500 rows in the cell code table, a 31 x 31 height grid) and the smallest,
// each selected after another node, with and without painting the page.

#include "core/MapGenerator.h"
#include "editor/MapDocument.h"
#include "editor/gui/PropertiesPage.h"

#include <QScrollArea>

#include <benchmark/benchmark.h>

using namespace lw;

namespace {

std::unique_ptr<TPoxel> filledPoxel(int nx, int ny, int nz) {
    auto p = makePoxel(nx, ny, nz);
    p->Name = "Block";
    for (size_t i = 0; i < p->Voxels.size(); ++i)
        p->Voxels[i] = uint32_t(4 * (i % 64) + 3) | uint32_t(i % 16) << 16;
    for (size_t x = 0; x < p->Heights.size(); ++x)
        for (size_t z = 0; z < p->Heights[x].size(); ++z)
            p->Heights[x][z] = 0.01f * float(x * z);
    return p;
}

struct Bench {
    MapDocument doc;
    QScrollArea box;
    TPropertiesPage* page = nullptr;
    TPoxel* node = nullptr;
    TPoxel* other = nullptr;

    Bench(int nx, int ny, int nz) {
        auto root = newMapRoot();
        node = AddChildPoxel(*root, filledPoxel(nx, ny, nz));
        other = AddChildPoxel(*root, filledPoxel(2, 3, 4));
        doc.adoptMap(std::move(root), QString(), false);
        page = new TPropertiesPage(doc, &box);
        box.setWidgetResizable(true);
        box.setWidget(page);
        box.resize(300, 760);
    }
};

void fill(benchmark::State& state, int nx, int ny, int nz, bool paint) {
    Bench b(nx, ny, nz);
    for (auto _ : state) {
        state.PauseTiming();
        b.page->FillPanels(b.other, true);
        state.ResumeTiming();
        b.page->FillPanels(b.node, true);
        if (paint)
            benchmark::DoNotOptimize(b.box.grab());
    }
    state.counters["cells"] = double(b.node->Voxels.size());
}

void BM_FillPanelsLargestPoxel(benchmark::State& state) {
    fill(state, 30, 25, 30, false);
}
BENCHMARK(BM_FillPanelsLargestPoxel)->Unit(benchmark::kMicrosecond);

void BM_FillPanelsSmallestPoxel(benchmark::State& state) {
    fill(state, 1, 1, 1, false);
}
BENCHMARK(BM_FillPanelsSmallestPoxel)->Unit(benchmark::kMicrosecond);

void BM_FillAndPaintLargestPoxel(benchmark::State& state) {
    fill(state, 30, 25, 30, true);
}
BENCHMARK(BM_FillAndPaintLargestPoxel)->Unit(benchmark::kMillisecond);

void BM_FillAndPaintSmallestPoxel(benchmark::State& state) {
    fill(state, 1, 1, 1, true);
}
BENCHMARK(BM_FillAndPaintSmallestPoxel)->Unit(benchmark::kMillisecond);

} // namespace

// Picture resampling for the heightmap dialog and terrain tiles from a heightmap file.

#include "io/GreyPicture.h"
#include "io/HeightPicture.h"
#include "io/HeightmapFile.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

lw::GreyPicture pattern(int size) {
    lw::GreyPicture p(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            p.at(x, y) = uint8_t((x * 7 + y * 13 + (x * y) / 5) & 0xFF);
    return p;
}

// A picture of `range(0)` pixels square resampled to `range(1)` square.
void BM_ResamplePicture(benchmark::State& state) {
    const lw::GreyPicture source = pattern(int(state.range(0)));
    const int target = int(state.range(1));
    for (auto _ : state) {
        auto out = lw::resamplePicture(source, target, target);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(source.pixels.size()));
}
BENCHMARK(BM_ResamplePicture)
    ->Args({2000, 26})
    ->Args({2000, 335})
    ->Args({26, 335})
    ->Args({335, 101})
    ->Unit(benchmark::kMillisecond);

// "Open Image..." for a 100 × 100 grid: resample, preview, stretch back, contrast.
void BM_OpenPictureForGrid(benchmark::State& state) {
    const lw::GreyPicture source = pattern(int(state.range(0)));
    for (auto _ : state) {
        lw::HeightPictureSession session(101, 101);
        auto st = session.openPicture(source, 50.0, true);
        benchmark::DoNotOptimize(st);
    }
}
BENCHMARK(BM_OpenPictureForGrid)->Arg(400)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_BuildHeightmapTerrain(benchmark::State& state) {
    lw::THmap grid(100, std::vector<float>(100));
    for (int x = 0; x < 100; ++x)
        for (int z = 0; z < 100; ++z)
            grid[size_t(x)][size_t(z)] = std::sin(float(x) * 0.1f) * std::cos(float(z) * 0.13f);
    for (auto _ : state) {
        auto group = lw::buildHeightmapTerrain(grid);
        benchmark::DoNotOptimize(group);
    }
}
BENCHMARK(BM_BuildHeightmapTerrain)->Unit(benchmark::kMicrosecond);

} // namespace

// Reading and voxelising the large real 3DS models, and exporting the result again.

#include "io/Apoxelate.h"
#include "io/Export3ds.h"
#include "io/Model3ds.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <sys/resource.h>

namespace {

std::string modelPath(const char* name) {
    return (std::filesystem::path(LW_SHARED_TESTDATA_DIR) / "3ds" / name).string();
}

// Peak resident memory of the process so far, in MiB.
double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void BM_Read3ds(benchmark::State& state, const char* name) {
    for (auto _ : state) {
        auto objects = lw::Read3ds(modelPath(name));
        benchmark::DoNotOptimize(objects);
    }
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK_CAPTURE(BM_Read3ds, pyramob, "pyramob.3DS")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read3ds, iflamigm, "iflamigm.3ds")->Unit(benchmark::kMillisecond);

// The whole import: read, split, voxelise every piece (level mode or height-map mode).
void BM_Import3ds(benchmark::State& state, const char* name) {
    lw::ApoxelOptions options;
    options.HeightMap = state.range(0) != 0;
    size_t poxels = 0;
    for (auto _ : state) {
        auto import = lw::importModel3ds(modelPath(name), options);
        poxels = import.ok() ? import->Group->Children.size() : 0;
        benchmark::DoNotOptimize(import);
    }
    state.counters["poxels"] = double(poxels);
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK_CAPTURE(BM_Import3ds, pyramob, "pyramob.3DS")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Import3ds, iflamigm, "iflamigm.3ds")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// Exporting the voxelised pyramob (1,561 poxels) as a 3DS file image.
void BM_Export3ds(benchmark::State& state) {
    auto import = lw::importModel3ds(modelPath("pyramob.3DS"), {});
    if (!import.ok()) {
        state.SkipWithError("import failed");
        return;
    }
    for (auto _ : state) {
        std::vector<lw::TMesh> meshes;
        benchmark::DoNotOptimize(lw::BuildExportMeshes(meshes, *import->Group, nullptr));
        auto bytes = lw::encode3ds(meshes, lw::collectMaterials(meshes, false), false);
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK(BM_Export3ds)->Unit(benchmark::kMillisecond);

} // namespace

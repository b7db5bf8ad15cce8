// Mesh generation and list compilation of the largest editor poxel and of a whole map.

#include "BenchContext.h"
#include "LargestPoxel.h"
#include "core/Poxel.h"
#include "render/MeshSamples.h"
#include "render/PoxelMesh.h"
#include "render/gl/PoxelLists.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <random>

using namespace lw;
using lwbench::largestPoxel;

namespace {

const TTextureList kTable = lwtest::numberedTextureTable();

// A map of 5,000 poxels like the editor's: terrain columns of varied size and height, some
// with holes, heights and level offsets, some smoothed.
std::unique_ptr<TPoxel> benchmarkMap() {
    auto root = makePoxel();
    root->IsRoot = root->IsGroup = true;
    std::mt19937 rng(5000);
    std::uniform_int_distribution<int> side(1, 12), levels(1, 8), kind(0, 3);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int i = 0; i < 5000; ++i) {
        auto p = makePoxel(side(rng), levels(rng), side(rng));
        const int k = kind(rng);
        p->Surface = static_cast<uint32_t>(k & 1) | static_cast<uint32_t>(k >> 1) << 8;
        for (int z = 0; z < p->NZ; ++z)
            for (int x = 0; x < p->NX; ++x) {
                const int top = static_cast<int>(unit(rng) * static_cast<float>(p->NY + 1));
                for (int y = 0; y < p->NY; ++y) {
                    const bool hole = unit(rng) < 0.05f;
                    p->Voxels[p->cellIndex(x, y, z)] =
                        y < top && !hole ? 3u + 4u * static_cast<uint32_t>(y % 4) : 0u;
                }
            }
        for (auto& column : p->Heights)
            for (auto& h : column)
                h = unit(rng) * 0.6f - 0.3f;
        if (k == 3)
            p->LayerHigh.back() = TLayer{0.4f, -0.2f};
        AddChildPoxel(*root, std::move(p));
    }
    return root;
}

void reportSize(benchmark::State& state, const PoxelMesh& m) {
    state.counters["triangles"] = static_cast<double>(m.triangleCount());
    state.counters["edges"] = static_cast<double>(m.edgeCount());
}

void geometry(benchmark::State& state, bool checkerboard) {
    auto p = largestPoxel(checkerboard);
    PoxelMesh mesh;
    for (auto _ : state) {
        computePoxelGeometry(*p, &kTable, mesh);
        benchmark::DoNotOptimize(mesh.Vertices.data());
    }
    reportSize(state, mesh);
}

// A full rebuild: the colour is new each time, so every triangle and every slab list changes
// and no kept list can stand in.
void rebuild(benchmark::State& state, bool checkerboard, bool randomTextures = false) {
    if (!lwbench::glContext(state))
        return;
    auto p = largestPoxel(checkerboard, randomTextures);
    uint32_t shade = 0;
    for (auto _ : state) {
        p->Color = 0xFF000000u | (++shade & 0x00FFFFFFu);
        gl::BuildPoxelMesh(*p, &kTable);
        glFinish();
    }
    PoxelMesh mesh;
    computePoxelGeometry(*p, &kTable, mesh);
    reportSize(state, mesh);
}

// What a cell brush does: one cell changes, then the poxel is rebuilt.
void BM_LargestPoxelBrushStroke(benchmark::State& state) {
    if (!lwbench::glContext(state))
        return;
    auto p = largestPoxel(false);
    gl::BuildPoxelMesh(*p, &kTable);
    std::mt19937 rng(3);
    std::uniform_int_distribution<size_t> cell(0, p->Voxels.size() - 1);
    for (auto _ : state) {
        uint32_t& c = p->Voxels[cell(rng)];
        c = c == 0 ? 3u : 0u;
        gl::BuildPoxelMesh(*p, &kTable);
        glFinish();
    }
}

void BM_LargestPoxelGeometry(benchmark::State& state) {
    geometry(state, false);
}
void BM_LargestPoxelRebuild(benchmark::State& state) {
    rebuild(state, false);
}
void BM_LargestPoxelRebuildRandomTextures(benchmark::State& state) {
    rebuild(state, false, true);
}
void BM_CheckerboardGeometry(benchmark::State& state) {
    geometry(state, true);
}
void BM_CheckerboardRebuild(benchmark::State& state) {
    rebuild(state, true);
}

void BM_MapGeometry(benchmark::State& state) {
    auto root = benchmarkMap();
    PoxelMesh mesh;
    size_t triangles = 0;
    for (auto _ : state) {
        triangles = 0;
        for (const auto& p : root->Children) {
            computePoxelGeometry(*p, nullptr, mesh);
            triangles += mesh.triangleCount();
        }
    }
    state.counters["triangles"] = static_cast<double>(triangles);
}

void BM_MapRebuild(benchmark::State& state) {
    if (!lwbench::glContext(state))
        return;
    auto root = benchmarkMap();
    for (auto _ : state) {
        gl::BuildPoxelTree(*root, nullptr);
        glFinish();
    }
}

} // namespace

BENCHMARK(BM_LargestPoxelGeometry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LargestPoxelRebuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LargestPoxelRebuildRandomTextures)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LargestPoxelBrushStroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckerboardGeometry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckerboardRebuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapGeometry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapRebuild)->Unit(benchmark::kMillisecond);

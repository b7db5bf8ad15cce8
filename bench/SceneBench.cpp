// Opening and drawing the 5,000-poxel generated map in the headless context: open (read,
// decode, every mesh, first frame), one orbiting frame, one pick with and without skipping the
// nodes that cannot reach the pick pixel, and the hover pick with a tolerance around the
// pointer against the exact one.

#include "core/MapGenerator.h"
#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "render/PickSource.h"
#include "render/SceneBounds.h"
#include "render/gl/DisplayLists.h"
#include "render/gl/HeadlessContext.h"
#include "render/gl/PoxelLists.h"
#include "render/gl/SceneDrawer.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

using namespace lw;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

gl::HeadlessContext& context() {
    static auto c = gl::HeadlessContext::create(kWidth, kHeight);
    if (!c) {
        std::fprintf(stderr, "%s\n", c.error().message().c_str());
        std::abort();
    }
    gl::installDisplayListReleaseHook();
    static const bool named = [&] {
        // Which renderer the figures belong to (Mesa's software renderers differ a lot).
        if (!c.value()->makeCurrent())
            std::abort();
        std::fprintf(stderr, "renderer: %s\n",
                     reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
        return true;
    }();
    (void)named;
    return *c.value();
}

// The benchmark context, current on this thread.
void makeContextCurrent() {
    if (auto st = context().makeCurrent(); !st) {
        std::fprintf(stderr, "%s\n", st.error().message().c_str());
        std::abort();
    }
}

const std::string& mapFile() {
    static const std::string path = [] {
        const auto p = std::filesystem::temp_directory_path() / "lw_bench_5000.xom";
        if (!WriteMapFile(*makeGeneratedMap(5000), p.string()))
            std::abort();
        return p.string();
    }();
    return path;
}

void prepare(SceneState& s, TPoxel& root) {
    gl::SetupGLState(s);
    gl::BuildFixedLists(0);
    s.Camera.Width = kWidth;
    s.Camera.Height = kHeight;
    s.EditRoot = s.ShownRoot = &root;
    if (const auto b = worldBounds(root))
        focusCameraOnBounds(s.Camera, *b);
}

void BM_OpenGeneratedMap(benchmark::State& state) {
    makeContextCurrent();
    const std::string& file = mapFile();
    for (auto _ : state) {
        auto map = readMapFile(file);
        if (!map)
            state.SkipWithError("decode failed");
        gl::BuildPoxelTree(*map.value(), nullptr);
        SceneState s;
        prepare(s, *map.value());
        gl::RenderFrame(s, false);
        glFinish();
        state.PauseTiming();
        map.value().reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenGeneratedMap)->Unit(benchmark::kMillisecond)->Iterations(3);

struct Loaded {
    std::unique_ptr<TPoxel> root;
    SceneState scene;
};

Loaded& loaded() {
    static Loaded l = [] {
        makeContextCurrent();
        Loaded x;
        x.root = std::move(readMapFile(mapFile()).value());
        gl::BuildPoxelTree(*x.root, nullptr);
        prepare(x.scene, *x.root);
        return x;
    }();
    return l;
}

// Orbiting: only the camera changes; every poxel is drawn from its lists.
void BM_OrbitFrame(benchmark::State& state) {
    Loaded& l = loaded();
    makeContextCurrent();
    for (auto _ : state) {
        l.scene.Camera.CamYaw += 2;
        gl::RenderFrame(l.scene, false);
        glFinish();
    }
}
BENCHMARK(BM_OrbitFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Hovering: one pick per pointer movement, at pixels across the view. Argument 1 skips the
// nodes whose boxes cannot reach the pick pixel (what the view does), 0 draws every node.
void BM_Pick(benchmark::State& state) {
    Loaded& l = loaded();
    makeContextCurrent();
    l.scene.PickCulling = state.range(0) != 0;
    uint32_t hits = 0;
    int i = 0;
    for (auto _ : state) {
        const int x = kWidth / 4 + (i * 37) % (kWidth / 2);
        const int y = kHeight / 4 + (i * 23) % (kHeight / 2);
        hits += gl::PickAt(l.scene, x, y) != 0;
        ++i;
    }
    l.scene.PickCulling = true;
    state.counters["hit_share"] =
        benchmark::Counter(static_cast<double>(hits) / static_cast<double>(i ? i : 1));
}
BENCHMARK(BM_Pick)->ArgName("culling")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The hover of the tools whose targets are small: a window of pixels within the tolerance around
// the pointer and the nearest handle in it (tolerance 1), against the single pixel read before
// (tolerance 0). Scene 0 is the pass with every node (the select tool's and the brushes'), scene
// 1 the move tool's (the selected node and its gizmo).
void BM_HoverPick(benchmark::State& state) {
    Loaded& l = loaded();
    makeContextCurrent();
    const bool tolerance = state.range(0) != 0;
    const bool moveTool = state.range(1) != 0;
    SceneState& s = l.scene;
    if (moveTool) {
        s.SelectedId = static_cast<int32_t>(gl::PickAt(s, kWidth / 2, kHeight / 2));
        s.Gizmo = GizmoKind::Move;
        s.MoveArmed = true;
    }
    const int radius = static_cast<int>(kPickTolerance);
    const auto isHandle = [](uint32_t id) { return id >= 1 && id <= kHandleCentre; };
    uint32_t hits = 0;
    int i = 0;
    for (auto _ : state) {
        const int x = kWidth / 4 + (i * 37) % (kWidth / 2);
        const int y = kHeight / 4 + (i * 23) % (kHeight / 2);
        if (tolerance) {
            PickWindow w;
            w.Radius = radius;
            w.Ids = gl::PickWindow(s, x, y, radius);
            hits += nearestInWindow(w, radius, isHandle) != 0;
        } else {
            hits += gl::PickAt(s, x, y) != 0;
        }
        ++i;
    }
    s.SelectedId = 0;
    s.Gizmo = GizmoKind::None;
    s.MoveArmed = false;
    state.counters["hit_share"] =
        benchmark::Counter(static_cast<double>(hits) / static_cast<double>(i ? i : 1));
}
BENCHMARK(BM_HoverPick)
    ->ArgNames({"tolerance", "move_tool"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

} // namespace

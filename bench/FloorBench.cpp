// What this renderer can do at best, beside what the scene drawer does, on generated maps of
// 5,000 and 20,000 poxels, so one run gives the ratios:
//  - the floor of opening: every poxel meshed and all triangles and edges uploaded into one
//    static buffer, placed in the world on the CPU;
//  - the floor of a frame: those triangles and edges drawn from that one buffer with the
//    frame's state (lighting, polygon offset, black edges), the whole map in view;
//  - the drawer: open (read, decode, mesh, upload, first frame), the whole-map frame, the frame
//    at the view the editor opens a map with, and a hover pick.

#include "core/MapGenerator.h"
#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "render/PoxelMesh.h"
#include "render/SceneBounds.h"
#include "render/SubtreeBoxes.h"
#include "render/ViewMath.h"
#include "render/gl/DisplayLists.h"
#include "render/gl/GlFunctions.h"
#include "render/gl/HeadlessContext.h"
#include "render/gl/PoxelLists.h"
#include "render/gl/SceneDrawer.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>

using namespace lw;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

void makeCurrent() {
    static auto c = gl::HeadlessContext::create(kWidth, kHeight);
    if (!c) {
        std::fprintf(stderr, "%s\n", c.error().message().c_str());
        std::abort();
    }
    if (!c.value()->makeCurrent())
        std::abort();
}

const std::string& mapFile(int poxels) {
    static std::map<int, std::string> files;
    std::string& path = files[poxels];
    if (path.empty()) {
        const auto p = std::filesystem::temp_directory_path() /
                       ("lw_floor_" + std::to_string(poxels) + ".xom");
        if (!WriteMapFile(*makeGeneratedMap(poxels), p.string()))
            std::abort();
        path = p.string();
    }
    return path;
}

// The whole map in view, as the command-line renderer frames it.
void wholeMapView(SceneState& s, const TPoxel& root) {
    s.Camera.Width = kWidth;
    s.Camera.Height = kHeight;
    if (const auto b = worldBounds(root))
        focusCameraOnBounds(s.Camera, *b);
}

// The view of a new window's camera, the one a map is first drawn with: near the origin,
// inside a large map.
void openingView(SceneState& s, const TPoxel&) {
    resetCamera(s.Camera);
    s.Camera.Width = kWidth;
    s.Camera.Height = kHeight;
}

// The view the editor turns to once a map is open: its root zoomed to.
void zoomedRootView(SceneState& s, const TPoxel& root) {
    openingView(s, root);
    focusCameraOnNode(s.Camera, root, identityMatrix());
}

// ---- The floor --------------------------------------------------------------------------------

struct FloorBuffer {
    GLuint buffer = 0;
    GLsizei vertices = 0;   // MeshVertex records
    GLsizei edgePoints = 0; // positions after them
};

// A vertex placed in the world (normals only turned and scaled: lighting normalises them).
void placeVertex(const std::array<float, 16>& m, MeshVertex& v) {
    const TVec3 p = v.Pos, n = v.Normal;
    v.Pos = {m[0] * p.X + m[4] * p.Y + m[8] * p.Z + m[12],
             m[1] * p.X + m[5] * p.Y + m[9] * p.Z + m[13],
             m[2] * p.X + m[6] * p.Y + m[10] * p.Z + m[14]};
    v.Normal = {m[0] * n.X + m[4] * n.Y + m[8] * n.Z, m[1] * n.X + m[5] * n.Y + m[9] * n.Z,
                m[2] * n.X + m[6] * n.Y + m[10] * n.Z};
}

// Calls `visit(poxel, placement)` for every poxel under `root`, with its world placement (Size
// included), as the drawer places it.
template <class Visit> void forEachPlacedPoxel(const TPoxel& root, Visit&& visit) {
    std::vector<std::pair<const TPoxel*, Mat4>> pending{{&root, identityMatrix()}};
    while (!pending.empty()) {
        const auto [node, frame] = pending.back();
        pending.pop_back();
        const Mat4 placed = placeNode(frame, *node, nullptr, false);
        if (!node->IsGroup && !node->IsEntity)
            visit(*node, multiply(placed, scaling(node->Size)));
        for (const auto& child : node->Children)
            pending.emplace_back(child.get(), placed);
    }
}

// The poxels under `root` with their world placements (Size included).
std::vector<std::pair<const TPoxel*, std::array<float, 16>>> placedPoxels(const TPoxel& root) {
    std::vector<std::pair<const TPoxel*, std::array<float, 16>>> poxels;
    forEachPlacedPoxel(root, [&poxels](const TPoxel& node, const Mat4& m) {
        std::array<float, 16> f{};
        for (size_t i = 0; i < 16; ++i)
            f[i] = static_cast<float>(m[i]);
        poxels.emplace_back(&node, f);
    });
    return poxels;
}

// Every poxel under `root` meshed on all cores and placed in the world; this thread copies
// each mesh into one buffer of `vertexCount` vertices and `edgeCount` edge points (known from
// an earlier upload; 0: found out now, with the meshing done twice).
FloorBuffer uploadFloor(const TPoxel& root, size_t vertexCount = 0, size_t edgeCount = 0) {
    const auto poxels = placedPoxels(root);
    if (vertexCount == 0) {
        PoxelMesh mesh;
        for (const auto& [node, m] : poxels) {
            computePoxelGeometry(*node, nullptr, mesh);
            vertexCount += mesh.Vertices.size();
            edgeCount += mesh.EdgeVertices.size();
        }
    }
    FloorBuffer f;
    f.vertices = static_cast<GLsizei>(vertexCount);
    f.edgePoints = static_cast<GLsizei>(edgeCount);
    gl::genBuffers(1, &f.buffer);
    gl::bindArrayBuffer(f.buffer);
    gl::arrayBufferData(
        static_cast<GLsizeiptr>(vertexCount * sizeof(MeshVertex) + edgeCount * sizeof(TVec3)),
        nullptr);

    // Workers mesh and place into slots; this thread uploads the slots in order.
    struct Slot {
        std::vector<MeshVertex> vertices;
        std::vector<TVec3> edges;
        bool ready = false;
    };
    std::vector<Slot> slots(poxels.size());
    std::mutex lock;
    std::condition_variable readyOne, slotFree;
    std::atomic<size_t> next{0};
    size_t uploaded = 0;
    constexpr size_t kAhead = 64; // meshes in flight at most
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < cores; ++t)
        threads.emplace_back([&] {
            PoxelMesh mesh;
            for (size_t i; (i = next.fetch_add(1)) < poxels.size();) {
                {
                    std::unique_lock<std::mutex> l(lock);
                    slotFree.wait(l, [&] { return i < uploaded + kAhead; });
                }
                computePoxelGeometry(*poxels[i].first, nullptr, mesh);
                const auto& m = poxels[i].second;
                Slot& s = slots[i];
                s.vertices = mesh.Vertices;
                for (MeshVertex& v : s.vertices)
                    placeVertex(m, v);
                for (TVec3 e : mesh.EdgeVertices) {
                    MeshVertex v{};
                    v.Pos = e;
                    placeVertex(m, v);
                    s.edges.push_back(v.Pos);
                }
                {
                    std::lock_guard<std::mutex> l(lock);
                    s.ready = true;
                }
                readyOne.notify_one();
            }
        });
    size_t vertexAt = 0, edgeAt = vertexCount * sizeof(MeshVertex);
    for (Slot& s : slots) {
        {
            std::unique_lock<std::mutex> l(lock);
            readyOne.wait(l, [&] { return s.ready; });
        }
        const size_t vb = s.vertices.size() * sizeof(MeshVertex);
        const size_t eb = s.edges.size() * sizeof(TVec3);
        gl::arrayBufferSubData(static_cast<GLintptr>(vertexAt), static_cast<GLsizeiptr>(vb),
                               s.vertices.data());
        gl::arrayBufferSubData(static_cast<GLintptr>(edgeAt), static_cast<GLsizeiptr>(eb),
                               s.edges.data());
        vertexAt += vb;
        edgeAt += eb;
        s = Slot{};
        {
            std::lock_guard<std::mutex> l(lock);
            ++uploaded;
        }
        slotFree.notify_all();
    }
    for (std::thread& t : threads)
        t.join();
    gl::bindArrayBuffer(0);
    return f;
}

void drawFloor(const FloorBuffer& f, SceneState& s) {
    glMatrixMode(GL_PROJECTION);
    clampCamera(s.Camera);
    glLoadMatrixd(cameraProjection(s.Camera).data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, kWidth, kHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl::bindArrayBuffer(f.buffer);
    glEnable(GL_LIGHTING);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glInterleavedArrays(GL_C4F_N3F_V3F, sizeof(MeshVertex),
                        reinterpret_cast<const void*>(offsetof(MeshVertex, Colour)));
    glDrawArrays(GL_TRIANGLES, 0, f.vertices);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_LIGHTING);
    glColor3f(0, 0, 0);
    glVertexPointer(3, GL_FLOAT, 0,
                    reinterpret_cast<const void*>(size_t(f.vertices) * sizeof(MeshVertex)));
    glDrawArrays(GL_LINES, 0, f.edgePoints);
    glDisableClientState(GL_VERTEX_ARRAY);
    gl::bindArrayBuffer(0);
}

// Decoded maps by size, read once.
TPoxel& decoded(int poxels) {
    static std::map<int, std::unique_ptr<TPoxel>> maps;
    auto& m = maps[poxels];
    if (!m)
        m = std::move(readMapFile(mapFile(poxels)).value());
    return *m;
}

void BM_FloorOpen(benchmark::State& state) {
    makeCurrent();
    TPoxel& root = decoded(static_cast<int>(state.range(0)));
    FloorBuffer sized = uploadFloor(root);
    gl::deleteBuffers(1, &sized.buffer);
    for (auto _ : state) {
        FloorBuffer f = uploadFloor(root, size_t(sized.vertices), size_t(sized.edgePoints));
        glFinish();
        state.PauseTiming();
        gl::deleteBuffers(1, &f.buffer);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FloorOpen)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_FloorFrame(benchmark::State& state) {
    makeCurrent();
    TPoxel& root = decoded(static_cast<int>(state.range(0)));
    SceneState s;
    gl::SetupGLState(s);
    wholeMapView(s, root);
    FloorBuffer f = uploadFloor(root);
    drawFloor(f, s);
    glFinish();
    for (auto _ : state) {
        drawFloor(f, s);
        glFinish();
    }
    state.counters["triangles"] = static_cast<double>(f.vertices / 3);
    gl::deleteBuffers(1, &f.buffer);
}
BENCHMARK(BM_FloorFrame)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// ---- The drawer -------------------------------------------------------------------------------

void BM_DrawerOpen(benchmark::State& state) {
    makeCurrent();
    const std::string& file = mapFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto map = readMapFile(file);
        if (!map)
            state.SkipWithError("decode failed");
        gl::BuildPoxelTree(*map.value(), nullptr);
        SceneState s;
        gl::SetupGLState(s);
        gl::BuildFixedLists(0);
        s.EditRoot = s.ShownRoot = map.value().get();
        openingView(s, *map.value());
        gl::RenderFrame(s, false);
        glFinish();
        state.PauseTiming();
        map.value().reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DrawerOpen)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(2);

// The share of the poxels whose boxes can reach the view of `camera`.
double visibleShare(const TCamera& camera, const TPoxel& root) {
    const Mat4 projection = cameraProjection(camera);
    size_t poxels = 0, seen = 0;
    forEachPlacedPoxel(root, [&](const TPoxel& node, const Mat4& m) {
        ++poxels;
        seen += boxMayBeVisible(multiply(projection, m), node.BoxMin, node.BoxMax);
    });
    return poxels ? double(seen) / double(poxels) : 0.0;
}

struct Built {
    std::unique_ptr<TPoxel> root;
    SceneState scene;
};

Built& built(int poxels) {
    static std::map<int, Built> maps;
    Built& b = maps[poxels];
    if (!b.root) {
        b.root = std::move(readMapFile(mapFile(poxels)).value());
        gl::BuildPoxelTree(*b.root, nullptr);
        gl::SetupGLState(b.scene);
        gl::BuildFixedLists(0);
        b.scene.EditRoot = b.scene.ShownRoot = b.root.get();
    }
    return b;
}

// Argument 2: 0 the whole map in view, 1 the new window's camera, 2 the root zoomed to (the
// view the editor turns to after opening); argument 3:
// 0 draws every poxel, 1 skips those outside the view (what the editor does).
void BM_DrawerFrame(benchmark::State& state) {
    makeCurrent();
    Built& b = built(static_cast<int>(state.range(0)));
    if (state.range(1) == 0)
        wholeMapView(b.scene, *b.root);
    else if (state.range(1) == 1)
        openingView(b.scene, *b.root);
    else
        zoomedRootView(b.scene, *b.root);
    b.scene.FrameCulling = state.range(2) != 0;
    gl::RenderFrame(b.scene, false); // the renderer compiles its programs on first use
    glFinish();
    for (auto _ : state) {
        gl::RenderFrame(b.scene, false);
        glFinish();
    }
    b.scene.FrameCulling = true;
    state.counters["in_view"] = visibleShare(b.scene.Camera, *b.root);
}
BENCHMARK(BM_DrawerFrame)
    ->ArgNames({"poxels", "view", "culling"})
    ->Args({5000, 0, 1})
    ->Args({5000, 1, 1})
    ->Args({5000, 1, 0})
    ->Args({5000, 2, 1})
    ->Args({20000, 0, 1})
    ->Args({20000, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// A hover pick at pixels across the opening view; argument 2: 0 tests every poxel placed, 1
// skips those away from the pick square (what the editor does).
void BM_DrawerHoverPick(benchmark::State& state) {
    makeCurrent();
    Built& b = built(static_cast<int>(state.range(0)));
    openingView(b.scene, *b.root);
    b.scene.PickCulling = state.range(1) != 0;
    int i = 0;
    for (auto _ : state) {
        const int x = kWidth / 4 + (i * 37) % (kWidth / 2);
        const int y = kHeight / 4 + (i * 23) % (kHeight / 2);
        benchmark::DoNotOptimize(gl::PickAt(b.scene, x, y));
        ++i;
    }
    b.scene.PickCulling = true;
}
BENCHMARK(BM_DrawerHoverPick)
    ->ArgNames({"poxels", "culling"})
    ->Args({5000, 1})
    ->Args({20000, 1})
    ->Args({20000, 0})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

} // namespace

namespace {

// What a frame that skips whole subtrees pays first: bringing the subtree boxes up to date.
void BM_SubtreeBoxRefresh(benchmark::State& state) {
    makeCurrent();
    Built& b = built(static_cast<int>(state.range(0)));
    SubtreeBoxes boxes;
    for (auto _ : state)
        boxes.refresh(*b.root, 0);
}
BENCHMARK(BM_SubtreeBoxRefresh)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace

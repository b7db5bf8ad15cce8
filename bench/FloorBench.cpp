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
#include "render/ViewMath.h"
#include "render/gl/DisplayLists.h"
#include "render/gl/GlFunctions.h"
#include "render/gl/HeadlessContext.h"
#include "render/gl/PoxelLists.h"
#include "render/gl/SceneDrawer.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

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

// The view a map opens with in the editor: the root zoomed to.
void openingView(SceneState& s, const TPoxel& root) {
    resetCamera(s.Camera);
    s.Camera.Width = kWidth;
    s.Camera.Height = kHeight;
    focusCameraOnNode(s.Camera, root, identityMatrix());
}

// ---- The floor --------------------------------------------------------------------------------

struct FloorBuffer {
    GLuint buffer = 0;
    GLsizei vertices = 0;   // MeshVertex records
    GLsizei edgePoints = 0; // positions after them
};

void placeVertex(const Mat4& m, MeshVertex& v) {
    v.Pos = transformPoint(m, v.Pos);
    const auto n = v.Normal;
    v.Normal = {static_cast<float>(m[0] * n.X + m[4] * n.Y + m[8] * n.Z),
                static_cast<float>(m[1] * n.X + m[5] * n.Y + m[9] * n.Z),
                static_cast<float>(m[2] * n.X + m[6] * n.Y + m[10] * n.Z)};
}

// Every poxel under `root` meshed, placed in the world and uploaded as one buffer.
FloorBuffer uploadFloor(const TPoxel& root) {
    std::vector<MeshVertex> vertices;
    std::vector<TVec3> edges;
    PoxelMesh mesh;
    std::vector<std::pair<const TPoxel*, Mat4>> pending{{&root, identityMatrix()}};
    while (!pending.empty()) {
        const auto [node, frame] = pending.back();
        pending.pop_back();
        const Mat4 placed = placeNode(frame, *node, nullptr, false);
        if (!node->IsGroup && !node->IsEntity) {
            computePoxelGeometry(*node, nullptr, mesh);
            const Mat4 m = multiply(placed, scaling(node->Size));
            for (MeshVertex v : mesh.Vertices) {
                placeVertex(m, v);
                vertices.push_back(v);
            }
            for (const TVec3& e : mesh.EdgeVertices)
                edges.push_back(transformPoint(m, e));
        }
        for (const auto& child : node->Children)
            pending.emplace_back(child.get(), placed);
    }
    FloorBuffer f;
    f.vertices = static_cast<GLsizei>(vertices.size());
    f.edgePoints = static_cast<GLsizei>(edges.size());
    const size_t head = vertices.size() * sizeof(MeshVertex);
    std::vector<char> bytes(head + edges.size() * sizeof(TVec3));
    std::memcpy(bytes.data(), vertices.data(), head);
    std::memcpy(bytes.data() + head, edges.data(), edges.size() * sizeof(TVec3));
    gl::genBuffers(1, &f.buffer);
    gl::bindArrayBuffer(f.buffer);
    gl::arrayBufferData(static_cast<GLsizeiptr>(bytes.size()), bytes.data());
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
    for (auto _ : state) {
        FloorBuffer f = uploadFloor(root);
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
    for (auto _ : state) {
        drawFloor(f, s);
        glFinish();
    }
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

// Argument 2: 0 the whole map in view, 1 the view the editor opens the map with.
void BM_DrawerFrame(benchmark::State& state) {
    makeCurrent();
    Built& b = built(static_cast<int>(state.range(0)));
    if (state.range(1) == 0)
        wholeMapView(b.scene, *b.root);
    else
        openingView(b.scene, *b.root);
    for (auto _ : state) {
        gl::RenderFrame(b.scene, false);
        glFinish();
    }
}
BENCHMARK(BM_DrawerFrame)
    ->ArgNames({"poxels", "opening_view"})
    ->Args({5000, 0})
    ->Args({5000, 1})
    ->Args({20000, 0})
    ->Args({20000, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// A hover pick at pixels across the opening view.
void BM_DrawerHoverPick(benchmark::State& state) {
    makeCurrent();
    Built& b = built(static_cast<int>(state.range(0)));
    openingView(b.scene, *b.root);
    int i = 0;
    for (auto _ : state) {
        const int x = kWidth / 4 + (i * 37) % (kWidth / 2);
        const int y = kHeight / 4 + (i * 23) % (kHeight / 2);
        benchmark::DoNotOptimize(gl::PickAt(b.scene, x, y));
        ++i;
    }
}
BENCHMARK(BM_DrawerHoverPick)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

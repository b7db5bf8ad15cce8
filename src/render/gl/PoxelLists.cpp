#include "render/gl/PoxelLists.h"

#include "render/gl/GlFunctions.h"

#include <GL/gl.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace lw::gl {

namespace {

// ---- Drawing at once ------------------------------------------------------------------------

void bindPair(const MeshTriangle& t) {
    if (hasMultitexture()) {
        activeTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, t.Tex1);
        activeTexture(GL_TEXTURE0);
    }
    glBindTexture(GL_TEXTURE_2D, t.Tex0);
}

// Picking triangles: one flat colour per cell, positions only.
void drawIdentityTriangles(const PoxelMesh& m) {
    if (m.Vertices.empty())
        return;
    glBegin(GL_TRIANGLES);
    for (size_t i = 0; i < m.Vertices.size(); ++i) {
        if (i % 3 == 0)
            glColor4fv(&m.Vertices[i].Colour.R);
        glVertex3fv(&m.Vertices[i].Pos.X);
    }
    glEnd();
}

void drawPositions(GLenum mode, const std::vector<TVec3>& positions, size_t first, size_t end) {
    if (end <= first)
        return;
    glBegin(mode);
    for (size_t i = first; i < end; ++i)
        glVertex3fv(&positions[i].X);
    glEnd();
}

void drawPoints(const std::vector<MeshPoint>& points) {
    for (size_t i = 0; i < points.size();) {
        const PointStyle style = points[i].Style;
        glPushAttrib(GL_ENABLE_BIT | GL_POINT_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
        glDisable(GL_LIGHTING);
        disableTexturing();
        if (style == PointStyle::Marker) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glEnable(GL_POINT_SMOOTH);
        } else {
            // Identities and tints must reach the pixel unchanged.
            glDisable(GL_BLEND);
        }
        glPointSize(4.0f);
        glBegin(GL_POINTS);
        for (; i < points.size() && points[i].Style == style; ++i) {
            glColor4fv(&points[i].Colour.R);
            glVertex3fv(&points[i].Pos.X);
        }
        glEnd();
        glPopAttrib();
    }
}

void drawLoops(const std::vector<TVec3>& loops) {
    if (loops.empty())
        return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    disableTexturing();
    glColor3f(1.0f, 1.0f, 0.0f);
    for (size_t i = 0; i + 4 <= loops.size(); i += 4)
        drawPositions(GL_LINE_LOOP, loops, i, i + 4);
    glPopAttrib();
}
// A run of triangles [first, end), and its edge points [edgeFirst, edgeEnd).
struct Range {
    size_t first = 0, end = 0;
    size_t edgeFirst = 0, edgeEnd = 0;
};

// ---- Slab buffers ---------------------------------------------------------------------------
//
// A poxel's mesh lives in one vertex buffer per slab: its triangles as interleaved vertices
// (MeshVertex), then its edge points. The pick pass draws the positions of the triangles.
// A poxel of one slab has one buffer; a rebuild of a larger one uploads only the slabs whose
// output changed, which keeps a brush stroke on a large poxel cheap.

// Triangles [first, first + count) (in vertices) drawn after binding one texture pair.
struct Batch {
    uint32_t tex1 = 0, tex0 = 0;
    GLint first = 0;
    GLsizei count = 0;
};

struct SlabVersion {
    GLuint buffer = 0;
    GLsizei vertices = 0;
    GLsizei edgePoints = 0;
    // With textures bound: the triangles grouped by texture pair. Empty otherwise.
    std::vector<Batch> batches;
    uint64_t hashA = 0;
    uint64_t hashB = 0;

    bool holds(uint64_t a, uint64_t b) const { return buffer != 0 && hashA == a && hashB == b; }
};

// The buffer a slab draws now, and the version it had before the current run of changes
// began (see keepSlabBuffersForUndo), kept on the GPU for the undo that brings it back.
struct Slab {
    SlabVersion current;
    SlabVersion kept;
    uint64_t keptRun = 0; // the run `kept` belongs to; 0: none
};

struct NodeMesh {
    bool used = false;
    std::vector<Slab> slabs;
    std::vector<MeshPoint> points; // drawn with the triangles
};

// The run of changes under way; bumped by keepSlabBuffersForUndo.
uint64_t& slabRun() {
    static uint64_t run = 1;
    return run;
}

// Meshes by handle - 1, and the handles free for reuse.
struct MeshTable {
    std::vector<NodeMesh> meshes;
    std::vector<uint32_t> free;
};
// Never destroyed: nodes held in statics may release their meshes at exit.
MeshTable& table() {
    static auto* t = new MeshTable;
    return *t;
}

NodeMesh* meshOf(uint32_t handle) {
    MeshTable& t = table();
    if (handle == 0 || handle > t.meshes.size() || !t.meshes[handle - 1].used)
        return nullptr;
    return &t.meshes[handle - 1];
}

void releaseVersion(SlabVersion& v) {
    if (v.buffer != 0)
        deleteBuffers(1, &v.buffer);
    v = {};
}

void releaseSlab(Slab& s) {
    releaseVersion(s.current);
    releaseVersion(s.kept);
}

// Four independent 64-bit lanes over the slab's output, folded into two; a stale slab would
// need both halves to collide.
class SlabHash {
public:
    void add(const void* data, size_t bytes) {
        const auto* p = static_cast<const unsigned char*>(data);
        // The lanes stay in registers: stores through `this` could alias the bytes read.
        uint64_t l0 = lane_[0], l1 = lane_[1], l2 = lane_[2], l3 = lane_[3];
        for (; bytes >= 32; p += 32, bytes -= 32) {
            uint64_t w[4];
            std::memcpy(w, p, 32);
            l0 = mix(l0, w[0], 0);
            l1 = mix(l1, w[1], 1);
            l2 = mix(l2, w[2], 2);
            l3 = mix(l3, w[3], 3);
        }
        lane_[0] = l0;
        lane_[1] = l1;
        lane_[2] = l2;
        lane_[3] = l3;
        for (; bytes >= 8; p += 8, bytes -= 8) {
            uint64_t w;
            std::memcpy(&w, p, 8);
            add(w);
        }
        uint64_t tail = 0;
        std::memcpy(&tail, p, bytes);
        add(tail ^ (uint64_t{bytes} << 56));
    }
    void add(uint64_t v) { lane_[0] = mix(lane_[0], v, 0); }
    uint64_t a() const { return mix(lane_[0], lane_[1], 2); }
    uint64_t b() const { return mix(lane_[2], lane_[3], 3); }

private:
    static uint64_t mix(uint64_t h, uint64_t w, int lane) {
        static constexpr uint64_t kPrimes[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full,
                                                0x165667B19E3779F9ull, 0xD6E8FEB86659FD93ull};
        h = (h ^ w) * kPrimes[lane];
        return h ^ (h >> 29);
    }
    uint64_t lane_[4] = {0x243F6A8885A308D3ull, 0x13198A2E03707344ull, 0xA4093822299F31D0ull,
                         0x082EFA98EC4E6C89ull};
};

void hashSlab(SlabHash& h, const PoxelMesh& m, const std::vector<Range>& ranges) {
    h.add(uint64_t{m.BindsTextures});
    for (const Range& r : ranges) {
        h.add(r.end - r.first);
        h.add(m.Vertices.data() + 3 * r.first, (r.end - r.first) * 3 * sizeof(MeshVertex));
        if (m.BindsTextures)
            for (size_t t = r.first; t < r.end; ++t)
                h.add(uint64_t{m.Triangles[t].Tex1} << 32 | m.Triangles[t].Tex0);
        h.add(r.edgeEnd - r.edgeFirst);
        h.add(m.EdgeVertices.data() + r.edgeFirst, (r.edgeEnd - r.edgeFirst) * sizeof(TVec3));
    }
}

// The bytes of one slab's buffer, kept between uploads.
std::vector<unsigned char>& uploadBytes() {
    static std::vector<unsigned char> bytes;
    return bytes;
}

// Uploads the triangles and edges of `ranges` into a new buffer of `v`. With textures bound the
// triangles go grouped by texture pair, each group after its binds: the faces of a poxel never
// overlap, so the order changes nothing on screen.
void uploadRanges(SlabVersion& v, const PoxelMesh& m, const std::vector<Range>& ranges) {
    size_t triangles = 0, edgePoints = 0;
    for (const Range& r : ranges) {
        triangles += r.end - r.first;
        edgePoints += r.edgeEnd - r.edgeFirst;
    }
    v.vertices = static_cast<GLsizei>(3 * triangles);
    v.edgePoints = static_cast<GLsizei>(edgePoints);
    v.batches.clear();
    if (triangles == 0 && edgePoints == 0)
        return;
    const size_t vertexBytes = 3 * triangles * sizeof(MeshVertex);
    const size_t edgeBytes = edgePoints * sizeof(TVec3);
    if (!m.BindsTextures && ranges.size() == 1) {
        // One run in emission order (every triangle's vertices carry its normal): the mesh's
        // own arrays go up as they are, without a copy on the way.
        const Range& r = ranges.front();
        genBuffers(1, &v.buffer);
        bindArrayBuffer(v.buffer);
        arrayBufferData(static_cast<GLsizeiptr>(vertexBytes + edgeBytes), nullptr);
        if (vertexBytes)
            arrayBufferSubData(0, static_cast<GLsizeiptr>(vertexBytes),
                               m.Vertices.data() + 3 * r.first);
        if (edgeBytes)
            arrayBufferSubData(static_cast<GLintptr>(vertexBytes),
                               static_cast<GLsizeiptr>(edgeBytes),
                               m.EdgeVertices.data() + r.edgeFirst);
        bindArrayBuffer(0);
        return;
    }
    std::vector<unsigned char>& bytes = uploadBytes();
    bytes.resize(vertexBytes + edgeBytes);
    auto* out = reinterpret_cast<MeshVertex*>(bytes.data());
    // Each triangle is lit by its own normal, that of its first vertex.
    auto put = [&](size_t t) {
        const MeshVertex* src = &m.Vertices[3 * t];
        out[0] = src[0];
        out[1] = src[1];
        out[2] = src[2];
        out[1].Normal = out[2].Normal = src[0].Normal;
        out += 3;
    };
    if (!m.BindsTextures) {
        for (const Range& r : ranges)
            for (size_t t = r.first; t < r.end; ++t)
                put(t);
    } else {
        struct Keyed {
            uint32_t tex1, tex0, triangle;
            bool operator<(const Keyed& o) const {
                return std::tie(tex1, tex0, triangle) < std::tie(o.tex1, o.tex0, o.triangle);
            }
        };
        static std::vector<Keyed> order;
        order.clear();
        for (const Range& r : ranges)
            for (size_t t = r.first; t < r.end; ++t)
                order.push_back(
                    {m.Triangles[t].Tex1, m.Triangles[t].Tex0, static_cast<uint32_t>(t)});
        std::sort(order.begin(), order.end());
        for (size_t i = 0; i < order.size(); ++i) {
            const Keyed& k = order[i];
            if (v.batches.empty() || v.batches.back().tex1 != k.tex1 ||
                v.batches.back().tex0 != k.tex0)
                v.batches.push_back({k.tex1, k.tex0, static_cast<GLint>(3 * i), 0});
            v.batches.back().count += 3;
            put(k.triangle);
        }
    }
    auto* edges = reinterpret_cast<TVec3*>(out);
    for (const Range& r : ranges)
        for (size_t i = r.edgeFirst; i < r.edgeEnd; ++i)
            *edges++ = m.EdgeVertices[i];
    genBuffers(1, &v.buffer);
    bindArrayBuffer(v.buffer);
    arrayBufferData(static_cast<GLsizeiptr>(bytes.size()), bytes.data());
    bindArrayBuffer(0);
}

// The chunks of the mesh gathered by slab, each slab's in emission order.
std::vector<std::vector<Range>> slabRanges(const PoxelMesh& m) {
    std::vector<std::vector<Range>> slabs(m.SlabCount);
    for (size_t k = 0; k + 1 < m.SlabTriangleStart.size() && k < m.ChunkSlab.size(); ++k) {
        const Range r{m.SlabTriangleStart[k], m.SlabTriangleStart[k + 1], m.SlabEdgeStart[k],
                      m.SlabEdgeStart[k + 1]};
        if (m.ChunkSlab[k] < slabs.size() && (r.end > r.first || r.edgeEnd > r.edgeFirst))
            slabs[m.ChunkSlab[k]].push_back(r);
    }
    return slabs;
}

void releaseMesh(NodeMesh& mesh) {
    for (Slab& s : mesh.slabs)
        releaseSlab(s);
    mesh.slabs.clear();
    mesh.points.clear();
}

// ---- Drawing the buffers --------------------------------------------------------------------

const void* byteOffset(size_t bytes) {
    return reinterpret_cast<const void*>(bytes);
}

// The client arrays stay switched on from one poxel to the next (every switch makes the
// driver check the arrays again); endPoxelArrays switches them off at the end of a pass.
struct ArrayState {
    bool vertex = false, normal = false, colour = false, tex0 = false, tex1 = false;
    GLuint buffer = 0;
};
ArrayState g_arrays;

void switchArray(bool& on, bool want, GLenum array) {
    if (on == want)
        return;
    if (want)
        glEnableClientState(array);
    else
        glDisableClientState(array);
    on = want;
}

void useArrays(GLuint buffer, bool normalColour, bool tex0, bool tex1) {
    ArrayState& a = g_arrays;
    switchArray(a.vertex, true, GL_VERTEX_ARRAY);
    switchArray(a.normal, normalColour, GL_NORMAL_ARRAY);
    switchArray(a.colour, normalColour, GL_COLOR_ARRAY);
    switchArray(a.tex0, tex0, GL_TEXTURE_COORD_ARRAY);
    if (a.tex1 != tex1) {
        clientActiveTexture(GL_TEXTURE1);
        switchArray(a.tex1, tex1, GL_TEXTURE_COORD_ARRAY);
        clientActiveTexture(GL_TEXTURE0);
    }
    if (a.buffer != buffer) {
        bindArrayBuffer(buffer);
        a.buffer = buffer;
    }
}

// Without texturing the texture coordinates are not fetched at all: they could not change a
// pixel.
void drawSlabTriangles(const SlabVersion& v, bool unit1, bool coordinates) {
    if (v.buffer == 0 || v.vertices == 0)
        return;
    constexpr GLsizei stride = sizeof(MeshVertex);
    unit1 = unit1 && coordinates;
    useArrays(v.buffer, true, coordinates, unit1);
    if (unit1) {
        clientActiveTexture(GL_TEXTURE1);
        glTexCoordPointer(2, GL_FLOAT, stride, byteOffset(offsetof(MeshVertex, Tex)));
        clientActiveTexture(GL_TEXTURE0);
    }
    if (coordinates)
        glTexCoordPointer(2, GL_FLOAT, stride, byteOffset(offsetof(MeshVertex, Tex)));
    glColorPointer(4, GL_FLOAT, stride, byteOffset(offsetof(MeshVertex, Colour)));
    glNormalPointer(GL_FLOAT, stride, byteOffset(offsetof(MeshVertex, Normal)));
    glVertexPointer(3, GL_FLOAT, stride, byteOffset(offsetof(MeshVertex, Pos)));
    if (v.batches.empty()) {
        glDrawArrays(GL_TRIANGLES, 0, v.vertices);
    } else {
        for (const Batch& b : v.batches) {
            bindPair(MeshTriangle{b.tex1, b.tex0, FaceTag::Flat});
            glDrawArrays(GL_TRIANGLES, b.first, b.count);
        }
    }
}

// The edges (edges = true) or the triangles' positions of a slab, in the current colour.
void drawSlabPositions(const SlabVersion& v, bool edges) {
    const GLsizei count = edges ? v.edgePoints : v.vertices;
    if (v.buffer == 0 || count == 0)
        return;
    useArrays(v.buffer, false, false, false);
    if (edges)
        glVertexPointer(3, GL_FLOAT, 0, byteOffset(size_t(v.vertices) * sizeof(MeshVertex)));
    else
        glVertexPointer(3, GL_FLOAT, sizeof(MeshVertex), byteOffset(offsetof(MeshVertex, Pos)));
    glDrawArrays(edges ? GL_LINES : GL_TRIANGLES, 0, count);
}

// ---- Build buffers --------------------------------------------------------------------------

// The build buffers of the window's thread live as long as the program; a build that needed
// far more than the next one gives the memory back.
PoxelMesh& scratchMesh() {
    static PoxelMesh mesh;
    return mesh;
}

void trimScratch(PoxelMesh& m) {
    constexpr size_t kKeep = size_t{1} << 16; // vertices kept without question
    if (m.Vertices.capacity() > kKeep && m.Vertices.capacity() > 4 * m.Vertices.size()) {
        m.Vertices.shrink_to_fit();
        m.Triangles.shrink_to_fit();
        m.PickVertices.shrink_to_fit();
        m.EdgeVertices.shrink_to_fit();
    }
}

// What the window's thread does with a built mesh: upload it, or draw it at once.
void takeBuiltMesh(TPoxel& poxel, const PoxelMesh& mesh) {
    if (poxel.IsGroup)
        return;
    if (mesh.Mode == MeshMode::Lists) {
        releasePendingLists();
        if (const uint32_t handle = nodeLists(poxel)) {
            compilePoxelLists(handle, mesh);
            poxel.ListsBuilt = true;
        }
    } else
        drawPoxelMeshNow(mesh);
}

} // namespace

uint32_t newMeshHandle() {
    MeshTable& t = table();
    uint32_t handle = 0;
    if (!t.free.empty()) {
        handle = t.free.back();
        t.free.pop_back();
    } else {
        t.meshes.emplace_back();
        handle = static_cast<uint32_t>(t.meshes.size());
    }
    t.meshes[handle - 1].used = true;
    return handle;
}

void releaseMeshHandle(uint32_t handle) {
    NodeMesh* mesh = meshOf(handle);
    if (!mesh)
        return;
    releaseMesh(*mesh);
    mesh->used = false;
    table().free.push_back(handle);
}

void forgetMeshHandles() {
    table() = MeshTable{};
    g_arrays = {}; // the next context starts with its arrays off
}

void compilePoxelLists(uint32_t handle, const PoxelMesh& mesh) {
    NodeMesh* node = meshOf(handle);
    if (!node)
        return;
    node->points = mesh.Points;
    if (mesh.SlabCount <= 1) {
        // One slab: no versions kept, the buffer is replaced.
        while (node->slabs.size() > 1) {
            releaseSlab(node->slabs.back());
            node->slabs.pop_back();
        }
        node->slabs.resize(1);
        Slab& s = node->slabs[0];
        releaseSlab(s);
        uploadRanges(s.current, mesh,
                     {Range{0, mesh.Triangles.size(), 0, mesh.EdgeVertices.size()}});
        return;
    }

    const std::vector<std::vector<Range>> slabs = slabRanges(mesh);
    std::vector<Slab>& cached = node->slabs;
    if (cached.size() != slabs.size()) {
        // A different tiling: nothing of the old one can be reused.
        for (Slab& s : cached)
            releaseSlab(s);
        cached.clear();
    }
    cached.resize(slabs.size());
    for (size_t k = 0; k < slabs.size(); ++k) {
        SlabHash h;
        hashSlab(h, mesh, slabs[k]);
        Slab& s = cached[k];
        if (s.current.holds(h.a(), h.b()))
            continue;
        // An undo or redo of the run: the other version is still uploaded.
        if (s.kept.holds(h.a(), h.b())) {
            std::swap(s.current, s.kept);
            continue;
        }
        // The first change of the run keeps the version before it aside; later ones only
        // replace what the run itself made.
        if (s.current.buffer != 0 && s.keptRun != slabRun()) {
            releaseVersion(s.kept);
            s.kept = std::move(s.current);
            s.keptRun = slabRun();
            s.current = {};
        }
        releaseVersion(s.current);
        uploadRanges(s.current, mesh, slabs[k]);
        s.current.hashA = h.a();
        s.current.hashB = h.b();
    }
}

void drawPoxelTriangles(const TPoxel& poxel) {
    const NodeMesh* mesh = hasLists(poxel) ? meshOf(poxel.GlLists) : nullptr;
    if (!mesh)
        return;
    const bool unit1 = hasMultitexture();
    bool textured = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
    if (unit1 && !textured) {
        activeTexture(GL_TEXTURE1);
        textured = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
        activeTexture(GL_TEXTURE0);
    }
    for (const Slab& s : mesh->slabs)
        drawSlabTriangles(s.current, unit1, textured);
    drawPoints(mesh->points);
}

void drawPoxelEdges(const TPoxel& poxel) {
    if (const NodeMesh* mesh = hasLists(poxel) ? meshOf(poxel.GlLists) : nullptr)
        for (const Slab& s : mesh->slabs)
            drawSlabPositions(s.current, true);
}

void drawPoxelPickTriangles(const TPoxel& poxel) {
    if (const NodeMesh* mesh = hasLists(poxel) ? meshOf(poxel.GlLists) : nullptr)
        for (const Slab& s : mesh->slabs)
            drawSlabPositions(s.current, false);
}

std::vector<uint32_t> meshBuffersOf(const TPoxel& node) {
    std::vector<uint32_t> buffers;
    if (const NodeMesh* mesh = hasLists(node) ? meshOf(node.GlLists) : nullptr)
        for (const Slab& s : mesh->slabs)
            buffers.push_back(s.current.buffer);
    return buffers;
}

void endPoxelArrays() {
    ArrayState& a = g_arrays;
    if (a.vertex || a.normal || a.colour || a.tex0 || a.tex1 || a.buffer)
        useArrays(0, false, false, false);
    switchArray(a.vertex, false, GL_VERTEX_ARRAY);
}

void keepSlabBuffersForUndo() {
    ++slabRun();
}

void drawPoxelMeshNow(const PoxelMesh& mesh) {
    if (!mesh.Vertices.empty()) {
        glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
        glDisable(GL_LIGHTING);
        disableTexturing();
        glDisable(GL_NORMALIZE);
        glDisable(GL_AUTO_NORMAL);
        glDisable(GL_BLEND);
        glDisable(GL_FOG);
        drawIdentityTriangles(mesh);
        glPopAttrib();
    }
    drawPoints(mesh.Points);
    drawLoops(mesh.LoopVertices);
}

void BuildPoxelMesh(TPoxel& poxel, const TTextureList* textures, const MeshBuildExtras& extras) {
    PoxelMesh& mesh = scratchMesh();
    buildPoxelGeometry(poxel, textures, mesh, extras);
    takeBuiltMesh(poxel, mesh);
    trimScratch(mesh);
}

void BuildPoxelTree(TPoxel& poxel, const TTextureList* textures) {
    // Pre-order without recursion: deep maps must not exhaust the stack.
    std::vector<TPoxel*> nodes;
    std::vector<TPoxel*> pending{&poxel};
    while (!pending.empty()) {
        TPoxel* node = pending.back();
        pending.pop_back();
        nodes.push_back(node);
        for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it)
            pending.push_back(it->get());
    }
    BuildPoxelMeshes(nodes, textures);
}

void BuildPoxelMeshes(const std::vector<TPoxel*>& nodes, const TTextureList* textures,
                      const BuildProgress& progress) {
    // Few poxels, or a single core: the window's thread builds them itself.
    constexpr size_t kParallelFrom = 64;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    if (nodes.size() < kParallelFrom || cores < 2) {
        for (size_t i = 0; i < nodes.size(); ++i) {
            BuildPoxelMesh(*nodes[i], textures);
            if (progress && (i + 1) % 64 == 0)
                progress(i + 1, nodes.size());
        }
        if (progress)
            progress(nodes.size(), nodes.size());
        return;
    }

    // Workers compute meshes (a pure function of the poxel) into a small pool of meshes; this
    // thread stores and uploads them as they come and hands the meshes back.
    // The pool bounds the memory in flight to a few meshes.
    const unsigned workers = std::min(cores, 8u);
    struct Done {
        size_t node;
        PoxelMesh* mesh;
    };
    std::vector<PoxelMesh> pool(2 * size_t{workers} + 2);
    std::vector<PoxelMesh*> idle;
    for (PoxelMesh& m : pool)
        idle.push_back(&m);
    std::vector<Done> done;
    std::mutex lock;
    std::condition_variable meshFree, meshDone;
    std::atomic<size_t> next{0};

    auto work = [&] {
        for (;;) {
            const size_t i = next.fetch_add(1);
            if (i >= nodes.size())
                return;
            PoxelMesh* mesh = nullptr;
            {
                std::unique_lock<std::mutex> l(lock);
                meshFree.wait(l, [&] { return !idle.empty(); });
                mesh = idle.back();
                idle.pop_back();
            }
            // Pure: the window's thread may draw the tree meanwhile (a progress dialog lets
            // it paint), so the results go into the node on that thread.
            computePoxelGeometry(*nodes[i], textures, *mesh);
            {
                std::lock_guard<std::mutex> l(lock);
                done.push_back({i, mesh});
            }
            meshDone.notify_one();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(workers);
    for (unsigned w = 0; w < workers; ++w)
        threads.emplace_back(work);

    std::vector<Done> taken;
    for (size_t uploaded = 0; uploaded < nodes.size();) {
        {
            std::unique_lock<std::mutex> l(lock);
            meshDone.wait(l, [&] { return !done.empty(); });
            taken.swap(done);
        }
        for (const Done& d : taken) {
            storePoxelGeometry(*nodes[d.node], *d.mesh);
            takeBuiltMesh(*nodes[d.node], *d.mesh);
            trimScratch(*d.mesh);
        }
        {
            std::lock_guard<std::mutex> l(lock);
            for (const Done& d : taken)
                idle.push_back(d.mesh);
        }
        meshFree.notify_all();
        const size_t before = uploaded;
        uploaded += taken.size();
        taken.clear();
        if (progress && (uploaded / 64 != before / 64 || uploaded == nodes.size()))
            progress(uploaded, nodes.size());
    }
    for (std::thread& t : threads)
        t.join();
}

} // namespace lw::gl

#include "render/gl/PoxelLists.h"

#include "render/gl/GlFunctions.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

namespace lw::gl {

namespace {

// ---- Drawing the arrays -------------------------------------------------------------------

void bindPair(const MeshTriangle& t) {
    if (hasMultitexture()) {
        activeTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, t.Tex1);
        activeTexture(GL_TEXTURE0);
    }
    glBindTexture(GL_TEXTURE_2D, t.Tex0);
}

// One triangle with its normal, colours and the same texture coordinate on units 0 and 1.
// Independent triangles draw exactly as one three-vertex strip each; immediate calls compile
// faster into a list than vertex arrays do.
inline void emitTriangle(const MeshVertex* v, bool unit1) {
    glNormal3fv(&v[0].Normal.X);
    for (int k = 0; k < 3; ++k) {
        if (unit1)
            multiTexCoord2fv(GL_TEXTURE1, &v[k].Tex.U);
        glTexCoord2fv(&v[k].Tex.U);
        glColor4fv(&v[k].Colour.R);
        glVertex3fv(&v[k].Pos.X);
    }
}

// A run of triangles [first, end), and its edge points [edgeFirst, edgeEnd).
struct Range {
    size_t first = 0, end = 0;
    size_t edgeFirst = 0, edgeEnd = 0;
};

// The triangles of the ranges. With textures bound they are drawn grouped by texture pair, each
// group after its binds: the faces of a poxel never overlap, so the order changes nothing on
// screen, while every bind ends a batch, and batches are what list compilation pays for.
void drawTriangles(const PoxelMesh& m, const std::vector<Range>& ranges) {
    size_t count = 0;
    for (const Range& r : ranges)
        count += r.end - r.first;
    if (count == 0)
        return;
    const bool unit1 = hasMultitexture();
    if (!m.BindsTextures) {
        glBegin(GL_TRIANGLES);
        for (const Range& r : ranges)
            for (size_t t = r.first; t < r.end; ++t)
                emitTriangle(&m.Vertices[3 * t], unit1);
        glEnd();
        return;
    }
    // The triangles in order of their pair, then of emission; the buffer is kept between calls.
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
            order.push_back({m.Triangles[t].Tex1, m.Triangles[t].Tex0, static_cast<uint32_t>(t)});
    std::sort(order.begin(), order.end());
    for (size_t i = 0; i < order.size();) {
        const Keyed& head = order[i];
        bindPair(m.Triangles[head.triangle]);
        glBegin(GL_TRIANGLES);
        for (; i < order.size() && order[i].tex1 == head.tex1 && order[i].tex0 == head.tex0; ++i)
            emitTriangle(&m.Vertices[3 * size_t{order[i].triangle}], unit1);
        glEnd();
    }
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

// The edges (edges = true) or the pick triangles of the ranges, in one batch.
void drawRangePositions(const PoxelMesh& m, const std::vector<Range>& ranges, bool edges) {
    size_t count = 0;
    for (const Range& r : ranges)
        count += edges ? r.edgeEnd - r.edgeFirst : r.end - r.first;
    if (count == 0)
        return;
    glBegin(edges ? GL_LINES : GL_TRIANGLES);
    for (const Range& r : ranges) {
        if (edges)
            for (size_t i = r.edgeFirst; i < r.edgeEnd; ++i)
                glVertex3fv(&m.EdgeVertices[i].X);
        else
            for (size_t i = 3 * r.first; i < 3 * r.end; ++i)
                glVertex3fv(&m.PickVertices[i].X);
    }
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

// ---- Slab lists -----------------------------------------------------------------------------
//
// A poxel of several slabs gets three lists per slab (mesh, edges, pick) from glGenLists, and
// its own three lists only call them. A rebuild recompiles the slabs whose output changed,
// which keeps a brush stroke on a large poxel cheap.

struct SlabVersion {
    GLuint lists = 0; // lists, lists + 1, lists + 2
    uint64_t hashA = 0;
    uint64_t hashB = 0;

    bool holds(uint64_t a, uint64_t b) const { return lists != 0 && hashA == a && hashB == b; }
};

// The lists a slab draws now, and the version it had before the current run of changes began
// (see keepSlabListsForUndo), kept compiled for the undo that brings it back.
struct Slab {
    SlabVersion current;
    SlabVersion kept;
    uint64_t keptRun = 0; // the run `kept` belongs to; 0: none
};

// The run of changes under way; bumped by keepSlabListsForUndo.
uint64_t& slabRun() {
    static uint64_t run = 1;
    return run;
}

// Slabs by the first list name of their node.
std::unordered_map<uint32_t, std::vector<Slab>>& slabCache() {
    static std::unordered_map<uint32_t, std::vector<Slab>> cache;
    return cache;
}

void releaseVersion(SlabVersion& v) {
    if (v.lists != 0)
        glDeleteLists(v.lists, 3);
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
    h.add(uint64_t{m.BindsTextures} | uint64_t{hasMultitexture()} << 1);
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

void compileList(GLuint list, const auto& draw) {
    glDeleteLists(list, 1);
    glNewList(list, GL_COMPILE);
    draw();
    glEndList();
}

// The three lists of a slab (or of a whole poxel) from its ranges.
void compileRanges(GLuint lists, const PoxelMesh& m, const std::vector<Range>& ranges,
                   bool withPoints) {
    compileList(lists, [&] {
        drawTriangles(m, ranges);
        if (withPoints)
            drawPoints(m.Points);
    });
    compileList(lists + kEdgeListOffset, [&] { drawRangePositions(m, ranges, true); });
    compileList(lists + kPickListOffset, [&] { drawRangePositions(m, ranges, false); });
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

void releaseSlabs(uint32_t nodeLists) {
    auto& cache = slabCache();
    const auto it = cache.find(nodeLists);
    if (it == cache.end())
        return;
    for (Slab& s : it->second)
        releaseSlab(s);
    cache.erase(it);
}

// ---- Build buffers --------------------------------------------------------------------------

// The build buffers live as long as the program, like the build state of a single-threaded
// editor; a build that needed far more than the next one gives the memory back.
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

} // namespace

void compilePoxelLists(uint32_t lists, const PoxelMesh& mesh) {
    const GLuint id = lists;
    if (mesh.SlabCount <= 1) {
        releaseSlabs(lists);
        compileRanges(id, mesh, {Range{0, mesh.Triangles.size(), 0, mesh.EdgeVertices.size()}},
                      true);
        return;
    }

    const std::vector<std::vector<Range>> slabs = slabRanges(mesh);
    std::vector<Slab>& cached = slabCache()[lists];
    while (cached.size() > slabs.size()) {
        releaseSlab(cached.back());
        cached.pop_back();
    }
    cached.resize(slabs.size());
    for (size_t k = 0; k < slabs.size(); ++k) {
        SlabHash h;
        hashSlab(h, mesh, slabs[k]);
        Slab& s = cached[k];
        if (s.current.holds(h.a(), h.b()))
            continue;
        // An undo or redo of the run: the other version is still compiled.
        if (s.kept.holds(h.a(), h.b())) {
            std::swap(s.current, s.kept);
            continue;
        }
        // The first change of the run keeps the version before it aside; later ones only
        // overwrite what the run itself made.
        if (s.current.lists != 0 && s.keptRun != slabRun()) {
            releaseVersion(s.kept);
            s.kept = s.current;
            s.keptRun = slabRun();
            s.current = {};
        }
        if (s.current.lists == 0)
            s.current.lists = glGenLists(3);
        compileRanges(s.current.lists, mesh, slabs[k], false);
        s.current.hashA = h.a();
        s.current.hashB = h.b();
    }
    compileList(id, [&] {
        for (const Slab& s : cached)
            glCallList(s.current.lists);
        drawPoints(mesh.Points);
    });
    compileList(id + kEdgeListOffset, [&] {
        for (const Slab& s : cached)
            glCallList(s.current.lists + kEdgeListOffset);
    });
    compileList(id + kPickListOffset, [&] {
        for (const Slab& s : cached)
            glCallList(s.current.lists + kPickListOffset);
    });
}

void releasePoxelSlabLists(uint32_t nodeLists) {
    releaseSlabs(nodeLists);
}

std::vector<uint32_t> slabListsOf(const TPoxel& node) {
    std::vector<uint32_t> lists;
    if (const auto it = slabCache().find(node.GlLists);
        node.GlLists != 0 && it != slabCache().end())
        for (const Slab& s : it->second)
            lists.push_back(s.current.lists);
    return lists;
}

void keepSlabListsForUndo() {
    ++slabRun();
}

void forgetPoxelSlabLists() {
    slabCache().clear();
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
    if (!poxel.IsGroup) {
        if (mesh.Mode == MeshMode::Lists) {
            releasePendingLists();
            if (const uint32_t lists = nodeLists(poxel)) {
                compilePoxelLists(lists, mesh);
                poxel.ListsBuilt = true;
            }
        } else
            drawPoxelMeshNow(mesh);
    }
    trimScratch(mesh);
}

void BuildPoxelTree(TPoxel& poxel, const TTextureList* textures) {
    // Pre-order without recursion: deep maps must not exhaust the stack.
    std::vector<TPoxel*> pending{&poxel};
    while (!pending.empty()) {
        TPoxel* node = pending.back();
        pending.pop_back();
        BuildPoxelMesh(*node, textures);
        for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it)
            pending.push_back(it->get());
    }
}

} // namespace lw::gl

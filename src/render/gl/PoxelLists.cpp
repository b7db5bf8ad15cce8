#include "render/gl/PoxelLists.h"

#include "render/gl/GlFunctions.h"

#include <GL/gl.h>

namespace lw::gl {

namespace {

void bindPair(const MeshTriangle& t) {
    if (hasMultitexture()) {
        activeTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, t.Tex1);
        activeTexture(GL_TEXTURE0);
    }
    glBindTexture(GL_TEXTURE_2D, t.Tex0);
}

void drawRange(size_t firstTriangle, size_t endTriangle) {
    if (endTriangle > firstTriangle)
        glDrawArrays(GL_TRIANGLES, static_cast<GLint>(3 * firstTriangle),
                     static_cast<GLsizei>(3 * (endTriangle - firstTriangle)));
}

// Every triangle with its normal, colour and the same texture coordinate on units 0 and 1;
// with `binds`, the texture pair of each run of triangles is bound before it. Independent
// triangles draw exactly as one three-vertex strip each.
void drawTriangles(const PoxelMesh& m, bool binds) {
    if (m.Vertices.empty())
        return;
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glInterleavedArrays(GL_T2F_C4F_N3F_V3F, 0, m.Vertices.data());
    if (hasMultitexture()) {
        clientActiveTexture(GL_TEXTURE1);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, sizeof(MeshVertex), &m.Vertices.front().Tex);
        clientActiveTexture(GL_TEXTURE0);
    }
    const size_t count = m.Triangles.size();
    size_t first = 0;
    if (binds) {
        for (size_t i = 0; i < count; ++i) {
            const MeshTriangle& t = m.Triangles[i];
            if (i > 0 && t.Tex1 == m.Triangles[i - 1].Tex1 && t.Tex0 == m.Triangles[i - 1].Tex0)
                continue;
            drawRange(first, i);
            bindPair(t);
            first = i;
        }
    }
    drawRange(first, count);
    glPopClientAttrib();
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
    for (size_t i = 0; i + 4 <= loops.size(); i += 4) {
        glBegin(GL_LINE_LOOP);
        for (size_t k = i; k < i + 4; ++k)
            glVertex3fv(&loops[k].X);
        glEnd();
    }
    glPopAttrib();
}

void compilePositions(GLuint list, GLenum mode, const std::vector<TVec3>& positions) {
    glDeleteLists(list, 1);
    glNewList(list, GL_COMPILE);
    if (!positions.empty()) {
        glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
        glInterleavedArrays(GL_V3F, 0, positions.data());
        glDrawArrays(mode, 0, static_cast<GLsizei>(positions.size()));
        glPopClientAttrib();
    }
    glEndList();
}

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

void compilePoxelLists(int32_t listId, const PoxelMesh& mesh) {
    const auto id = static_cast<GLuint>(listId);
    glDeleteLists(id, 1);
    glNewList(id, GL_COMPILE);
    drawTriangles(mesh, mesh.BindsTextures);
    drawPoints(mesh.Points);
    glEndList();
    compilePositions(id + kEdgeListOffset, GL_LINES, mesh.EdgeVertices);
    compilePositions(id + kPickListOffset, GL_TRIANGLES, mesh.PickVertices);
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
        drawTriangles(mesh, false);
        glPopAttrib();
    }
    drawPoints(mesh.Points);
    drawLoops(mesh.LoopVertices);
}

void BuildPoxelMesh(TPoxel& poxel, const TTextureList* textures, const MeshBuildExtras& extras) {
    PoxelMesh& mesh = scratchMesh();
    buildPoxelGeometry(poxel, textures, mesh, extras);
    if (!poxel.IsGroup) {
        if (mesh.Mode == MeshMode::Lists)
            compilePoxelLists(poxel.ListId, mesh);
        else
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

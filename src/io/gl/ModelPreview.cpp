#include "io/gl/ModelPreview.h"

#include <GL/gl.h>

#include <vector>

namespace lw::gl {

void DrawImportedModel(const TObjArray3D& objects) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnableClientState(GL_VERTEX_ARRAY);
    // The two drawn edges of each face as line pairs, one draw per piece: a model of tens of
    // thousands of faces is drawn every frame while it is imported.
    std::vector<GLuint> lines;
    for (size_t i = 0; i < objects.size(); ++i) {
        const TObj3D& o = objects[i];
        lines.clear();
        lines.reserve(o.Faces.size() * 4);
        const size_t n = o.Vertices.size();
        for (const TFace3D& f : o.Faces) {
            if (f[0] >= n || f[1] >= n || f[2] >= n)
                continue;
            lines.insert(lines.end(), {f[0], f[1], f[1], f[2]});
        }
        if (lines.empty())
            continue;
        glColor3f(1.0f - float(i % 2) / 2.0f, 1.0f - float(i % 3) / 3.0f,
                  1.0f - float(i % 5) / 5.0f);
        glVertexPointer(3, GL_FLOAT, sizeof(TVec3), o.Vertices.data());
        glDrawElements(GL_LINES, GLsizei(lines.size()), GL_UNSIGNED_INT, lines.data());
    }
    glPopClientAttrib();
    glPopAttrib();
}

} // namespace lw::gl

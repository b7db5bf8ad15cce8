#include "io/gl/ModelPreview.h"

#include <GL/gl.h>

namespace lw::gl {

void DrawImportedModel(const TObjArray3D& objects) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    for (size_t i = 0; i < objects.size(); ++i) {
        const TObj3D& o = objects[i];
        glColor3f(1.0f - float(i % 2) / 2.0f, 1.0f - float(i % 3) / 3.0f,
                  1.0f - float(i % 5) / 5.0f);
        for (const TFace3D& f : o.Faces) {
            glBegin(GL_LINE_STRIP);
            for (int k = 0; k < 3; ++k) {
                if (f[size_t(k)] >= o.Vertices.size())
                    continue;
                const TVec3& v = o.Vertices[f[size_t(k)]];
                glVertex3f(v.X, v.Y, v.Z);
            }
            glEnd();
        }
    }
    glPopAttrib();
}

} // namespace lw::gl

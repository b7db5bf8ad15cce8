#include "textures/gl/BoxOverview.h"

#include "render/gl/GlFunctions.h"
#include "textures/TextureCodes.h"

#include <GL/glu.h>

#include <QPainter>

#include <vector>

namespace lw::gl {

namespace {

struct Point {
    float v[3];
};

} // namespace

void DrawBoxQuad(const float* p1, const float* p2, const float* p3, int kind, const float* p4) {
    const float u[3] = {p2[0] - p1[0], p2[1] - p1[1], p2[2] - p1[2]};
    const float w[3] = {p3[0] - p1[0], p3[1] - p1[1], p3[2] - p1[2]};
    float top = 0.0f, bottom = 1.0f;
    if (kind == 1) {
        bottom = 0.25f;
    } else if (kind == 2) {
        top = 0.25f;
        bottom = 0.5f;
    }
    glBegin(GL_QUADS);
    glNormal3f(u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]);
    glTexCoord2f(1, top);
    glVertex3fv(p1);
    glTexCoord2f(0, top);
    glVertex3fv(p2);
    glTexCoord2f(0, bottom);
    glVertex3fv(p3);
    glTexCoord2f(1, bottom);
    glVertex3fv(p4);
    glEnd();
}

void DrawTextureBox(const TTextureRow& row, float a) {
    const float h = a / 2;
    // Points 1 to 12 of the preview (index 0 unused).
    const Point p[13] = {{{0, 0, 0}},    {{-a, -a, -a}},  {{a, -a, -a}},    {{a, a, -a}},
                         {{-a, a, -a}},  {{-a, -a, a}},   {{a, a, a}},      {{-a, a, a}},
                         {{a, -a, a}},   {{a, a + h, h}}, {{-a, a + h, h}}, {{a + h, -a, h}},
                         {{a + h, a, h}}};
    auto quad = [&p](int i1, int i2, int i3, int i4, int kind) {
        DrawBoxQuad(p[i1].v, p[i2].v, p[i3].v, kind, p[i4].v);
    };
    glBindTexture(GL_TEXTURE_2D, row[SlotTop]);
    quad(7, 6, 8, 5, 0);
    glBindTexture(GL_TEXTURE_2D, row[SlotSide]);
    quad(4, 3, 6, 7, 0);
    quad(3, 2, 8, 6, 0);
    if (row[SlotEdge] == kNoEdgeTexture)
        return;
    glEnable(GL_ALPHA_TEST);
    glBindTexture(GL_TEXTURE_2D, row[SlotEdge]);
    quad(10, 9, 6, 7, 1);
    quad(12, 11, 8, 6, 2);
    glDisable(GL_ALPHA_TEST);
}

QImage BuildBoxOverview(const TTextureList& binding, const QFont& font) {
    constexpr int n = kBoxRenderSize;
    QImage overview(kBoxOverviewSize, kBoxOverviewSize, QImage::Format_RGB888);
    overview.fill(QColor(128, 128, 128));

    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLfloat clear[4] = {0, 0, 0, 0};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(20, 1, 5, 20);
    gluLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
    glRotatef(45, 1, 0, 0);
    glRotatef(45, 0, 1, 0);
    glRotatef(90, 0, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, n, n);

    glPushAttrib(GL_TEXTURE_BIT | GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_PIXEL_MODE_BIT |
                 GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    disableTexturing(); // unit 1 stays off; unit 0 modulates the lit colour
    activeTexture(GL_TEXTURE0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glAlphaFunc(GL_GREATER, 0.7f);
    glEnable(GL_NORMALIZE);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat position[4] = {9.79148f, 5.130302f, 10.139375f, 1.0f};
    const GLfloat ambient[4] = {0.1f, 0.1f, 0.1f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    // The quads' normals, (P2 - P1) x (P3 - P1), point into the box; lighting both sides lets
    // the faces the viewer sees take the light instead of the ambient alone.
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);

    QFont numberFont = font;
    const QFontMetrics metrics(numberFont);
    const int textHeight = metrics.height();
    std::vector<uint8_t> pixels(size_t(n) * n * 4);
    QPainter tiles(&overview);
    tiles.setRenderHint(QPainter::SmoothPixmapTransform);
    for (size_t r = 0; r < binding.size(); ++r) {
        if (r + 1 == binding.size())
            glDisable(GL_TEXTURE_2D);
        DrawTextureBox(binding[r], 1.0f);
        glReadPixels(0, 0, n, n, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        // Read back bottom row first; pictures run top down.
        QImage render = QImage(pixels.data(), n, n, QImage::Format_RGBA8888)
                            .mirrored()
                            .convertToFormat(QImage::Format_RGB888);
        {
            QPainter label(&render);
            label.setFont(numberFont);
            label.setPen(QColor(0, 255, 0));
            const QString number = QString::number(r + 1);
            const int x = 246 - metrics.horizontalAdvance(number);
            label.drawText(x, 246 - textHeight + metrics.ascent(), number);
        }
        const TileOrigin tile = boxTileOrigin(int(r) + 1);
        tiles.drawImage(QRect(tile.x, tile.y, kBoxTileSize, kBoxTileSize), render);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    tiles.end();

    glPopClientAttrib();
    glPopAttrib();
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    return overview;
}

} // namespace lw::gl

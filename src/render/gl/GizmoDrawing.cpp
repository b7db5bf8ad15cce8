// The gizmo of the selected node: move arrows and plane squares, rotate rings, scale handles,
// in colour for the screen and in identity colours for a pick pass.
#include "render/gl/FrameDrawing.h"

#include "render/IdentityColour.h"
#include "render/gl/FontLists.h"

#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace lw::gl::detail {

void axisPoint(int axis, float t) {
    glVertex3f(axis == 0 ? t : 0.0f, axis == 1 ? t : 0.0f, axis == 2 ? t : 0.0f);
}

namespace {

// Axis colour, yellow when the axis (or a square holding it) is the highlighted restriction.
void axisColour(int axis, int hover) {
    if (axis == hover) {
        glColor3f(1, 1, 0);
        return;
    }
    glColor3f(axis == 0 ? 1.0f : 0.0f, axis == 1 ? 1.0f : 0.0f, axis == 2 ? 1.0f : 0.0f);
}

void gizmoLabels(const SceneState& s, float at, bool skipY) {
    static const char* names[3] = {"x", "y", "z"};
    for (int axis = 0; axis < 3; ++axis) {
        if (skipY && axis == 1)
            continue;
        axisColour(axis, s.HoverRestriction);
        glRasterPos3f(axis == 0 ? at : 0.0f, axis == 1 ? at : 0.0f, axis == 2 ? at : 0.0f);
        drawLabel(s.FontBase, names[axis]);
    }
}

// The two axes of plane handle 3..5 (xy, yz, xz).
constexpr int kPlaneAxes[3][2] = {{0, 1}, {1, 2}, {0, 2}};

void drawAxisLines(const FrameContext& fc, float from, float to, bool skipY) {
    for (int axis = 0; axis < 3; ++axis) {
        if (skipY && axis == 1)
            continue;
        if (fc.pick)
            setIdentityColour(static_cast<uint32_t>(axis + 1));
        else
            axisColour(axis, fc.s.HoverRestriction);
        glBegin(GL_LINES);
        axisPoint(axis, from);
        axisPoint(axis, to);
        glEnd();
    }
}

void planeColour(const FrameContext& fc, int plane) {
    if (fc.pick)
        setIdentityColour(static_cast<uint32_t>(plane + 4));
    else if (fc.s.HoverRestriction == plane + 3)
        glColor3f(1, 1, 0);
    else
        glColor3f(0.7f, 0.7f, 0.7f);
}

void drawMoveGizmo(const FrameContext& fc, bool skipY) {
    drawAxisLines(fc, 0.2f, 1.0f, skipY);
    for (int plane = 0; plane < 3; ++plane) {
        const int a = kPlaneAxes[plane][0];
        const int b = kPlaneAxes[plane][1];
        if (skipY && (a == 1 || b == 1))
            continue;
        auto corner = [&](float u, float v) {
            float p[3] = {0, 0, 0};
            p[a] = u;
            p[b] = v;
            glVertex3fv(p);
        };
        planeColour(fc, plane);
        glBegin(GL_LINES);
        corner(0.4f, 0);
        corner(0.4f, 0.4f);
        corner(0, 0.4f);
        corner(0.4f, 0.4f);
        glEnd();
        if (!fc.pick && fc.s.HoverRestriction == plane + 3) {
            glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT);
            glDisable(GL_CULL_FACE);
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glColor4f(1, 1, 0, 0.5f);
            glBegin(GL_QUADS);
            corner(0, 0);
            corner(0.4f, 0);
            corner(0.4f, 0.4f);
            corner(0, 0.4f);
            glEnd();
            glPopAttrib();
        }
    }
    if (fc.pick)
        return;
    // Arrow cones: a fan from the tip to a small hexagon at 0.7, closed by a darker fan.
    static const float ring[6][2] = {{0.05f, 0},  {0.025f, 0.0433f},   {-0.025f, 0.0433f},
                                     {-0.05f, 0}, {-0.025f, -0.0433f}, {0.025f, -0.0433f}};
    for (int axis = 0; axis < 3; ++axis) {
        if (skipY && axis == 1)
            continue;
        const int u = (axis + 1) % 3;
        const int v = (axis + 2) % 3;
        auto point = [&](float along, float ru, float rv) {
            float p[3] = {0, 0, 0};
            p[axis] = along;
            p[u] = ru;
            p[v] = rv;
            glVertex3fv(p);
        };
        for (int pass = 0; pass < 2; ++pass) {
            float c[3] = {axis == 0 ? 1.0f : 0.0f, axis == 1 ? 1.0f : 0.0f,
                          axis == 2 ? 1.0f : 0.0f};
            if (axis == fc.s.HoverRestriction)
                c[0] = c[1] = 1.0f, c[2] = 0.0f;
            const float k = pass == 0 ? 1.0f : 0.5f;
            glColor3f(c[0] * k, c[1] * k, c[2] * k);
            glBegin(GL_TRIANGLE_FAN);
            point(pass == 0 ? 1.0f : 0.7f, 0, 0);
            for (int i = 0; i <= 6; ++i)
                point(0.7f, ring[i % 6][0], ring[i % 6][1]);
            glEnd();
        }
    }
}

void unitCircle(GLenum mode) {
    glBegin(mode);
    if (mode == GL_TRIANGLE_FAN)
        glVertex3f(0, 0, 0);
    for (int i = 0; i <= 100; ++i) {
        const double a = 2 * 3.14159265358979 * i / 100;
        glVertex3f(static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)), 0);
    }
    glEnd();
}

void drawRotateGizmo(const FrameContext& fc, const std::array<GLdouble, 3>& d, bool skipY) {
    drawAxisLines(fc, 0.0f, 0.4f, skipY);
    const float rx = fc.gizmoRot.X;
    const float ry = fc.gizmoRot.Y;
    const GLdouble plane[4] = {d[0], d[1], d[2], 0};
    glClipPlane(GL_CLIP_PLANE0, plane);
    glEnable(GL_CLIP_PLANE0);
    for (int axis = 0; axis < 3; ++axis) {
        if (skipY && axis == 1)
            continue;
        if (fc.pick)
            setIdentityColour(static_cast<uint32_t>(axis + 1));
        else
            axisColour(axis, fc.s.HoverRestriction);
        glPushMatrix();
        if (axis == 0) {
            glRotatef(90, 0, 1, 0);
        } else if (axis == 1) {
            glRotatef(-rx, 1, 0, 0);
            glRotatef(90, 1, 0, 0);
        } else {
            glRotatef(-rx, 1, 0, 0);
            glRotatef(-ry, 0, 1, 0);
        }
        unitCircle(GL_LINE_STRIP);
        glPopMatrix();
    }
    glDisable(GL_CLIP_PLANE0);
    if (fc.pick)
        return;
    // The translucent disc facing the viewer.
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    glPushMatrix();
    const double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (len > 0) {
        // Turn the disc's normal (0, 0, 1) onto d.
        const double nx = d[0] / len, ny = d[1] / len, nz = d[2] / len;
        const double angle = std::acos(std::max(-1.0, std::min(1.0, nz))) * 180 / 3.14159265358979;
        if (std::fabs(nx) + std::fabs(ny) > 1e-9)
            glRotated(angle, -ny, nx, 0);
        else if (nz < 0)
            glRotated(180, 1, 0, 0);
    }
    unitCircle(GL_TRIANGLE_FAN);
    glPopMatrix();
    glPopAttrib();
}

void drawScaleGizmo(const FrameContext& fc, bool skipY) {
    drawAxisLines(fc, 0.2f, 1.0f, skipY);
    for (int plane = 0; plane < 3; ++plane) {
        const int a = kPlaneAxes[plane][0];
        const int b = kPlaneAxes[plane][1];
        if (skipY && (a == 1 || b == 1))
            continue;
        planeColour(fc, plane);
        glBegin(GL_LINES);
        axisPoint(a, 0.8f);
        axisPoint(b, 0.8f);
        glEnd();
    }
    if (fc.pick) {
        setIdentityColour(kHandleCentre);
        glPushAttrib(GL_ENABLE_BIT);
        glDisable(GL_CULL_FACE);
        glBegin(GL_TRIANGLES);
        glVertex3f(0, 0.4f, 0);
        glVertex3f(0.4f, 0, 0);
        glVertex3f(0, 0, 0.4f);
        glEnd();
        glPopAttrib();
        return;
    }
    glPushAttrib(GL_ENABLE_BIT | GL_POINT_BIT);
    glEnable(GL_POINT_SMOOTH);
    glPointSize(8);
    glBegin(GL_POINTS);
    glColor3f(1, 0, 0);
    glVertex3f(1, 0, 0);
    glColor3f(0, 0, 1);
    glVertex3f(0, 0, 1);
    if (!skipY) {
        glColor3f(0, 1, 0);
        glVertex3f(0, 1, 0);
    }
    glEnd();
    glPopAttrib();
}

} // namespace

void drawGizmo(FrameContext& fc) {
    SceneState& s = fc.s;
    if (s.Gizmo == GizmoKind::None || !fc.haveSelectedMatrix)
        return;
    // A pick pass sees the move handles only while the move tool is armed.
    if (fc.pick && s.Gizmo == GizmoKind::Move && !s.MoveArmed)
        return;
    const float g = s.Camera.CamDistance / 15.0f;
    const bool skipY = s.LayersMode;
    glPushMatrix();
    glLoadMatrixd(fc.selectedMatrix.data());
    std::array<GLdouble, 3> d{0, 0, 1};
    if (s.Gizmo == GizmoKind::Rotate) {
        std::array<GLdouble, 16> model{};
        glGetDoublev(GL_MODELVIEW_MATRIX, model.data());
        GLdouble wx, wy, wz, ax, ay, az, bx, by, bz;
        if (gluProject(0, 0, 0, model.data(), fc.projection.data(), fc.viewport.data(), &wx, &wy,
                       &wz) == GL_TRUE &&
            gluUnProject(wx, wy, wz, model.data(), fc.projection.data(), fc.viewport.data(), &ax,
                         &ay, &az) == GL_TRUE &&
            gluUnProject(wx, wy, -1, model.data(), fc.projection.data(), fc.viewport.data(), &bx,
                         &by, &bz) == GL_TRUE)
            d = {bx - ax, by - ay, bz - az};
    }
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    // Handles are picked as thin as they are drawn: the pick finds the nearest within a
    // tolerance around the pointer, the same on every driver and pixel ratio.
    glScalef(g, g, g);
    switch (s.Gizmo) {
    case GizmoKind::Move:
        drawMoveGizmo(fc, skipY);
        if (!fc.pick)
            gizmoLabels(s, 1.2f, skipY);
        break;
    case GizmoKind::Rotate:
        drawRotateGizmo(fc, d, skipY);
        if (!fc.pick)
            gizmoLabels(s, 0.5f, skipY);
        break;
    case GizmoKind::Scale:
        drawScaleGizmo(fc, skipY);
        if (!fc.pick)
            gizmoLabels(s, 1.2f, skipY);
        break;
    case GizmoKind::None:
        break;
    }
    glPopAttrib();
    glPopMatrix();
}

} // namespace lw::gl::detail

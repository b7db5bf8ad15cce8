#include "render/gl/SceneDrawer.h"

#include "render/IdentityColour.h"
#include "render/SceneBounds.h"
#include "render/ViewMath.h"
#include "render/gl/FontLists.h"
#include "render/gl/FrameDrawing.h"
#include "render/gl/PoxelLists.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#ifndef GL_MULTISAMPLE
#define GL_MULTISAMPLE 0x809D
#endif

namespace lw::gl {

using detail::applyCamera;
using detail::axisPoint;
using detail::drawGizmo;
using detail::DrawNode;
using detail::FrameContext;
using detail::subtreeBoxes;

namespace {

void drawWater() {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE_MINUS_SRC_COLOR, GL_SRC_ALPHA);
    const float planes[3][2] = {{-0.9f, 0.6f}, {-0.4f, 0.8f}, {-0.1f, 1.0f}};
    for (const auto& pl : planes) {
        glColor4f(0, 0.3f, 0.5f, pl[1]);
        glBegin(GL_QUADS);
        glNormal3f(0, 1, 0);
        glVertex3f(-200, pl[0], -200);
        glVertex3f(-200, pl[0], 200);
        glVertex3f(200, pl[0], 200);
        glVertex3f(200, pl[0], -200);
        glEnd();
    }
    glPopAttrib();
}
void drawCornerTripod(const SceneState& s) {
    const TCamera& c = s.Camera;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, c.Width / 7, c.Height / 7);
    gluPerspective(20, aspectRatio(c), 5, 20);
    gluLookAt(0, 0, -10, 0, 0, 0, 0, 1, 0);
    glRotatef(c.CamPitch, 1, 0, 0);
    glRotatef(c.CamYaw, 0, 1, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glCallList(kListTripod);
    glViewport(0, 0, c.Width, c.Height);
}

} // namespace

void SetupGLState(SceneState& state) {
    glEnable(GL_DEPTH_TEST);
    glAlphaFunc(GL_GREATER, 0.7f);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_NORMALIZE);
    glEnable(GL_CULL_FACE);
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glPolygonOffset(1, 1);
    const GLfloat ambient[4] = {0.1f, 0.1f, 0.1f, 1};
    const GLfloat position[4] = {0, 32, 0, 1};
    const GLfloat diffuse[4] = {0.6f, 0.6f, 0.6f, 1};
    const GLfloat specular[4] = {1, 1, 1, 1};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT, GL_SHININESS, 50);
    resetCamera(state.Camera);
    state.ShowGrid = true;
    state.Wireframe = true;
}

void BuildFixedLists(int fontBase) {
    glNewList(kListTripod, GL_COMPILE);
    glDisable(GL_LIGHTING);
    static const char* names[3] = {"x", "y", "z"};
    for (int axis = 0; axis < 3; ++axis) {
        glColor3f(axis == 0 ? 1.0f : 0.0f, axis == 1 ? 1.0f : 0.0f, axis == 2 ? 1.0f : 0.0f);
        glBegin(GL_LINES);
        axisPoint(axis, 0);
        axisPoint(axis, 1);
        glEnd();
        glRasterPos3f(axis == 0 ? 1.2f : 0.0f, axis == 1 ? 1.2f : 0.0f, axis == 2 ? 1.2f : 0.0f);
        drawLabel(fontBase, names[axis]);
    }
    glEnable(GL_LIGHTING);
    glEndList();

    glNewList(kListCross, GL_COMPILE);
    glBegin(GL_LINES);
    for (int axis = 0; axis < 3; ++axis) {
        axisPoint(axis, -0.1f);
        axisPoint(axis, 0.1f);
    }
    glEnd();
    glEndList();

    glNewList(kListGrid, GL_COMPILE);
    glBegin(GL_LINES);
    for (int i = -16; i <= 16; ++i) {
        const float at = 5.0f * static_cast<float>(i);
        glVertex3f(-80, 0, at);
        glVertex3f(80, 0, at);
        glVertex3f(at, 0, -80);
        glVertex3f(at, 0, 80);
    }
    glEnd();
    glEndList();
}

void RenderFrame(SceneState& s, bool pick) {
    FrameContext fc{s, pick};
    TCamera& c = s.Camera;
    s.Selected = nullptr;
    releasePendingLists();
    endPoxelArrays(); // in case a draw outside a pass left them on
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, c.Width, c.Height);
    fc.viewport = {0, 0, c.Width, c.Height};
    if (pick) {
        // The square of pixels around the one under the pointer (window y runs up) fills a
        // viewport of its size, pixel for pixel, centred on that pixel's centre.
        const int side = 2 * s.PickRadius + 1;
        gluPickMatrix(s.PickX + 0.5, c.Height - s.PickY - 0.5, side, side, fc.viewport.data());
        glViewport(0, 0, side, side);
        // Clearing ignores the viewport: the scissor keeps it to the pixels read back.
        glScissor(0, 0, side, side);
        glEnable(GL_SCISSOR_TEST);
        glDisable(GL_DITHER);
        glDisable(GL_BLEND);
        glDisable(GL_MULTISAMPLE);
    } else {
        glEnable(GL_DITHER);
    }
    clampCamera(c);
    applyCamera(c);
    if (pick)
        glGetDoublev(GL_PROJECTION_MATRIX, fc.pickProjection.data());
    {
        // The same camera without the pick matrix, for laying out icons in screen pixels.
        glPushMatrix();
        glLoadIdentity();
        applyCamera(c);
        glGetDoublev(GL_PROJECTION_MATRIX, fc.projection.data());
        glPopMatrix();
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const auto light = headLightPosition(c);
    glLightfv(GL_LIGHT0, GL_POSITION, light.data());

    // 1. Helpers.
    glDisable(GL_LIGHTING);
    if (!pick && s.ShowHelpers) {
        glPushMatrix();
        glTranslatef(-c.CamPan.X, -c.CamPan.Y, -c.CamPan.Z);
        glColor3f(1, 1, 0);
        glCallList(kListCross);
        glPopMatrix();
        if (s.ShowGrid) {
            glColor3f(0.5f, 0.5f, 0.5f);
            glCallList(kListGrid);
        }
        glPushMatrix();
        glDisable(GL_DEPTH_TEST);
        glColor3f(1, 0, 0);
        glScalef(5, 5, 5);
        glCallList(kListCross);
        glEnable(GL_DEPTH_TEST);
        glPopMatrix();
    }
    // 2-3. The heightmap preview belongs to the edited map.
    glEnable(GL_LIGHTING);
    glColor3f(0.2f, 0.6f, 0.7f);
    const Mat4 world = identityMatrix();
    glPushMatrix();
    if (s.HeightmapPreview && s.ShownRoot == s.EditRoot)
        DrawNode(fc, *s.HeightmapPreview, nullptr, world, s.HideParent, false);
    // 4. The shown document.
    glColor3f(0.2f, 0.6f, 0.7f);
    // With the move or scale tool in layers mode a press drags level corners, so the pick pass
    // sees only the gizmo. The document is still walked, unseen, for the frame the gizmo
    // stands in.
    const bool objectTool = s.Gizmo == GizmoKind::Move || s.Gizmo == GizmoKind::Scale;
    const bool gizmoOnly = pick && s.LayersMode && objectTool;
    if (gizmoOnly) {
        glPushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        glDepthMask(GL_FALSE);
    }
    // Icons are laid out in screen pixels and the point tools walk to the selected node, so
    // only frames without them skip whole subtrees. Bringing the boxes up to date costs a
    // lookup per node, a small part of a screen frame but as much as a pick pass saves by it:
    // pick passes skip poxel by poxel only.
    fc.skipSubtrees = s.ShownRoot && !pick && s.FrameCulling && !s.ShowDummy && !s.HeightPick &&
                      !s.LayersMode && !s.BrushPickPass;
    if (fc.skipSubtrees)
        subtreeBoxes().refresh(*s.ShownRoot, s.SelectedId);
    if (s.ShownRoot) {
        if (s.BrushPickPass)
            DrawNode(fc, *s.ShownRoot, nullptr, world, true, false);
        else
            DrawNode(fc, *s.ShownRoot, nullptr, world, s.HideParent, false);
    }
    endPoxelArrays();
    glLoadIdentity();
    if (!pick && s.Water)
        drawWater();
    if (gizmoOnly)
        glPopAttrib();
    if (!pick && s.DrawImportedModel)
        s.DrawImportedModel();
    // 5. The copy of a Ctrl-move, drawn where it will land (it takes no part in picking).
    if (s.CopyPreview && s.Selected && !pick) {
        FrameContext preview = fc;
        DrawNode(preview, *s.Selected, nullptr, world, s.HideParent, false, &fc.copyMatrix);
        endPoxelArrays();
    }
    s.CopyPreview = false;
    glPopMatrix();
    // 6. Gizmo above everything.
    glClear(GL_DEPTH_BUFFER_BIT);
    drawGizmo(fc);
    // 7. Corner tripod.
    if (!pick && s.ShowHelpers)
        drawCornerTripod(s);
    else
        glDisable(GL_SCISSOR_TEST);
}

std::vector<uint32_t> PickWindow(SceneState& state, int x, int y, int radius) {
    state.PickX = x;
    state.PickY = y;
    state.PickRadius = std::max(0, radius);
    const int side = 2 * state.PickRadius + 1;
    RenderFrame(state, true);
    state.PickRadius = 0;
    glFinish();
    std::vector<GLubyte> rgb(size_t(side) * size_t(side) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, side, side, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // Rows come from the bottom; the window runs from the top.
    std::vector<uint32_t> ids(size_t(side) * size_t(side));
    for (int row = 0; row < side; ++row)
        for (int col = 0; col < side; ++col) {
            const GLubyte* p = &rgb[(size_t(row) * size_t(side) + size_t(col)) * 3];
            ids[size_t(side - 1 - row) * size_t(side) + size_t(col)] =
                identityOfPixel(p[0], p[1], p[2]);
        }
    return ids;
}

uint32_t PickAt(SceneState& state, int x, int y) {
    return PickWindow(state, x, y, 0).front();
}

std::vector<uint16_t> RenderDepthFromAbove(const SceneState& state, TPoxel& node) {
    // A private copy: the pass must neither select nor zoom nor run a drag step.
    SceneState s = state;
    s.SelectedId = 0;
    s.Selected = nullptr;
    s.MoveArmed = s.RotateArmed = s.ScaleArmed = false;
    s.HeightPick = s.LayersMode = s.BrushPickPass = false;
    s.ShowDummy = false;
    s.ZoomSelectedRequest = false;
    s.DragStep = DragPreview{};
    s.PickCulling = false;
    FrameContext fc{s, true};
    releasePendingLists();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, kDepthSide, kDepthSide);
    fc.viewport = {0, 0, kDepthSide, kDepthSide};
    glOrtho(-74.9, 75.1, -74.9, 75.1, -5, 2.5);
    gluLookAt(0, 0, -1, 0, 0, 0, 0, 1, 0);
    glRotatef(-90, 1, 0, 0);
    glRotatef(-90, 0, 1, 0);
    glGetDoublev(GL_PROJECTION_MATRIX, fc.projection.data());
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glDisable(GL_DITHER);
    glDisable(GL_BLEND);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawNode(fc, node, nullptr, identityMatrix(), s.HideParent, true);
    endPoxelArrays();
    glFinish();
    std::vector<uint16_t> depth(size_t(kDepthSide) * kDepthSide);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kDepthSide, kDepthSide, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, depth.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    return depth;
}

void FocusCamera(TCamera& camera, const TPoxel& poxel) {
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    Mat4 world;
    std::copy(m, m + 16, world.begin());
    focusCameraOnNode(camera, poxel, world);
}

} // namespace lw::gl

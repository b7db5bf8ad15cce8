#include "render/gl/SceneDrawer.h"

#include "render/Icons.h"
#include "render/IdentityColour.h"
#include "render/ViewMath.h"
#include "render/gl/FontLists.h"
#include "render/gl/GlFunctions.h"
#include "render/gl/PoxelLists.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#ifndef GL_BGRA_EXT
#define GL_BGRA_EXT 0x80E1
#endif
#ifndef GL_MULTISAMPLE
#define GL_MULTISAMPLE 0x809D
#endif

namespace lw::gl {

namespace {

// What one frame needs beyond the state: the camera projection without the pick matrix and the
// full viewport (icons are laid out in screen pixels), and the selected node's matrix for the
// gizmo.
struct FrameContext {
    SceneState& s;
    bool pick = false;
    std::array<GLdouble, 16> projection{};
    std::array<GLint, 4> viewport{};
    // The projection of a pick pass (pick matrix included), for skipping nodes.
    Mat4 pickProjection = identityMatrix();
    Mat4 selectedMatrix = identityMatrix();
    bool haveSelectedMatrix = false;
    // The rotation the rotate gizmo's circles follow (the node's, or the running drag's).
    TVec3 gizmoRot{};
    // Where the copy of a Ctrl-move is drawn.
    Mat4 copyMatrix = identityMatrix();
};

// "Visible" lives in bits 16-23 of Surface2; a poxel that is not visible is drawn as lines.
bool poxelVisible(const TPoxel& p) {
    return (p.Surface2 >> 16 & 0xFFu) != 0;
}

void setIdentityColour(uint32_t id) {
    const auto c = identityColour(id);
    glColor4f(c[0], c[1], c[2], c[3]);
}

const std::vector<uint8_t>& iconPixels(IconKind kind) {
    static const std::vector<uint8_t> detail = iconPixelsOfTga(iconTga(IconKind::Detail)).value();
    static const std::vector<uint8_t> dummy = iconPixelsOfTga(iconTga(IconKind::Dummy)).value();
    return kind == IconKind::Detail ? detail : dummy;
}

// Camera projection of Part "projection and view": perspective, then eye, pitch, yaw and pan.
void applyCamera(const TCamera& c) {
    gluPerspective(c.CamFov, aspectRatio(c), 0.1, 2000.0);
    gluLookAt(0, 0, -c.CamDistance, 0, 0, 0, 0, 1, 0);
    glRotatef(c.CamPitch, 1, 0, 0);
    glRotatef(c.CamYaw, 0, 1, 0);
    glTranslatef(c.CamPan.X, c.CamPan.Y, c.CamPan.Z);
}

void scaleBySize(const TPoxel& p) {
    glScalef(p.Size.X, p.Size.Y, p.Size.Z);
}

void DrawPoxelLists(const TPoxel& p, bool textured) {
    glPushMatrix();
    scaleBySize(p);
    if (textured) {
        // The two-texture combiner: unit 0 = second texture, unit 1 = first, mixed by the vertex
        // alpha and modulated by the vertex colour.
        glEnable(GL_TEXTURE_2D);
        glPushAttrib(GL_TEXTURE_BIT | GL_EVAL_BIT);
        activeTexture(GL_TEXTURE1);
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_REPLACE);
        activeTexture(GL_TEXTURE0);
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_INTERPOLATE);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_TEXTURE1);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE2_RGB, GL_PRIMARY_COLOR);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND2_RGB, GL_SRC_ALPHA);
        activeTexture(GL_TEXTURE1);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_PREVIOUS);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PRIMARY_COLOR);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR);
        activeTexture(GL_TEXTURE0);
    }
    glCallList(p.GlLists);
    if (textured) {
        glPopAttrib();
        disableTexturing();
    }
    glPopMatrix();
}

void DrawEdgeList(const TPoxel& p) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glColor3f(0, 0, 0);
    glPushMatrix();
    scaleBySize(p);
    glCallList(p.GlLists + kEdgeListOffset);
    glPopMatrix();
    glPopAttrib();
}

void DrawPickList(const TPoxel& p) {
    glPushMatrix();
    scaleBySize(p);
    glCallList(p.GlLists + kPickListOffset);
    glPopMatrix();
}

void DrawBoxMode(const TPoxel& p) {
    glPushMatrix();
    scaleBySize(p);
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_TEXTURE_2D);
    const TVec3 lo = p.BoxMin;
    const TVec3 hi = p.BoxMax;
    const std::array<TVec3, 9> v = {TVec3{},
                                    TVec3{lo.X, lo.Y, lo.Z},
                                    TVec3{lo.X, lo.Y, hi.Z},
                                    TVec3{lo.X, hi.Y, hi.Z},
                                    TVec3{lo.X, hi.Y, lo.Z},
                                    TVec3{hi.X, lo.Y, lo.Z},
                                    TVec3{hi.X, hi.Y, hi.Z},
                                    TVec3{hi.X, hi.Y, lo.Z},
                                    TVec3{hi.X, lo.Y, hi.Z}};
    static constexpr int faces[6][4] = {{1, 2, 3, 4}, {4, 3, 6, 7}, {5, 8, 2, 1},
                                        {8, 6, 3, 2}, {7, 5, 1, 4}, {7, 6, 8, 5}};
    glBegin(GL_TRIANGLES);
    for (const auto& f : faces) {
        const TVec3& a = v[static_cast<size_t>(f[0])];
        const TVec3& b = v[static_cast<size_t>(f[1])];
        const TVec3& c = v[static_cast<size_t>(f[2])];
        const TVec3& d = v[static_cast<size_t>(f[3])];
        const float ux = b.X - a.X, uy = b.Y - a.Y, uz = b.Z - a.Z;
        const float wx = c.X - a.X, wy = c.Y - a.Y, wz = c.Z - a.Z;
        glNormal3f(uy * wz - uz * wy, uz * wx - ux * wz, ux * wy - uy * wx);
        for (const TVec3* q : {&a, &b, &c, &d, &a, &c})
            glVertex3f(q->X, q->Y, q->Z);
    }
    glEnd();
    glPopAttrib();
    glPopMatrix();
}

void DrawSelectionBox(const TPoxel& p) {
    const TVec3 lo = p.BoxMin;
    const TVec3 hi = p.BoxMax;
    const bool group = p.IsGroup;
    const float lx = group ? 0.3f : 0.3f * (hi.X - lo.X);
    const float ly = group ? 0.3f : 0.3f * (hi.Y - lo.Y);
    const float lz = group ? 0.3f : 0.3f * (hi.Z - lo.Z);
    glPushMatrix();
    scaleBySize(p);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    glBegin(GL_LINES);
    for (int corner = 0; corner < 8; ++corner) {
        // Each corner's sign per axis: +1 on the high side, -1 on the low side.
        const float sx = (corner & 1) ? 1.0f : -1.0f;
        const float sy = (corner & 2) ? 1.0f : -1.0f;
        const float sz = (corner & 4) ? 1.0f : -1.0f;
        const float x = ((corner & 1) ? hi.X : lo.X) + sx * 0.1f * lx;
        const float y = ((corner & 2) ? hi.Y : lo.Y) + sy * 0.1f * ly;
        const float z = ((corner & 4) ? hi.Z : lo.Z) + sz * 0.1f * lz;
        glVertex3f(x, y, z);
        glVertex3f(x - sx * lx, y, z);
        glVertex3f(x, y, z);
        glVertex3f(x, y - sy * ly, z);
        glVertex3f(x, y, z);
        glVertex3f(x, y, z - sz * lz);
    }
    glEnd();
    glPopAttrib();
    glPopMatrix();
}

void DrawIcon(FrameContext& fc, IconKind kind, const std::string& name) {
    std::array<GLdouble, 16> model{};
    glGetDoublev(GL_MODELVIEW_MATRIX, model.data());
    GLdouble wx = 0, wy = 0, wz = 0;
    if (gluProject(0, 0, 0, model.data(), fc.projection.data(), fc.viewport.data(), &wx, &wy,
                   &wz) != GL_TRUE)
        return;
    auto unproject = [&](double dx, double dy, double depth, GLdouble out[3]) {
        return gluUnProject(wx + dx, wy + dy, depth, model.data(), fc.projection.data(),
                            fc.viewport.data(), &out[0], &out[1], &out[2]) == GL_TRUE;
    };
    if (fc.pick) {
        const double w = (!fc.s.HideName && fc.s.NameWidth) ? fc.s.NameWidth(name) : 0;
        const double corners[4][2] = {{4 + w, 4}, {-4, 4}, {-4, -4}, {4 + w, -4}};
        glBegin(GL_QUADS);
        for (const auto& c : corners) {
            GLdouble p[3];
            if (unproject(c[0], c[1], wz, p))
                glVertex3d(p[0], p[1], p[2]);
        }
        glEnd();
        return;
    }
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_ALPHA_TEST);
    glColor3f(1, 1, 1);
    GLdouble p[3];
    if (unproject(-8, -8, wz, p)) {
        glRasterPos3d(p[0], p[1], p[2]);
        glDrawPixels(kIconSize, kIconSize, GL_BGRA_EXT, GL_UNSIGNED_BYTE, iconPixels(kind).data());
    }
    if (!fc.s.HideName && unproject(10, 0, wz, p)) {
        glRasterPos3d(p[0], p[1], p[2]);
        drawLabel(fc.s.FontBase, name.c_str());
    }
    glPopAttrib();
}

// Nodes are placed on the CPU (the same frames the object drags compute with) and each node's
// frame is loaded whole; a pick pass can then skip the nodes that cannot reach its pixel
// without touching OpenGL at all.
void DrawNode(FrameContext& fc, TPoxel& node, TPoxel* parent, const Mat4& frame, bool hideParent,
              bool force, const Mat4* placed = nullptr) {
    SceneState& s = fc.s;
    const bool pick = fc.pick;
    const bool copyPass = placed != nullptr;
    Mat4 m = placed ? *placed : placeNode(frame, node, parent, s.KestrelEmitters);
    // The frame the node's children are placed in (a scale preview may leave them unscaled).
    Mat4 childFrame = m;
    bool loaded = false;
    auto load = [&] {
        if (!loaded)
            glLoadMatrixd(m.data());
        loaded = true;
    };

    const bool isSelected = s.SelectedId != 0 && node.ListId == s.SelectedId;

    if (s.BrushPickPass && isSelected) {
        load();
        glPushMatrix();
        scaleBySize(node);
        node.DirectDraw = true;
        node.ShowPoints = s.ShowPoints;
        BuildPoxelMesh(node, nullptr);
        glPopMatrix();
        node.DirectDraw = false;
        node.ShowPoints = false;
        s.Selected = &node;
        return;
    }
    if (s.HeightPick || s.LayersMode) {
        if (!isSelected) {
            // Only the selected poxel's points are picked; the walk goes on down to it.
            if (pick) {
                for (auto& child : node.Children)
                    DrawNode(fc, *child, nullptr, childFrame, hideParent, force);
                return;
            }
        } else {
            load();
            glPushMatrix();
            scaleBySize(node);
            MeshBuildExtras extras;
            if (s.HeightPick) {
                node.HeightPickMode = true;
                node.HeightPicks = s.HeightPicks;
                node.HeightPickPass = pick;
                if (s.HeightPicks) {
                    const TPickArray* list = s.HeightPicks;
                    extras.HeightWeight = [list](int32_t x, int32_t z) {
                        return HeightWeight(x, z, *list);
                    };
                }
            } else {
                node.LayerPickMode = true;
                node.LayerPicks = s.LayerPicks;
                node.LayerPickPass = pick;
                if (s.LayerPicks) {
                    const TLPickArray* list = s.LayerPicks;
                    extras.LayerWeight = [list](int32_t corner, int32_t level) {
                        return LayerWeight(corner, level, *list);
                    };
                }
            }
            BuildPoxelMesh(node, nullptr, extras);
            node.HeightPickMode = node.LayerPickMode = false;
            node.HeightPickPass = node.LayerPickPass = false;
            glPopMatrix();
            if (pick) {
                s.Selected = &node;
                // The gizmo of the layers brush stands in the node's own frame.
                fc.selectedMatrix = m;
                fc.gizmoRot = node.Rot;
                fc.haveSelectedMatrix = true;
                return;
            }
        }
    }

    if (isSelected && !copyPass) {
        s.Selected = &node;
        // The gizmo: the parent's axes at the node's origin for moving (the node's own axes in
        // layers mode), the node's own frame for rotating and scaling.
        fc.selectedMatrix =
            (s.Gizmo == GizmoKind::Move && !s.LayersMode) ? withTranslationOf(frame, m) : m;
        fc.gizmoRot = node.Rot;
        const DragPreview& d = s.DragStep;
        if (d.Active && d.ListId == node.ListId) {
            m = d.Draw;
            childFrame = d.Children;
            fc.selectedMatrix = d.Gizmo;
            fc.gizmoRot = d.GizmoRot;
            if (d.CopyPreview) {
                s.CopyPreview = true;
                fc.copyMatrix = d.Copy;
            }
            if (d.Lines && !pick) {
                glLoadMatrixd(d.LineFrame.data());
                glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
                glDisable(GL_LIGHTING);
                glDisable(GL_TEXTURE_2D);
                glColor3f(1, 1, 0);
                glBegin(GL_LINES);
                glVertex3d(0, 0, 0);
                glVertex3d(d.LineHit.X, d.LineHit.Y, d.LineHit.Z);
                glVertex3d(0, 0, 0);
                glVertex3d(d.LineStart.X, d.LineStart.Y, d.LineStart.Z);
                glEnd();
                glPopAttrib();
            }
        }
        fc.haveSelectedMatrix = true;
        load();
        if (!pick)
            DrawSelectionBox(node);
        if (s.ZoomSelectedRequest) {
            FocusCamera(s.Camera, node);
            s.ZoomSelectedRequest = false;
        }
    } else if (isSelected && !pick) {
        load();
        DrawSelectionBox(node);
    }

    const bool armed = s.MoveArmed || s.RotateArmed || s.ScaleArmed;
    bool drawn =
        (force || !(hideParent && !isSelected)) && (force || !armed || !pick || isSelected) &&
        (!node.IsEntity || !armed || !pick || isSelected) && (!node.IsGroup || s.ShowDummy);
    // A pick pass draws a poxel only when its box can reach the pick pixel; icons are cheap and
    // laid out in screen pixels, so they are always drawn.
    if (drawn && pick && s.PickCulling && !isSelected && !node.IsEntity && !node.IsGroup &&
        hasLists(node)) {
        Mat4 clip = multiply(fc.pickProjection, m);
        for (size_t row = 0; row < 4; ++row) {
            clip[row] *= node.Size.X;
            clip[4 + row] *= node.Size.Y;
            clip[8 + row] *= node.Size.Z;
        }
        drawn = boxMayBeVisible(clip, node.BoxMin, node.BoxMax);
    }
    if (drawn) {
        load();
        bool pushed = false;
        if (pick) {
            glPushAttrib(GL_ENABLE_BIT);
            pushed = true;
            glDisable(GL_LIGHTING);
            glDisable(GL_TEXTURE_2D);
            glDisable(GL_NORMALIZE);
            glDisable(GL_AUTO_NORMAL);
            setIdentityColour(static_cast<uint32_t>(node.ListId));
        } else {
            glColor4ub(static_cast<GLubyte>(node.Color & 0xFF),
                       static_cast<GLubyte>(node.Color >> 8 & 0xFF),
                       static_cast<GLubyte>(node.Color >> 16 & 0xFF),
                       static_cast<GLubyte>(node.Color >> 24 & 0xFF));
        }
        if (node.IsEntity) {
            DrawIcon(fc, IconKind::Detail, node.Name);
            if (pushed)
                glPopAttrib();
            return;
        }
        if (node.IsGroup) {
            DrawIcon(fc, IconKind::Dummy, node.Name);
        } else if (hasLists(node)) {
            const bool nodeVisible = poxelVisible(node);
            if (s.BoxMode && !isSelected) {
                if (!pick && (s.Wireframe || !nodeVisible))
                    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
                DrawBoxMode(node);
                glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
            } else if (pick) {
                DrawPickList(node);
            } else if (s.Wireframe) {
                glEnable(GL_POLYGON_OFFSET_FILL);
                if (nodeVisible)
                    DrawPoxelLists(node, s.ShowTextures);
                glDisable(GL_POLYGON_OFFSET_FILL);
                DrawEdgeList(node);
            } else {
                if (!nodeVisible)
                    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
                DrawPoxelLists(node, s.ShowTextures);
                glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
            }
        }
        if (pushed)
            glPopAttrib();
    } else if (node.IsEntity) {
        return;
    }

    // Entities sit in the node's lattice as drawn (a scale preview moves them with it); the
    // children follow the node's frame.
    if (s.ShowDummy)
        for (auto& entity : node.Entities)
            DrawNode(fc, *entity, &node, m, hideParent, true);
    const bool childForce = (isSelected && !s.HideChild) ? true : force;
    for (auto& child : node.Children)
        DrawNode(fc, *child, nullptr, childFrame, hideParent, childForce);
}

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

// Axis colour, yellow when the axis (or a square holding it) is the highlighted restriction.
void axisColour(int axis, int hover) {
    if (axis == hover) {
        glColor3f(1, 1, 0);
        return;
    }
    glColor3f(axis == 0 ? 1.0f : 0.0f, axis == 1 ? 1.0f : 0.0f, axis == 2 ? 1.0f : 0.0f);
}

void axisPoint(int axis, float t) {
    glVertex3f(axis == 0 ? t : 0.0f, axis == 1 ? t : 0.0f, axis == 2 ? t : 0.0f);
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
    glScalef(g, g, g);
    if (fc.pick)
        glLineWidth(8);
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
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, c.Width, c.Height);
    fc.viewport = {0, 0, c.Width, c.Height};
    if (pick) {
        // The pixel under the pointer (window y runs up) fills the whole one-pixel viewport.
        gluPickMatrix(s.PickX, c.Height - s.PickY - 1, 2, 2, fc.viewport.data());
        glViewport(0, 0, 1, 1);
        // Clearing ignores the viewport: the scissor keeps it to the one pixel read back.
        glScissor(0, 0, 1, 1);
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
    if (s.ShownRoot) {
        if (s.BrushPickPass)
            DrawNode(fc, *s.ShownRoot, nullptr, world, true, false);
        else
            DrawNode(fc, *s.ShownRoot, nullptr, world, s.HideParent, false);
    }
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

uint32_t PickAt(SceneState& state, int x, int y) {
    state.PickX = x;
    state.PickY = y;
    RenderFrame(state, true);
    glFinish();
    GLubyte rgb[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return identityOfPixel(rgb[0], rgb[1], rgb[2]);
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
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    camera.CamPan = TVec3{-m[12], -m[13], -m[14]};
    if (poxel.IsRoot) {
        camera.CamDistance = 100;
        return;
    }
    const float ex = (poxel.BoxMax.X - poxel.BoxMin.X) * poxel.Size.X;
    const float ey = (poxel.BoxMax.Y - poxel.BoxMin.Y) * poxel.Size.Y;
    const float ez = (poxel.BoxMax.Z - poxel.BoxMin.Z) * poxel.Size.Z;
    camera.CamDistance = 3 * std::max({ex, ey, ez});
}

} // namespace lw::gl

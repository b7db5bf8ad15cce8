// The node walk of a frame: poxel lists, boxes, icons, the selection brackets, and the running
// drag step applied to the selected node.
#include "render/gl/FrameDrawing.h"

#include "render/Icons.h"
#include "render/IdentityColour.h"
#include "render/gl/FontLists.h"
#include "render/gl/GlFunctions.h"
#include "render/gl/PoxelLists.h"
#include "render/gl/SceneDrawer.h"

#include <GL/glu.h>

#include <array>
#include <string>
#include <vector>

#ifndef GL_BGRA_EXT
#define GL_BGRA_EXT 0x80E1
#endif

namespace lw::gl::detail {

SubtreeBoxes& subtreeBoxes() {
    static auto* boxes = new SubtreeBoxes; // outlives nodes held in statics
    return *boxes;
}

void setIdentityColour(uint32_t id) {
    const auto c = identityColour(id);
    glColor4f(c[0], c[1], c[2], c[3]);
}

void applyCamera(const TCamera& c) {
    gluPerspective(c.CamFov, aspectRatio(c), 0.1, 2000.0);
    gluLookAt(0, 0, -c.CamDistance, 0, 0, 0, 0, 1, 0);
    glRotatef(c.CamPitch, 1, 0, 0);
    glRotatef(c.CamYaw, 0, 1, 0);
    glTranslatef(c.CamPan.X, c.CamPan.Y, c.CamPan.Z);
}

namespace {

// "Visible" lives in bits 16-23 of Surface2; a poxel that is not visible is drawn as lines.
bool poxelVisible(const TPoxel& p) {
    return (p.Surface2 >> 16 & 0xFFu) != 0;
}

const std::vector<uint8_t>& iconPixels(IconKind kind) {
    static const std::vector<uint8_t> detail = iconPixelsOfTga(iconTga(IconKind::Detail)).value();
    static const std::vector<uint8_t> dummy = iconPixelsOfTga(iconTga(IconKind::Dummy)).value();
    return kind == IconKind::Detail ? detail : dummy;
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
    drawPoxelTriangles(p);
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
    drawPoxelEdges(p);
    glPopMatrix();
    glPopAttrib();
}

void DrawPickList(const TPoxel& p) {
    glPushMatrix();
    scaleBySize(p);
    drawPoxelPickTriangles(p);
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

constexpr size_t kPrefetchAhead = 4;

void prefetchCullFields([[maybe_unused]] const TPoxel& node) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(&node.Pos);
    __builtin_prefetch(&node.IsGroup);
    __builtin_prefetch(&node.BoxMin);
    __builtin_prefetch(&node.ListsBuilt);
    __builtin_prefetch(&node.Children);
#endif
}

} // namespace

// Nodes are placed on the CPU (the same frames the object drags compute with) and each node's
// frame is loaded whole; a pick pass can then skip the nodes that cannot reach its pixel
// without touching OpenGL at all.
void DrawNode(FrameContext& fc, TPoxel& node, TPoxel* parent, const Mat4& frame, bool hideParent,
              bool force, const Mat4* placed) {
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

    // A subtree whose poxels all lie outside the view is skipped whole, unless the selected
    // node is in it (its gizmo and drag need the walk to reach it).
    if (fc.skipSubtrees && !node.Children.empty() && !copyPass) {
        if (const SubtreeBoxes::Box* box = subtreeBoxes().find(node);
            box && !box->HoldsSelected &&
            (!box->Any || !boxMayBeVisible(multiply(pick ? fc.pickProjection : fc.projection, m),
                                           box->Lo, box->Hi)))
            return;
    }

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
    // A poxel is drawn only when its box can reach the view (for a pick pass, the pick
    // pixel); icons are cheap and laid out in screen pixels, so they are always drawn.
    if (drawn && (pick ? s.PickCulling : s.FrameCulling) && !isSelected && !node.IsEntity &&
        !node.IsGroup && hasLists(node)) {
        Mat4 clip = multiply(pick ? fc.pickProjection : fc.projection, m);
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
    if (node.Children.empty())
        return;
    // Leaf poxels that would be culled are passed over before they are placed: a test of the
    // ball about each origin against the planes of this frame is much cheaper than placing.
    const bool culling = pick ? s.PickCulling : s.FrameCulling;
    const FramePlanes planes =
        culling ? framePlanes(multiply(pick ? fc.pickProjection : fc.projection, childFrame))
                : FramePlanes{};
    const size_t count = node.Children.size();
    for (size_t i = 0; i < count; ++i) {
        // The children lie scattered in memory and each test below reads a few of their cache
        // lines: ask for those of a child a little ahead while this one is tested.
        if (culling && i + kPrefetchAhead < count)
            prefetchCullFields(*node.Children[i + kPrefetchAhead]);
        const TPoxel& c = *node.Children[i];
        if (culling && c.Children.empty() && !c.IsEntity && !c.IsGroup &&
            (s.SelectedId == 0 || c.ListId != s.SelectedId) &&
            (!s.ShowDummy || c.Entities.empty()) && hasLists(c) && nodeSurelyOutside(planes, c))
            continue;
        DrawNode(fc, *node.Children[i], nullptr, childFrame, hideParent, childForce);
    }
}

} // namespace lw::gl::detail

#pragma once
// What the files of the scene drawer share: the context of one frame, the walk that draws the
// nodes and the gizmo. Internal to the drawer.

#include "core/Poxel.h"
#include "render/SceneState.h"
#include "render/SubtreeBoxes.h"
#include "render/ViewMath.h"

#include <GL/gl.h>

#include <array>
#include <cstdint>

namespace lw::gl::detail {

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
    // Whole subtrees outside the view (for a pick pass, away from the pick pixel) are skipped
    // by their boxes (subtreeBoxes()).
    bool skipSubtrees = false;
};

// The subtree boxes of the shown documents, refreshed by the frames that skip subtrees.
SubtreeBoxes& subtreeBoxes();

void setIdentityColour(uint32_t id);
// The camera's projection: perspective, then eye, pitch, yaw and pan.
void applyCamera(const TCamera& c);
// Draws `node` and what it holds, placed in `frame`; `placed` overrides the node's own frame
// (the copy of a Ctrl-move).
void DrawNode(FrameContext& fc, TPoxel& node, TPoxel* parent, const Mat4& frame, bool hideParent,
              bool force, const Mat4* placed = nullptr);
void axisPoint(int axis, float t);
// The selected node's move, rotate or scale handles, above everything.
void drawGizmo(FrameContext& fc);

} // namespace lw::gl::detail

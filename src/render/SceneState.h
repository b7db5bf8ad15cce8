#pragma once
// Everything the scene drawer reads: documents, switches, the editing state and the camera. The
// main window (or the command-line renderer) owns one and hands it to gl::RenderFrame; the
// drawer writes back only `Selected`, `ZoomSelectedRequest`, `CopyPreview` and the camera.

#include "core/Poxel.h"
#include "render/Camera.h"
#include "render/PickArrays.h"
#include "render/TextureList.h"
#include "render/ViewMath.h"

#include <functional>
#include <string>

namespace lw {

// The transform gizmo of the active object tool.
enum class GizmoKind { None, Move, Rotate, Scale };

// Restriction codes of the axis buttons and gizmo handles.
enum Restriction : int {
    RestrictX = 0,
    RestrictY = 1,
    RestrictZ = 2,
    RestrictXY = 3,
    RestrictYZ = 4,
    RestrictZX = 5,
    RestrictXYZ = 6,
};

// Pick identities of the gizmo handles (restriction + 1; 7 = the scale gizmo's centre).
constexpr uint32_t kHandleCentre = 7;

// The running step of an object drag as the frame shows it: world frames (model-view
// matrices) computed by the drag maths for the node whose ListId is `ListId`.
struct DragPreview {
    bool Active = false;
    int32_t ListId = 0;
    Mat4 Draw = identityMatrix();     // the node itself is drawn in this frame
    Mat4 Children = identityMatrix(); // its entities and children are placed in this one
    Mat4 Gizmo = identityMatrix();    // the gizmo's frame
    TVec3 GizmoRot;                   // the rotation the rotate gizmo's circles follow
    // A Ctrl-move: the node stays and its copy is drawn once more in `Copy`, after the tree.
    bool CopyPreview = false;
    Mat4 Copy = identityMatrix();
    // A rotate drag: yellow lines from the origin of `LineFrame` to the start and the hit.
    bool Lines = false;
    Mat4 LineFrame = identityMatrix();
    DVec3 LineStart;
    DVec3 LineHit;
};

struct SceneState {
    TCamera Camera;

    // Documents.
    TPoxel* EditRoot = nullptr;
    TPoxel* ShownRoot = nullptr;
    TPoxel* HeightmapPreview = nullptr;
    const TTextureList* Textures = nullptr;

    // View and Options switches.
    bool ShowGrid = true;
    // The origin's crosses, the grid and the corner tripod (a thumbnail shows the map alone).
    bool ShowHelpers = true;
    bool Wireframe = true;
    bool ShowTextures = false;
    bool ShowDummy = false;
    bool KestrelEmitters = false;
    bool HideName = false;
    bool ShowPoints = false;
    bool Water = false;
    bool BoxMode = false;
    bool CullFace = true;

    // Tool-panel buttons read by the drawer.
    bool HideParent = false;
    bool HideChild = false;
    bool HeightPick = false;
    bool LayersMode = false;
    // The gizmo of the object tool that is down (or of the previous tool while the camera
    // rotation tool is down).
    GizmoKind Gizmo = GizmoKind::None;

    // Editing state.
    int32_t SelectedId = 0;
    TPoxel* Selected = nullptr; // set while drawing the node whose ListId is SelectedId
    bool MoveArmed = false;
    bool RotateArmed = false;
    bool ScaleArmed = false;
    int HoverRestriction = RestrictX;
    bool BrushPickPass = false;
    bool ZoomSelectedRequest = false;
    bool CopyPreview = false;

    TPickArray* HeightPicks = nullptr;
    TLPickArray* LayerPicks = nullptr;

    // Pending pick position (client pixels, y down) and how many pixels around it the pass
    // paints each way.
    int PickX = 0;
    int PickY = 0;
    int PickRadius = 0;

    // Display lists of the label font (codes 0..255 from this base); 0 = no labels.
    int FontBase = 0;
    // Half the pixel width of a name in the label font; the pick quads of icons reach over it.
    std::function<int(const std::string& name)> NameWidth;
    // The live transform of an object drag, applied when the drawer reaches the selected node.
    DragPreview DragStep;
    // Pick passes skip the nodes whose boxes cannot reach the pick pixel (the result is the
    // same; the full pass is kept for comparison).
    bool PickCulling = true;
    // Screen passes skip the poxels whose boxes lie wholly outside the view (the picture is
    // the same).
    bool FrameCulling = true;
    // Run in every screen pass after the shown document: the wireframe of a loaded 3DS model.
    std::function<void()> DrawImportedModel;
};

} // namespace lw

#pragma once
// The orbit camera of the 3D view: its state, limits, mouse steps and head light. The whole
// camera transform lives in the projection matrix (see gl/SceneDrawer), so the model-view
// matrix holds object transforms only.

#include "core/Poxel.h"

#include <array>
#include <optional>

namespace lw {

// Camera modes, numbered as the interaction codes of the view.
enum CameraMode : int {
    ModeZoom = 1,
    ModePan = 2,
    ModeRotation = 3,
    ModePerspective = 4,
    ModeDolly = 5,
};

struct TCamera {
    TVec3 CamPan;
    float CamPitch = -20.0f;
    float CamYaw = 136.0f;
    float CamDistance = 15.0f;
    float CamFov = 35.0f;
    // Viewport size, copied from the view on every resize.
    int Width = 1;
    int Height = 1;
};

// Back to the start values (viewport size kept).
void resetCamera(TCamera& camera);
// The per-frame limits: pitch [-90, 90], distance [0.1, 1000], field of view [10, 150]; the yaw
// is brought back once by 360 when it passed +-360.
void clampCamera(TCamera& camera);
// Moves the orbit point along the viewing direction.
void DollyCamera(TCamera& camera, float amount);
// One drag step of `mode`; dx, dy = previous minus current pointer position (positive dy = up).
void cameraDragStep(TCamera& camera, int mode, int dx, int dy);
// The head light's position for the current camera.
std::array<float, 4> headLightPosition(const TCamera& camera);
// width / height with a zero height taken as 1.
double aspectRatio(const TCamera& camera);

// Endless drag: where the pointer goes when it came within 16 pixels of the desktop edges
// (right/bottom = the desktop's right/bottom - 1). Nothing when it may stay.
struct ScreenPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0; // exclusive
    int bottom = 0;
};
std::optional<ScreenPoint> wrapPointer(ScreenPoint pos, const ScreenRect& desktop);

} // namespace lw

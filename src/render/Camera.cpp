#include "render/Camera.h"

#include <cmath>

namespace lw {

namespace {
constexpr float kDegToRad = 3.14159265358979f / 180.0f;

float clampTo(float v, float lo, float hi) {
    if (v > hi)
        return hi;
    if (v < lo)
        return lo;
    return v;
}
} // namespace

void resetCamera(TCamera& camera) {
    const int w = camera.Width;
    const int h = camera.Height;
    camera = TCamera{};
    camera.Width = w;
    camera.Height = h;
}

void clampCamera(TCamera& camera) {
    camera.CamFov = clampTo(camera.CamFov, 10.0f, 150.0f);
    camera.CamPitch = clampTo(camera.CamPitch, -90.0f, 90.0f);
    camera.CamDistance = clampTo(camera.CamDistance, 0.1f, 1000.0f);
    if (camera.CamYaw > 360.0f)
        camera.CamYaw -= 360.0f;
    else if (camera.CamYaw < -360.0f)
        camera.CamYaw += 360.0f;
}

void DollyCamera(TCamera& camera, float amount) {
    const float a = (camera.CamPitch - 90.0f) * kDegToRad;
    const float b = (camera.CamYaw - 90.0f) * kDegToRad;
    camera.CamPan.Y += amount * std::cos(a);
    camera.CamPan.X += std::sin(a) * amount * std::cos(b);
    camera.CamPan.Z += std::sin(a) * amount * std::sin(b);
}

void cameraDragStep(TCamera& camera, int mode, int dx, int dy) {
    const float fx = static_cast<float>(dx);
    const float fy = static_cast<float>(dy);
    switch (mode) {
    case ModeZoom:
        camera.CamDistance -= fy / 10.0f;
        break;
    case ModePan: {
        const float b = (camera.CamYaw - 90.0f) * kDegToRad;
        const float p = camera.CamPitch * kDegToRad;
        const float f = camera.CamFov * kDegToRad;
        const float w = static_cast<float>(camera.Width > 0 ? camera.Width : 1);
        const float h = static_cast<float>(camera.Height > 0 ? camera.Height : 1);
        const float k = f * (fx / w) * camera.CamDistance;
        camera.CamPan.X -= k * std::sin(b);
        camera.CamPan.Z += k * std::cos(b);
        const float g = f * (fy / h) * camera.CamDistance;
        camera.CamPan.Y += g * std::cos(p);
        camera.CamPan.Z += g * std::sin(b) * std::sin(p);
        camera.CamPan.X += g * std::cos(b) * std::sin(p);
        break;
    }
    case ModeRotation:
        camera.CamPitch += fy / 5.0f;
        camera.CamYaw -= fx / 5.0f;
        break;
    case ModePerspective:
        camera.CamFov -= fy / 10.0f;
        break;
    case ModeDolly:
        DollyCamera(camera, -fy / 10.0f);
        break;
    default:
        break;
    }
}

std::array<float, 4> headLightPosition(const TCamera& camera) {
    const float a = (camera.CamPitch - 90.0f) * kDegToRad;
    const float b = (camera.CamYaw - 90.0f) * kDegToRad;
    const float d = camera.CamDistance;
    return {-(std::sin(a) * d * std::cos(b) + camera.CamPan.X),
            -(d * std::cos(a) + camera.CamPan.Y),
            -(std::sin(a) * d * std::sin(b) + camera.CamPan.Z), 1.0f};
}

double aspectRatio(const TCamera& camera) {
    const int h = camera.Height > 0 ? camera.Height : 1;
    return static_cast<double>(camera.Width) / static_cast<double>(h);
}

std::optional<ScreenPoint> wrapPointer(ScreenPoint pos, const ScreenRect& desktop) {
    const int right = desktop.right - 1;
    const int bottom = desktop.bottom - 1;
    ScreenPoint to = pos;
    if (pos.x > right - 16)
        to.x = desktop.left + 16;
    else if (pos.x < desktop.left + 16)
        to.x = right - 16;
    if (pos.y > bottom - 16)
        to.y = desktop.top + 16;
    else if (pos.y < desktop.top + 16)
        to.y = bottom - 16;
    if (to == pos)
        return std::nullopt;
    return to;
}

} // namespace lw

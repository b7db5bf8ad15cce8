#pragma once
// The view's matrices on the CPU: the camera projection the frame loads, window projection and
// its inverse (as GLU's gluProject / gluUnProject do it), the placement of a node in the frame
// it is drawn in, the gizmo frame of the object tools, and the test that decides whether a box
// can reach the pixel of a pick pass. The scene drawer and the object drags share them, so a
// drag computed in an event handler sees exactly the frames the view draws.

#include "core/Poxel.h"
#include "core/Transform.h"
#include "render/Camera.h"

#include <array>
#include <optional>

namespace lw {

// A point or direction in 64-bit floats.
struct DVec3 {
    double X = 0.0;
    double Y = 0.0;
    double Z = 0.0;

    friend bool operator==(const DVec3&, const DVec3&) = default;
};

inline DVec3 operator+(const DVec3& a, const DVec3& b) {
    return {a.X + b.X, a.Y + b.Y, a.Z + b.Z};
}
inline DVec3 operator-(const DVec3& a, const DVec3& b) {
    return {a.X - b.X, a.Y - b.Y, a.Z - b.Z};
}
inline DVec3 operator*(double s, const DVec3& a) {
    return {s * a.X, s * a.Y, s * a.Z};
}
inline double dot(const DVec3& a, const DVec3& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}
inline DVec3 cross(const DVec3& a, const DVec3& b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}

using Viewport = std::array<int, 4>; // x, y, width, height

// What the frame loads into the projection matrix for `camera` (after the frame's clamping):
// perspective, eye, pitch, yaw, pan.
Mat4 cameraProjection(const TCamera& camera);
// The viewport of a normal frame.
Viewport cameraViewport(const TCamera& camera);

std::optional<Mat4> invertMatrix(const Mat4& m);
DVec3 transformPoint(const Mat4& m, const DVec3& v);

// Window coordinates (x, y from the bottom left, depth 0..1) of `point` in the frame `model`;
// nothing when the point projects to infinity.
std::optional<DVec3> projectPoint(const DVec3& point, const Mat4& model, const Mat4& projection,
                                  const Viewport& viewport);
// The point of the frame `model` at window coordinates `window`; nothing for a singular
// transform.
std::optional<DVec3> unProjectPoint(const DVec3& window, const Mat4& model, const Mat4& projection,
                                    const Viewport& viewport);

// The node's frame as the view draws it inside `frame`: the translation (for an entity,
// `owner` given, by its position in the owner's scaled lattice, or with the Kestrel rule by
// Pos times the owner's Size), then the turns about z, y and x. Size is not included.
Mat4 placeNode(const Mat4& frame, const TPoxel& node, const TPoxel* owner, bool kestrelEmitters);

// `axes` with its translation replaced by that of `origin`.
Mat4 withTranslationOf(const Mat4& axes, const Mat4& origin);

// True unless every corner of the box [lo, hi] in the frame `clipFromLocal` (projection times
// model) lies beyond one and the same plane of the clip volume. Conservative: a box it rejects
// cannot put a fragment into the viewport.
bool boxMayBeVisible(const Mat4& clipFromLocal, const TVec3& lo, const TVec3& hi);

// The six planes of the clip volume of `clipFromFrame` (projection times a frame) written in
// that frame's coordinates, for testing the many nodes placed in one frame without placing each.
struct FramePlanes {
    std::array<std::array<double, 4>, 6> planes{}; // a point is inside where a.p + d >= 0
    std::array<double, 6> slopes{};                // the length of each plane's (a)
    std::array<double, 4> w{};                     // the clip w row
    double wSlope = 0.0;
};
FramePlanes framePlanes(const Mat4& clipFromFrame);

// True when the poxel `node`, placed in the frame of `planes` by its Pos and any turn, has all
// of its box (scaled by Size) beyond one plane, so boxMayBeVisible would reject it once placed.
// The test needs no turn: it takes the ball about the node's origin that holds the box.
bool nodeSurelyOutside(const FramePlanes& planes, const TPoxel& node);

} // namespace lw

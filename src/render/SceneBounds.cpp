#include "render/SceneBounds.h"

#include "core/Transform.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace lw {

namespace {

// Every corner of the boxes in the subtree of `node`, which stands at `m`.
template <class Visit> void forEachCornerAt(const TPoxel& node, const Mat4& m, Visit&& visit) {
    if (!node.IsGroup && !node.IsEntity) {
        for (int corner = 0; corner < 8; ++corner) {
            const float x = ((corner & 1) ? node.BoxMax.X : node.BoxMin.X) * node.Size.X;
            const float y = ((corner & 2) ? node.BoxMax.Y : node.BoxMin.Y) * node.Size.Y;
            const float z = ((corner & 4) ? node.BoxMax.Z : node.BoxMin.Z) * node.Size.Z;
            visit(transformPoint(m, {x, y, z}));
        }
    }
    for (const auto& child : node.Children)
        forEachCornerAt(*child, nodeMatrix(m, *child), visit);
}

template <class Visit>
void forEachCorner(const TPoxel& node, const Mat4& parentMatrix, Visit&& visit) {
    forEachCornerAt(node, nodeMatrix(parentMatrix, node), visit);
}

} // namespace

std::vector<TVec3> worldCorners(const TPoxel& root) {
    std::vector<TVec3> corners;
    forEachCorner(root, identityMatrix(), [&corners](const TVec3& p) { corners.push_back(p); });
    return corners;
}

std::optional<Bounds> subtreeBounds(const TPoxel& node, const Mat4& nodeWorld) {
    std::optional<Bounds> out;
    forEachCornerAt(node, nodeWorld, [&out](const TVec3& p) {
        if (!out) {
            out = Bounds{p, p};
            return;
        }
        out->lo = {std::min(out->lo.X, p.X), std::min(out->lo.Y, p.Y), std::min(out->lo.Z, p.Z)};
        out->hi = {std::max(out->hi.X, p.X), std::max(out->hi.Y, p.Y), std::max(out->hi.Z, p.Z)};
    });
    return out;
}

std::optional<Bounds> worldBounds(const TPoxel& root) {
    return subtreeBounds(root, nodeMatrix(identityMatrix(), root));
}

void focusCameraOnNode(TCamera& camera, const TPoxel& node, const Mat4& nodeWorld) {
    if (node.IsGroup || node.IsRoot) {
        if (const std::optional<Bounds> box = subtreeBounds(node, nodeWorld)) {
            camera.CamPan = {-(box->lo.X + box->hi.X) / 2, -(box->lo.Y + box->hi.Y) / 2,
                             -(box->lo.Z + box->hi.Z) / 2};
            camera.CamDistance =
                3 * std::max({box->hi.X - box->lo.X, box->hi.Y - box->lo.Y, box->hi.Z - box->lo.Z});
            return;
        }
    }
    camera.CamPan = TVec3{-float(nodeWorld[12]), -float(nodeWorld[13]), -float(nodeWorld[14])};
    if (node.IsRoot) {
        camera.CamDistance = 100;
        return;
    }
    const float ex = (node.BoxMax.X - node.BoxMin.X) * node.Size.X;
    const float ey = (node.BoxMax.Y - node.BoxMin.Y) * node.Size.Y;
    const float ez = (node.BoxMax.Z - node.BoxMin.Z) * node.Size.Z;
    camera.CamDistance = 3 * std::max({ex, ey, ez});
}

void focusCameraOnBounds(TCamera& camera, const Bounds& b) {
    camera.CamPan = {-(b.lo.X + b.hi.X) / 2, -(b.lo.Y + b.hi.Y) / 2, -(b.lo.Z + b.hi.Z) / 2};
    const float dx = b.hi.X - b.lo.X;
    const float dy = b.hi.Y - b.lo.Y;
    const float dz = b.hi.Z - b.lo.Z;
    const float radius = std::max(0.5f * std::sqrt(dx * dx + dy * dy + dz * dz), 0.5f);
    // The narrower of the two fields of view decides.
    const double half = camera.CamFov * 3.14159265358979 / 360.0;
    const double aspect = aspectRatio(camera);
    const double horizontal = std::atan(std::tan(half) * aspect);
    const double fit = std::min(half, horizontal);
    camera.CamDistance = static_cast<float>(radius / std::sin(fit) * 1.05);
    clampCamera(camera);
}

namespace {

// The orbit camera's turn, as the scene drawer applies it: pan, then yaw about y, then pitch
// about x; the eye sits on the z axis at -distance, looking at the origin.
struct OrbitTurn {
    double cy, sy, cp, sp;
    explicit OrbitTurn(const TCamera& c) {
        constexpr double kDegree = 3.14159265358979 / 180.0;
        cy = std::cos(c.CamYaw * kDegree);
        sy = std::sin(c.CamYaw * kDegree);
        cp = std::cos(c.CamPitch * kDegree);
        sp = std::sin(c.CamPitch * kDegree);
    }
    std::array<double, 3> apply(double x, double y, double z) const {
        const double x1 = x * cy + z * sy;
        const double z1 = -x * sy + z * cy;
        return {x1, y * cp - z1 * sp, y * sp + z1 * cp};
    }
    std::array<double, 3> undo(double x, double y, double z) const {
        const double y1 = y * cp + z * sp;
        const double z1 = -y * sp + z * cp;
        return {x * cy - z1 * sy, y1, x * sy + z1 * cy};
    }
};

} // namespace

void fitCameraToPoints(TCamera& camera, const std::vector<TVec3>& points, float margin) {
    if (points.empty())
        return;
    TVec3 lo = points.front();
    TVec3 hi = lo;
    for (const TVec3& p : points) {
        lo = {std::min(lo.X, p.X), std::min(lo.Y, p.Y), std::min(lo.Z, p.Z)};
        hi = {std::max(hi.X, p.X), std::max(hi.Y, p.Y), std::max(hi.Z, p.Z)};
    }
    camera.CamPan = {-(lo.X + hi.X) / 2, -(lo.Y + hi.Y) / 2, -(lo.Z + hi.Z) / 2};
    const OrbitTurn turn(camera);
    const double tanV = std::tan(camera.CamFov * 3.14159265358979 / 360.0) * (1.0 - margin);
    const double tanH = tanV * aspectRatio(camera);
    constexpr double kNear = 0.1;
    double distance = 0;
    // Two rounds: the first finds the distance, then the orbit point moves to the middle of what
    // the view shows (perspective makes the near side look larger) and the distance is found again.
    for (int round = 0; round < 2; ++round) {
        distance = 0;
        for (const TVec3& p : points) {
            const auto q =
                turn.apply(p.X + camera.CamPan.X, p.Y + camera.CamPan.Y, p.Z + camera.CamPan.Z);
            // The point's depth in front of the eye is q[2] + distance.
            distance = std::max({distance, std::abs(q[0]) / tanH - q[2],
                                 std::abs(q[1]) / tanV - q[2], kNear * 2 - q[2]});
        }
        if (round == 1)
            break;
        double uLo = 1e30, uHi = -1e30, vLo = 1e30, vHi = -1e30;
        for (const TVec3& p : points) {
            const auto q =
                turn.apply(p.X + camera.CamPan.X, p.Y + camera.CamPan.Y, p.Z + camera.CamPan.Z);
            const double depth = q[2] + distance;
            uLo = std::min(uLo, q[0] / depth);
            uHi = std::max(uHi, q[0] / depth);
            vLo = std::min(vLo, q[1] / depth);
            vHi = std::max(vHi, q[1] / depth);
        }
        const auto shift = turn.undo(-(uLo + uHi) / 2 * distance, -(vLo + vHi) / 2 * distance, 0);
        camera.CamPan = {camera.CamPan.X + static_cast<float>(shift[0]),
                         camera.CamPan.Y + static_cast<float>(shift[1]),
                         camera.CamPan.Z + static_cast<float>(shift[2])};
    }
    camera.CamDistance = static_cast<float>(distance);
    clampCamera(camera);
}

} // namespace lw

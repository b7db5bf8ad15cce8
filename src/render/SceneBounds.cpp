#include "render/SceneBounds.h"

#include "core/Transform.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace lw {

namespace {

void collect(const TPoxel& node, const Mat4& parentMatrix, std::optional<Bounds>& out) {
    const Mat4 m = nodeMatrix(parentMatrix, node);
    if (!node.IsGroup && !node.IsEntity) {
        for (int corner = 0; corner < 8; ++corner) {
            const float x = ((corner & 1) ? node.BoxMax.X : node.BoxMin.X) * node.Size.X;
            const float y = ((corner & 2) ? node.BoxMax.Y : node.BoxMin.Y) * node.Size.Y;
            const float z = ((corner & 4) ? node.BoxMax.Z : node.BoxMin.Z) * node.Size.Z;
            const TVec3 p = transformPoint(m, {x, y, z});
            if (!out) {
                out = Bounds{p, p};
                continue;
            }
            out->lo = {std::min(out->lo.X, p.X), std::min(out->lo.Y, p.Y),
                       std::min(out->lo.Z, p.Z)};
            out->hi = {std::max(out->hi.X, p.X), std::max(out->hi.Y, p.Y),
                       std::max(out->hi.Z, p.Z)};
        }
    }
    for (const auto& child : node.Children)
        collect(*child, m, out);
}

} // namespace

std::optional<Bounds> worldBounds(const TPoxel& root) {
    std::optional<Bounds> out;
    collect(root, identityMatrix(), out);
    return out;
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

} // namespace lw

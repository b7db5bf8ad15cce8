#include "render/SceneBounds.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace lw {

namespace {

// Column-major 4x4, as OpenGL keeps it.
using Mat4 = std::array<float, 16>;

Mat4 identity() {
    Mat4 m{};
    m[0] = m[5] = m[10] = m[15] = 1;
    return m;
}

Mat4 multiply(const Mat4& a, const Mat4& b) {
    Mat4 r{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float v = 0;
            for (int k = 0; k < 4; ++k)
                v += a[static_cast<size_t>(k * 4 + row)] * b[static_cast<size_t>(c * 4 + k)];
            r[static_cast<size_t>(c * 4 + row)] = v;
        }
    return r;
}

Mat4 translation(float x, float y, float z) {
    Mat4 m = identity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

// glRotatef about a unit axis.
Mat4 rotation(float degrees, int axis) {
    const float a = degrees * 3.14159265358979f / 180.0f;
    const float c = std::cos(a);
    const float s = std::sin(a);
    Mat4 m = identity();
    const int u = (axis + 1) % 3;
    const int v = (axis + 2) % 3;
    m[static_cast<size_t>(u * 4 + u)] = c;
    m[static_cast<size_t>(v * 4 + v)] = c;
    m[static_cast<size_t>(u * 4 + v)] = s;
    m[static_cast<size_t>(v * 4 + u)] = -s;
    return m;
}

TVec3 apply(const Mat4& m, float x, float y, float z) {
    return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
            m[2] * x + m[6] * y + m[10] * z + m[14]};
}

void collect(const TPoxel& node, const Mat4& parentMatrix, std::optional<Bounds>& out) {
    Mat4 m = multiply(parentMatrix, translation(node.Pos.X, node.Pos.Y, node.Pos.Z));
    m = multiply(m, rotation(node.Rot.Z, 2));
    m = multiply(m, rotation(node.Rot.Y, 1));
    m = multiply(m, rotation(node.Rot.X, 0));
    if (!node.IsGroup && !node.IsEntity) {
        for (int corner = 0; corner < 8; ++corner) {
            const float x = ((corner & 1) ? node.BoxMax.X : node.BoxMin.X) * node.Size.X;
            const float y = ((corner & 2) ? node.BoxMax.Y : node.BoxMin.Y) * node.Size.Y;
            const float z = ((corner & 4) ? node.BoxMax.Z : node.BoxMin.Z) * node.Size.Z;
            const TVec3 p = apply(m, x, y, z);
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
    collect(root, identity(), out);
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

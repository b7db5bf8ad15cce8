#include "render/ViewMath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lw {

namespace {

Mat4 perspective(double fovY, double aspect, double zNear, double zFar) {
    const double f = 1.0 / std::tan(fovY * std::numbers::pi / 360.0);
    Mat4 m{};
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (zFar + zNear) / (zNear - zFar);
    m[11] = -1.0;
    m[14] = 2.0 * zFar * zNear / (zNear - zFar);
    return m;
}

Mat4 lookAt(const DVec3& eye, const DVec3& centre, const DVec3& up) {
    auto normalised = [](const DVec3& v) {
        const double len = std::sqrt(dot(v, v));
        return len > 0 ? (1.0 / len) * v : v;
    };
    const DVec3 f = normalised(centre - eye);
    const DVec3 s = normalised(cross(f, up));
    const DVec3 u = cross(s, f);
    Mat4 m = identityMatrix();
    m[0] = s.X;
    m[4] = s.Y;
    m[8] = s.Z;
    m[1] = u.X;
    m[5] = u.Y;
    m[9] = u.Z;
    m[2] = -f.X;
    m[6] = -f.Y;
    m[10] = -f.Z;
    return multiply(m, translation(TVec3{static_cast<float>(-eye.X), static_cast<float>(-eye.Y),
                                         static_cast<float>(-eye.Z)}));
}

std::array<double, 4> apply4(const Mat4& m, const std::array<double, 4>& v) {
    std::array<double, 4> r{};
    for (size_t row = 0; row < 4; ++row)
        r[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
    return r;
}

} // namespace

Mat4 cameraProjection(const TCamera& camera) {
    TCamera c = camera;
    clampCamera(c);
    Mat4 m = perspective(c.CamFov, aspectRatio(c), 0.1, 2000.0);
    m = multiply(m, lookAt({0, 0, -static_cast<double>(c.CamDistance)}, {0, 0, 0}, {0, 1, 0}));
    m = multiply(m, rotation(c.CamPitch, 0));
    m = multiply(m, rotation(c.CamYaw, 1));
    return multiply(m, translation(c.CamPan));
}

Viewport cameraViewport(const TCamera& camera) {
    return {0, 0, camera.Width, camera.Height};
}

std::optional<Mat4> invertMatrix(const Mat4& m) {
    // Cofactor expansion of the 4 x 4 matrix (column-major, as OpenGL keeps it).
    Mat4 inv{};
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] +
             m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
             m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] +
             m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
              m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
             m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] +
             m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] -
             m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] +
              m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] -
             m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] +
              m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] -
              m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] -
             m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    const double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (det == 0.0 || !std::isfinite(det))
        return std::nullopt;
    for (double& v : inv)
        v /= det;
    return inv;
}

DVec3 transformPoint(const Mat4& m, const DVec3& v) {
    const auto r = apply4(m, {v.X, v.Y, v.Z, 1.0});
    return {r[0], r[1], r[2]};
}

std::optional<DVec3> projectPoint(const DVec3& point, const Mat4& model, const Mat4& projection,
                                  const Viewport& viewport) {
    const auto eye = apply4(model, {point.X, point.Y, point.Z, 1.0});
    const auto clip = apply4(projection, eye);
    if (clip[3] == 0.0)
        return std::nullopt;
    const double x = clip[0] / clip[3], y = clip[1] / clip[3], z = clip[2] / clip[3];
    return DVec3{viewport[0] + (x + 1) * viewport[2] / 2.0,
                 viewport[1] + (y + 1) * viewport[3] / 2.0, (z + 1) / 2.0};
}

std::optional<DVec3> unProjectPoint(const DVec3& window, const Mat4& model, const Mat4& projection,
                                    const Viewport& viewport) {
    const auto inverse = invertMatrix(multiply(projection, model));
    if (!inverse || viewport[2] == 0 || viewport[3] == 0)
        return std::nullopt;
    const std::array<double, 4> ndc{(window.X - viewport[0]) / viewport[2] * 2.0 - 1.0,
                                    (window.Y - viewport[1]) / viewport[3] * 2.0 - 1.0,
                                    window.Z * 2.0 - 1.0, 1.0};
    const auto r = apply4(*inverse, ndc);
    if (r[3] == 0.0)
        return std::nullopt;
    return DVec3{r[0] / r[3], r[1] / r[3], r[2] / r[3]};
}

Mat4 placeNode(const Mat4& frame, const TPoxel& node, const TPoxel* owner, bool kestrelEmitters) {
    // The same single-precision sums the view hands to glTranslatef.
    TVec3 t = node.Pos;
    if (owner && kestrelEmitters) {
        t = {node.Pos.X * owner->Size.X, node.Pos.Y * owner->Size.Y, node.Pos.Z * owner->Size.Z};
    } else if (owner) {
        t = {(node.Pos.X - static_cast<float>(owner->NX) / 2) * owner->Size.X,
             (node.Pos.Y - static_cast<float>(owner->NY) / 2) * owner->Size.Y,
             (node.Pos.Z - static_cast<float>(owner->NZ) / 2) * owner->Size.Z};
    }
    // The local placement translate(t) * Rz * Ry * Rx as one rotation block (column-major),
    // then frame * local; every node of a frame is placed this way, so it is kept short.
    double r[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    if (node.Rot.X != 0 || node.Rot.Y != 0 || node.Rot.Z != 0) {
        constexpr double k = std::numbers::pi / 180.0;
        const double cx = std::cos(node.Rot.X * k), sx = std::sin(node.Rot.X * k);
        const double cy = std::cos(node.Rot.Y * k), sy = std::sin(node.Rot.Y * k);
        const double cz = std::cos(node.Rot.Z * k), sz = std::sin(node.Rot.Z * k);
        // Columns of Rz * Ry * Rx.
        r[0] = cz * cy, r[1] = sz * cy, r[2] = -sy;
        r[3] = cz * sy * sx - sz * cx, r[4] = sz * sy * sx + cz * cx, r[5] = cy * sx;
        r[6] = cz * sy * cx + sz * sx, r[7] = sz * sy * cx - cz * sx, r[8] = cy * cx;
    }
    Mat4 m{};
    for (size_t row = 0; row < 4; ++row) {
        const double f0 = frame[row], f1 = frame[4 + row], f2 = frame[8 + row];
        for (size_t col = 0; col < 3; ++col)
            m[col * 4 + row] = f0 * r[col * 3] + f1 * r[col * 3 + 1] + f2 * r[col * 3 + 2];
        m[12 + row] = f0 * t.X + f1 * t.Y + f2 * t.Z + frame[12 + row];
    }
    return m;
}

Mat4 withTranslationOf(const Mat4& axes, const Mat4& origin) {
    Mat4 m = axes;
    m[12] = origin[12];
    m[13] = origin[13];
    m[14] = origin[14];
    m[15] = origin[15];
    return m;
}

bool boxMayBeVisible(const Mat4& clipFromLocal, const TVec3& lo, const TVec3& hi) {
    // Outcodes of the eight corners against the six planes -w <= x, y, z <= w; a small margin
    // keeps single-precision differences between this and the GL transform on the safe side.
    unsigned all = 0x3F;
    for (int corner = 0; corner < 8; ++corner) {
        const std::array<double, 4> p{(corner & 1) ? hi.X : lo.X, (corner & 2) ? hi.Y : lo.Y,
                                      (corner & 4) ? hi.Z : lo.Z, 1.0};
        const auto c = apply4(clipFromLocal, p);
        const double w = c[3] + 1e-5 * (std::fabs(c[3]) + 1.0);
        unsigned code = 0;
        if (c[0] < -w)
            code |= 1;
        if (c[0] > w)
            code |= 2;
        if (c[1] < -w)
            code |= 4;
        if (c[1] > w)
            code |= 8;
        if (c[2] < -w)
            code |= 16;
        if (c[2] > w)
            code |= 32;
        all &= code;
        if (!all)
            return true;
    }
    return all == 0;
}

FramePlanes framePlanes(const Mat4& clipFromFrame) {
    const auto row = [&](size_t r) {
        return std::array<double, 4>{clipFromFrame[r], clipFromFrame[4 + r], clipFromFrame[8 + r],
                                     clipFromFrame[12 + r]};
    };
    const auto length = [](const std::array<double, 4>& p) {
        return std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    };
    FramePlanes f;
    f.w = row(3);
    f.wSlope = length(f.w);
    // -w <= x, x <= w, then y and z, as boxMayBeVisible codes them.
    for (size_t axis = 0; axis < 3; ++axis) {
        const auto a = row(axis);
        for (size_t side = 0; side < 2; ++side) {
            auto& p = f.planes[axis * 2 + side];
            for (size_t i = 0; i < 4; ++i)
                p[i] = side == 0 ? f.w[i] + a[i] : f.w[i] - a[i];
            f.slopes[axis * 2 + side] = length(p);
        }
    }
    return f;
}

bool nodeSurelyOutside(const FramePlanes& f, const TPoxel& node) {
    const auto reach = [](float lo, float hi, float size) {
        return static_cast<double>(std::max(std::fabs(lo), std::fabs(hi))) *
               std::fabs(static_cast<double>(size));
    };
    const double rx = reach(node.BoxMin.X, node.BoxMax.X, node.Size.X);
    const double ry = reach(node.BoxMin.Y, node.BoxMax.Y, node.Size.Y);
    const double rz = reach(node.BoxMin.Z, node.BoxMax.Z, node.Size.Z);
    // A hair larger than the box's farthest corner, for rounding.
    const double r = std::sqrt(rx * rx + ry * ry + rz * rz) * (1.0 + 1e-6);
    const double x = node.Pos.X, y = node.Pos.Y, z = node.Pos.Z;
    const auto at = [&](const std::array<double, 4>& p) {
        return p[0] * x + p[1] * y + p[2] * z + p[3];
    };
    // Twice the margin boxMayBeVisible allows, taken at the largest |w| inside the ball.
    const double margin = 2e-5 * (std::fabs(at(f.w)) + r * f.wSlope + 1.0);
    for (size_t i = 0; i < 6; ++i)
        if (at(f.planes[i]) + r * f.slopes[i] + margin < 0) // false for NaN: kept
            return true;
    return false;
}

} // namespace lw

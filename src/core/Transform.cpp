#include "core/Transform.h"

#include <cmath>
#include <numbers>

namespace lw {

Mat4 identityMatrix() {
    Mat4 m{};
    m[0] = m[5] = m[10] = m[15] = 1.0;
    return m;
}

Mat4 multiply(const Mat4& a, const Mat4& b) {
    Mat4 r{};
    for (size_t col = 0; col < 4; ++col)
        for (size_t row = 0; row < 4; ++row) {
            double s = 0.0;
            for (size_t k = 0; k < 4; ++k)
                s += a[k * 4 + row] * b[col * 4 + k];
            r[col * 4 + row] = s;
        }
    return r;
}

Mat4 translation(const TVec3& t) {
    Mat4 m = identityMatrix();
    m[12] = t.X;
    m[13] = t.Y;
    m[14] = t.Z;
    return m;
}

Mat4 scaling(const TVec3& s) {
    Mat4 m = identityMatrix();
    m[0] = s.X;
    m[5] = s.Y;
    m[10] = s.Z;
    return m;
}

Mat4 rotation(double degrees, int axis) {
    const double a = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    Mat4 m = identityMatrix();
    const size_t i = size_t(axis + 1) % 3, j = size_t(axis + 2) % 3;
    m[i * 4 + i] = c;
    m[j * 4 + j] = c;
    m[i * 4 + j] = s;
    m[j * 4 + i] = -s;
    return m;
}

TVec3 transformPoint(const Mat4& m, const TVec3& v) {
    return {static_cast<float>(m[0] * v.X + m[4] * v.Y + m[8] * v.Z + m[12]),
            static_cast<float>(m[1] * v.X + m[5] * v.Y + m[9] * v.Z + m[13]),
            static_cast<float>(m[2] * v.X + m[6] * v.Y + m[10] * v.Z + m[14])};
}

Mat4 nodeMatrix(const Mat4& parent, const TPoxel& node) {
    Mat4 m = multiply(parent, translation(node.Pos));
    m = multiply(m, rotation(node.Rot.Z, 2));
    m = multiply(m, rotation(node.Rot.Y, 1));
    return multiply(m, rotation(node.Rot.X, 0));
}

} // namespace lw

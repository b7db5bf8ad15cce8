#pragma once
// Placement of nodes in their parents as 4 x 4 matrices, column-major like OpenGL's.

#include "core/Poxel.h"

#include <array>

namespace lw {

using Mat4 = std::array<double, 16>;

Mat4 identityMatrix();
Mat4 multiply(const Mat4& a, const Mat4& b);
Mat4 translation(const TVec3& t);
Mat4 scaling(const TVec3& s);
// A right-handed turn by `degrees` about one axis (0 = x, 1 = y, 2 = z), as glRotate.
Mat4 rotation(double degrees, int axis);
TVec3 transformPoint(const Mat4& m, const TVec3& v);

// `parent` followed by the node's own placement: translate by Pos, then turn about z, y and x,
// the order the view draws in. Size is not included (it scales the geometry only).
Mat4 nodeMatrix(const Mat4& parent, const TPoxel& node);

} // namespace lw

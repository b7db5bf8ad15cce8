#include "core/Lattice.h"

#include <algorithm>

namespace lw {

void computeLattice(const TPoxel& p, std::vector<TVec3>& vertices, TVec3& boxMin, TVec3& boxMax) {
    const int32_t nx = p.NX, ny = p.NY, nz = p.NZ;
    vertices.resize(static_cast<size_t>(ny + 1) * static_cast<size_t>(nx + 1) *
                    static_cast<size_t>(nz + 1));
    boxMin = TVec3{};
    boxMax = TVec3{};
    const double halfX = nx / 2.0, halfY = ny / 2.0, halfZ = nz / 2.0;
    auto layer = [](const ALayer& l, int32_t y) {
        return static_cast<size_t>(y) < l.size() ? l[static_cast<size_t>(y)] : TLayer{};
    };
    auto height = [&p](int32_t x, int32_t z) {
        if (static_cast<size_t>(x) >= p.Heights.size())
            return 0.0f;
        const auto& column = p.Heights[static_cast<size_t>(x)];
        return static_cast<size_t>(z) < column.size() ? column[static_cast<size_t>(z)] : 0.0f;
    };
    size_t n = 0;
    for (int32_t y = 0; y <= ny; ++y) {
        const TLayer hi = layer(p.LayerHigh, y), lo = layer(p.LayerLow, y);
        // The slope of level 0 is taken from level 1.
        const int32_t ya = y >= 1 ? y : 1, yb = ya - 1;
        const TLayer hiA = layer(p.LayerHigh, ya), loA = layer(p.LayerLow, ya);
        const TLayer hiB = layer(p.LayerHigh, yb), loB = layer(p.LayerLow, yb);
        for (int32_t z = 0; z <= nz; ++z) {
            const double fz = static_cast<double>(z) / nz;
            const double pz = hi.Z + (static_cast<double>(lo.Z) - hi.Z) * fz;
            const double sz = (hiA.Z + (static_cast<double>(loA.Z) - hiA.Z) * fz) -
                              (hiB.Z + (static_cast<double>(loB.Z) - hiB.Z) * fz);
            for (int32_t x = 0; x <= nx; ++x) {
                const double fx = static_cast<double>(x) / nx;
                const double px = hi.X + (static_cast<double>(lo.X) - hi.X) * fx;
                const double sx = (hiA.X + (static_cast<double>(loA.X) - hiA.X) * fx) -
                                  (hiB.X + (static_cast<double>(loB.X) - hiB.X) * fx);
                const double h = height(x, z);
                TVec3 v{static_cast<float>(x - halfX + px + sx * h),
                        static_cast<float>(y - halfY + h),
                        static_cast<float>(z - halfZ + pz + sz * h)};
                vertices[n++] = v;
                boxMin = TVec3{std::min(boxMin.X, v.X), std::min(boxMin.Y, v.Y),
                               std::min(boxMin.Z, v.Z)};
                boxMax = TVec3{std::max(boxMax.X, v.X), std::max(boxMax.Y, v.Y),
                               std::max(boxMax.Z, v.Z)};
            }
        }
    }
}

void updateLattice(TPoxel& p) {
    if (p.IsGroup) {
        p.BoxMin = TVec3{-0.5f, -0.5f, -0.5f};
        p.BoxMax = TVec3{0.5f, 0.5f, 0.5f};
        return;
    }
    computeLattice(p, p.Vertices, p.BoxMin, p.BoxMax);
}

} // namespace lw

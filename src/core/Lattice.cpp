#include "core/Lattice.h"

#include <algorithm>

namespace lw {

namespace {

TLayer layerAt(const ALayer& l, int32_t y) {
    return static_cast<size_t>(y) < l.size() ? l[static_cast<size_t>(y)] : TLayer{};
}

// Computes the points of level y, x fastest then z, into `out`. The scratch vectors hold the
// offset and slope of each lattice line along x and along z.
TVec3* fillLevel(const TPoxel& p, int32_t y, bool heightsValid, std::vector<double>& scratch,
                 TVec3* out) {
    const int32_t nx = p.NX, ny = p.NY, nz = p.NZ;
    const double halfX = nx / 2.0, halfY = ny / 2.0, halfZ = nz / 2.0;
    scratch.resize(2 * (static_cast<size_t>(nx) + 1) + 2 * (static_cast<size_t>(nz) + 1));
    double* px = scratch.data();
    double* sx = px + nx + 1;
    double* pz = sx + nx + 1;
    double* sz = pz + nz + 1;
    const TLayer hi = layerAt(p.LayerHigh, y), lo = layerAt(p.LayerLow, y);
    // The slope of level 0 is taken from level 1.
    const int32_t ya = y >= 1 ? y : 1, yb = ya - 1;
    const TLayer hiA = layerAt(p.LayerHigh, ya), loA = layerAt(p.LayerLow, ya);
    const TLayer hiB = layerAt(p.LayerHigh, yb), loB = layerAt(p.LayerLow, yb);
    for (int32_t x = 0; x <= nx; ++x) {
        const double f = static_cast<double>(x) / nx;
        px[x] = hi.X + (static_cast<double>(lo.X) - hi.X) * f;
        sx[x] = (hiA.X + (static_cast<double>(loA.X) - hiA.X) * f) -
                (hiB.X + (static_cast<double>(loB.X) - hiB.X) * f);
    }
    for (int32_t z = 0; z <= nz; ++z) {
        const double f = static_cast<double>(z) / nz;
        pz[z] = hi.Z + (static_cast<double>(lo.Z) - hi.Z) * f;
        sz[z] = (hiA.Z + (static_cast<double>(loA.Z) - hiA.Z) * f) -
                (hiB.Z + (static_cast<double>(loB.Z) - hiB.Z) * f);
    }
    for (int32_t z = 0; z <= nz; ++z) {
        for (int32_t x = 0; x <= nx; ++x) {
            const double h = heightsValid ? p.Heights[size_t(x)][size_t(z)] : 0.0;
            *out++ = TVec3{static_cast<float>(x - halfX + px[x] + sx[x] * h),
                           static_cast<float>(y - halfY + h),
                           static_cast<float>(z - halfZ + pz[z] + sz[z] * h)};
        }
    }
    return out;
}

// Heights of a node whose arrays are out of step with its dimensions count as 0.
bool heightsMatch(const TPoxel& p) {
    bool valid = p.Heights.size() == static_cast<size_t>(p.NX) + 1;
    for (const auto& column : p.Heights)
        valid = valid && column.size() == static_cast<size_t>(p.NZ) + 1;
    return valid;
}

} // namespace

void computeLattice(const TPoxel& p, std::vector<TVec3>& vertices, TVec3& boxMin, TVec3& boxMax) {
    const size_t perLevel = (static_cast<size_t>(p.NX) + 1) * (static_cast<size_t>(p.NZ) + 1);
    vertices.resize((static_cast<size_t>(p.NY) + 1) * perLevel);
    const bool valid = heightsMatch(p);
    std::vector<double> scratch;
    TVec3* out = vertices.data();
    for (int32_t y = 0; y <= p.NY; ++y)
        out = fillLevel(p, y, valid, scratch, out);
    // The box always holds the local origin.
    TVec3 lo{}, hi{};
    for (const TVec3& v : vertices) {
        lo = TVec3{std::min(lo.X, v.X), std::min(lo.Y, v.Y), std::min(lo.Z, v.Z)};
        hi = TVec3{std::max(hi.X, v.X), std::max(hi.Y, v.Y), std::max(hi.Z, v.Z)};
    }
    boxMin = lo;
    boxMax = hi;
}

void computeLatticeLevel(const TPoxel& p, int32_t y, std::vector<TVec3>& points,
                         std::vector<double>& scratch) {
    points.resize((static_cast<size_t>(p.NX) + 1) * (static_cast<size_t>(p.NZ) + 1));
    fillLevel(p, y, heightsMatch(p), scratch, points.data());
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

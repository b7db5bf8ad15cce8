#include "render/CpuPicture.h"

#include "core/Lattice.h"
#include "core/Transform.h"
#include "render/PoxelMesh.h"
#include "render/ViewMath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace lw {

namespace {

bool drawsCells(const TPoxel& p) {
    // "Visible" lives in bits 16-23 of Surface2; the view draws a hidden poxel as lines only.
    return !p.IsGroup && !p.IsEntity && p.NX > 0 && p.NY > 0 && p.NZ > 0 &&
           (p.Surface2 >> 16 & 0xFFu) != 0;
}

// Pre-order over the tree with each node's world frame; deep maps must not exhaust the stack.
template <class Visit> void forEachNode(const TPoxel& root, Visit&& visit) {
    std::vector<std::pair<const TPoxel*, Mat4>> pending{
        {&root, nodeMatrix(identityMatrix(), root)}};
    while (!pending.empty()) {
        auto [node, frame] = pending.back();
        pending.pop_back();
        visit(*node, frame);
        for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it)
            pending.emplace_back(it->get(), nodeMatrix(frame, **it));
    }
}

// A lattice point in the picture: window x and y (from the bottom left), depth 0..1, and where
// it lies in the world for the lighting. Points behind the eye are not drawn.
struct Projected {
    float x = 0, y = 0, depth = 0;
    bool valid = false;
    TVec3 world;
};

class Rasteriser {
public:
    Rasteriser(int width, int height)
        : w_(width), h_(height), rgb_(size_t(width) * size_t(height) * 3, 0),
          depth_(size_t(width) * size_t(height), 1.0f) {}

    void triangle(const Projected& a, const Projected& b, const Projected& c,
                  const std::array<uint8_t, 3>& colour) {
        const float minX = std::min({a.x, b.x, c.x}), maxX = std::max({a.x, b.x, c.x});
        const float minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
        // Pixel centres sit at half steps; a triangle between two centres covers none.
        const int x0 = std::max(0, static_cast<int>(std::ceil(minX - 0.5f)));
        const int x1 = std::min(w_ - 1, static_cast<int>(std::floor(maxX - 0.5f)));
        const int y0 = std::max(0, static_cast<int>(std::ceil(minY - 0.5f)));
        const int y1 = std::min(h_ - 1, static_cast<int>(std::floor(maxY - 0.5f)));
        if (x0 > x1 || y0 > y1)
            return;
        const float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        if (area == 0.0f)
            return;
        const float inv = 1.0f / area;
        for (int py = y0; py <= y1; ++py) {
            const float sy = static_cast<float>(py) + 0.5f;
            for (int px = x0; px <= x1; ++px) {
                const float sx = static_cast<float>(px) + 0.5f;
                // Barycentric weights, positive inside for either winding.
                const float wa = ((b.x - sx) * (c.y - sy) - (b.y - sy) * (c.x - sx)) * inv;
                const float wb = ((c.x - sx) * (a.y - sy) - (c.y - sy) * (a.x - sx)) * inv;
                const float wc = 1.0f - wa - wb;
                if (wa < 0 || wb < 0 || wc < 0)
                    continue;
                const float z = wa * a.depth + wb * b.depth + wc * c.depth;
                const size_t at = size_t(h_ - 1 - py) * size_t(w_) + size_t(px);
                if (z < 0.0f || z >= depth_[at])
                    continue;
                depth_[at] = z;
                std::copy(colour.begin(), colour.end(), rgb_.begin() + std::ptrdiff_t(at * 3));
            }
        }
    }

    std::vector<uint8_t> take() { return std::move(rgb_); }

private:
    int w_, h_;
    std::vector<uint8_t> rgb_;
    std::vector<float> depth_;
};

class CellPainter {
public:
    CellPainter(const TCamera& camera)
        : raster_(std::max(1, camera.Width), std::max(1, camera.Height)),
          camera_(cameraProjection(camera)), viewport_(cameraViewport(camera)) {
        const auto light = headLightPosition(camera);
        light_ = {light[0], light[1], light[2]};
    }

    void poxel(const TPoxel& p, const Mat4& frame) {
        const Mat4 world = multiply(frame, scaling(p.Size));
        const Mat4 clip = multiply(camera_, world);
        colour_ = {static_cast<float>(p.Color & 0xFFu) / 255.0f,
                   static_cast<float>(p.Color >> 8 & 0xFFu) / 255.0f,
                   static_cast<float>(p.Color >> 16 & 0xFFu) / 255.0f};
        stride_ = size_t(p.NX) + 1;
        project(p, 0, world, clip, lower_);
        for (int32_t y = 0; y < p.NY; ++y) {
            project(p, y + 1, world, clip, upper_);
            for (int32_t z = 0; z < p.NZ; ++z)
                for (int32_t x = 0; x < p.NX; ++x)
                    if (filled(p, x, y, z))
                        cell(p, x, y, z);
            std::swap(lower_, upper_);
        }
    }

    std::vector<uint8_t> take() { return raster_.take(); }

private:
    static bool filled(const TPoxel& p, int32_t x, int32_t y, int32_t z) {
        if (x < 0 || y < 0 || z < 0 || x >= p.NX || y >= p.NY || z >= p.NZ)
            return false;
        const size_t i = p.cellIndex(x, y, z);
        return i < p.Voxels.size() && firstTextureCode(p.Voxels[i]) != 0;
    }

    void project(const TPoxel& p, int32_t level, const Mat4& world, const Mat4& clip,
                 std::vector<Projected>& out) {
        computeLatticeLevel(p, level, points_, scratch_);
        out.resize(points_.size());
        const double w = viewport_[2], h = viewport_[3];
        for (size_t i = 0; i < points_.size(); ++i) {
            const TVec3& v = points_[i];
            const double cx = clip[0] * v.X + clip[4] * v.Y + clip[8] * v.Z + clip[12];
            const double cy = clip[1] * v.X + clip[5] * v.Y + clip[9] * v.Z + clip[13];
            const double cz = clip[2] * v.X + clip[6] * v.Y + clip[10] * v.Z + clip[14];
            const double cw = clip[3] * v.X + clip[7] * v.Y + clip[11] * v.Z + clip[15];
            Projected& q = out[i];
            q.valid = cw > 1e-6;
            if (q.valid) {
                q.x = static_cast<float>(viewport_[0] + (cx / cw + 1.0) / 2.0 * w);
                q.y = static_cast<float>(viewport_[1] + (cy / cw + 1.0) / 2.0 * h);
                q.depth = static_cast<float>((cz / cw + 1.0) / 2.0);
            }
            q.world = transformPoint(world, v);
        }
    }

    // The six faces of a cell, those with an empty neighbour or the poxel's side beyond.
    void cell(const TPoxel& p, int32_t x, int32_t y, int32_t z) {
        const size_t i00 = size_t(z) * stride_ + size_t(x), i10 = i00 + 1;
        const size_t i01 = i00 + stride_, i11 = i01 + 1;
        const auto& lo = lower_;
        const auto& hi = upper_;
        if (!filled(p, x, y - 1, z))
            quad(lo[i00], lo[i10], lo[i11], lo[i01]);
        if (!filled(p, x, y + 1, z))
            quad(hi[i00], hi[i10], hi[i11], hi[i01]);
        if (!filled(p, x - 1, y, z))
            quad(lo[i00], lo[i01], hi[i01], hi[i00]);
        if (!filled(p, x + 1, y, z))
            quad(lo[i10], lo[i11], hi[i11], hi[i10]);
        if (!filled(p, x, y, z - 1))
            quad(lo[i00], lo[i10], hi[i10], hi[i00]);
        if (!filled(p, x, y, z + 1))
            quad(lo[i01], lo[i11], hi[i11], hi[i01]);
    }

    void quad(const Projected& a, const Projected& b, const Projected& c, const Projected& d) {
        if (!a.valid || !b.valid || !c.valid || !d.valid)
            return;
        raster_.triangle(a, b, c, shade(a.world, b.world, c.world, d.world));
        raster_.triangle(a, c, d, shade(a.world, b.world, c.world, d.world));
    }

    // The face's colour lit by the head light: ambient plus diffuse, the normal turned to the
    // light (which sits at the eye, so the faces one sees are the lit side).
    std::array<uint8_t, 3> shade(const TVec3& a, const TVec3& b, const TVec3& c,
                                 const TVec3& d) const {
        const double ux = c.X - a.X, uy = c.Y - a.Y, uz = c.Z - a.Z;
        const double vx = d.X - b.X, vy = d.Y - b.Y, vz = d.Z - b.Z;
        const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
        const double lx = light_[0] - (a.X + c.X) / 2, ly = light_[1] - (a.Y + c.Y) / 2,
                     lz = light_[2] - (a.Z + c.Z) / 2;
        const double nn = std::sqrt(nx * nx + ny * ny + nz * nz);
        const double ll = std::sqrt(lx * lx + ly * ly + lz * lz);
        const double diffuse =
            nn > 0 && ll > 0 ? std::abs(nx * lx + ny * ly + nz * lz) / (nn * ll) : 0;
        const double light = std::min(1.0, 0.3 + diffuse);
        std::array<uint8_t, 3> out{};
        for (size_t k = 0; k < 3; ++k)
            out[k] =
                static_cast<uint8_t>(std::lround(std::clamp(colour_[k] * light, 0.0, 1.0) * 255));
        return out;
    }

    Rasteriser raster_;
    Mat4 camera_;
    Viewport viewport_;
    std::array<double, 3> light_{};
    std::array<double, 3> colour_{};
    size_t stride_ = 0;
    std::vector<TVec3> points_;
    std::vector<double> scratch_;
    std::vector<Projected> lower_, upper_;
};

} // namespace

std::vector<uint8_t> drawCellsOnCpu(const TPoxel& root, const TCamera& camera) {
    CellPainter painter(camera);
    forEachNode(root, [&painter](const TPoxel& node, const Mat4& frame) {
        if (drawsCells(node))
            painter.poxel(node, frame);
    });
    return painter.take();
}

void computeBoxesByLevels(TPoxel& root) {
    std::vector<TPoxel*> pending{&root};
    std::vector<TVec3> points;
    std::vector<double> scratch;
    while (!pending.empty()) {
        TPoxel& p = *pending.back();
        pending.pop_back();
        for (auto& child : p.Children)
            pending.push_back(child.get());
        if (p.IsGroup) {
            p.BoxMin = TVec3{-0.5f, -0.5f, -0.5f};
            p.BoxMax = TVec3{0.5f, 0.5f, 0.5f};
            continue;
        }
        // The box always holds the local origin, as the mesh builder's does.
        TVec3 lo{}, hi{};
        for (int32_t y = 0; y <= p.NY; ++y) {
            computeLatticeLevel(p, y, points, scratch);
            for (const TVec3& v : points) {
                lo = TVec3{std::min(lo.X, v.X), std::min(lo.Y, v.Y), std::min(lo.Z, v.Z)};
                hi = TVec3{std::max(hi.X, v.X), std::max(hi.Y, v.Y), std::max(hi.Z, v.Z)};
            }
        }
        p.BoxMin = lo;
        p.BoxMax = hi;
    }
}

PoxelCount countPoxels(const TPoxel& root) {
    PoxelCount count;
    std::vector<const TPoxel*> pending{&root};
    while (!pending.empty()) {
        const TPoxel& p = *pending.back();
        pending.pop_back();
        for (const auto& child : p.Children)
            pending.push_back(child.get());
        if (!p.IsGroup && !p.IsEntity) {
            ++count.poxels;
            count.cells +=
                size_t(std::max(p.NX, 0)) * size_t(std::max(p.NY, 0)) * size_t(std::max(p.NZ, 0));
        }
    }
    return count;
}

} // namespace lw

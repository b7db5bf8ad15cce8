#pragma once
// What lies under the pointer in the 3D view, as a pick pass paints it in identity colours. The
// view's drawer implements PickSource; tests give one of their own. Small targets (gizmo
// handles, height points, level corners) are found within a tolerance around the pointer,
// the nearest first; objects and cells only under the exact pixel.

#include <cstdint>
#include <functional>
#include <vector>

namespace lw {

// Which pick pass: the scene as the current tool state draws it, or the cells of the selected
// poxel (the cell brushes).
enum class PickPass { Scene, Cells };

// The identities of a square of device pixels centred on the pointer's pixel: side
// 2 * Radius + 1, rows from the top, 0 where nothing was drawn.
struct PickWindow {
    int Radius = 0;
    std::vector<uint32_t> Ids;

    int side() const { return 2 * Radius + 1; }
    // The identity at (dx, dy) from the centre (y down); 0 outside the window.
    uint32_t at(int dx, int dy) const;
    uint32_t centre() const { return at(0, 0); }
};

class PickSource {
public:
    virtual ~PickSource() = default;
    // Device pixels per logical pixel of the view.
    virtual double pixelRatio() const = 0;
    // The pick pass `pass` around device pixel (x, y) of the view (y down), `radius` device
    // pixels each way.
    virtual PickWindow pickWindow(int x, int y, int radius, PickPass pass) = 0;
};

// How far from the pointer (logical pixels) a handle, height point or level corner is hit.
inline constexpr double kPickTolerance = 6.0;

// The device pixel under the logical view point (x, y).
int devicePixel(double logical, double ratio);

// The identity under the logical view point (x, y): the exact pixel.
uint32_t pickExact(PickSource& source, double x, double y, PickPass pass);

// The nearest identity within `tolerance` logical pixels (scaled by the pixel ratio) of the
// logical view point (x, y) for which `near` holds; when there is none, the identity under the
// exact pixel. Of two equally near, the one met first, row by row from the top, wins.
uint32_t pickNear(PickSource& source, double x, double y, PickPass pass, double tolerance,
                  const std::function<bool(uint32_t)>& near);
// The same over a window already read.
uint32_t nearestInWindow(const PickWindow& window, int radius,
                         const std::function<bool(uint32_t)>& near);

} // namespace lw

#include "render/PickSource.h"

#include <algorithm>
#include <cmath>

namespace lw {

uint32_t PickWindow::at(int dx, int dy) const {
    if (dx < -Radius || dx > Radius || dy < -Radius || dy > Radius)
        return 0;
    const size_t i = static_cast<size_t>(dy + Radius) * static_cast<size_t>(side()) +
                     static_cast<size_t>(dx + Radius);
    return i < Ids.size() ? Ids[i] : 0;
}

int devicePixel(double logical, double ratio) {
    return static_cast<int>(std::floor(logical * ratio));
}

uint32_t pickExact(PickSource& source, double x, double y, PickPass pass) {
    const double ratio = source.pixelRatio();
    return source.pickWindow(devicePixel(x, ratio), devicePixel(y, ratio), 0, pass).centre();
}

uint32_t nearestInWindow(const PickWindow& window, int radius,
                         const std::function<bool(uint32_t)>& near) {
    radius = std::min(radius, window.Radius);
    uint32_t best = 0;
    int bestDistance = radius * radius + 1;
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const int d = dx * dx + dy * dy;
            if (d >= bestDistance)
                continue;
            const uint32_t id = window.at(dx, dy);
            if (id != 0 && near(id)) {
                best = id;
                bestDistance = d;
            }
        }
    return best != 0 ? best : window.centre();
}

uint32_t pickNear(PickSource& source, double x, double y, PickPass pass, double tolerance,
                  const std::function<bool(uint32_t)>& near) {
    const double ratio = source.pixelRatio();
    const int radius = std::max(0, static_cast<int>(std::lround(tolerance * ratio)));
    const PickWindow window =
        source.pickWindow(devicePixel(x, ratio), devicePixel(y, ratio), radius, pass);
    return nearestInWindow(window, radius, near);
}

} // namespace lw

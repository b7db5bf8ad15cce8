#include "render/IdentityColour.h"

#include <algorithm>
#include <cmath>

namespace lw {

uint32_t HeatColour(double percent) {
    // std::nearbyint rounds halves to even in the default rounding mode; a weight that is not a
    // number gives no colour rather than an undefined conversion.
    auto channel = [](double v) {
        const double r = std::nearbyint(v);
        return r > 0 ? static_cast<uint32_t>(std::min(r, 255.0)) : 0u;
    };
    const uint32_t red = percent > 50 ? 255u : channel(percent * 2 * 2.55);
    const uint32_t green = percent >= 50 ? channel((100 - percent) * 2 * 2.55) : 255u;
    return red + 256u * green;
}

} // namespace lw

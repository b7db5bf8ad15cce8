#include "render/PickArrays.h"

#include <algorithm>
#include <cmath>

namespace lw {

namespace {
// The fall-off uses 3.141592 exactly, so weights match the program's other tools.
constexpr float kPi = 3.141592f;

double weightAt(float d, float radius) {
    // A radius of 0 (or below) reaches nothing, the picked point included.
    if (!(radius > 0.0f) || d > radius)
        return 0.0;
    return (std::cos(d * kPi / radius) + 1.0) / 2.0 * 100.0;
}

double strongest(double r, double w) {
    return w > 100.0 ? 100.0 : std::max(r, w);
}
} // namespace

double HeightWeight(int32_t x, int32_t z, const TPickArray& list) {
    double r = 0.0;
    for (const auto& [a, b] : list.Picks) {
        const float dx = static_cast<float>(x - a + 1);
        const float dz = static_cast<float>(z - b + 1);
        r = strongest(r, weightAt(std::sqrt(dx * dx + dz * dz), list.Radius));
    }
    return r;
}

double LayerWeight(int32_t corner, int32_t level, const TLPickArray& list) {
    double r = 0.0;
    for (const auto& [a, b] : list.Picks) {
        if (b != corner)
            continue;
        r = strongest(r, weightAt(std::fabs(static_cast<float>(level - a)), list.SoftLen));
    }
    return r;
}

} // namespace lw

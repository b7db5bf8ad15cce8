#include "io/GreyPicture.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace lw {

namespace {

// One source sample of a destination index and its weight.
struct Contributor {
    int index;
    double weight;
};

// The contributors of every destination index along one axis, stored flat.
struct AxisWeights {
    std::vector<Contributor> items;
    std::vector<size_t> start; // destination i uses items[start[i] .. start[i + 1])
};

double quadraticKernel(double t) {
    t = std::fabs(t);
    if (t < 0.5)
        return 0.75 - t * t;
    if (t < 1.5)
        return 0.5 * (t - 1.5) * (t - 1.5);
    return 0.0;
}

// Mirrors a source index into 0..n-1. The low edge reflects about 0 and the high edge repeats
// the last sample; a window wider than the source reflects again until it lands inside.
int mirrorIndex(int j, int n) {
    while (j < 0 || j >= n)
        j = j < 0 ? -j : 2 * n - 1 - j;
    return j;
}

AxisWeights axisWeights(int n, int d) {
    // Scale (d - 1) / (n - 1); with one sample on either side the plain ratio d / n is used
    // (n - 1 or d - 1 would be 0). The centre of destination i is i / scale, formed from the
    // integers so that exact positions stay exact.
    const bool plain = n == 1 || d == 1;
    const double num = plain ? double(n) : double(n - 1);
    const double den = plain ? double(d) : double(d - 1);
    const double scale = den / num;
    constexpr double kWindow = 3.1415927;
    const double stretch = scale >= 1.0 ? 1.0 : num / den;
    const double window = scale >= 1.0 ? kWindow : kWindow / scale;

    AxisWeights w;
    w.start.reserve(size_t(d) + 1);
    for (int i = 0; i < d; ++i) {
        w.start.push_back(w.items.size());
        const double centre = double(i) * num / den;
        const int first = int(std::floor(centre - window));
        const int last = int(std::ceil(centre + window));
        for (int j = first; j <= last; ++j) {
            const double weight = quadraticKernel((centre - j) / stretch) / stretch;
            if (weight != 0.0)
                w.items.push_back({mirrorIndex(j, n), weight});
        }
    }
    w.start.push_back(w.items.size());
    return w;
}

uint8_t toByte(double v) {
    // nearbyint rounds halves to even in the default rounding mode.
    const double r = std::nearbyint(v);
    return uint8_t(std::clamp(r, 0.0, 255.0));
}

} // namespace

Error sourceBitmapTooSmall() {
    return Error{"sSourcebitmapSmall", "Source bitmap too small", ""};
}

Result<GreyPicture> resamplePicture(const GreyPicture& source, int width, int height) {
    if (source.empty())
        return sourceBitmapTooSmall();
    if (width <= 0 || height <= 0)
        return GreyPicture{};

    const AxisWeights across = axisWeights(source.width, width);
    GreyPicture middle(width, source.height);
    for (int y = 0; y < source.height; ++y) {
        const uint8_t* row = &source.pixels[size_t(y) * size_t(source.width)];
        for (int x = 0; x < width; ++x) {
            double sum = 0.0;
            for (size_t k = across.start[size_t(x)]; k < across.start[size_t(x) + 1]; ++k)
                sum += across.items[k].weight * row[across.items[k].index];
            middle.at(x, y) = toByte(sum);
        }
    }

    const AxisWeights down = axisWeights(source.height, height);
    GreyPicture out(width, height);
    std::vector<double> sums(size_t(width), 0.0);
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0.0);
        for (size_t k = down.start[size_t(y)]; k < down.start[size_t(y) + 1]; ++k) {
            const uint8_t* row = &middle.pixels[size_t(down.items[k].index) * size_t(width)];
            const double weight = down.items[k].weight;
            for (int x = 0; x < width; ++x)
                sums[size_t(x)] += weight * row[x];
        }
        for (int x = 0; x < width; ++x)
            out.at(x, y) = toByte(sums[size_t(x)]);
    }
    return out;
}

namespace {

// Area weights of one axis: destination i covers [i·n, (i+1)·n) and source j covers
// [j·d, (j+1)·d) in units of 1/d of a source sample, so overlaps are exact integers.
AxisWeights areaWeights(int n, int d) {
    AxisWeights w;
    w.start.reserve(size_t(d) + 1);
    for (int i = 0; i < d; ++i) {
        w.start.push_back(w.items.size());
        const int64_t lo = int64_t(i) * n;
        const int64_t hi = lo + n;
        for (int64_t j = lo / d; j < n && j * d < hi; ++j) {
            const int64_t overlap = std::min(hi, (j + 1) * d) - std::max(lo, j * d);
            if (overlap > 0)
                w.items.push_back({int(j), double(overlap) / double(n)});
        }
    }
    w.start.push_back(w.items.size());
    return w;
}

} // namespace

GreyPicture stretchPicture(const GreyPicture& source, int width, int height) {
    if (width <= 0 || height <= 0)
        return GreyPicture{};
    if (source.empty())
        return GreyPicture(width, height);
    const AxisWeights across = areaWeights(source.width, width);
    const AxisWeights down = areaWeights(source.height, height);
    // Kept unrounded between the passes so a stretch to the same size is exact.
    std::vector<double> middle(size_t(width) * size_t(source.height), 0.0);
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < width; ++x) {
            double sum = 0.0;
            for (size_t k = across.start[size_t(x)]; k < across.start[size_t(x) + 1]; ++k)
                sum += across.items[k].weight * source.at(across.items[k].index, y);
            middle[size_t(y) * size_t(width) + size_t(x)] = sum;
        }
    GreyPicture out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double sum = 0.0;
            for (size_t k = down.start[size_t(y)]; k < down.start[size_t(y) + 1]; ++k)
                sum += down.items[k].weight *
                       middle[size_t(down.items[k].index) * size_t(width) + size_t(x)];
            out.at(x, y) = toByte(sum);
        }
    return out;
}

void invertPicture(GreyPicture& picture) {
    for (uint8_t& b : picture.pixels)
        b = uint8_t(255 - b);
}

void changeContrast(GreyPicture& picture, double k) {
    if (k == 0.0)
        return;
    const double f = k > 0.0 ? k / 10.0 + 1.0 : 1.0 - std::sqrt(-k) / 10.0;
    std::array<uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const double v = 128.0 + std::trunc(double(b - 128) * f);
        table[size_t(b)] = uint8_t(std::clamp(v, 0.0, 255.0));
    }
    for (uint8_t& b : picture.pixels)
        b = table[b];
}

} // namespace lw

#include "textures/DemoTextures.h"

#include "core/AtomicFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace lw {

namespace fs = std::filesystem;

namespace {

constexpr float kPi = 3.14159265358979f;

struct Rgba {
    float r = 0, g = 0, b = 0, a = 255;
};

uint32_t hash(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}
float unitHash(int x, int y, uint32_t seed) {
    return float(hash(x, y, seed) & 0xFFFFFF) / float(0x1000000);
}

// Value noise on a lattice of `period` cells that wraps, so the images tile without seams.
float tileNoise(float u, float v, int period, uint32_t seed) {
    const float x = u * float(period), y = v * float(period);
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = x - float(x0), fy = y - float(y0);
    auto at = [&](int i, int j) {
        return unitHash(((i % period) + period) % period, ((j % period) + period) % period, seed);
    };
    const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    const float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return top + (bottom - top) * sy;
}

// Octaves of tileNoise from `period` up, each twice as fine and half as strong; 0..1.
float fractal(float u, float v, int period, int octaves, uint32_t seed) {
    float sum = 0, weight = 1, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += weight * tileNoise(u, v, period << o, seed + uint32_t(o) * 101u);
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

float mix(float a, float b, float t) {
    return a + (b - a) * t;
}
Rgba mix(const Rgba& a, const Rgba& b, float t) {
    return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t), mix(a.a, b.a, t)};
}

Rgba grass(int x, int y, float u, float v) {
    const float n = fractal(u, v, 4, 4, 11);
    const float blades = tileNoise(u, v, 64, 12);
    Rgba c = mix(Rgba{38, 92, 24}, Rgba{112, 168, 52}, std::clamp(n * 1.3f - 0.15f, 0.0f, 1.0f));
    c = mix(c, Rgba{24, 70, 18}, blades * 0.35f);
    if (unitHash(x, y, 13) < 0.02f)
        c = Rgba{168, 176, 70};
    return c;
}

Rgba rock(int, int, float u, float v) {
    const float n = fractal(u, v, 4, 5, 21);
    const float ridge = 1 - std::fabs(2 * tileNoise(u, v, 8, 22) - 1);
    float grey = 80 + 100 * n;
    if (ridge > 0.92f)
        grey *= 0.55f + 0.45f * (1 - (ridge - 0.92f) / 0.08f);
    return {grey * 1.02f, grey * 0.98f, grey * 0.92f};
}

Rgba sand(int x, int y, float u, float v) {
    const float wobble = fractal(u, v, 2, 3, 31);
    const float ripple = std::sin(2 * kPi * (v * 6 + wobble * 0.9f));
    const float grain = (unitHash(x, y, 32) - 0.5f) * 22;
    return {212 + 10 * ripple + grain, 186 + 9 * ripple + grain, 128 + 6 * ripple + grain * 0.8f};
}

Rgba snow(int x, int y, float u, float v) {
    const float n = fractal(u, v, 4, 3, 41);
    Rgba c = mix(Rgba{206, 216, 236}, Rgba{246, 248, 252}, n);
    if (unitHash(x, y, 42) > 0.995f)
        c = Rgba{255, 255, 255};
    return c;
}

Rgba water(int, int, float u, float v) {
    const float n = fractal(u, v, 4, 3, 51);
    const float wave = 0.5f + 0.5f * std::sin(2 * kPi * (u * 3 + v * 2 + n * 0.8f));
    Rgba c = mix(Rgba{22, 74, 132}, Rgba{64, 140, 196}, wave * 0.7f + n * 0.3f);
    c.a = 150 + 70 * n;
    return c;
}

Rgba brick(int x, int y, float u, float v) {
    constexpr int kRow = kDemoTextureSide / 8, kWidth = kDemoTextureSide / 4, kMortar = 2;
    const int row = y / kRow;
    const int shifted = x + (row % 2) * (kWidth / 2);
    const int column = (shifted / kWidth) % 4;
    const bool mortar = y % kRow < kMortar || shifted % kWidth < kMortar;
    const float n = fractal(u, v, 16, 2, 61);
    if (mortar)
        return {188 + 20 * n, 182 + 20 * n, 170 + 20 * n};
    const float tone = (unitHash(column, row, 62) - 0.5f) * 40;
    return {150 + tone + 30 * (n - 0.5f), 62 + tone * 0.4f + 16 * (n - 0.5f), 42 + 12 * (n - 0.5f)};
}

uint8_t channel(float v) {
    return uint8_t(std::lround(std::clamp(v, 0.0f, 255.0f)));
}

BundleImageSource draw(const char* name, int bits, Rgba (*pixel)(int, int, float, float)) {
    BundleImageSource im;
    im.name = std::string("Demo\\") + name + ".tga";
    im.width = im.height = kDemoTextureSide;
    im.bits = bits;
    im.pixels.reserve(size_t(kDemoTextureSide) * kDemoTextureSide * size_t(bits / 8));
    for (int y = 0; y < kDemoTextureSide; ++y)
        for (int x = 0; x < kDemoTextureSide; ++x) {
            const Rgba c = pixel(x, y, float(x) / kDemoTextureSide, float(y) / kDemoTextureSide);
            im.pixels.push_back(channel(c.r));
            im.pixels.push_back(channel(c.g));
            im.pixels.push_back(channel(c.b));
            if (bits == 32)
                im.pixels.push_back(channel(c.a));
        }
    // The record tag must not appear among the pixels; one step of one channel hides it.
    for (size_t i = 0; i + 4 <= im.pixels.size(); ++i)
        if (std::equal(im.pixels.begin() + std::ptrdiff_t(i),
                       im.pixels.begin() + std::ptrdiff_t(i + 4), "CTNR"))
            ++im.pixels[i];
    return im;
}

std::string twoDigits(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%.2d", n);
    return text;
}

} // namespace

std::vector<BundleImageSource> demoTextureImages() {
    return {draw("grass", 24, grass), draw("rock", 24, rock),   draw("sand", 24, sand),
            draw("snow", 24, snow),   draw("water", 32, water), draw("brick", 24, brick)};
}

TextureBoxList demoTextureList() {
    auto box = [](const char* name, const char* top, const char* side, const char* bottom,
                  const char* edge) {
        return TextureBox{name, {top, side, bottom, edge, top}};
    };
    TextureBoxList list;
    list.Boxes = {
        box("Beach", "sand", "sand", "rock", "NULL"),
        box("Meadow", "grass", "rock", "rock", "NULL"),
        box("Brick", "brick", "brick", "brick", "NULL"),
        box("Cobble", "rock", "brick", "rock", "NULL"),
        box("Rock", "rock", "rock", "rock", "NULL"),
        box("Snow", "snow", "rock", "rock", "NULL"),
        box("Water", "water", "water", "sand", "NULL"),
        box("Shore", "grass", "sand", "sand", "water"),
    };
    return list;
}

DemoTextureFiles demoTextureFilesBeside(const std::string& mapFile) {
    const fs::path map(mapFile);
    const std::string stem = map.stem().string();
    const fs::path folder = map.parent_path();
    return {(folder / (stem + "-bundles")).string(), (folder / (stem + "-textures.txt")).string()};
}

Status writeDemoTextures(const DemoTextureFiles& files) {
    std::error_code ec;
    fs::create_directories(files.bundleFolder, ec);
    if (ec)
        return Error{"sCannotWriteBundle", "Cannot write texture bundle",
                     "'" + files.bundleFolder + "': " + ec.message()};
    auto images = encodeTextureBundle(demoTextureImages());
    if (!images)
        return images.error();
    auto empty = encodeTextureBundle({});
    if (!empty)
        return empty.error();
    // The browser reads bundles 7 to 12 and 43 to 88 and recognises the folder by 7, 19, 23
    // and 88; the demo images go into the first.
    std::vector<int> numbers{19, 23};
    for (int n = 7; n <= 12; ++n)
        numbers.push_back(n);
    for (int n = 43; n <= 88; ++n)
        numbers.push_back(n);
    for (int n : numbers) {
        const std::string file =
            (fs::path(files.bundleFolder) / ("Bundle" + twoDigits(n) + ".xom")).string();
        if (auto st = writeFileAtomically(file, n == 7 ? *images : *empty); !st)
            return st;
    }
    return WriteTextureList(files.listFile, demoTextureList());
}

} // namespace lw

// Decoding the largest images the browser shows, and scanning a bundle of 200 such images.

#include "textures/ImageFolder.h"
#include "textures/ImageRecord.h"
#include "textures/TextureSamples.h"

#include <benchmark/benchmark.h>

namespace {

void BM_ShowImage512(benchmark::State& state) {
    const bool checkerboard = state.range(0) != 0;
    const auto record =
        lwtest::recordOf(lwtest::ximageObject(1, 512, 512, 4, lwtest::pattern(512 * 512 * 4)));
    for (auto _ : state) {
        auto img = lw::ShowImage(record, checkerboard);
        benchmark::DoNotOptimize(img);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 512 * 512 * 4);
}

void BM_ReadBundleImages(benchmark::State& state) {
    std::vector<lwtest::BundleImage> images;
    for (int i = 0; i < 200; ++i)
        images.push_back({"Tex\\T" + std::to_string(i) + ".tga", 128, 128, uint8_t(i)});
    const auto bundle = lwtest::bundleFile(images);
    for (auto _ : state) {
        auto list = lw::readBundleImages(bundle);
        benchmark::DoNotOptimize(list);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bundle.size()));
}

} // namespace

BENCHMARK(BM_ShowImage512)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBundleImages)->Unit(benchmark::kMillisecond);

// Reading and writing generated maps of 5,000 and 20,000 poxels.

#include "core/MapGenerator.h"
#include "core/MapReader.h"
#include "core/MapWriter.h"

#include <benchmark/benchmark.h>

#include <map>

namespace {

const std::vector<uint8_t>& mapBytes(int poxels) {
    static std::map<int, std::vector<uint8_t>> cache;
    auto& bytes = cache[poxels];
    if (bytes.empty())
        bytes = *lw::encodeMap(*lw::makeGeneratedMap(poxels));
    return bytes;
}

void BM_DecodeMap(benchmark::State& state) {
    const auto& bytes = mapBytes(int(state.range(0)));
    for (auto _ : state) {
        auto table = lw::parseXom(bytes, lw::XomMode::Map);
        auto root = lw::decodeMapRoot(*table, lw::CounterMode::Reset);
        benchmark::DoNotOptimize(root);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
    state.counters["file_bytes"] = double(bytes.size());
}

void BM_EncodeMap(benchmark::State& state) {
    auto root = lw::makeGeneratedMap(int(state.range(0)));
    for (auto _ : state) {
        auto bytes = lw::encodeMap(*root);
        benchmark::DoNotOptimize(bytes);
    }
}

} // namespace

BENCHMARK(BM_DecodeMap)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeMap)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Reading a whole file from the page cache: the readers' one call against the floor of a plain
// read() into a buffer made beforehand, and against reading in 64 KB pieces appended to a
// growing buffer (how maps were read before). Compare the bytes per second of one run.

#include "core/InputFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <unistd.h>
#include <vector>

namespace {

// A file of `mib` MiB in the temporary folder, written once per run and read from the cache.
const std::string& cachedFile(int mib) {
    static std::map<int, std::string> files;
    std::string& name = files[mib];
    if (name.empty()) {
        name = (std::filesystem::temp_directory_path() /
                ("lw-read-bench-" + std::to_string(::getpid()) + "-" + std::to_string(mib)))
                   .string();
        std::vector<uint8_t> bytes(size_t(mib) << 20);
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = uint8_t(i * 131 + (i >> 12));
        std::FILE* f = std::fopen(name.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        std::atexit([] {
            for (const auto& [size, file] : files)
                std::filesystem::remove(file);
        });
    }
    return name;
}

void BM_ReadFileBytes(benchmark::State& state) {
    const std::string& file = cachedFile(int(state.range(0)));
    for (auto _ : state) {
        auto bytes = lw::readFileBytes(file);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * (state.range(0) << 20));
}

// The floor: one read() into memory that is already there.
void BM_ReadFloor(benchmark::State& state) {
    const std::string& file = cachedFile(int(state.range(0)));
    std::vector<uint8_t> buffer(size_t(state.range(0)) << 20);
    for (auto _ : state) {
        const int fd = ::open(file.c_str(), O_RDONLY);
        size_t done = 0;
        while (done < buffer.size()) {
            const ssize_t n = ::read(fd, buffer.data() + done, buffer.size() - done);
            if (n <= 0)
                break;
            done += size_t(n);
        }
        ::close(fd);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * (state.range(0) << 20));
}

// Pieces of 64 KB through stdio, appended to a vector that grows as it goes.
void BM_ReadInPieces(benchmark::State& state) {
    const std::string& file = cachedFile(int(state.range(0)));
    for (auto _ : state) {
        std::FILE* f = std::fopen(file.c_str(), "rb");
        std::vector<uint8_t> bytes;
        uint8_t chunk[65536];
        for (;;) {
            const size_t n = std::fread(chunk, 1, sizeof chunk, f);
            bytes.insert(bytes.end(), chunk, chunk + n);
            if (n < sizeof chunk)
                break;
        }
        std::fclose(f);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * (state.range(0) << 20));
}

} // namespace

BENCHMARK(BM_ReadFloor)->Arg(16)->Arg(128)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFileBytes)->Arg(16)->Arg(128)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadInPieces)->Arg(16)->Arg(128)->Unit(benchmark::kMillisecond);

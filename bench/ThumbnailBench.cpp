// The thumbnailer as file managers run it: `landwright-cli thumbnail` on maps of about 1, 10
// and 100 MB, each run in a process of its own so its peak memory can be read. Beside it, on
// the same maps, `info` (reading the map, the floor of memory), `mesh-stats` (reading and
// meshing every poxel) and, on the two smaller ones, `render` at the thumbnail's size, which
// draws every mesh with OpenGL as thumbnails of all maps once did. Counters: peak_MiB of the
// child, file_MB, cells.

#include "core/MapGenerator.h"
#include "core/MapWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct BenchMap {
    std::string file;
    double megabytes = 0;
    size_t cells = 0;
};

// Tiles of 32 x 16 x 32 cells (a poxel holds at most 32,767): 4 x 4, 12 x 12 and 40 x 40 of
// them make maps of about 1, 10 and 100 MB.
const BenchMap& mapOfSize(int megabytes) {
    static std::map<int, BenchMap> maps;
    BenchMap& m = maps[megabytes];
    if (m.file.empty()) {
        const int tiles = megabytes <= 1 ? 4 : megabytes <= 10 ? 12 : 40;
        m.file = (std::filesystem::temp_directory_path() /
                  ("lw-thumb-bench-" + std::to_string(::getpid()) + "-" +
                   std::to_string(megabytes) + ".xom"))
                     .string();
        // The map is made in a process of its own: a child started later begins with the
        // peak memory of the process it was started from, which must stay small.
        const pid_t maker = ::fork();
        if (maker == 0) {
            const auto root = lw::makeTerrainMap(tiles, 32, 16);
            const lw::Status written = lw::WriteMapFile(*root, m.file);
            if (!written)
                std::fprintf(stderr, "cannot write the map: %s\n",
                             written.error().message().c_str());
            std::_Exit(written ? 0 : 1);
        }
        int status = 0;
        if (maker < 0 || ::waitpid(maker, &status, 0) != maker || status != 0)
            m.file = "/nonexistent";
        std::error_code ec;
        m.megabytes = double(std::filesystem::file_size(m.file, ec)) / 1e6;
        m.cells = size_t(tiles) * size_t(tiles) * 32 * 16 * 32;
        std::atexit([] {
            for (const auto& [size, map] : maps) {
                std::error_code ignored;
                std::filesystem::remove(map.file, ignored);
            }
        });
    }
    return m;
}

// Runs the command-line tool with `args`; the child's peak resident memory in KiB, or -1.
long runCli(const std::vector<std::string>& args) {
    std::vector<std::string> all{LW_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1 /* O_WRONLY */, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

void runAndCount(benchmark::State& state, const std::vector<std::string>& tail) {
    const BenchMap& map = mapOfSize(int(state.range(0)));
    std::vector<std::string> args = tail;
    args.insert(args.begin() + 1, map.file);
    long peak = 0;
    for (auto _ : state) {
        peak = runCli(args);
        if (peak < 0) {
            state.SkipWithError("the command failed");
            return;
        }
    }
    state.counters["peak_MiB"] = double(peak) / 1024.0;
    state.counters["file_MB"] = map.megabytes;
    state.counters["cells"] = double(map.cells);
}

void BM_Thumbnail(benchmark::State& state) {
    const std::string out = (std::filesystem::temp_directory_path() /
                             ("lw-thumb-bench-" + std::to_string(::getpid()) + ".png"))
                                .string();
    runAndCount(state, {"thumbnail", out});
    std::error_code ignored;
    std::filesystem::remove(out, ignored);
}

void BM_ThumbnailFloorInfo(benchmark::State& state) {
    runAndCount(state, {"info"});
}

void BM_ThumbnailMeshStats(benchmark::State& state) {
    runAndCount(state, {"mesh-stats"});
}

void BM_ThumbnailRenderGl(benchmark::State& state) {
    const std::string out = (std::filesystem::temp_directory_path() /
                             ("lw-thumb-bench-gl-" + std::to_string(::getpid()) + ".png"))
                                .string();
    runAndCount(state, {"render", "-o", out, "--size", "256x256", "--no-grid"});
    std::error_code ignored;
    std::filesystem::remove(out, ignored);
}

} // namespace

BENCHMARK(BM_ThumbnailRenderGl)
    ->Arg(1)
    ->Arg(10)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Thumbnail)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThumbnailFloorInfo)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ThumbnailMeshStats)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

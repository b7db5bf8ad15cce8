// Decoding the largest images the browser shows, scanning a bundle of 200 such images, reading
// a folder of 2,000 TGA files and decoding their thumbnails, uploading 64 boxes of 512 x 512
// textures and rendering the box overview.

#include "render/gl/HeadlessContext.h"
#include "textures/ImageFolder.h"
#include "textures/ImageRecord.h"
#include "textures/TextureSamples.h"
#include "textures/gl/BoxOverview.h"
#include "textures/gl/TextureUpload.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>

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

// ---- Folders, uploads and the overview -----------------------------------------------------

namespace {

namespace fs = std::filesystem;

// A plain TGA folder of `count` 64 x 64 images, written once per run.
const fs::path& tgaFolder(int count) {
    static fs::path folder;
    if (folder.empty()) {
        folder = fs::temp_directory_path() / ("lw-bench-tga-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%s.tga",
                          i == 0   ? "A01"
                          : i == 1 ? "W68"
                                   : ("T" + std::to_string(i)).c_str());
            const auto bytes =
                lwtest::tgaFile(64, 64, 24, lwtest::pattern(64 * 64 * 3, uint8_t(i)));
            if (std::FILE* f = std::fopen((folder / name).string().c_str(), "wb")) {
                std::fwrite(bytes.data(), 1, bytes.size(), f);
                std::fclose(f);
            }
        }
        std::atexit([] { fs::remove_all(folder); });
    }
    return folder;
}

void BM_LoadTgaFolder2000(benchmark::State& state) {
    const fs::path& folder = tgaFolder(2000);
    size_t images = 0;
    for (auto _ : state) {
        auto loaded = lw::loadImageFolder(folder.string(), lw::FolderLayout::TgaFiles);
        images = loaded.images.size();
        benchmark::DoNotOptimize(loaded);
    }
    state.counters["images"] = double(images);
}

// Thumbnails as the browser's worker makes them: decode with the checkerboard, 2,000 images.
void BM_DecodeThumbnails2000(benchmark::State& state) {
    auto loaded = lw::loadImageFolder(tgaFolder(2000).string(), lw::FolderLayout::TgaFiles);
    for (auto _ : state)
        for (const auto& image : loaded.images) {
            auto decoded = lw::ShowImage(image.record, true);
            benchmark::DoNotOptimize(decoded);
        }
    state.counters["images"] = double(loaded.images.size());
}

lw::gl::HeadlessContext* uploadContext(benchmark::State& state) {
    static auto created =
        lw::gl::HeadlessContext::create(lw::gl::kBoxRenderSize, lw::gl::kBoxRenderSize);
    if (!created) {
        state.SkipWithError(created.error().message().c_str());
        return nullptr;
    }
    if (!created.value()->makeCurrent()) {
        state.SkipWithError("cannot make the context current");
        return nullptr;
    }
    return created.value().get();
}

// 64 boxes of 512 x 512 images; range(0) distinct images per box (1: one texture each, 3: top,
// side and bottom all different).
struct BigList {
    lw::TextureBoxList list;
    lw::ImageList images;
};
BigList bigList(int perBox) {
    BigList b;
    for (int i = 0; i < 64; ++i) {
        lw::TextureBox box{"Box" + std::to_string(i), {}};
        for (int s = 0; s < 3; ++s) {
            const std::string name = "T" + std::to_string(i) + "_" + std::to_string(s % perBox);
            box.Slots[size_t(s)] = name;
            if (s < perBox)
                b.images.push_back(
                    {name,
                     lwtest::recordOf(lwtest::ximageObject(
                         1, 512, 512, 0, lwtest::pattern(512 * 512 * 3, uint8_t(i + s)))),
                     ""});
        }
        box.Slots[3] = "NULL";
        box.Slots[4] = box.Slots[0];
        b.list.Boxes.push_back(box);
    }
    return b;
}

void BM_UploadTextureList64Boxes512(benchmark::State& state) {
    if (!uploadContext(state))
        return;
    const BigList b = bigList(int(state.range(0)));
    size_t textures = 0;
    for (auto _ : state) {
        auto loaded = lw::gl::UploadTextureList(b.list, b.images, {});
        if (!loaded) {
            state.SkipWithError(loaded.error().message().c_str());
            return;
        }
        textures = loaded->Textures.size();
        glFinish();
        state.PauseTiming();
        loaded->Textures.release();
        state.ResumeTiming();
    }
    state.counters["textures"] = double(textures);
}

void BM_BoxOverview64(benchmark::State& state) {
    if (!uploadContext(state))
        return;
    static int argc = 1;
    static char name[] = "lw_bench";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv); // lives for the rest of the run
    }
    const BigList b = bigList(1);
    auto loaded = lw::gl::UploadTextureList(b.list, b.images, {});
    if (!loaded) {
        state.SkipWithError(loaded.error().message().c_str());
        return;
    }
    const lw::TTextureList binding = loaded->Textures.bindingTable(loaded->Table);
    QFont font;
    font.setPixelSize(40);
    for (auto _ : state) {
        QImage overview = lw::gl::BuildBoxOverview(binding, font);
        benchmark::DoNotOptimize(overview);
    }
    loaded->Textures.release();
}

} // namespace

BENCHMARK(BM_LoadTgaFolder2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeThumbnails2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UploadTextureList64Boxes512)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoxOverview64)->Unit(benchmark::kMillisecond);

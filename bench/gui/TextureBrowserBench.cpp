// The texture browser opening a folder of 2,000 images: the whole time until the list is shown
// and its visible thumbnails are decoded, and the longest the window's thread was kept busy
// by one round of its event loop meanwhile (what a user would feel as a freeze).

#include "textures/gui/FormXom.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>

using namespace lw;

namespace {

std::vector<uint8_t> tga64(int seed) {
    std::vector<uint8_t> out(18 + 64 * 64 * 3, 0);
    out[2] = 2;
    out[12] = 64;
    out[14] = 64;
    out[16] = 24;
    for (size_t i = 18; i < out.size(); ++i)
        out[i] = uint8_t(i * 7 + size_t(seed) * 13);
    return out;
}

void BM_BrowserOpens2000Images(benchmark::State& state) {
    QTemporaryDir dir;
    for (int i = 0; i < 2000; ++i) {
        const std::string name = i == 0 ? "A01" : i == 1 ? "W68" : "T" + std::to_string(i);
        std::ofstream f(dir.filePath(QString::fromStdString(name + ".tga")).toStdString(),
                        std::ios::binary);
        const auto bytes = tga64(i);
        f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    double longestStall = 0;
    for (auto _ : state) {
        TFormXom form;
        form.show();
        form.loadFolder(dir.path());
        QElapsedTimer round;
        while (form.loading() || form.decodedThumbnails() < 8) {
            round.start();
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            longestStall = std::max(longestStall, double(round.nsecsElapsed()) / 1e6);
        }
        if (form.TreeView1->topLevelItemCount() != 2000)
            state.SkipWithError("not every image was listed");
    }
    state.counters["longest_ui_round_ms"] = longestStall;
}
BENCHMARK(BM_BrowserOpens2000Images)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

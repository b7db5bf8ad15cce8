// The 3DS import dialog with its worker: the longest stall of the event loop while pyramob.3DS
// is imported in level mode, and how long a cancel takes to close the dialog.

#include "io/gui/ImportModelForm.h"

#include <QElapsedTimer>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace lw;

namespace {

QString pyramob() {
    return QString::fromStdString(
        (std::filesystem::path(LW_SHARED_TESTDATA_DIR) / "3ds" / "pyramob.3DS").string());
}

// Runs the dialog on the model; `cancelAfterMs` >= 0 presses Cancel that long after the start.
// Reports the longest gap between ticks of a 5 ms timer and the time from Cancel to the close.
void runImport(benchmark::State& state, int cancelAfterMs) {
    double worstGap = 0, cancelLatency = 0, total = 0;
    for (auto _ : state) {
        TImport3DModel dialog;
        QElapsedTimer clock;
        qint64 lastTick = 0, cancelledAt = -1;
        QTimer ticker;
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            worstGap = std::max(worstGap, double(now - lastTick));
            lastTick = now;
        });
        QTimer::singleShot(0, &dialog, [&] {
            clock.start();
            ticker.start();
            dialog.startImport(pyramob());
            if (cancelAfterMs >= 0)
                QTimer::singleShot(cancelAfterMs, &dialog, [&] {
                    cancelledAt = clock.elapsed();
                    dialog.CancelClick();
                });
        });
        dialog.exec();
        const qint64 end = clock.elapsed();
        if (cancelledAt >= 0)
            cancelLatency = std::max(cancelLatency, double(end - cancelledAt));
        total = double(end);
        ticker.stop();
    }
    state.counters["worst_stall_ms"] = worstGap;
    state.counters["import_ms"] = total;
    if (cancelAfterMs >= 0)
        state.counters["cancel_ms"] = cancelLatency;
}

void BM_ImportPyramobThroughTheDialog(benchmark::State& state) {
    runImport(state, -1);
}
BENCHMARK(BM_ImportPyramobThroughTheDialog)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CancelPyramobImport(benchmark::State& state) {
    runImport(state, 300);
}
BENCHMARK(BM_CancelPyramobImport)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

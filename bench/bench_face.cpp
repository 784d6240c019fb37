// One full meter-face repaint on the Qt canvas at the panel's size.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "face/meter_face.h"
#include "qt/qt_drawing_surfaces.h"
#include "settings/settings.h"
#include "support/reading_builder.h"

namespace {

// Text needs a GUI application; one serves every run.
QGuiApplication& guiApp() {
    static int argc = 1;
    static char name[] = "bench_face";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    return *app;
}

void faceRepaint(benchmark::State& state, int function, int count, bool negative) {
    guiApp();
    QtDrawingSurfaces surfaces(QSize(350, 237), QSize(600, 120));
    MeterFaceState face;
    face.linkSpriteVisible = true;
    Settings settings;
    SystemClock clock;
    const MeterReading reading = makeReading({.function = function,
                                              .range = 3,
                                              .count = count,
                                              .negative = negative,
                                              .hold = true,
                                              .relative = true});
    for (auto _ : state) {
        // The bookkeeping runs once per tick, the paint once per redraw.
        updateMeterFace(reading, face, settings);
        drawMeterFace(surfaces.meterSurface(), reading, face, settings, clock);
        benchmark::DoNotOptimize(surfaces.meterSurface().image().constBits());
    }
}

void BM_FaceRepaintDcVolts(benchmark::State& state) {
    faceRepaint(state, 1, 12345, true);
}
void BM_FaceRepaintOverRange(benchmark::State& state) {
    faceRepaint(state, 9, 42000, false);
}

}  // namespace

BENCHMARK(BM_FaceRepaintDcVolts)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_FaceRepaintOverRange)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

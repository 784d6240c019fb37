// Chart repaint and selection statistics over a full history ring.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <memory>

#include "chart/chart_renderer.h"
#include "chart/chart_view.h"
#include "chart/selection_statistics.h"
#include "drawing/null_canvas.h"
#include "history/sample_history.h"
#include "qt/qt_canvas.h"
#include "settings/settings.h"

namespace {

// Text drawing needs a running application; the offscreen platform needs no display.
void ensureApplication() {
    static int argc = 1;
    static char name[] = "bench_chart";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication app(argc, argv);
    }
}

std::unique_ptr<SampleHistory> fullRing() {
    auto history = std::make_unique<SampleHistory>();
    for (std::uint32_t i = 0; i < SampleHistory::kSlots; ++i) {
        const auto second = static_cast<int>(i % 86400);
        history->append(static_cast<float>(i % 1000) * 0.01f - 3.0f,
                        packTimeOfDay(second / 3600, second / 60 % 60, second % 60), i % 1000 == 0);
    }
    return history;
}

// range(0): the zoom; range(1), range(2): the canvas (2000 x 300, or the
// window's chart at its default size). A NullCanvas measures the renderer's
// own work apart from painting.
template <typename CanvasType>
void repaint(benchmark::State& state) {
    const auto history = fullRing();
    ChartView view;
    view.zoom = static_cast<std::int32_t>(state.range(0));
    const MinMaxLines minMax{-3.0f, 7.0f};
    const Settings settings;
    ChartRenderer renderer;
    ensureApplication();
    CanvasType canvas(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
    const RowLabelSource labels = [](std::size_t) { return std::u16string(u"tag"); };
    for (auto _ : state) {
        renderer.drawChart(canvas, view, *history, minMax, settings, labels);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(repaint<QtCanvas>)
    ->Args({1, 2000, 300})
    ->Args({-50, 2000, 300})
    ->Args({1, 638, 177})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(repaint<NullCanvas>)
    ->Args({1, 2000, 300})
    ->Args({-50, 2000, 300})
    ->Unit(benchmark::kMicrosecond);

void statistics(benchmark::State& state) {
    const auto history = fullRing();
    SelectionStatistics stats;
    for (auto _ : state) {
        benchmark::DoNotOptimize(stats.compute(*history, 1, 32768));
        benchmark::DoNotOptimize(stats.total());
    }
}
BENCHMARK(statistics)->Unit(benchmark::kMicrosecond);

}  // namespace

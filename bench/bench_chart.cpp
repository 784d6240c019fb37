// Chart repaint and selection statistics over a full history ring.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/settings.h"
#include "chart/chart_renderer.h"
#include "chart/chart_view.h"
#include "chart/selection_statistics.h"
#include "face/meter_face_state.h"
#include "face/recording_canvas.h"
#include "history/sample_history.h"

namespace {

std::unique_ptr<SampleHistory> fullRing() {
    auto history = std::make_unique<SampleHistory>();
    for (std::uint32_t i = 0; i < SampleHistory::kSlots; ++i) {
        const auto second = static_cast<int>(i % 86400);
        history->append(static_cast<float>(i % 1000) * 0.01f - 3.0f,
                        packTimeOfDay(second / 3600, second / 60 % 60, second % 60), i % 97 == 0);
    }
    return history;
}

void repaint(benchmark::State& state) {
    const auto history = fullRing();
    ChartView view;
    view.zoom = static_cast<std::int32_t>(state.range(0));
    MeterFaceState face;
    face.minValue = -3.0f;
    face.maxValue = 7.0f;
    const Settings settings;
    ChartRenderer renderer;
    RecordingCanvas canvas(2000, 300);
    const RowLabelSource labels = [](std::size_t) { return std::u16string(u"tag"); };
    for (auto _ : state) {
        canvas.reset();
        renderer.drawChart(canvas, view, *history, face, settings, labels);
        benchmark::DoNotOptimize(canvas.calls.data());
    }
}
BENCHMARK(repaint)->Arg(1)->Arg(-50)->Unit(benchmark::kMicrosecond);

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

#include "chart_harness.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "chart/chart_renderer.h"
#include "chart/chart_scale.h"
#include "chart/chart_view.h"
#include "chart/selection_statistics.h"
#include "drawing/recording_canvas.h"
#include "fuzz_bytes.h"
#include "history/log_reader.h"
#include "history/reading_list.h"
#include "history/sample_history.h"
#include "history/windows1252.h"
#include "settings/settings.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kMaxCapacity = 4096;
constexpr std::uint32_t kMaxWidth = 2100;
constexpr std::uint32_t kMaxHeight = 400;
constexpr std::uint32_t kLadderSteps = 140;  // enough to reach the top rung

// Zoom levels run -50..-2 and 1..50; the index picks one.
std::int32_t zoomLevel(std::uint32_t index) {
    const auto i = static_cast<std::int32_t>(index);
    return i < 49 ? ChartView::kMinZoom + i : i - 48;
}

float finiteFloat(FuzzBytes& in) {
    const std::uint32_t bits = in.u32();
    float v = 0.0f;
    static_assert(sizeof v == sizeof bits);
    std::memcpy(&v, &bits, sizeof v);
    return std::isfinite(v) ? v : 0.0f;
}

bool onLadder(float fullScale) {
    float rung = 1.0f;
    for (std::uint32_t i = 0; i <= kLadderSteps; ++i, rung = nextFullScale(rung))
        if (rung == fullScale) return true;
    return false;
}

void checkFrame(const RecordingCanvas& canvas, const SampleHistory& history, FuzzReport& report) {
    const auto width = static_cast<float>(canvas.width());
    const auto height = static_cast<float>(canvas.height());
    const std::vector<RecordingCanvas::Polyline> traces = canvas.polylines();
    report.check(traces.size() <= 1, "one trace per frame");
    for (const RecordingCanvas::Polyline& trace : traces) {
        report.note("trace points", static_cast<int>(trace.points.size()));
        report.check(trace.points.size() <= ChartRenderer::kMaxPoints, "the trace fits its buffer");
        report.check(trace.points.size() <= history.count(), "a point per stored sample at most");
        for (const PointF& p : trace.points) {
            report.check(p.x > static_cast<float>(ChartView::kTraceLeft) && p.x < width,
                         "trace points lie right of the margin and inside the canvas");
            report.check(p.y >= 0.0f && p.y <= height, "trace points lie inside the canvas");
        }
    }
    for (const RecordingCanvas::Text& text : canvas.texts())
        report.check(text.text.size() <= ChartRenderer::kMaxLabelLength, "labels are limited");
}

}  // namespace

FuzzReport fuzzChart(std::span<const std::uint8_t> data, const fs::path& scratch) {
    FuzzBytes in(data);
    const std::uint32_t capacity = in.inRange(1, kMaxCapacity);
    RecordingCanvas canvas(static_cast<int>(in.inRange(0, kMaxWidth)),
                           static_cast<int>(in.inRange(0, kMaxHeight)));
    ChartView view;
    view.zoom = zoomLevel(in.inRange(0, 97));
    view.scrollOffset = in.flag() ? in.i32() : static_cast<std::int32_t>(in.inRange(0, 255));
    view.firstMarker = in.i32();
    view.secondMarker = in.flag() ? in.i32() : view.firstMarker;
    view.held = in.flag();
    view.negativeSeen = in.flag();
    for (std::uint32_t k = in.inRange(0, kLadderSteps); k > 0; --k)
        view.fullScale = nextFullScale(view.fullScale);
    MinMaxLines minMax;
    minMax.minValue = finiteFloat(in);
    minMax.maxValue = finiteFloat(in);
    Settings settings;
    settings.colorChartTag = in.u32();
    const auto request = static_cast<ScrollRequest>(in.inRange(0, 8));
    const std::int32_t thumb = in.i32();

    const fs::path input = scratch / "chart.log";
    const std::string_view content = in.restAsText();
    std::ofstream(input, std::ios::binary)
        .write(content.data(), static_cast<std::streamsize>(content.size()));
    ReadingList list;
    auto history = std::make_unique<SampleHistory>(capacity);
    loadLog(input.string(), list, *history);

    FuzzReport report;
    const RowLabelSource labels = [&](std::size_t row) {
        report.check(row < list.rowCount(), "the chart asks only for rows that exist");
        report.note("tag label");
        return row < list.rowCount() ? windows1252ToUtf16(list.row(row).tag) : std::u16string();
    };
    ChartRenderer renderer;
    const auto count = static_cast<int>(history->count());
    for (int frame = 0; frame < 2; ++frame) {
        const float before = view.fullScale;
        canvas.reset();
        renderer.drawChart(canvas, view, *history, minMax, settings, labels);
        checkFrame(canvas, *history, report);
        report.check(view.fullScale >= before && onLadder(view.fullScale),
                     "the autoscale only climbs its ladder");
        // The second frame follows a scroll-bar request.
        scrollChart(view, request, thumb, canvas.width(), count);
    }

    SelectionStatistics statistics;
    if (statistics.compute(*history, view.firstMarker, view.secondMarker)) {
        report.check(!statistics.text().empty(), "a selection has a tooltip text");
        report.note("selection");
    }
    report.check(statistics.text().size() < SelectionStatistics::kTextCapacity,
                 "the tooltip text fits its buffer");
    return report;
}

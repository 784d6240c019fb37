#include "chart_picture.h"

#include <algorithm>

#include "drawing/svg_canvas.h"
#include "history/windows1252.h"
#include "settings/settings.h"

namespace {

// The columns a trace can take: from the right edge while x lies right of
// the margin, and no more than the renderer's point buffer holds.
std::int64_t traceColumns(int width, std::int32_t pixelsPerSample) {
    const std::int64_t span = width - 1 - ChartView::kTraceLeft;
    if (span <= 0) return 0;
    return std::min<std::int64_t>((span - 1) / pixelsPerSample + 1, ChartRenderer::kMaxPoints);
}

}  // namespace

std::int32_t fittingZoom(std::uint32_t count, int width) {
    const std::int64_t columns = traceColumns(width, 1);
    if (columns == 0 || count == 0) return 1;
    if (count <= columns) {
        std::int32_t zoom = ChartView::kMaxZoom;
        while (zoom > 1 && traceColumns(width, zoom) < count) --zoom;
        return zoom;
    }
    // n samples per column; -1 is not a zoom level, so the first is -2.
    const std::int64_t perColumn = std::max<std::int64_t>(2, (count + columns - 1) / columns);
    return static_cast<std::int32_t>(-std::min<std::int64_t>(perColumn, -ChartView::kMinZoom));
}

MinMaxLines historyMinMax(const SampleHistory& history) {
    MinMaxLines lines;
    for (std::uint32_t age = 1; age <= history.count(); ++age) {
        const float value = history.atAge(age).value;
        if (age == 1 || value < lines.minValue) lines.minValue = value;
        if (age == 1 || value > lines.maxValue) lines.maxValue = value;
    }
    return lines;
}

ChartPicture::ChartPicture()
    : history_(std::make_unique<SampleHistory>()), tags_(SampleHistory::kSlots) {}

void ChartPicture::add(float value, std::uint16_t timeOfDay, bool tagged, std::string_view tag) {
    tags_[history_->position()].assign(tag);
    history_->append(value, timeOfDay, tagged);
    // The ring keeps the newest readings, as the program's loader does.
    if (history_->isFull()) history_->wrap();
}

void ChartPicture::draw(Canvas& canvas) {
    ChartView view;
    view.zoom = fittingZoom(history_->count(), canvas.width());
    const Settings colours;
    renderer_.drawChart(canvas, view, *history_, historyMinMax(*history_), colours,
                        [this](std::size_t slot) { return windows1252ToUtf16(tags_[slot]); });
}

std::string ChartPicture::svg(int width, int height) {
    SvgCanvas canvas(width, height);
    draw(canvas);
    return canvas.document();
}

#include "chart/chart_view.h"

#include <algorithm>
#include <limits>

#include "chart/saturating_cast.h"

int visibleSamples(const ChartView& view, int width) {
    const std::int64_t span = std::int64_t{width} - ChartView::kCountedMargin;
    const std::int64_t samples = view.zoom > 0 ? span / view.zoom : span * -std::int64_t{view.zoom};
    return saturatingInt(std::max<std::int64_t>(samples, 0));
}

int scrollPage(const ChartView& view, int width) {
    return std::max(visibleSamples(view, width), 1);
}

int markerAtDistance(const ChartView& view, int distance) {
    const std::int64_t samples =
        view.zoom > 0 ? distance / view.zoom : std::int64_t{distance} * -std::int64_t{view.zoom};
    return saturatingInt(view.scrollOffset + samples);
}

int markerX(const ChartView& view, int marker, int width) {
    const std::int64_t ages = std::int64_t{marker} - view.scrollOffset;
    const std::int64_t x = view.zoom > 0 ? width - ages * view.zoom : width + ages / view.zoom;
    return saturatingInt(x);
}

void zoomIn(ChartView& view) {
    if (view.zoom < ChartView::kMaxZoom) ++view.zoom;
    if (view.zoom == -1) view.zoom = 1;
}

void zoomOut(ChartView& view) {
    if (view.zoom > ChartView::kMinZoom) --view.zoom;
    if (view.zoom == 0) view.zoom = -2;
}

void shiftMarkers(ChartView& view) {
    // Saturate: a view held for billions of readings must not overflow.
    constexpr std::int32_t top = std::numeric_limits<std::int32_t>::max();
    if (view.firstMarker != 0 && view.firstMarker < top) ++view.firstMarker;
    if (view.secondMarker != 0 && view.secondMarker < top) ++view.secondMarker;
}

void toggleHold(ChartView& view) {
    view.held = !view.held;
}

int ScrollBarState::maxThumb() const {
    return std::max(minimum, maximum - page + 1);
}

int ScrollBarState::clampThumb(int requested) const {
    return std::clamp(requested, minimum, maxThumb());
}

ScrollBarState scrollBarState(const ChartView& view, int width, int count) {
    const int page = scrollPage(view, width);
    const int last = count - 1;  // -1 for an empty history
    ScrollBarState bar;
    bar.maximum = std::max(last, 0);
    // A long history gets a wider thumb so that it stays easy to grab.
    bar.page = std::max(page, last / page);
    if (view.scrollOffset == 0) bar.position = bar.clampThumb(bar.maximum);
    return bar;
}

int scrollChart(ChartView& view, ScrollRequest request, int thumb, int width, int count) {
    const std::int64_t page = scrollPage(view, width);
    const std::int64_t samples = count;
    std::int64_t offset = view.scrollOffset;
    switch (request) {
        case ScrollRequest::LineLeft:
        case ScrollRequest::PageLeft:
            offset = std::min(offset + page, samples - page);
            break;
        case ScrollRequest::LineRight:
        case ScrollRequest::PageRight:
            offset = offset > page ? offset - page : 0;
            break;
        case ScrollRequest::ThumbPosition:
        case ScrollRequest::ThumbTrack:
            offset = samples - thumb - page;
            break;
        case ScrollRequest::Top:
        case ScrollRequest::Bottom:
        case ScrollRequest::EndScroll:
            break;
    }
    view.scrollOffset = saturatingInt(std::max<std::int64_t>(offset, 0));
    return saturatingInt(samples - page - view.scrollOffset - 1);
}

int revealListRow(ChartView& view, int row, int rowCount, int width, int count) {
    view.firstMarker = saturatingInt(std::int64_t{rowCount} - row);
    const int x = markerX(view, view.firstMarker, width);
    std::int64_t offset = view.scrollOffset;
    if (x >= width - 1) {
        offset = std::int64_t{view.firstMarker} - 1;
    } else if (x < ChartView::kCountedMargin) {
        offset = std::int64_t{view.firstMarker} - visibleSamples(view, width);
    }
    view.scrollOffset = saturatingInt(std::max<std::int64_t>(offset, 0));
    return saturatingInt(std::int64_t{count} - view.scrollOffset);
}

std::optional<int> holdOnSelection(ChartView& view, int rowCount) {
    view.held = true;
    const std::int64_t row = std::int64_t{rowCount} - view.firstMarker;
    if (row < 0 || row >= rowCount) return std::nullopt;
    return static_cast<int>(row);
}

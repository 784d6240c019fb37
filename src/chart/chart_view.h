#pragma once

#include <cstdint>
#include <optional>

// What the history chart shows and where: zoom, scroll offset, selection
// markers, hold and drag state, and the autoscale state kept between frames.
// Markers and the scroll offset are sample ages (1 = newest).
struct ChartView {
    static constexpr std::int32_t kMaxZoom = 50;
    static constexpr std::int32_t kMinZoom = -50;
    // Columns left of this x are margin: the sample count uses W - kCountedMargin.
    static constexpr int kCountedMargin = 38;
    // Traces, marker lines and tag lines are drawn only right of this x.
    static constexpr int kTraceLeft = 35;

    std::int32_t zoom = 1;  // > 0 pixels per sample, < 0 samples per column; never 0 or -1
    std::int32_t scrollOffset = 0;
    std::int32_t firstMarker = 0;
    std::int32_t secondMarker = 0;
    bool dragging = false;
    std::int32_t dragStartX = 0;
    bool held = false;
    float fullScale = 1.0f;
    bool negativeSeen = false;
};

// Autoscale back to its first rung; used by Clear, a full-history reset and a
// change of the meter's function.
inline void resetScale(ChartView& view) {
    view.fullScale = 1.0f;
    view.negativeSeen = false;
}

// How many samples fit across a chart `width` pixels wide; 0 when none fits.
int visibleSamples(const ChartView& view, int width);
// The page used for scrolling: visibleSamples, but never 0, so a very narrow
// chart still scrolls and nothing divides by zero.
int scrollPage(const ChartView& view, int width);
// The age under a cursor `distance` pixels left of the chart's right edge.
int markerAtDistance(const ChartView& view, int distance);
// The column of the sample of age `marker` (may lie outside the chart).
int markerX(const ChartView& view, int marker, int width);

// One step along the zoom levels -50 .. -2, 1 .. 50; 1 and -2 are neighbours.
void zoomIn(ChartView& view);
void zoomOut(ChartView& view);
// After a logged sample: markers keep denoting the same samples.
void shiftMarkers(ChartView& view);
void toggleHold(ChartView& view);

// A horizontal scroll bar's range, page and, when it must move, position.
// The bar's thumb can travel from `minimum` to maxThumb() = maximum - page + 1.
struct ScrollBarState {
    int minimum = 0;
    int maximum = 0;
    int page = 1;
    std::optional<int> position;  // set only when the view follows the newest sample

    int maxThumb() const;
    // A requested thumb position limited as the bar itself limits it.
    int clampThumb(int requested) const;
    friend bool operator==(const ScrollBarState&, const ScrollBarState&) = default;
};

// The scroll bar for a chart `width` pixels wide over `count` samples.
ScrollBarState scrollBarState(const ChartView& view, int width, int count);

// Scroll-bar requests, numbered as the window system numbers them.
enum class ScrollRequest : int {
    LineLeft = 0,
    LineRight = 1,
    PageLeft = 2,
    PageRight = 3,
    ThumbPosition = 4,
    ThumbTrack = 5,
    Top = 6,
    Bottom = 7,
    EndScroll = 8,
};

// Moves scrollOffset for a scroll-bar request and returns the thumb position
// to set (the bar limits it to its range).
int scrollChart(ChartView& view, ScrollRequest request, int thumb, int width, int count);

// A list row became selected: marks its sample and scrolls it into view.
// Returns the thumb position to set.
int revealListRow(ChartView& view, int row, int rowCount, int width, int count);

// The chart was clicked: holds the view and returns the list row of
// firstMarker to select, or nothing when that row does not exist.
std::optional<int> holdOnSelection(ChartView& view, int rowCount);

#pragma once

#include <cstdint>

// What the history chart shows and where: zoom, scroll offset, selection
// markers, hold and drag state, and the autoscale state kept between frames.
// Markers and the scroll offset are sample ages (1 = newest).
struct ChartView {
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

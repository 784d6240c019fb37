#pragma once

#include <cstdint>

#include "chart/chart_view.h"

// The meter face's shared values: written by the face on every repaint and by
// the reading handler, read by the tick and the chart.
struct MeterFaceState {
    bool inRange = true;             // the stored reading is not over range
    bool overRangeArrow = true;      // while set, the tick blinks the arrow
    bool arrowVisible = false;       // blink phase of the over-range arrow
    bool linkSpriteVisible = false;  // toggled per reading while data flows
    float maxValue = 0.0f;
    float minValue = 0.0f;
    bool minLatched = false;
    std::uint32_t blinkCountdown = 0;  // ticks until the arrow's next toggle
};

// MIN and MAX back to 0 with the first-minimum latch open, and the chart's scale reset.
inline void resetMinMax(MeterFaceState& face, ChartView& view) {
    face.maxValue = 0.0f;
    face.minValue = 0.0f;
    face.minLatched = false;
    resetScale(view);
}

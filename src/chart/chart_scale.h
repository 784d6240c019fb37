#pragma once

#include "chart/chart_view.h"

// The vertical geometry of one chart frame: where zero lies, how many pixels
// the full scale spans, and where a value lands.
struct ChartScale {
    static constexpr int kBottomMargin = 15;
    static constexpr int kTopMargin = 5;

    int zeroY = 0;
    int scaleH = 0;

    // Zero sits near the bottom until a negative value has been drawn, then mid-height.
    static ChartScale forHeight(int height, bool negativeSeen);

    // The y of value v at the given full scale, unclamped and unrounded.
    double yOf(float v, float fullScale) const;
    // The y of the mirror line below zero for a grid step v.
    double yBelow(float v, float fullScale) const;
};

// The next rung of the autoscale ladder 1, 4, 8, 16, 20, 40, 100, then
// doubling; it stops at the largest float instead of reaching infinity.
float nextFullScale(float fullScale);

// Whether a drawn value lies beyond the full scale in either direction.
bool exceedsFullScale(float value, float fullScale);

// x offset of a scale label, so that labels of 1 to 4+ digits end in line.
int labelOffset(float v);

// A y coordinate limited to the canvas, 0 .. height; NaN goes to the bottom.
double clampY(double y, int height);

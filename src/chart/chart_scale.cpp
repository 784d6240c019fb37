#include "chart/chart_scale.h"

#include <cmath>
#include <limits>

ChartScale ChartScale::forHeight(int height, bool negativeSeen) {
    ChartScale s;
    s.zeroY = height - kBottomMargin;
    if (negativeSeen) s.zeroY = s.zeroY / 2 + kTopMargin;
    s.scaleH = s.zeroY - kTopMargin;
    return s;
}

double ChartScale::yOf(float v, float fullScale) const {
    return static_cast<double>(static_cast<float>(zeroY)) -
           static_cast<double>(v) / static_cast<double>(fullScale) *
               static_cast<double>(static_cast<float>(scaleH));
}

double ChartScale::yBelow(float v, float fullScale) const {
    return static_cast<double>(static_cast<float>(zeroY)) +
           static_cast<double>(v) / static_cast<double>(fullScale) *
               static_cast<double>(static_cast<float>(scaleH));
}

float nextFullScale(float fullScale) {
    // The rungs are matched exactly: only values the ladder produced lie on it.
    if (fullScale == 1.0f) return 4.0f;
    if (fullScale == 4.0f) return 8.0f;
    if (fullScale == 8.0f) return 16.0f;
    if (fullScale == 16.0f) return 20.0f;
    if (fullScale == 20.0f) return 40.0f;
    if (fullScale == 40.0f) return 100.0f;
    constexpr float top = std::numeric_limits<float>::max();
    return fullScale >= top / 2.0f ? top : fullScale * 2.0f;
}

bool exceedsFullScale(float value, float fullScale) {
    return value > fullScale || (value < 0.0f && -value > fullScale);
}

int labelOffset(float v) {
    if (v < 10.0f) return 17;
    if (v < 100.0f) return 11;
    if (v < 1000.0f) return 5;
    return 0;
}

double clampY(double y, int height) {
    if (std::isnan(y)) return height;
    if (y < 0.0) return 0.0;
    if (y > height) return height;
    return y;
}

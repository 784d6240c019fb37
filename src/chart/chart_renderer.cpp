#include "chart/chart_renderer.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>

#include "chart/chart_scale.h"
#include "chart/chart_view.h"
#include "chart/history_walk.h"
#include "chart/saturating_cast.h"
#include "drawing/null_canvas.h"
#include "history/sample_history.h"
#include "settings/settings.h"

namespace {

constexpr int kMarkTop = 7;         // marker, tag and time lines start here
constexpr int kMarkBottomGap = 14;  // ... and end this far above the bottom
constexpr int kGridLeft = 36;

// A short formatted ASCII text widened for the canvas, without allocating.
class AsciiText {
  public:
    explicit AsciiText(const char* text) {
        while (text[size_] != '\0' && size_ < chars_.size()) {
            chars_[size_] = static_cast<char16_t>(static_cast<unsigned char>(text[size_]));
            ++size_;
        }
    }
    std::u16string_view view() const { return {chars_.data(), size_}; }

  private:
    std::array<char16_t, 32> chars_{};
    std::size_t size_ = 0;
};

struct TimeMark {
    int hour;
    int minute;
};

struct Pens {
    Pen timeMark, data, select, minMax, tag;
};

// What a frame shows whatever the samples: the background, the zero line,
// and four grid lines with their labels above zero and their mirrors below.
void drawBackground(Canvas& canvas, const ChartScale& scale, float fullScale,
                    const Settings& settings) {
    const int width = canvas.width();
    Pen grid{settings.colorChartGrid, false};
    char buffer[32];
    auto text = [&](int x, int y, std::u16string_view s) {
        canvas.drawText(static_cast<float>(x), static_cast<float>(y), s, ChartRenderer::kTextSize,
                        settings.colorChartText);
    };
    canvas.clear(settings.colorChart);

    std::snprintf(buffer, sizeof buffer, "%6d", 0);
    text(4, scale.zeroY - 5, AsciiText(buffer).view());
    canvas.drawLine(kGridLeft, scale.zeroY, width - 1, scale.zeroY, grid);
    grid.dashed = true;

    // Grid and scale labels: four steps above zero and their mirrors below.
    const bool unitScale = fullScale == 1.0f;
    const float step = fullScale * 0.25f;
    float v = 0.0f;
    for (int line = 0; line < 4; ++line) {
        v += step;
        const int offset = unitScale ? 0 : labelOffset(v);
        const int whole = truncSaturated(v);

        if (unitScale) {
            std::snprintf(buffer, sizeof buffer, "%0.2f", static_cast<double>(v));
        } else {
            std::snprintf(buffer, sizeof buffer, "%d", whole);
        }
        int y = truncSaturated(scale.yOf(v, fullScale));
        text(offset + 3, y - 5, AsciiText(buffer).view());
        canvas.drawLine(kGridLeft, y, width - 1, y, grid);

        if (unitScale) {
            std::snprintf(buffer, sizeof buffer, "%0.2f", static_cast<double>(-v));
        } else {
            std::snprintf(buffer, sizeof buffer, "%d", -whole);
        }
        y = truncSaturated(scale.yBelow(v, fullScale));
        text(offset, y - 5, AsciiText(buffer).view());
        canvas.drawLine(kGridLeft, y, width - 1, y, grid);
    }
}

BackgroundKey backgroundKey(int width, int height, float fullScale, bool negativeSeen,
                            const Settings& settings) {
    return {{std::uint64_t{std::bit_cast<std::uint32_t>(fullScale)} << 1 | (negativeSeen ? 1U : 0U),
             std::uint64_t{settings.colorChart} << 32 | settings.colorChartGrid,
             settings.colorChartText,
             std::uint64_t{static_cast<std::uint32_t>(width)} << 32 |
                 static_cast<std::uint32_t>(height)}};
}

}  // namespace

ChartRenderer::ChartRenderer() : points_(kMaxPoints) {}

void ChartRenderer::drawChart(Canvas& canvas, ChartView& view, const SampleHistory& history,
                              MinMaxLines minMax, const Settings& settings,
                              const RowLabelSource& rowLabel) {
    auto settled = [&view, scale = view.fullScale, negative = view.negativeSeen]() mutable {
        const bool same = view.fullScale == scale && view.negativeSeen == negative;
        scale = view.fullScale;
        negative = view.negativeSeen;
        return same;
    };
    drawFrame(canvas, view, history, minMax, settings, rowLabel);
    if (settled()) return;
    // The scale moved while the frame was drawn: work it out off screen, then
    // draw the frame once more with the scale that holds.
    NullCanvas measure(canvas.width(), canvas.height());
    for (int pass = 2; pass < kMaxScalePasses; ++pass) {
        drawFrame(measure, view, history, minMax, settings, {});
        if (settled()) break;
    }
    drawFrame(canvas, view, history, minMax, settings, rowLabel);
}

void ChartRenderer::drawFrame(Canvas& canvas, ChartView& view, const SampleHistory& history,
                              MinMaxLines minMax, const Settings& settings,
                              const RowLabelSource& rowLabel) {
    const int width = canvas.width();
    const int height = canvas.height();
    // Time marks are dashed in the grid's colour.
    Pens pens{{settings.colorChartGrid, true},
              {settings.colorChartData, false},
              {settings.colorChartSelect, false},
              {settings.colorChartMinMax, false},
              {settings.colorChartTag, false}};
    const Argb textColour = settings.colorChartText;
    char buffer[32];
    auto text = [&](int x, int y, std::u16string_view s, Argb colour) {
        canvas.drawText(static_cast<float>(x), static_cast<float>(y), s, kTextSize, colour);
    };

    const ChartScale scale = ChartScale::forHeight(height, view.negativeSeen);
    const float fullScale = view.fullScale;  // the trace may raise it; the rest keeps this one
    // The zero line, the grid and the scale labels change only with the
    // scale, the size and their colours: kept between frames, not drawn again.
    const BackgroundKey key = backgroundKey(width, height, fullScale, view.negativeSeen, settings);
    if (!canvas.restoreBackground(key)) {
        drawBackground(canvas, scale, fullScale, settings);
        canvas.keepBackground(key);
    }

    // Selection markers.
    auto markerLine = [&](int marker) {
        const int x = markerX(view, marker, width);
        if (x > ChartView::kTraceLeft)
            canvas.drawLine(x, kMarkTop, x, height - kMarkBottomGap, pens.select);
    };
    if (view.firstMarker != 0) {
        markerLine(view.firstMarker);
        if (view.secondMarker != view.firstMarker) markerLine(view.secondMarker);
    }

    // MIN and MAX of the meter face; 0 means not set.
    for (const float limit : {minMax.minValue, minMax.maxValue}) {
        if (limit == 0.0f) continue;
        const int y = truncSaturated(clampY(scale.yOf(limit, fullScale), height));
        canvas.drawLine(30, y, width - 5, y, pens.minMax);
    }

    // Trace: one point per column from the right edge, newest first.
    std::size_t stored = 0;
    int x = width - 1;
    if (x > ChartView::kTraceLeft && view.scrollOffset >= 0 &&
        static_cast<std::uint32_t>(view.scrollOffset) < history.count()) {
        const int perColumn = view.zoom < 0 ? -view.zoom : 1;
        HistoryWalk walk(history, view.scrollOffset);
        // At one sample per column a minute gets one time mark, at its newest
        // sample in second 0, however many readings fall into that second.
        int lastMinute = -1;
        bool minuteMarked = false;
        while (x > ChartView::kTraceLeft && stored < kMaxPoints && walk.stepBack()) {
            float peak = walk.sample().value;
            std::optional<TimeMark> timeMark;
            std::optional<std::uint32_t> tag;

            if (view.zoom < 0) {
                for (int k = 0; k < perColumn; ++k) {
                    const Sample& s = walk.sample();
                    if (!timeMark && s.second() == 0 && s.minute() % perColumn == 0)
                        timeMark = TimeMark{s.hour(), s.minute()};
                    if (s.tagged()) tag = walk.slot();  // the oldest tagged sample wins
                    if (!walk.stepBack()) break;
                    // The peak also takes in the next column's first sample.
                    const float value = walk.sample().value;
                    if (std::fabs(value) > std::fabs(peak)) peak = value;
                }
                walk.stepForward();
            } else {
                const Sample& s = walk.sample();
                if (s.tagged()) tag = walk.slot();
                const int minute = s.timeOfDay >> 6;
                if (minute != lastMinute) {
                    lastMinute = minute;
                    minuteMarked = false;
                }
                if (s.second() == 0 && !minuteMarked) {
                    timeMark = TimeMark{s.hour(), s.minute()};
                    minuteMarked = true;
                }
            }

            double y = scale.yOf(peak, view.fullScale);
            if (peak < 0.0f) view.negativeSeen = true;
            if (exceedsFullScale(peak, view.fullScale))
                view.fullScale = nextFullScale(view.fullScale);
            y = clampY(y, height);
            points_[stored++] = PointF{static_cast<float>(x), static_cast<float>(y)};

            if (tag) {
                std::u16string label = rowLabel ? rowLabel(*tag) : std::u16string();
                if (label.size() > kMaxLabelLength) label.resize(kMaxLabelLength);
                text(x + 1, 2, label, settings.colorChartTag);
                canvas.drawLine(x, kMarkTop, x, truncSaturated(y), pens.tag);
            }
            if (timeMark) {
                std::snprintf(buffer, sizeof buffer, "%2d:%02d", timeMark->hour, timeMark->minute);
                text(x - 12, height - 12, AsciiText(buffer).view(), textColour);
                canvas.drawLine(x, kMarkTop, x, height - kMarkBottomGap, pens.timeMark);
            }
            x -= view.zoom > 0 ? view.zoom : 1;
        }
    }

    if (stored > 0) canvas.drawPolyline({points_.data(), stored}, pens.data);
}

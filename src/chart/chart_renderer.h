#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "drawing/canvas.h"

struct ChartView;
struct Settings;
class SampleHistory;

// The meter face's MIN and MAX, drawn as lines; 0 means not set.
struct MinMaxLines {
    float minValue = 0.0f;
    float maxValue = 0.0f;
};

// The tag text of a reading-list row (already converted to UTF-16).
using RowLabelSource = std::function<std::u16string(std::size_t row)>;

// Draws the history chart: zero line, grid and scale labels, selection
// markers, MIN/MAX lines, the trace with its tag and time marks. Keeps the
// point buffer between frames so that a repaint allocates nothing for it, and
// leaves the zero line, grid and labels on the canvas as its kept background
// (see Canvas::keepBackground), drawn again only when the scale, the size or
// their colours change.
class ChartRenderer {
  public:
    static constexpr std::size_t kMaxPoints = 2048;
    static constexpr std::size_t kMaxLabelLength = 127;
    static constexpr float kTextSize = 11.0f;

    ChartRenderer();

    // Passes a frame may take to settle its scale; only a value far beyond
    // any meter's (loaded from a damaged log) can need more.
    static constexpr int kMaxScalePasses = 64;

    // One frame on the whole canvas. May raise view.fullScale and set
    // view.negativeSeen; a frame that changes them while it draws is drawn
    // again until they hold, so that no frame mixes two scales. rowLabel may
    // be empty (tags then show no text).
    void drawChart(Canvas& canvas, ChartView& view, const SampleHistory& history,
                   MinMaxLines minMax, const Settings& settings, const RowLabelSource& rowLabel);

  private:
    void drawFrame(Canvas& canvas, ChartView& view, const SampleHistory& history,
                   MinMaxLines minMax, const Settings& settings, const RowLabelSource& rowLabel);

    std::vector<PointF> points_;
};

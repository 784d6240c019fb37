#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "chart/chart_renderer.h"
#include "chart/chart_view.h"
#include "drawing/canvas.h"
#include "history/sample_history.h"

// The chart of --format svg: the newest readings in a history ring of the
// largest size the program allows, drawn by the program's chart renderer
// in its default colours, zoomed out so that every reading fits.
class ChartPicture {
  public:
    ChartPicture();

    // One reading; the tag (Windows-1252) is shown when `tagged`.
    void add(float value, std::uint16_t timeOfDay, bool tagged, std::string_view tag);

    // The chart on the whole canvas; the SVG document at that size.
    void draw(Canvas& canvas);
    std::string svg(int width, int height);

  private:
    std::unique_ptr<SampleHistory> history_;
    std::vector<std::string> tags_;  // by history slot, as list rows go with slots
    ChartRenderer renderer_;
};

// The zoom at which `count` samples fit across a chart `width` pixels wide,
// as close in as that allows: pixels per sample when they fit at one pixel
// each, samples per column otherwise (the farthest zoom when even that is
// too few columns).
std::int32_t fittingZoom(std::uint32_t count, int width);

// The MIN and MAX lines of a history: its smallest and largest value.
MinMaxLines historyMinMax(const SampleHistory& history);

#pragma once

#include "chart/chart_view.h"

class SampleHistory;
class SelectionStatistics;

// A point and a rectangle in screen coordinates.
struct ScreenPoint {
    int x = 0;
    int y = 0;
};

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // Edges count as inside.
    bool contains(ScreenPoint p) const {
        return left <= p.x && p.x <= right && top <= p.y && p.y <= bottom;
    }
};

// The chart is about to be drawn with its button pressed or released: a press
// starts a drag (fixing firstMarker under the cursor), a release ends it.
void trackChartButton(ChartView& view, bool pressed, ScreenPoint cursor, const ScreenRect& chart);

// What the window must do after a drag tick.
struct SelectionUpdate {
    bool redraw = false;       // draw the chart now, with the moved second marker
    bool textChanged = false;  // show the statistics' new text in the tooltip
};

// One tick of a drag: while the cursor is over the chart, the second marker
// follows it and the statistics of the selection are rebuilt.
SelectionUpdate updateSelection(ChartView& view, SelectionStatistics& statistics,
                                const SampleHistory& history, ScreenPoint cursor,
                                const ScreenRect& chart);

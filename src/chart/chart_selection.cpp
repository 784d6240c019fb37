#include "chart/chart_selection.h"

#include "chart/selection_statistics.h"

void trackChartButton(ChartView& view, bool pressed, ScreenPoint cursor, const ScreenRect& chart) {
    if (!pressed) {
        view.dragging = false;
        return;
    }
    if (view.dragging) return;
    view.dragging = true;
    // A press from the keyboard leaves the cursor elsewhere: reuse the last start.
    if (chart.contains(cursor)) view.dragStartX = cursor.x;
    view.firstMarker = markerAtDistance(view, chart.right - view.dragStartX);
}

SelectionUpdate updateSelection(ChartView& view, SelectionStatistics& statistics,
                                const SampleHistory& history, ScreenPoint cursor,
                                const ScreenRect& chart) {
    SelectionUpdate update;
    if (!view.dragging || !chart.contains(cursor)) return update;
    view.secondMarker = markerAtDistance(view, chart.right - cursor.x);
    update.redraw = true;
    if (view.firstMarker != view.secondMarker) {
        update.textChanged = statistics.compute(history, view.firstMarker, view.secondMarker);
    }
    return update;
}

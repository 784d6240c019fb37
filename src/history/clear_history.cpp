#include "history/clear_history.h"

void clearHistory(ReadingList& list, SampleHistory& history, MeterFaceState& face,
                  ChartView& view) {
    list.clear();
    history.reset();
    resetMinMax(face, view);
}

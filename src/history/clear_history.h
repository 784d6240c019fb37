#pragma once

#include "face/meter_face_state.h"
#include "history/reading_list.h"
#include "history/sample_history.h"

// Empties the logged state: every list row, the ring, MIN/MAX and the chart's
// scale. Saves nothing and leaves zoom, scrolling, markers and hold alone.
void clearHistory(ReadingList& list, SampleHistory& history, MeterFaceState& face, ChartView& view);

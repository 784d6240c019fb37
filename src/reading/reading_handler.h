#pragma once

#include <cstddef>
#include <string>

#include "app/settings.h"
#include "chart/chart_view.h"
#include "face/meter_face_state.h"
#include "history/log_writer.h"
#include "history/reading_list.h"
#include "history/recovery_journal.h"
#include "history/sample_history.h"
#include "link/meter_reading.h"
#include "reading/clock.h"

// The window's side of handling a reading; a fake records the calls in tests.
class ReadingHandlerHooks {
  public:
    virtual ~ReadingHandlerHooks() = default;
    // A new list row while the view follows the newest reading: make it
    // visible and select it (the selection runs the chart's revealListRow).
    virtual void revealNewRow(std::size_t row) = 0;
    virtual void updateScrollBar() = 0;
    // Both panels redraw from the stored reading and the history.
    virtual void invalidatePanels() = 0;
    // The list went to a new log file: the setting that names it is kept at
    // once, so that a later crash cannot point the next start at an older log.
    virtual void logSaved() {}
};

// Everything a reading touches, owned elsewhere for the whole run.
struct ReadingHandlerParts {
    MeterFaceState& face;
    ReadingList& list;
    SampleHistory& history;
    ChartView& view;
    Settings& settings;
    const Clock& clock;
    const LogWriter& logWriter;
    ReadingHandlerHooks& hooks;
    // Where each logged reading is kept until the list is saved (none: not kept).
    RecoveryJournal* journal = nullptr;
};

// Handles each valid frame: shows it, and logs it unless the meter holds its
// display or the reading is over range.
class ReadingHandler {
  public:
    explicit ReadingHandler(ReadingHandlerParts parts) : parts_(parts) {}

    // `stored` is the link's record of the frame (a no-reading record is
    // rewritten in place); `linkActivity` is the link's activity countdown.
    void onMeterReading(MeterReading& stored, int linkActivity);

    // Appends a logged reading's line; unless the view is held, the new row
    // is revealed and selected and the selection markers are cleared.
    void addReadingLine(std::string line);

  private:
    // A full ring is written out and cleared. When the log cannot be written
    // anywhere, every row is kept and the ring wraps; the save is tried again
    // the next time the ring fills.
    void saveAndClearWhenFull();

    ReadingHandlerParts parts_;
};

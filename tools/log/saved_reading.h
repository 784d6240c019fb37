#pragma once

#include "history/log_format.h"
#include "history/reading_line.h"
#include "time/local_time.h"

// One reading line of a saved log: its pieces and the moment it names.
struct SavedReading {
    LogLine line;  // text, tag, value and 12-hour time of day, as the program loads it
    ReadingLineParts parts;
    LocalDateTime when;  // the line's date and time with the local zone's offset
    UnixSeconds moment = 0;
};

#pragma once

#include <cstdint>
#include <optional>

#include "time/clock.h"

// Seconds since 1970-01-01 00:00 UTC.
using UnixSeconds = std::int64_t;

// The local date and time at a moment, with the zone's UTC offset then;
// nothing when the system cannot tell (a moment before 1970 on Windows).
std::optional<LocalDateTime> localTimeAt(UnixSeconds moment);

// The moment a calendar date and time names in UTC (utcOffsetMinutes ignored).
UnixSeconds secondsAsUtc(const LocalDateTime& when);

// The moment a local date and time names, by its utcOffsetMinutes.
inline UnixSeconds momentOf(const LocalDateTime& when) {
    return secondsAsUtc(when) - std::int64_t{when.utcOffsetMinutes} * 60;
}

// Gives wall-clock times without an offset, taken in the order they were
// written, the local zone's offset for their date. In the hour that the
// clock goes back the same wall times come twice: a time takes the first
// offset until the wall clock has stepped back, the second one after that.
// A time that the change skips takes the offset from before it.
class WallClockReader {
  public:
    LocalDateTime withOffset(LocalDateTime wall);

  private:
    // A date on which, and a day either side, the zone keeps one offset:
    // its times need no look-up (a log holds many lines a day).
    struct SteadyDate {
        int year, month, day, utcOffsetMinutes;
    };
    bool steady(LocalDateTime& wall);

    std::optional<UnixSeconds> last_;
    std::optional<SteadyDate> steady_;
};

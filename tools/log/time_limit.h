#pragma once

#include <optional>
#include <string_view>

#include "time/clock.h"
#include "time/local_time.h"

// A --since or --until time: a date and time of day, or a time of day alone,
// which then falls on the day of the logs' first reading.
struct TimeLimit {
    bool hasDate = false;
    LocalDateTime when;            // the date only when hasDate
    std::optional<int> utcOffset;  // minutes, when given ("Z", "+01:00"); local time otherwise
    friend bool operator==(const TimeLimit&, const TimeLimit&) = default;
};

// "2021-03-07T14:05:09" (a blank may stand for the T; seconds may be left
// out; "Z", "+01:00", "+0100" or "+01" may follow), or "14:05[:09]".
std::optional<TimeLimit> parseTimeLimit(std::string_view text);

// The moment of the limit; `firstDay` gives the date a time of day falls on.
// A local time in the hour the clock goes back is its first pass.
UnixSeconds limitMoment(const TimeLimit& limit, const LocalDateTime& firstDay);

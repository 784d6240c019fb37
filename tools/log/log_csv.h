#pragma once

#include <string>
#include <string_view>

#include "history/logged_reading.h"

// The logger's CSV output (RFC 4180, UTF-8, CR LF), for spreadsheets and scripts.

// "2021-03-07T14:05:09+01:00": a local time in ISO 8601 with its UTC offset.
std::string isoLocalTime(const LocalDateTime& t);

// The value as the meter shows it: the value field without its blanks, "0"
// for a blank one (a zero count without a point shows no digit at all).
std::string meterValueText(std::string_view valueField);

// "time,value,unit,tag" and its line end.
std::string_view csvHeader();

// One record: the local date and time in ISO 8601 with its UTC offset
// ("2021-03-07T14:05:09+01:00"), the value as the meter shows it ("-0.0005",
// "12345"; "0" for a blank one), the unit and the tag (Windows-1252, written
// as UTF-8).
std::string formatCsvRecord(const LoggedReading& reading, std::string_view tag);

// A field as RFC 4180 wants it: in double quotes, its quotes doubled, when it
// holds a comma, a quote or a line break; as it is otherwise.
std::string csvField(std::string_view text);

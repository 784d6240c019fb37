#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "reading/reading_interpretation.h"
#include "time/clock.h"

// The value column of a list line: a sign place and the five digits with
// leading zeros blanked and the point at `decimalPosition` (none above 5).
// 6 characters without a point, 7 with one.
std::string formatValueField(const CountDigits& digits, bool negative, int decimalPosition);

// The "date time value unit" text of one logged reading, in Windows-1252.
// With a four-digit year the hour stands in columns 11-12, the minute in
// 14-15, the second in 17-18 and the value field starts at column 22.
std::string formatReadingLine(const LocalDateTime& when, const CountDigits& digits, bool negative,
                              int decimalPosition, std::string_view unit);

// The pieces of a reading line, as formatReadingLine writes them.
struct ReadingLineParts {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;  // 0-23, from the 12-hour clock and its AM/PM
    int minute = 0;
    int second = 0;
    std::string_view valueField;  // the value column, blanks included
    std::string_view unit;        // Windows-1252
};

// The pieces of `text` when it has the shape isReadingLine accepts.
std::optional<ReadingLineParts> parseReadingLine(std::string_view text);

// True when `text` has the shape formatReadingLine writes: the date, the
// 12-hour time, a value field (blank, or a number) and a unit, without a
// comma (that would start a tag) or a control character.
bool isReadingLine(std::string_view text);

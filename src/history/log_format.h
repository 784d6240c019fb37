#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/reading_list.h"
#include "time/clock.h"

// The longest line the log reader takes; longer lines continue as the next one.
inline constexpr std::size_t kLogLineLimit = 254;

// "<executable without extension>.COM<port>.<yyyy>-<mm>-<dd>.<hh>.<mm>.log",
// from the local time of saving (hour 0-23).
std::string makeLogFileName(std::string_view executablePath, std::uint32_t port,
                            const LocalDateTime& when);

// `name` with "-<n>" before its ".log" (n >= 2), for when the plain name is taken.
std::string numberedLogFileName(std::string_view name, int n);

// One row's log line without its line end: the reading text, then "," and
// the tag when the row has one (what Ctrl+C copies from the list).
std::string formatLogLine(const ReadingRow& row);

// The whole log text: per row the reading text, "," and the tag when it has
// one, then CR LF. Texts and tags are written whole, without control bytes.
std::string formatLog(const ReadingList& list);

// The lines of a log: runs of up to kLogLineLimit characters between CR/LF
// runs; blank lines vanish.
std::vector<std::string_view> cutLogLines(std::string_view content);

// What one log line holds. A line shorter than the reading line's fixed
// columns reads its missing fields as empty: time 0, value 0, no tag.
struct LogLine {
    std::string_view text;
    std::optional<std::string_view> tag;  // set when a "," follows the value
    float value = 0.0f;
    std::uint16_t timeOfDay = 0;
};
LogLine parseLogLine(std::string_view line);

// The decimal number (sign, digits, point, exponent) at the start of `text`,
// and how many characters it took; {0, 0} when there is none. Infinities,
// NaNs, hex floats and values beyond float read as 0.
struct ParsedNumber {
    float value = 0.0f;
    std::size_t length = 0;
};
ParsedNumber parseDecimalNumber(std::string_view text);

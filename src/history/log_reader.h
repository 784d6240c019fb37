#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "history/reading_list.h"
#include "history/sample_history.h"

// The whole content of a regular file; nothing for a missing file, a folder,
// a FIFO or a device (reading those could block the start forever).
std::optional<std::string> readRegularFile(const std::string& path);

// Appends one log line to the list and its sample to the history, wrapping
// the ring when it has just filled (the ring wraps only while loading).
void appendLogLine(std::string_view line, ReadingList& list, SampleHistory& history);

// Room a log line takes at most in the file: the longest line and its CR LF.
inline constexpr std::size_t kLogTailBytesPerLine = 256;

// The end of the regular file at `path` that holds its last `lines` log
// lines, read backwards from the end and never more than lines x 256 bytes,
// so that the time taken does not grow with the file. It starts where a line
// starts, unless the bytes allowed end inside a line: then it starts there
// and that line's pieces are counted from that point. Nothing for what
// readRegularFile refuses or files under 10 bytes.
std::optional<std::string> readLogTail(const std::string& path, std::size_t lines);

// Appends the last lines of the log at `path`, as many as the history has
// slots, to the list and, as samples, to the history; what the history could
// not hold is not read at all, and the file stays as it is. Files under 10
// bytes load nothing. Returns the number of rows appended.
std::size_t loadLog(const std::string& path, ReadingList& list, SampleHistory& history);

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

// Appends every line of the log at `path` to the list and, as a sample, to
// the history; the ring wraps when a log holds more lines than it has room
// for, while the list keeps them all. Files under 10 bytes load nothing.
// Returns the number of rows appended.
std::size_t loadLog(const std::string& path, ReadingList& list, SampleHistory& history);

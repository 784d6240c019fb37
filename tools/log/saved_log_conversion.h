#pragma once

#include <cstdint>
#include <cstdio>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "chart_picture.h"
#include "log_joiner.h"
#include "log_options.h"
#include "reading_statistics.h"
#include "saved_reading.h"

// One run of --from-log: the saved logs read line by line, joined without
// the rows each carries from the one before, limited to --since/--until, and
// written as --format asks. Only the picture keeps readings (its ring), so a
// log of any size converts to lines, CSV and statistics in little memory.
class SavedLogConversion {
  public:
    // `out` receives the output; `notes` the one-line reports. CSV starts
    // with its header unless `out` is a file appended to that holds text.
    SavedLogConversion(const LogOptions& options, std::FILE* out, std::ostream& notes,
                       bool outHoldsText = false);

    // Checks every file before anything is written, then converts them.
    // Returns the exit status: 0, or 1 for a file that cannot be read, is
    // empty or is not a log, and for output that cannot be written.
    int run();

    // Why `path` cannot be read as a saved log; nothing when it can.
    static std::optional<std::string> problemWith(const std::string& path);

  private:
    void take(std::string_view line);
    bool write(std::string_view text);

    const LogOptions& options_;
    std::FILE* out_;
    std::ostream& notes_;
    bool headerDue_;
    LogJoiner joiner_;
    WallClockReader clock_;
    std::optional<UnixSeconds> since_;
    std::optional<UnixSeconds> until_;
    bool limitsResolved_ = false;
    ReadingStatistics statistics_;
    std::optional<ChartPicture> picture_;
    bool outputFailed_ = false;
};

#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "history/reading_list.h"
#include "settings/settings.h"
#include "settings/user_paths.h"
#include "time/clock.h"

// Writes the reading list to a new log file. The file goes into the folder
// logFolderFor chooses, or into the per-user data folder when that place
// cannot be written; an existing file is never replaced (a "-2", "-3", ...
// suffix is added instead). One beep when neither place takes the file.
class LogWriter {
  public:
    // `report` hears why a save failed, for the user or an administrator to find.
    LogWriter(const UserPaths& paths, const Clock& clock, std::function<void()> beep,
              std::function<void(std::string_view)> report = {});

    // Saves every row and points settings.logFile at the file written.
    // True when the rows are on disk (an empty list writes nothing and counts
    // as saved); false after a failure, with settings.logFile unchanged.
    bool saveLog(const ReadingList& list, Settings& settings) const;

  private:
    const UserPaths& paths_;
    const Clock& clock_;
    std::function<void()> beep_;
    std::function<void(std::string_view)> report_;
};

// The folder that takes the logs: the executable's own folder, except for an
// installed program, whose folder belongs to the system, not the user: its
// logs go to the data folder (when that is known).
std::string logFolderFor(const UserPaths& paths);

// Creates `name`, or the first free numbered variant of it, and writes
// `content`; returns the name written. Nothing is left behind on failure,
// and `error` (when given) says what went wrong.
std::optional<std::string> writeNewLogFile(const std::string& name, std::string_view content,
                                           std::string* error = nullptr);

#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "history/reading_list.h"
#include "settings/settings.h"
#include "settings/user_paths.h"
#include "time/clock.h"

// Hears the steps of a save, so that the journal of the rows being saved
// can tell a later start where they went whatever moment the save died at.
class SaveSteps {
  public:
    virtual ~SaveSteps() = default;
    // Ends the name of the temporary file a save writes first; unique to its
    // holder, so that a start can tell whose leftovers a folder holds.
    virtual std::string tempSuffix() const = 0;
    // `temp` is whole and on the disk; it holds every row.
    virtual void written(const std::string& temp) = 0;
    // `temp` is about to get the name `log`.
    virtual void moving(const std::string& log) = 0;
    // The save failed: the temporary file is gone.
    virtual void abandoned() = 0;
};

// Writes the reading list to a new log file. The file goes into the folder
// logFolderFor chooses, or into the per-user data folder when that place
// cannot be written, or at last into the paths' last resort folder (with a
// beep and a report that names the file); an existing file is never replaced
// (a "-2", "-3", ... suffix is added instead). One beep when no place takes
// the file.
class LogWriter {
  public:
    // `report` hears why a save failed, for the user or an administrator to find.
    // `syncFile` hands a written file to the disk (empty: the system's cache decides).
    LogWriter(const UserPaths& paths, const Clock& clock, std::function<void()> beep,
              std::function<void(std::string_view)> report = {},
              std::function<bool(const std::string&)> syncFile = {});

    // Saves every row and points settings.logFile at the file written.
    // True when the rows are on disk (an empty list writes nothing and counts
    // as saved); false after a failure, with settings.logFile unchanged.
    // The rows are written to a temporary file first, which then takes the
    // log's name; `steps` hears each step.
    bool saveLog(const ReadingList& list, Settings& settings, SaveSteps* steps = nullptr) const;

    // True when `log` is in the last resort folder, not where the user keeps logs.
    bool inLastResort(const std::string& log) const;

    // Deletes what saves that died left in the log folders: the temporary
    // files ending in `tempSuffix`, except `keep`.
    void removeLeftovers(std::string_view tempSuffix, const std::string& keep = {}) const;

  private:
    const UserPaths& paths_;
    const Clock& clock_;
    std::function<void()> beep_;
    std::function<void(std::string_view)> report_;
    std::function<bool(const std::string&)> syncFile_;
};

// The folder that takes the logs: the executable's own folder, except for an
// installed program, whose folder belongs to the system, not the user: its
// logs go to the data folder (when that is known).
std::string logFolderFor(const UserPaths& paths);

// Writes `content` to a temporary file beside `name`, hands it to the disk,
// then gives it `name` or the first free numbered variant of it; returns the
// name written. A file is never replaced, and a log is never seen cut short.
// Nothing is left behind on failure, and `error` (when given) says what went
// wrong.
std::optional<std::string> writeNewLogFile(
    const std::string& name, std::string_view content, std::string* error = nullptr,
    SaveSteps* steps = nullptr, const std::function<bool(const std::string&)>& sync = {});

// Gives the whole file `temp` the name `name` or the first free numbered
// variant of it, never replacing a file; returns the name it now has.
std::optional<std::string> moveToFreeName(const std::string& temp, const std::string& name,
                                          SaveSteps* steps = nullptr, std::string* error = nullptr);

// The log name a temporary file with `tempSuffix` was written for.
std::string logNameOfTemp(std::string_view temp, std::string_view tempSuffix);

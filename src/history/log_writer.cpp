#include "history/log_writer.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "history/log_format.h"

namespace {

namespace fs = std::filesystem;

// The temporary file of a save that no journal follows.
constexpr std::string_view kPlainTempSuffix = ".save.tmp";

#ifdef _WIN32
// The Windows C runtime refuses an exclusive create: the look before stands in.
constexpr auto kCreateMode = std::ios::binary | std::ios::out;
#else
// libstdc++'s exclusive create: never replaces a file that appeared meanwhile.
constexpr auto kCreateMode = std::ios::binary | std::ios::out | std::ios_base::__noreplace;
#endif

std::string failure(const std::string& name, int error) {
    return name + ": " + std::strerror(error != 0 ? error : EIO);
}

std::string failure(const std::string& name, const std::error_code& ec) {
    return name + ": " + ec.message();
}

std::string tempNameFor(std::string_view name, std::string_view suffix) {
    std::string_view stem = name;
    if (stem.ends_with(".log")) stem.remove_suffix(4);
    return std::string(stem) + std::string(suffix);
}

// Creates `temp` afresh and writes `content`: written, flushed and closed
// without an error, or it does not count. A file of that name can only be a
// leftover of its holder's own dead save, whose rows its journal still has.
bool writeTemp(const std::string& temp, std::string_view content, std::string& error) {
    const fs::path path = pathFromUtf8(temp);
    std::error_code ec;
    fs::remove(path, ec);
    errno = 0;
    std::ofstream file(path, kCreateMode);
    if (!file) {
        error = failure(temp, errno);
        return false;
    }
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    file.flush();
    const bool written = file.good();
    const int writeError = errno;
    file.close();
    if (written && !file.fail()) return true;
    error = failure(temp, written ? errno : writeError);
    fs::remove(path, ec);
    return false;
}

enum class MoveResult { Moved, Taken, Failed };

// Gives `temp` the name `name` unless a file has it. A hard link fails when
// the name is taken, so nothing is ever replaced, not even by a file that
// appears meanwhile; where the file system has no links, a rename after a
// look stands in.
MoveResult moveUnlessTaken(const fs::path& temp, const fs::path& name, std::error_code& ec) {
    if (fs::exists(name, ec)) return MoveResult::Taken;
    fs::create_hard_link(temp, name, ec);
    if (!ec) {
        fs::remove(temp, ec);
        ec.clear();
        return MoveResult::Moved;
    }
    if (ec == std::errc::file_exists) return MoveResult::Taken;
    ec.clear();
    if (fs::exists(name, ec)) return MoveResult::Taken;
    fs::rename(temp, name, ec);
    return ec ? MoveResult::Failed : MoveResult::Moved;
}

}  // namespace

std::string logFolderFor(const UserPaths& paths) {
    if (paths.installed && !paths.dataFolder.empty()) return paths.dataFolder;
    return utf8FromPath(pathFromUtf8(paths.executablePath).parent_path());
}

std::string logNameOfTemp(std::string_view temp, std::string_view tempSuffix) {
    if (!temp.ends_with(tempSuffix)) return std::string(temp);
    temp.remove_suffix(tempSuffix.size());
    return std::string(temp) + ".log";
}

std::optional<std::string> moveToFreeName(const std::string& temp, const std::string& name,
                                          SaveSteps* steps, std::string* error) {
    const fs::path from = pathFromUtf8(temp);
    // Past any number of names taken in one minute there is always a next one.
    for (int n = 1;; ++n) {
        std::string candidate = n == 1 ? name : numberedLogFileName(name, n);
        if (steps) steps->moving(candidate);
        std::error_code ec;
        switch (moveUnlessTaken(from, pathFromUtf8(candidate), ec)) {
            case MoveResult::Moved:
                return candidate;
            case MoveResult::Failed:
                if (error) *error = failure(candidate, ec);
                return std::nullopt;
            case MoveResult::Taken:
                break;
        }
    }
}

std::optional<std::string> writeNewLogFile(const std::string& name, std::string_view content,
                                           std::string* error, SaveSteps* steps,
                                           const std::function<bool(const std::string&)>& sync) {
    const std::string temp =
        tempNameFor(name, steps ? std::string_view(steps->tempSuffix()) : kPlainTempSuffix);
    std::string reason;
    if (!writeTemp(temp, content, reason)) {
        if (error) *error = reason;
        return std::nullopt;
    }
    std::optional<std::string> moved;
    if (sync && !sync(temp)) {
        reason = failure(temp, errno);
    } else {
        if (steps) steps->written(temp);
        moved = moveToFreeName(temp, name, steps, &reason);
    }
    if (!moved) {
        std::error_code ec;
        fs::remove(pathFromUtf8(temp), ec);
        if (steps) steps->abandoned();
        if (error) *error = reason;
    }
    return moved;
}

LogWriter::LogWriter(const UserPaths& paths, const Clock& clock, std::function<void()> beep,
                     std::function<void(std::string_view)> report,
                     std::function<bool(const std::string&)> syncFile)
    : paths_(paths),
      clock_(clock),
      beep_(std::move(beep)),
      report_(std::move(report)),
      syncFile_(std::move(syncFile)) {}

void LogWriter::removeLeftovers(std::string_view tempSuffix, const std::string& keep) const {
    if (tempSuffix.empty()) return;
    const fs::path kept = pathFromUtf8(keep);
    for (const std::string& folder : {logFolderFor(paths_), paths_.dataFolder}) {
        std::error_code ec;
        if (folder.empty()) continue;
        for (const fs::directory_entry& entry : fs::directory_iterator(pathFromUtf8(folder), ec)) {
            const std::string name = utf8FromPath(entry.path().filename());
            if (!name.ends_with(tempSuffix) || name.find(".COM") == std::string::npos) continue;
            std::error_code ignored;
            if (!keep.empty() && fs::equivalent(entry.path(), kept, ignored)) continue;
            if (entry.is_regular_file(ignored)) fs::remove(entry.path(), ignored);
        }
    }
}

bool LogWriter::saveLog(const ReadingList& list, Settings& settings, SaveSteps* steps) const {
    if (list.rowCount() == 0) return true;
    const fs::path executable = pathFromUtf8(paths_.executablePath);
    const fs::path folder = pathFromUtf8(logFolderFor(paths_));
    // Beside the executable the name keeps the executable path as given.
    const fs::path named =
        folder == executable.parent_path() ? executable : folder / executable.filename();
    const std::string name = makeLogFileName(utf8FromPath(named), settings.port, clock_.now());
    const std::string content = formatLog(list);

    const fs::path dataFolder = pathFromUtf8(paths_.dataFolder);
    std::error_code ec;
    std::string firstError;
    std::string secondError;
    if (folder == dataFolder) fs::create_directories(dataFolder, ec);
    std::optional<std::string> written =
        writeNewLogFile(name, content, &firstError, steps, syncFile_);
    if (!written && !dataFolder.empty() && folder != dataFolder) {
        fs::create_directories(dataFolder, ec);
        written = writeNewLogFile(utf8FromPath(dataFolder / pathFromUtf8(name).filename()), content,
                                  &secondError, steps, syncFile_);
    }
    const std::string errors = firstError + (secondError.empty() ? "" : "; " + secondError);
    std::string lastError;
    const std::string lastResort =
        written || !paths_.lastResortFolder ? std::string() : paths_.lastResortFolder(true);
    if (!lastResort.empty()) {
        written =
            writeNewLogFile(utf8FromPath(pathFromUtf8(lastResort) / pathFromUtf8(name).filename()),
                            content, &lastError, steps, syncFile_);
        if (written) {
            fs::permissions(pathFromUtf8(*written), fs::perms::owner_read | fs::perms::owner_write,
                            ec);
            if (beep_) beep_();
            if (report_)
                report_("the list of " + std::to_string(list.rowCount()) + " readings went to " +
                        *written + ", in a temporary folder that may be emptied at the next " +
                        "restart: no log folder could be written (" + errors + ")");
        }
    }
    if (!written) {
        if (beep_) beep_();
        if (report_) {
            report_("the list of " + std::to_string(list.rowCount()) +
                    " readings could not be saved anywhere (" + errors +
                    (lastError.empty() ? "" : "; " + lastError) + ")");
        }
        return false;
    }
    settings.logFile = std::move(*written);
    return true;
}

bool LogWriter::inLastResort(const std::string& log) const {
    if (log.empty() || !paths_.lastResortFolder) return false;
    const std::string folder = paths_.lastResortFolder(false);
    std::error_code ec;
    return !folder.empty() &&
           fs::equivalent(pathFromUtf8(log).parent_path(), pathFromUtf8(folder), ec);
}

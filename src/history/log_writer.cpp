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

// Numbered names tried before giving up on a folder.
constexpr int kMaxNumberedNames = 999;

enum class CreateResult { Written, Taken, Failed };

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

CreateResult createAndWrite(const std::string& name, std::string_view content, std::string& error) {
    const fs::path path = pathFromUtf8(name);
    // Not every C library honours an exclusive create (the Windows runtime
    // ignores it and truncates), so an existing file is looked for first.
    std::error_code ec;
    if (fs::exists(path, ec)) return CreateResult::Taken;
    errno = 0;
    std::ofstream file(path, kCreateMode);
    if (!file) {
        if (errno == EEXIST) return CreateResult::Taken;
        error = failure(name, errno);
        return CreateResult::Failed;
    }
    // Written, flushed and closed without an error, or it does not count.
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    file.flush();
    const bool written = file.good();
    const int writeError = errno;
    file.close();
    if (written && !file.fail()) return CreateResult::Written;
    error = failure(name, written ? errno : writeError);
    fs::remove(path, ec);
    return CreateResult::Failed;
}

}  // namespace

std::string logFolderFor(const UserPaths& paths) {
    if (paths.installed && !paths.dataFolder.empty()) return paths.dataFolder;
    return utf8FromPath(pathFromUtf8(paths.executablePath).parent_path());
}

std::optional<std::string> writeNewLogFile(const std::string& name, std::string_view content,
                                           std::string* error) {
    std::string reason;
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        std::string candidate = n == 1 ? name : numberedLogFileName(name, n);
        switch (createAndWrite(candidate, content, reason)) {
            case CreateResult::Written:
                return candidate;
            case CreateResult::Failed:
                if (error) *error = reason;
                return std::nullopt;
            case CreateResult::Taken:
                break;
        }
    }
    if (error) *error = name + ": every numbered name is taken";
    return std::nullopt;
}

LogWriter::LogWriter(const UserPaths& paths, const Clock& clock, std::function<void()> beep,
                     std::function<void(std::string_view)> report)
    : paths_(paths), clock_(clock), beep_(std::move(beep)), report_(std::move(report)) {}

bool LogWriter::saveLog(const ReadingList& list, Settings& settings) const {
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
    std::optional<std::string> written = writeNewLogFile(name, content, &firstError);
    if (!written && !dataFolder.empty() && folder != dataFolder) {
        fs::create_directories(dataFolder, ec);
        written = writeNewLogFile(utf8FromPath(dataFolder / pathFromUtf8(name).filename()), content,
                                  &secondError);
    }
    if (!written) {
        if (beep_) beep_();
        if (report_) {
            report_("the list of " + std::to_string(list.rowCount()) +
                    " readings could not be saved (" + firstError +
                    (secondError.empty() ? "" : "; " + secondError) + ")");
        }
        return false;
    }
    settings.logFile = std::move(*written);
    return true;
}

#include "history/log_writer.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "history/log_format.h"

namespace {

// Numbered names tried before giving up on a folder.
constexpr int kMaxNumberedNames = 999;

enum class CreateResult { Written, Taken, Failed };

CreateResult createAndWrite(const std::string& name, std::string_view content) {
    // Not every C library honours "x" (the Windows runtime ignores it and
    // truncates), so an existing file is looked for first as well.
    std::error_code ec;
    if (std::filesystem::exists(name, ec)) return CreateResult::Taken;
    errno = 0;
    std::FILE* file = std::fopen(name.c_str(), "wbx");  // exclusive: never replaces a file
    if (!file) return errno == EEXIST ? CreateResult::Taken : CreateResult::Failed;
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    const bool closed = std::fclose(file) == 0;
    if (written && closed) return CreateResult::Written;
    std::remove(name.c_str());
    return CreateResult::Failed;
}

}  // namespace

std::string logFolderFor(const UserPaths& paths) {
    if (paths.installed && !paths.dataFolder.empty()) return paths.dataFolder;
    return std::filesystem::path(paths.executablePath).parent_path().string();
}

std::optional<std::string> writeNewLogFile(const std::string& name, std::string_view content) {
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        std::string candidate = n == 1 ? name : numberedLogFileName(name, n);
        switch (createAndWrite(candidate, content)) {
            case CreateResult::Written:
                return candidate;
            case CreateResult::Failed:
                return std::nullopt;
            case CreateResult::Taken:
                break;
        }
    }
    return std::nullopt;
}

LogWriter::LogWriter(const UserPaths& paths, const Clock& clock, std::function<void()> beep)
    : paths_(paths), clock_(clock), beep_(std::move(beep)) {}

bool LogWriter::saveLog(const ReadingList& list, Settings& settings) const {
    if (list.rowCount() == 0) return true;
    namespace fs = std::filesystem;
    const fs::path executable(paths_.executablePath);
    const fs::path folder(logFolderFor(paths_));
    // Beside the executable the name keeps the executable path as given.
    const fs::path named =
        folder == executable.parent_path() ? executable : folder / executable.filename();
    const std::string name = makeLogFileName(named.string(), settings.port, clock_.now());
    const std::string content = formatLog(list);

    const fs::path dataFolder(paths_.dataFolder);
    std::error_code ec;
    if (folder == dataFolder) fs::create_directories(dataFolder, ec);
    std::optional<std::string> written = writeNewLogFile(name, content);
    if (!written && !dataFolder.empty() && folder != dataFolder) {
        fs::create_directories(dataFolder, ec);
        written = writeNewLogFile((dataFolder / fs::path(name).filename()).string(), content);
    }
    if (!written) {
        if (beep_) beep_();
        return false;
    }
    settings.logFile = std::move(*written);
    return true;
}

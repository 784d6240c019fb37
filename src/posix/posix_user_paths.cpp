#include "posix/posix_user_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

std::optional<std::string> environmentValue(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    if (value != nullptr) return std::string(value);
    // A service started without HOME still has a home in the user database.
    if (name == "HOME") {
        if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr)
            return std::string(user->pw_dir);
    }
    return std::nullopt;
}

// $TMPDIR (when absolute) or /tmp, then zintavo-<uid>: a shared folder, where
// another user could have planted a file or a link of that name first.
std::string privateTempFolder(bool create) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp";
    const std::string folder = base + "/zintavo-" + std::to_string(getuid());
    if (create && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
    struct stat found {};
    if (::lstat(folder.c_str(), &found) != 0 || !S_ISDIR(found.st_mode) ||
        found.st_uid != getuid() || (found.st_mode & 077) != 0)
        return {};
    return folder;
}

}  // namespace

UserPaths currentUserPaths() {
    std::error_code ec;
    std::string executable = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    UserPaths paths =
        resolveUserPaths(UserFolderRules::xdg, environmentValue, std::move(executable));
    paths.lastResortFolder = privateTempFolder;
    return paths;
}

#include "posix/posix_user_paths.h"

#include <pwd.h>
#include <unistd.h>

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

}  // namespace

UserPaths currentUserPaths() {
    std::error_code ec;
    std::string executable = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    return resolveUserPaths(UserFolderRules::xdg, environmentValue, std::move(executable));
}

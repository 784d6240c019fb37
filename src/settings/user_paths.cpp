#include "settings/user_paths.h"

#include <filesystem>

namespace {

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// "/..." on POSIX; "C:\..." or "\\server\..." on Windows.
bool isAbsolute(UserFolderRules rules, std::string_view path) {
    if (rules == UserFolderRules::xdg) return !path.empty() && path.front() == '/';
    const bool drive = path.size() >= 3 &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                       path[1] == ':' && isSeparator(path[2]);
    const bool share = path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]);
    return drive || share;
}

// An absolute path from the variable, or nothing.
std::optional<std::string> absoluteFrom(UserFolderRules rules, const EnvironmentLookup& environment,
                                        std::string_view name) {
    std::optional<std::string> value = environment(name);
    if (!value || !isAbsolute(rules, *value)) return std::nullopt;
    return value;
}

// Folders compared as Windows compares them: letters in either case, either separator.
bool sameWindowsChar(char a, char b) {
    const auto fold = [](char c) {
        if (c == '/') return '\\';
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return fold(a) == fold(b);
}

// Below /usr or /opt, read as written ("/usr/./bin" counts, "/usr/../home" does not).
bool insidePackageFolders(const std::string& executablePath) {
    const std::filesystem::path normal = std::filesystem::path(executablePath).lexically_normal();
    if (!normal.has_root_directory()) return false;
    const std::filesystem::path inside = normal.relative_path();
    if (inside.begin() == inside.end()) return false;
    const std::filesystem::path top = *inside.begin();
    return top == "usr" || top == "opt";
}

std::string below(const std::optional<std::string>& home, std::string_view tail) {
    return home ? *home + std::string(tail) : std::string();
}

}  // namespace

bool insideWindowsFolder(std::string_view path, std::string_view folder) {
    while (!folder.empty() && isSeparator(folder.back())) folder.remove_suffix(1);
    if (folder.empty() || path.size() <= folder.size() || !isSeparator(path[folder.size()]))
        return false;
    for (std::size_t i = 0; i < folder.size(); ++i)
        if (!sameWindowsChar(path[i], folder[i])) return false;
    return true;
}

UserPaths resolveUserPaths(UserFolderRules rules, const EnvironmentLookup& environment,
                           std::string executablePath) {
    UserPaths paths;
    paths.executablePath = std::move(executablePath);
    if (rules == UserFolderRules::windows) {
        for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}) {
            const std::optional<std::string> folder = absoluteFrom(rules, environment, name);
            if (folder && insideWindowsFolder(paths.executablePath, *folder))
                paths.installed = true;
        }
        paths.dataFolder =
            below(absoluteFrom(rules, environment, "LOCALAPPDATA"), "\\Vorrelind\\Zintavo");
        paths.configFolder = below(absoluteFrom(rules, environment, "APPDATA"), "\\Vorrelind");
        return paths;
    }
    const std::optional<std::string> home = absoluteFrom(rules, environment, "HOME");
    std::optional<std::string> dataHome = absoluteFrom(rules, environment, "XDG_DATA_HOME");
    if (!dataHome && home) dataHome = *home + "/.local/share";
    std::optional<std::string> configHome = absoluteFrom(rules, environment, "XDG_CONFIG_HOME");
    if (!configHome && home) configHome = *home + "/.config";
    paths.installed = insidePackageFolders(paths.executablePath);
    paths.dataFolder = below(dataHome, "/Vorrelind/Zintavo");
    paths.configFolder = below(configHome, "/Vorrelind");
    return paths;
}

std::filesystem::path pathFromUtf8(std::string_view utf8) {
    const std::u8string text(utf8.begin(), utf8.end());
    return std::filesystem::path(text);
}

std::string utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

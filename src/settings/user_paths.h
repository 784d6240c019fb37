#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Where the program finds and keeps its files. Passed in as plain values so
// that tests can point everything at a temporary folder.
struct UserPaths {
    std::string executablePath;  // the running program, full path
    std::string dataFolder;      // per-user data: fallback logs, the journal
    std::string configFolder;    // per-user settings folder ("…/Vorrelind")
    // A packaged install: the executable's folder belongs to the system, so
    // logs go to the data folder.
    bool installed = false;
    // The last place the readings can go when no folder above takes them: a
    // private folder of this user under the system's temporary folder, made
    // when `create` (0700) and checked to be this user's own, not a link and
    // closed to others. Empty when there is none (or none made yet).
    std::function<std::string(bool create)> lastResortFolder = nullptr;
    // Folder of COM<n> links that map port numbers to devices.
    std::string portFolder() const { return configFolder + "/Zintavo.ports"; }
    // The settings file of the INI store.
    std::string settingsFile() const { return configFolder + "/Zintavo.conf"; }
};

// The platform conventions for per-user folders.
enum class UserFolderRules {
    xdg,      // $XDG_DATA_HOME or ~/.local/share; $XDG_CONFIG_HOME or ~/.config
    windows,  // %LOCALAPPDATA% for data, %APPDATA% for settings
};

// True when `path` lies below `folder`, compared as Windows compares paths
// (letters in either case, either separator).
bool insideWindowsFolder(std::string_view path, std::string_view folder);

// An environment variable's value; nothing when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

// The one rule for the program's per-user folders, shared by the window, the
// logger and the simulator: data in <data home>/Vorrelind/Zintavo, settings
// in <config home>/Vorrelind. XDG homes count only when absolute (the XDG
// rules ignore relative ones); without a usable home a folder stays empty.
// The program counts as installed below /usr or /opt (where packages put it)
// or, on Windows, below a Program Files folder.
UserPaths resolveUserPaths(UserFolderRules rules, const EnvironmentLookup& environment,
                           std::string executablePath);

// Paths are UTF-8 text throughout the program; these make them what the
// system's file calls take (wide on Windows) and back.
std::filesystem::path pathFromUtf8(std::string_view utf8);
std::string utf8FromPath(const std::filesystem::path& path);

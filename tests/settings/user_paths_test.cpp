#include "settings/user_paths.h"

#include <gtest/gtest.h>

#include <map>

namespace {

struct Case {
    UserFolderRules rules;
    std::map<std::string, std::string> environment;
    std::string dataFolder;
    std::string configFolder;
};

TEST(UserPaths, OneRuleForEveryProgram) {
    using enum UserFolderRules;
    const Case cases[] = {
        {xdg,
         {{"HOME", "/home/u"}},
         "/home/u/.local/share/Vorrelind/Zintavo",
         "/home/u/.config/Vorrelind"},
        {xdg,
         {{"HOME", "/home/u"}, {"XDG_DATA_HOME", "/x/data"}, {"XDG_CONFIG_HOME", "/x/conf"}},
         "/x/data/Vorrelind/Zintavo",
         "/x/conf/Vorrelind"},
        // Relative or empty XDG homes are ignored, as the XDG rules say.
        {xdg,
         {{"HOME", "/home/u"}, {"XDG_DATA_HOME", "rel/data"}, {"XDG_CONFIG_HOME", ""}},
         "/home/u/.local/share/Vorrelind/Zintavo",
         "/home/u/.config/Vorrelind"},
        {xdg, {{"XDG_CONFIG_HOME", "/x/conf"}}, "", "/x/conf/Vorrelind"},
        {xdg, {}, "", ""},
        {xdg, {{"HOME", ""}}, "", ""},
        // The Windows variables are not Linux's, and the other way round.
        {xdg, {{"LOCALAPPDATA", "/x"}, {"APPDATA", "/y"}}, "", ""},
        {windows,
         {{"LOCALAPPDATA", "C:\\Users\\\xc3\xa5sa\\AppData\\Local"},
          {"APPDATA", "C:\\Users\\\xc3\xa5sa\\AppData\\Roaming"},
          {"HOME", "/home/u"}},
         "C:\\Users\\\xc3\xa5sa\\AppData\\Local\\Vorrelind\\Zintavo",
         "C:\\Users\\\xc3\xa5sa\\AppData\\Roaming\\Vorrelind"},
        {windows, {{"HOME", "/home/u"}}, "", ""},
    };
    for (const Case& c : cases) {
        const auto lookup = [&](std::string_view name) -> std::optional<std::string> {
            const auto found = c.environment.find(std::string(name));
            if (found == c.environment.end()) return std::nullopt;
            return found->second;
        };
        const UserPaths paths = resolveUserPaths(c.rules, lookup, "/opt/zintavo/bin/zintavo");
        EXPECT_EQ(paths.dataFolder, c.dataFolder) << c.dataFolder;
        EXPECT_EQ(paths.configFolder, c.configFolder) << c.configFolder;
        EXPECT_EQ(paths.executablePath, "/opt/zintavo/bin/zintavo");
    }
}

// Installed copies keep their logs in the data folder; which copies those are.
TEST(UserPaths, InstalledBelowThePackageOrProgramFolders) {
    using enum UserFolderRules;
    const std::map<std::string, std::string> windowsEnvironment{
        {"ProgramFiles", "C:\\Program Files"}, {"ProgramFiles(x86)", "C:\\Program Files (x86)\\"}};
    const struct {
        UserFolderRules rules;
        const char* executable;
        bool installed;
    } cases[] = {
        {xdg, "/usr/bin/zintavo", true},
        {xdg, "/usr/local/bin/zintavo", true},
        {xdg, "/opt/zintavo/bin/zintavo", true},
        {xdg, "/usr/./bin/zintavo", true},
        // Run from a build or any other folder: beside the executable.
        {xdg, "/home/ann/zintavo/build/release/bin/zintavo", false},
        {xdg, "/home/ann/usr/bin/zintavo", false},
        {xdg, "/usrlocal/bin/zintavo", false},
        {xdg, "/optional/zintavo", false},
        {xdg, "/usr/../home/ann/zintavo", false},
        {xdg, "usr/bin/zintavo", false},
        {windows, "C:\\Program Files\\Zintavo\\zintavo.exe", true},
        {windows, "c:/program files (x86)/Zintavo/zintavo.exe", true},
        {windows, "C:\\Program Files Tools\\zintavo.exe", false},
        {windows, "D:\\Zintavo\\zintavo.exe", false},
        {windows, "/usr/bin/zintavo", false},
    };
    for (const auto& c : cases) {
        const auto lookup = [&](std::string_view name) -> std::optional<std::string> {
            const auto found = windowsEnvironment.find(std::string(name));
            if (found == windowsEnvironment.end()) return std::nullopt;
            return found->second;
        };
        EXPECT_EQ(resolveUserPaths(c.rules, lookup, c.executable).installed, c.installed)
            << c.executable;
    }
}

}  // namespace

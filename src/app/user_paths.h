#pragma once

#include <string>

// Where the program finds and keeps its files. Passed in as plain values so
// that tests can point everything at a temporary folder.
struct UserPaths {
    std::string executablePath;  // the running program, full path
    std::string dataFolder;      // per-user data: fallback logs, the journal
    std::string configFolder;    // per-user settings folder ("…/Vorrelind")
    // Folder of COM<n> links that map port numbers to devices.
    std::string portFolder() const { return configFolder + "/Zintavo.ports"; }
    // The settings file of the Qt store.
    std::string settingsFile() const { return configFolder + "/Zintavo.conf"; }
};

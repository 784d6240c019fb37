#include "settings/settings_store.h"

#include <algorithm>

#include "settings/line_rates.h"

void loadSettings(Settings& settings, SettingsBackend& backend) {
    if (!backend.openKey()) return;
    for (const SettingEntry& entry : settingsTable(settings)) {
        if (const auto value = backend.query(entry.name))
            copyStoredBytes(entry.location, value->bytes);
    }
    // The history has at most this many slots, and an empty history could
    // never hold the reading that fills it.
    settings.listCount = std::clamp(settings.listCount, std::uint32_t{1}, Settings::kMaxListCount);
    // A rate the program does not run a line at would keep the port from ever
    // opening, silently; it loads as the default and is written back as such.
    if (!isLineRate(settings.baud)) settings.baud = Settings{}.baud;
    backend.closeKey();
}

void saveSettings(Settings& settings, SettingsBackend& backend) {
    if (!backend.openKey()) return;
    for (const SettingEntry& entry : settingsTable(settings))
        backend.set(entry.name, entry.type, locationBytes(entry.location));
    backend.closeKey();
}

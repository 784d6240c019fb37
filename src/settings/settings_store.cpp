#include "settings/settings_store.h"

#include <algorithm>

namespace {

// The slowest and fastest rates any serial line runs at.
constexpr std::uint32_t kMinBaud = 50;
constexpr std::uint32_t kMaxBaud = 4000000;

}  // namespace

void loadSettings(Settings& settings, SettingsBackend& backend) {
    if (!backend.openKey()) return;
    for (const SettingEntry& entry : settingsTable(settings)) {
        if (const auto value = backend.query(entry.name))
            copyStoredBytes(entry.location, value->bytes);
    }
    // The history has at most this many slots, and an empty history could
    // never hold the reading that fills it.
    settings.listCount = std::clamp(settings.listCount, std::uint32_t{1}, Settings::kMaxListCount);
    // A rate no line can be set to would keep the port from ever opening.
    if (settings.baud < kMinBaud || settings.baud > kMaxBaud) settings.baud = Settings{}.baud;
    backend.closeKey();
}

void saveSettings(Settings& settings, SettingsBackend& backend) {
    if (!backend.openKey()) return;
    for (const SettingEntry& entry : settingsTable(settings))
        backend.set(entry.name, entry.type, locationBytes(entry.location));
    backend.closeKey();
}

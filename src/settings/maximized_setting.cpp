#include "settings/maximized_setting.h"

#include <array>
#include <cstdint>

bool loadMaximized(SettingsBackend& backend) {
    if (!backend.openKey()) return false;
    const std::optional<StoredValue> stored = backend.query(kMaximizedSetting.name);
    backend.closeKey();
    if (!stored || stored->bytes.size() != kMaximizedSetting.size) return false;
    for (std::uint8_t b : stored->bytes)
        if (b != 0) return true;
    return false;
}

void saveMaximized(bool maximized, SettingsBackend& backend) {
    if (!backend.openKey()) return;
    const std::array<std::uint8_t, 4> bytes{maximized ? std::uint8_t{1} : std::uint8_t{0}, 0, 0, 0};
    backend.set(kMaximizedSetting.name, kMaximizedSetting.type, bytes);
    backend.closeKey();
}

bool windowStored(SettingsBackend& backend) {
    if (!backend.openKey()) return false;
    const bool stored = backend.query("Window").has_value();
    backend.closeKey();
    return stored;
}

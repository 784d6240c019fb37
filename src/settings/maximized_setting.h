#pragma once

#include "settings/settings_backend.h"

// Whether the main window was maximised when it closed. It is kept beside the
// table of persistent values as the 32-bit number "Maximized" (1 or 0), so
// that the Window setting always holds the normal rectangle: an un-maximised
// window returns to it.
inline constexpr SettingDescriptor kMaximizedSetting{"Maximized", StorageType::RegDword, 4};

// False when the key cannot be opened or the value is missing or not 4 bytes.
bool loadMaximized(SettingsBackend& backend);
void saveMaximized(bool maximized, SettingsBackend& backend);
// Whether a Window rectangle was ever stored: false at a first start.
bool windowStored(SettingsBackend& backend);

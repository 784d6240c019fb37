#pragma once

#include "settings/settings.h"
#include "settings/settings_backend.h"

// Fills every setting from the store, in table order. A key that cannot be
// opened leaves every value as it is; a missing or unusable value leaves its
// variable unchanged. ListCount is kept within 1..32768; a Baud that is not
// one of kLineRates takes the default.
void loadSettings(Settings& settings, SettingsBackend& backend);

// Writes every setting to the store, in table order, each with its storage
// type; texts are written whole, without a terminator. Nothing is written when
// the key cannot be opened.
void saveSettings(Settings& settings, SettingsBackend& backend);

#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_table.h"

// The human-editable text form of a setting, used by stores that keep text
// (the INI file): numbers as decimal integers, binary blocks as comma-separated
// signed 32-bit numbers ("x, y, width, height" for the window), texts as they are.

// The text for a value of `setting`, or nothing when the bytes do not fit its type.
std::optional<std::string> formatSettingText(const SettingDescriptor& setting,
                                             std::span<const std::uint8_t> bytes);

// The stored bytes of a text read as `setting`'s type, or nothing when it does
// not parse. Numbers also accept "0x" hexadecimal; negative numbers and numbers
// beyond 32 bits do not parse.
std::optional<std::vector<std::uint8_t>> parseSettingText(const SettingDescriptor& setting,
                                                          std::string_view text);

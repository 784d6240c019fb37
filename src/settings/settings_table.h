#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "settings/settings.h"

// How a value is kept in the store. The numbers are those of the Windows
// registry (REG_SZ, REG_BINARY, REG_DWORD), so a registry backend can pass
// them straight through; the names avoid the registry's macros.
enum class StorageType : std::uint32_t {
    RegSz = 1,
    RegBinary = 3,
    RegDword = 4,
};

// Name, type and size of one persistent value, independent of any Settings instance.
struct SettingDescriptor {
    std::string_view name;
    StorageType type;
    std::uint32_t size;  // bytes of the variable; the buffer size of the registry form
};

// The variable a setting is read into and written from.
using SettingLocation = std::variant<WindowRect*, std::uint32_t*, std::string*>;

// One row of the settings table: a descriptor bound to a variable.
struct SettingEntry {
    std::string_view name;
    SettingLocation location;
    StorageType type;
    std::uint32_t size;
};

inline constexpr std::size_t kSettingCount = 17;

// The 17 settings in store order (the order in which they are read and written).
const std::array<SettingDescriptor, kSettingCount>& settingDescriptors();

// The descriptor of the setting called `name` (one of the table or Maximized,
// which is kept beside it), or nothing for an unknown name.
std::optional<SettingDescriptor> findSettingDescriptor(std::string_view name);

// The table bound to the variables of `settings`.
std::array<SettingEntry, kSettingCount> settingsTable(Settings& settings);

// The bytes the store keeps for a variable: four little-endian int32 for the
// window, a little-endian uint32 for numbers, the text without a terminator.
std::vector<std::uint8_t> locationBytes(const SettingLocation& location);

// Copies a stored value into a variable byte for byte, whatever type it was
// stored with. Fixed-size variables take the bytes over their own little-endian
// form (a shorter value replaces only the leading bytes); a value larger than
// the variable is refused and the variable keeps its value. Text takes the
// bytes up to the first zero. Returns false when the value was refused.
bool copyStoredBytes(const SettingLocation& location, std::span<const std::uint8_t> bytes);

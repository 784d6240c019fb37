#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "settings/settings_table.h"

// A value as the store holds it: its storage type and its bytes.
struct StoredValue {
    StorageType type = StorageType::RegBinary;
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const StoredValue&, const StoredValue&) = default;
};

// The per-user key that holds the settings: typed named values, opened (and
// created when missing) around each load or save. Platform adapters implement it.
class SettingsBackend {
  public:
    virtual ~SettingsBackend() = default;
    // Opens the key, creating it when missing; false leaves nothing open.
    virtual bool openKey() = 0;
    // The value called `name`, or nothing when the key has no such value.
    virtual std::optional<StoredValue> query(std::string_view name) const = 0;
    // Writes a value; failures are the backend's to ignore.
    virtual void set(std::string_view name, StorageType type,
                     std::span<const std::uint8_t> bytes) = 0;
    virtual void closeKey() = 0;
};

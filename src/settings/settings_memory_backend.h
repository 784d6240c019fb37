#pragma once

#include <map>
#include <string>

#include "settings/settings_backend.h"

// A settings key kept in memory. Like the registry it keeps whatever type a
// value was written with, so tests can store values of the wrong type or size.
class SettingsMemoryBackend final : public SettingsBackend {
  public:
    bool openKey() override;
    std::optional<StoredValue> query(std::string_view name) const override;
    void set(std::string_view name, StorageType type, std::span<const std::uint8_t> bytes) override;
    void closeKey() override { open_ = false; }

    // Test controls and inspection.
    void failOpen(bool fail) { failOpen_ = fail; }
    bool keyExists() const { return keyExists_; }
    bool isOpen() const { return open_; }
    void put(std::string_view name, StorageType type, std::vector<std::uint8_t> bytes);
    void putText(std::string_view name, std::string_view text);
    const std::map<std::string, StoredValue, std::less<>>& values() const { return values_; }
    // Names in the order they were last written.
    const std::vector<std::string>& writeOrder() const { return writeOrder_; }

  private:
    std::map<std::string, StoredValue, std::less<>> values_;
    std::vector<std::string> writeOrder_;
    bool failOpen_ = false;
    bool keyExists_ = false;
    bool open_ = false;
};

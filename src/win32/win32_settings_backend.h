#pragma once

#include <string>

#include "settings/settings_backend.h"

// The settings key in the Windows registry, under HKEY_CURRENT_USER.
class Win32SettingsBackend final : public SettingsBackend {
  public:
    static constexpr const char* kDefaultSubKey = "Software\\Vorrelind\\Zintavo";

    // Tests name a key of their own; the program uses the default.
    explicit Win32SettingsBackend(std::string subKey = kDefaultSubKey);
    Win32SettingsBackend(const Win32SettingsBackend&) = delete;
    Win32SettingsBackend& operator=(const Win32SettingsBackend&) = delete;
    ~Win32SettingsBackend() override;

    bool openKey() override;
    // The stored bytes whole, whatever their type, so a text longer than its
    // table size still loads; the store decides what fits.
    std::optional<StoredValue> query(std::string_view name) const override;
    void set(std::string_view name, StorageType type, std::span<const std::uint8_t> bytes) override;
    void closeKey() override;

  private:
    std::string subKey_;
    void* key_ = nullptr;  // the HKEY while open
};

#pragma once

#include <memory>
#include <string>

#include "settings/settings_backend.h"

class QSettings;

// The settings key as a human-editable INI file (group [General], one key per
// setting). Each value is read as its setting's type; a value that does not
// parse counts as missing, so its variable keeps its value.
class QtSettingsBackend final : public SettingsBackend {
  public:
    // A settings file larger than this is not ours; it is neither read nor replaced.
    static constexpr long long kMaxFileSize = 1 << 20;

    explicit QtSettingsBackend(std::string filePath);
    ~QtSettingsBackend() override;

    bool openKey() override;
    std::optional<StoredValue> query(std::string_view name) const override;
    void set(std::string_view name, StorageType type, std::span<const std::uint8_t> bytes) override;
    void closeKey() override;

  private:
    std::string filePath_;
    std::unique_ptr<QSettings> settings_;
};

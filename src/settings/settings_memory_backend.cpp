#include "settings/settings_memory_backend.h"

bool SettingsMemoryBackend::openKey() {
    if (failOpen_) return false;
    keyExists_ = true;
    open_ = true;
    return true;
}

std::optional<StoredValue> SettingsMemoryBackend::query(std::string_view name) const {
    if (!open_) return std::nullopt;
    const auto it = values_.find(name);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void SettingsMemoryBackend::set(std::string_view name, StorageType type,
                                std::span<const std::uint8_t> bytes) {
    if (!open_) return;
    put(name, type, {bytes.begin(), bytes.end()});
    writeOrder_.emplace_back(name);
}

void SettingsMemoryBackend::put(std::string_view name, StorageType type,
                                std::vector<std::uint8_t> bytes) {
    keyExists_ = true;
    values_.insert_or_assign(std::string(name), StoredValue{type, std::move(bytes)});
}

void SettingsMemoryBackend::putText(std::string_view name, std::string_view text) {
    put(name, StorageType::RegSz, {text.begin(), text.end()});
}

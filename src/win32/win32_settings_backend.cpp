#include "win32/win32_settings_backend.h"

#include <windows.h>

#include <utility>

Win32SettingsBackend::Win32SettingsBackend(std::string subKey) : subKey_(std::move(subKey)) {}

Win32SettingsBackend::~Win32SettingsBackend() {
    closeKey();
}

bool Win32SettingsBackend::openKey() {
    closeKey();
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, subKey_.c_str(), &key) != ERROR_SUCCESS) return false;
    key_ = key;
    return true;
}

std::optional<StoredValue> Win32SettingsBackend::query(std::string_view name) const {
    if (key_ == nullptr) return std::nullopt;
    const std::string valueName(name);
    HKEY key = static_cast<HKEY>(key_);
    // Ask the size first: a path may be longer than the table's 128 bytes.
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    StoredValue value;
    value.bytes.resize(size);
    if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, value.bytes.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;  // changed under us; keep what the variable holds
    value.bytes.resize(size);
    value.type = static_cast<StorageType>(type);
    return value;
}

void Win32SettingsBackend::set(std::string_view name, StorageType type,
                               std::span<const std::uint8_t> bytes) {
    if (key_ == nullptr) return;
    const std::string valueName(name);
    RegSetValueExA(static_cast<HKEY>(key_), valueName.c_str(), 0, static_cast<DWORD>(type),
                   bytes.data(), static_cast<DWORD>(bytes.size()));
}

void Win32SettingsBackend::closeKey() {
    if (key_ == nullptr) return;
    RegCloseKey(static_cast<HKEY>(key_));
    key_ = nullptr;
}

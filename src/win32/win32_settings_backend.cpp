#include "win32/win32_settings_backend.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "settings/settings_table.h"
#include "win32/win32_user_paths.h"

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
    if (type == REG_SZ) {
        // Texts are UTF-8 inside the program: read as the system keeps them.
        const std::wstring wideName(valueName.begin(), valueName.end());
        DWORD wideSize = 0;
        if (RegQueryValueExW(key, wideName.c_str(), nullptr, nullptr, nullptr, &wideSize) ==
            ERROR_SUCCESS) {
            std::wstring text(wideSize / sizeof(wchar_t), L'\0');
            if (RegQueryValueExW(key, wideName.c_str(), nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(text.data()),
                                 &wideSize) == ERROR_SUCCESS) {
                text.resize(wideSize / sizeof(wchar_t));
                const std::string utf8 = utf8FromWide(text);
                value.bytes.assign(utf8.begin(), utf8.end());
            }
        }
    }
    return value;
}

void Win32SettingsBackend::set(std::string_view name, StorageType type,
                               std::span<const std::uint8_t> bytes) {
    if (key_ == nullptr) return;
    const std::string valueName(name);
    const bool ascii =
        std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b < 0x80; });
    if (type == StorageType::RegSz && !ascii) {
        // A UTF-8 text beyond ASCII (a path under a user name such as
        // "Łukasz") is kept as the system's own text, so that every reader
        // sees its characters, narrow ones in their code page. ASCII texts
        // are stored byte for byte as they always were.
        const std::wstring wideName(valueName.begin(), valueName.end());
        const std::wstring text =
            wideFromUtf8(std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        RegSetValueExW(static_cast<HKEY>(key_), wideName.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(text.data()),
                       static_cast<DWORD>(text.size() * sizeof(wchar_t)));
        return;
    }
    if (type == StorageType::RegSz) {
        // The registry counts a terminator the caller "forgot" when the byte
        // after a text is zero, reading one byte past the count: the text is
        // handed over with a byte of its own after it, not zero, so that it is
        // stored as counted, without a terminator, whatever lies beyond.
        std::vector<std::uint8_t> text(bytes.begin(), bytes.end());
        text.push_back(0xFF);
        RegSetValueExA(static_cast<HKEY>(key_), valueName.c_str(), 0, REG_SZ, text.data(),
                       static_cast<DWORD>(bytes.size()));
        return;
    }
    RegSetValueExA(static_cast<HKEY>(key_), valueName.c_str(), 0, static_cast<DWORD>(type),
                   bytes.data(), static_cast<DWORD>(bytes.size()));
}

void Win32SettingsBackend::closeKey() {
    if (key_ == nullptr) return;
    RegCloseKey(static_cast<HKEY>(key_));
    key_ = nullptr;
}

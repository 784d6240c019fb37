#include "win32/win32_user_paths.h"

#include <windows.h>

#include <vector>

namespace {

std::optional<std::string> environmentValue(std::string_view name) {
    const std::wstring wideName = wideFromUtf8(std::string(name));
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::vector<wchar_t> value(size);
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    if (length == 0 || length >= size) return std::nullopt;
    return utf8FromWide(std::wstring(value.data(), length));
}

std::string executablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return utf8FromWide(std::wstring(buffer.data(), length));
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::string utf8FromWide(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring wideFromUtf8(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
    return out;
}

// Where the installer put the program, for this user or for every user.
std::vector<std::string> installLocations() {
    std::vector<std::string> found;
    const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zintavo";
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        wchar_t value[MAX_PATH * 2];
        DWORD size = sizeof value;
        if (RegGetValueW(root, key, L"InstallLocation", RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY,
                         nullptr, value, &size) == ERROR_SUCCESS)
            found.push_back(utf8FromWide(value));
    }
    return found;
}

namespace {

// %TEMP%\Zintavo: the user's own temporary folder; a folder of that name that
// is a link (a reparse point) is not taken.
std::string privateTempFolder(bool create) {
    wchar_t base[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, base);
    if (length == 0 || length > MAX_PATH) return {};
    const std::wstring folder = std::wstring(base, length) + L"Zintavo";
    if (create && !CreateDirectoryW(folder.c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        return {};
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return {};
    return utf8FromWide(folder);
}

}  // namespace

UserPaths currentUserPaths() {
    UserPaths paths =
        resolveUserPaths(UserFolderRules::windows, environmentValue, executablePath());
    // A copy the installer put anywhere counts as installed too.
    for (const std::string& folder : installLocations())
        if (insideWindowsFolder(paths.executablePath, folder)) paths.installed = true;
    paths.lastResortFolder = privateTempFolder;
    return paths;
}

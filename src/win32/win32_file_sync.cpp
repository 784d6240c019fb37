#include "win32/win32_file_sync.h"

#include <windows.h>

#include "settings/user_paths.h"

bool syncFileToDisk(const std::string& path) {
    const HANDLE file = CreateFileW(pathFromUtf8(path).wstring().c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool synced = FlushFileBuffers(file) != 0;
    CloseHandle(file);
    return synced;
}

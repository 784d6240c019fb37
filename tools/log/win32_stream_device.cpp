#include "win32_stream_device.h"

#include <windows.h>

#include <algorithm>

Win32StreamDevice::Win32StreamDevice(const std::string& path) {
    HANDLE h = INVALID_HANDLE_VALUE;
    if (path == "-") {
        h = GetStdHandle(STD_INPUT_HANDLE);
    } else {
        // Without FILE_FLAG_BACKUP_SEMANTICS a folder does not open.
        h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ownsHandle_ = h != INVALID_HANDLE_VALUE;
    }
    if (h != INVALID_HANDLE_VALUE && h != nullptr) handle_ = h;
}

std::optional<FileIdentity> win32FileIdentity(void* handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

Win32StreamDevice::~Win32StreamDevice() {
    if (ownsHandle_) CloseHandle(handle_);
}

Win32StreamDevice::Fill Win32StreamDevice::pull(std::chrono::milliseconds wait,
                                                std::vector<std::uint8_t>& queue) {
    DWORD want = kPiece;
    if (GetFileType(handle_) == FILE_TYPE_PIPE) {
        // A pipe read would block: look first, and wait in short steps. A pipe
        // that cannot be looked into (a gone writer, or one Wine made from a
        // Unix pipe) is read as it comes; the read tells the end.
        constexpr DWORD kStepMs = 10;
        auto left = static_cast<DWORD>(wait.count());
        DWORD available = 0;
        while (PeekNamedPipe(handle_, nullptr, 0, nullptr, &available, nullptr)) {
            if (available > 0) {
                want = std::min(want, available);
                break;
            }
            if (left == 0) return Fill::idle;
            const DWORD step = std::min(left, kStepMs);
            Sleep(step);
            left -= step;
        }
    }
    const std::size_t had = queue.size();
    queue.resize(had + want);
    DWORD got = 0;
    const BOOL ok = ReadFile(handle_, queue.data() + had, want, &got, nullptr);
    queue.resize(had + got);
    return ok && got > 0 ? Fill::data : Fill::end;
}

#include "win32/win32_journal_file.h"

#include <windows.h>

#include <algorithm>

#include "win32/win32_user_paths.h"

Win32JournalFile::~Win32JournalFile() {
    close();
}

JournalFile::Open Win32JournalFile::open(const std::string& path) {
    close();
    // No sharing: the open itself is the lock. Deleting is allowed to the holder only.
    HANDLE handle = CreateFileW(wideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? Open::busy
                                                                                 : Open::failed;
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return Open::failed;
    }
    handle_ = handle;
    path_ = path;
    return Open::locked;
}

std::optional<std::string> Win32JournalFile::readAt(std::uint64_t offset, std::size_t bytes) {
    if (handle_ == nullptr) return std::nullopt;
    std::string content(bytes, '\0');
    std::size_t got = 0;
    while (got < bytes) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>((offset + got) & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>((offset + got) >> 32);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes - got, 1u << 20));
        DWORD read = 0;
        if (!ReadFile(handle_, content.data() + got, want, &read, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            return std::nullopt;
        }
        if (read == 0) break;
        got += read;
    }
    content.resize(got);
    return content;
}

std::optional<std::uint64_t> Win32JournalFile::size() {
    LARGE_INTEGER length{};
    if (handle_ == nullptr || !GetFileSizeEx(handle_, &length)) return std::nullopt;
    return static_cast<std::uint64_t>(length.QuadPart);
}

bool Win32JournalFile::truncate(std::uint64_t size) {
    if (handle_ == nullptr) return false;
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN) && SetEndOfFile(handle_);
}

bool Win32JournalFile::append(std::string_view bytes) {
    if (handle_ == nullptr) return false;
    LARGE_INTEGER none{};
    if (!SetFilePointerEx(handle_, none, nullptr, FILE_END)) return false;
    DWORD written = 0;
    return WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

void Win32JournalFile::reserve(std::uint64_t bytes) {
    if (handle_ == nullptr) return;
    // Allocation without moving the end of the file: the content stays as it is.
    FILE_ALLOCATION_INFO allocation{};
    allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(bytes);
    SetFileInformationByHandle(handle_, FileAllocationInfo, &allocation, sizeof allocation);
}

bool Win32JournalFile::sync() {
    return handle_ != nullptr && FlushFileBuffers(handle_);
}

void Win32JournalFile::remove() {
    if (handle_ == nullptr) return;
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    // Marked while still held, deleted as the handle closes.
    if (!SetFileInformationByHandle(handle_, FileDispositionInfo, &disposition,
                                    sizeof disposition)) {
        const std::string path = path_;
        close();
        DeleteFileW(wideFromUtf8(path).c_str());
        return;
    }
    close();
}

void Win32JournalFile::close() {
    if (handle_ == nullptr) return;
    CloseHandle(handle_);
    handle_ = nullptr;
    path_.clear();
}

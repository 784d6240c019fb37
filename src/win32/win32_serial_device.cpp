#include "win32/win32_serial_device.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "win32/win32_dcb.h"

static_assert(sizeof(DCB) == DcbImage::kSize);

namespace {

constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kQueueSize = 1024;

}  // namespace

Win32SerialDevice::~Win32SerialDevice() {
    close();
}

OpenResult Win32SerialDevice::open(std::uint32_t portNumber) {
    close();
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\COM%u", static_cast<unsigned>(portNumber));
    // Wine lets a COM port be opened again whatever the sharing, so a named
    // mutex per port marks it as held by a window or probe of this program,
    // as Windows itself does for every program.
    char claimName[64];
    std::snprintf(claimName, sizeof claimName, "Local\\Vorrelind.Zintavo.COM%u",
                  static_cast<unsigned>(portNumber));
    HANDLE claim = CreateMutexA(nullptr, FALSE, claimName);
    if (claim == nullptr) return OpenResult::failed();
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(claim);
        return OpenResult::busy();
    }
    // Opened without sharing: a COM port is one program's, and a port that
    // another program holds answers with access denied or a sharing violation.
    HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        CloseHandle(claim);
        const bool held = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
        return held ? OpenResult::busy() : OpenResult::failed();
    }
    claim_ = claim;
    handle_ = h;
    PurgeComm(h, kPurgeAll);
    SetupComm(h, kQueueSize, kQueueSize);
    // Interval MAXDWORD with zero totals: a read returns at once with what is queued.
    COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 1, 10000};
    SetCommTimeouts(h, &timeouts);
    return OpenResult::opened();
}

void Win32SerialDevice::purge() {
    if (isOpen()) PurgeComm(handle_, kPurgeAll);
}

bool Win32SerialDevice::configure(const LineSettings& line) {
    if (!isOpen()) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    GetCommState(handle_, &dcb);
    DcbImage image;
    std::memcpy(image.bytes.data(), &dcb, sizeof dcb);
    applyLineSettings(image, line);
    std::memcpy(&dcb, image.bytes.data(), sizeof dcb);
    return SetCommState(handle_, &dcb) != FALSE;
}

SerialIo Win32SerialDevice::queued() {
    if (!isOpen()) return {0, true};
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle_, &errors, &status)) return {0, true};
    return {status.cbInQue, false};
}

SerialIo Win32SerialDevice::read(std::span<std::uint8_t> into) {
    if (!isOpen()) return {0, true};
    DWORD got = 0;
    if (!ReadFile(handle_, into.data(), static_cast<DWORD>(into.size()), &got, nullptr)) {
        // A line error with fAbortOnError aborts reads until the next
        // ClearCommError, which the next queue query makes; the port is fine.
        return {0, GetLastError() != ERROR_OPERATION_ABORTED};
    }
    return {got, false};
}

void Win32SerialDevice::close() {
    if (!isOpen()) return;
    PurgeComm(handle_, kPurgeAll);
    CloseHandle(handle_);
    handle_ = nullptr;
    CloseHandle(claim_);
    claim_ = nullptr;
}

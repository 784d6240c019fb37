#pragma once

#include <string>

#include "stream_device.h"

// The identity of the disk file open as `handle` (its volume serial number and
// file index); nothing for consoles, pipes and devices.
std::optional<FileIdentity> win32FileIdentity(void* handle);

// A file or standard input as a StreamDevice, read through Win32 handles.
class Win32StreamDevice final : public StreamDevice {
  public:
    // Reads the file at `path`, or standard input for "-". A file that cannot
    // be opened for reading (or is a folder) leaves the device invalid.
    explicit Win32StreamDevice(const std::string& path);
    Win32StreamDevice(const Win32StreamDevice&) = delete;
    Win32StreamDevice& operator=(const Win32StreamDevice&) = delete;
    ~Win32StreamDevice() override;

    bool valid() const override { return handle_ != nullptr; }
    std::optional<FileIdentity> identity() const override { return win32FileIdentity(handle_); }

  protected:
    Fill pull(std::chrono::milliseconds wait, std::vector<std::uint8_t>& queue) override;

  private:
    void* handle_ = nullptr;  // the HANDLE
    bool ownsHandle_ = false;
};

#pragma once

#include "link/serial_device.h"

// A COM port through the Win32 communications API ("\\.\COM<n>"), opened for
// synchronous use with reads that return at once with whatever is queued.
class Win32SerialDevice final : public SerialDevice {
  public:
    Win32SerialDevice() = default;
    Win32SerialDevice(const Win32SerialDevice&) = delete;
    Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;
    ~Win32SerialDevice() override;

    OpenResult open(std::uint32_t portNumber) override;
    bool isOpen() const override { return handle_ != nullptr; }
    void purge() override;
    bool configure(const LineSettings& line) override;
    // A failed query or read (other than one aborted by a line error) means the
    // device has gone, as a USB adapter that was pulled or a simulator that ended.
    SerialIo queued() override;
    SerialIo read(std::span<std::uint8_t> into) override;
    void close() override;

  private:
    void* handle_ = nullptr;  // the HANDLE, kept opaque so callers need no Windows headers
    void* claim_ = nullptr;   // the port's named mutex while it is open
};

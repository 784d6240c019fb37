#pragma once

#include <string>

#include "stream_device.h"

// A file or standard input as a StreamDevice, read with poll() and read().
class PosixStreamDevice final : public StreamDevice {
  public:
    // Reads the file at `path`, or standard input for "-". A file that cannot
    // be opened for reading (or is a folder) leaves the device invalid.
    explicit PosixStreamDevice(const std::string& path);
    PosixStreamDevice(const PosixStreamDevice&) = delete;
    PosixStreamDevice& operator=(const PosixStreamDevice&) = delete;
    ~PosixStreamDevice() override;

    bool valid() const override { return fd_ >= 0; }

  protected:
    Fill pull(std::chrono::milliseconds wait, std::vector<std::uint8_t>& queue) override;

  private:
    int fd_ = -1;
    bool ownsFd_ = false;
};

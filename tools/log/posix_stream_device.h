#pragma once

#include <string>

#include "stream_device.h"

// The identity of the regular file or FIFO open as `fd`; nothing for others.
std::optional<FileIdentity> posixFileIdentity(int fd);

// A file or standard input as a StreamDevice, read with poll() and read().
class PosixStreamDevice final : public StreamDevice {
  public:
    // Reads the file at `path`, or standard input for "-". A file that cannot
    // be opened for reading (or is a folder) leaves the device invalid. A FIFO
    // opens at once even while nothing writes to it.
    explicit PosixStreamDevice(const std::string& path);
    PosixStreamDevice(const PosixStreamDevice&) = delete;
    PosixStreamDevice& operator=(const PosixStreamDevice&) = delete;
    ~PosixStreamDevice() override;

    bool valid() const override { return fd_ >= 0; }
    std::optional<FileIdentity> identity() const override;

  protected:
    Fill pull(std::chrono::milliseconds wait, std::vector<std::uint8_t>& queue) override;

  private:
    int fd_ = -1;
    bool ownsFd_ = false;
};

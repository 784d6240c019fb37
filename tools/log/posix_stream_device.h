#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "link/serial_device.h"

// A byte stream (a capture file, a pipe) behaving as a serial port: the bytes
// taken in by fill() are what the port has queued, so the link drains them
// with its own reads exactly as it would drain a port.
class PosixStreamDevice final : public SerialDevice {
  public:
    enum class Fill { data, idle, end };

    // Reads the file at `path`, or standard input for "-". A file that cannot
    // be opened for reading (or is a folder) leaves the device invalid.
    explicit PosixStreamDevice(const std::string& path);
    PosixStreamDevice(const PosixStreamDevice&) = delete;
    PosixStreamDevice& operator=(const PosixStreamDevice&) = delete;
    ~PosixStreamDevice() override;

    bool valid() const { return fd_ >= 0; }

    // Queues the next piece of the stream, waiting at most `wait` for it:
    // data when bytes were queued, idle when none came, end at end of stream
    // (or when it cannot be read any more).
    Fill fill(std::chrono::milliseconds wait);

    bool open(std::uint32_t portNumber) override;
    bool isOpen() const override { return open_; }
    void purge() override { queue_.clear(); }
    bool configure(const LineSettings&) override { return open_; }
    SerialIo queued() override { return {queue_.size(), false}; }
    SerialIo read(std::span<std::uint8_t> into) override;
    void close() override;

  private:
    int fd_ = -1;
    bool ownsFd_ = false;
    bool open_ = false;
    std::vector<std::uint8_t> queue_;
};

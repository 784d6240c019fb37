#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "link/serial_device.h"

// What tells one file from another whatever its names: device and inode on
// POSIX, volume serial number and file index on Windows.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// A byte stream (a capture file, a pipe) behaving as a serial port: the bytes
// taken in by fill() are what the port has queued, so the link drains them
// with its own reads exactly as it would drain a port. The platform supplies
// the stream through pull().
class StreamDevice : public SerialDevice {
  public:
    enum class Fill { data, idle, end };

    // False when the stream could not be opened for reading.
    virtual bool valid() const = 0;
    // The file read, when it is one that could also be written to (a regular
    // file or a FIFO); nothing for terminals, devices and unnamed pipes.
    virtual std::optional<FileIdentity> identity() const = 0;

    // Queues the next piece of the stream, waiting at most `wait` for it:
    // data when bytes were queued, idle when none came, end at end of stream
    // (or when it cannot be read any more).
    Fill fill(std::chrono::milliseconds wait) { return pull(wait, queue_); }

    OpenResult open(std::uint32_t portNumber) override;
    bool isOpen() const override { return open_; }
    void purge() override { queue_.clear(); }
    bool configure(const LineSettings&) override { return open_; }
    SerialIo queued() override { return {queue_.size(), false}; }
    SerialIo read(std::span<std::uint8_t> into) override;
    void close() override;

  protected:
    // One pull from the stream; about 17 s of the meter's line.
    static constexpr std::size_t kPiece = 4096;

    // Appends what the stream has (at most kPiece bytes) to `queue`.
    virtual Fill pull(std::chrono::milliseconds wait, std::vector<std::uint8_t>& queue) = 0;

  private:
    bool open_ = false;
    std::vector<std::uint8_t> queue_;
};

#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Line parameters of one open. The meter needs 8N1; the other values exist so
// that configure() states the whole line, not only its speed.
struct LineSettings {
    enum class Parity : std::uint8_t { none, odd, even };
    enum class StopBits : std::uint8_t { one, two };

    std::uint32_t baud = 2400;
    std::uint8_t dataBits = 8;
    Parity parity = Parity::none;
    StopBits stopBits = StopBits::one;
};

// Outcome of a queue query or a read: the byte count, or that the device has
// failed (hung up, removed, I/O error) and the handle is of no further use.
struct SerialIo {
    std::size_t bytes = 0;
    bool failed = false;
};

// One serial port, receive side only. Every call returns at once; nothing here
// ever waits for data. One instance is used by one thread at a time.
class SerialDevice {
  public:
    virtual ~SerialDevice() = default;

    // Opens the port with this number (1-255). False when there is no such
    // device or it cannot be opened. Modem lines that cannot be set do not fail.
    virtual bool open(std::uint32_t portNumber) = 0;
    virtual bool isOpen() const = 0;
    // Discards whatever is queued in both directions.
    virtual void purge() = 0;
    // The result is whether the line parameters were taken.
    virtual bool configure(const LineSettings& line) = 0;
    // Bytes waiting in the input queue.
    virtual SerialIo queued() = 0;
    // Reads up to into.size() bytes without waiting; 0 bytes when none are queued.
    virtual SerialIo read(std::span<std::uint8_t> into) = 0;
    // Purges and closes; harmless when not open.
    virtual void close() = 0;
};

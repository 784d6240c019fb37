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

// Outcome of an open. A port that another program holds is told apart from one
// that is missing or unusable, because the two call for different actions:
// look for the meter elsewhere and come back later, or retry the same port.
class OpenResult {
  public:
    enum class Outcome : std::uint8_t { opened, failed, busy };

    static constexpr OpenResult opened() { return OpenResult(Outcome::opened); }
    static constexpr OpenResult failed() { return OpenResult(Outcome::failed); }
    static constexpr OpenResult busy() { return OpenResult(Outcome::busy); }

    constexpr Outcome outcome() const { return outcome_; }
    constexpr bool isBusy() const { return outcome_ == Outcome::busy; }
    constexpr explicit operator bool() const { return outcome_ == Outcome::opened; }
    constexpr bool operator==(const OpenResult&) const = default;

  private:
    constexpr explicit OpenResult(Outcome outcome) : outcome_(outcome) {}
    Outcome outcome_;
};

// One serial port, receive side only. Every call returns at once; nothing here
// ever waits for data. One instance is used by one thread at a time.
class SerialDevice {
  public:
    virtual ~SerialDevice() = default;

    // Opens the port with this number (1-255) for this object alone: busy when
    // another program (or another object) holds it, failed when there is no
    // such device or it cannot be opened. Modem lines that cannot be set do
    // not fail.
    virtual OpenResult open(std::uint32_t portNumber) = 0;
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
    // While open, a descriptor the system's poll reports readable when input
    // is queued (or the device hung up or failed), so that a window may sleep
    // until then instead of asking every tick; -1 when there is none.
    virtual int inputHandle() const { return -1; }
};

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "link/meter_reading.h"
#include "link/serial_device.h"

// Told synchronously of every valid frame, handed MeterPort::reading, the
// stored reading, which interpreting it may rewrite (a no-reading record).
class ReadingListener {
  public:
    virtual void onMeterReading(MeterReading& reading) = 0;

  protected:
    ~ReadingListener() = default;
};

// The serial link object: opens and configures one port, drains it, cuts the
// byte stream into frames and keeps the last reading. The main window owns one
// for its whole life; every detection probe makes its own (without listener).
class MeterPort {
  public:
    static constexpr std::uint8_t kNoReadingFunction = 10;  // function while no frame has arrived
    static constexpr std::int32_t kActivityTicks = 25;
    static constexpr std::uint32_t kCutLength = 250;  // a stream without frame ends is cut here
    static constexpr std::size_t kMaxRead = 254;

    // The device is used only through this object while it lives.
    MeterPort(SerialDevice& device, ReadingListener* listener);
    MeterPort(const MeterPort&) = delete;
    MeterPort& operator=(const MeterPort&) = delete;
    ~MeterPort();

    // Opens the port at baud (0 keeps baudRate) as 8N1. Succeeds at once when
    // already open. Always resets linkActivity and reading.function.
    OpenResult open(std::uint32_t portNumber, std::uint32_t baud);
    // Takes over a line that is already open (a probe's, on the meter's port)
    // and configures it at baud, so that no other program can take the port
    // between a detection and the open. From then on this object uses that
    // device, also to open again later. False when the line cannot be
    // configured; it is closed then, as after a failed open.
    bool takeOver(std::shared_ptr<SerialDevice> device, std::uint32_t portNumber,
                  std::uint32_t baud);
    bool configure(std::uint32_t baud, std::uint8_t byteSize, LineSettings::Parity parity,
                   LineSettings::StopBits stopBits);
    void close();
    // Drains the input queue, decoding each frame as its last byte arrives. A
    // device that fails or hangs up is closed at once, so the link's re-open
    // schedule can bring it back instead of polling a dead handle.
    void receive();
    bool isOpen() const { return device_->isOpen(); }
    // See SerialDevice::inputHandle.
    int inputHandle() const { return device_->isOpen() ? device_->inputHandle() : -1; }

    ReadingListener* listener;  // nullptr for probes
    std::uint32_t rxCount = 0;
    std::array<std::uint8_t, 512> rxBuffer{};
    std::uint32_t baudRate = 0;
    std::uint8_t openedPort = 0;  // low 8 bits of the last port opened successfully
    bool suspended = false;
    std::int32_t linkActivity = 0;  // ticks left in which data counts as recent
    MeterReading reading;

  private:
    // Purges, configures and records a line that has just been opened.
    bool startLine(std::uint32_t portNumber, std::uint32_t baud);

    SerialDevice* device_;
    std::shared_ptr<SerialDevice> takenOver_;  // owns device_ after a takeOver
};

// Stores a valid frame as port.reading and notifies the listener before it
// returns; drops anything else without a trace.
void decodeFrame(MeterPort& port, const std::uint8_t* bytes, std::size_t length);

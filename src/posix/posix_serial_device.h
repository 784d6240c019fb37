#pragma once

#include "link/serial_device.h"
#include "posix/port_map.h"

// A serial port through termios: raw 8N1 (or as configured), non-blocking, DTR
// and RTS raised. termios rather than QSerialPort because the link wants
// synchronous non-blocking reads and the queued byte count on its tick, and
// probes run on plain threads that have no event loop.
class PosixSerialDevice final : public SerialDevice {
  public:
    explicit PosixSerialDevice(const PortMap& map);
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;
    ~PosixSerialDevice() override;

    OpenResult open(std::uint32_t portNumber) override;
    bool isOpen() const override { return fd_ >= 0; }
    int inputHandle() const override { return fd_; }
    void purge() override;
    bool configure(const LineSettings& line) override;
    SerialIo queued() override;
    SerialIo read(std::span<std::uint8_t> into) override;
    void close() override;

  private:
    const PortMap& map_;
    int fd_ = -1;
};

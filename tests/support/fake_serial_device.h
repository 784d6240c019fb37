#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "link/serial_device.h"
#include "link/serial_ports.h"

// A scriptable serial device: which ports open, whether configure works, what
// bytes are queued, and when the device fails. Records every call of interest.
class FakeSerialDevice final : public SerialDevice {
  public:
    struct OpenCall {
        std::uint32_t port;
        OpenResult result;
    };

    // Script.
    std::set<std::uint32_t> failingPorts;  // open() fails for these
    std::set<std::uint32_t> busyPorts;     // another program holds these
    bool failAllOpens = false;
    bool configureFails = false;
    bool failed = false;              // queries and reads report a failed device
    bool readsFail = false;           // only reads do (the query still counts bytes)
    std::vector<std::uint8_t> input;  // queued right now
    // Each queue query first moves the next chunk into the input, so bytes
    // arrive bit by bit as they would from a line.
    std::deque<std::vector<std::uint8_t>> arrivals;
    int handle = -1;  // the input handle while open

    // Record.
    std::vector<OpenCall> opens;
    std::vector<LineSettings> lines;
    std::vector<std::size_t> readSizes;
    int purges = 0;
    int closes = 0;
    int queries = 0;

    void feed(const std::vector<std::uint8_t>& bytes) {
        input.insert(input.end(), bytes.begin(), bytes.end());
    }

    OpenResult open(std::uint32_t port) override;
    bool isOpen() const override { return open_; }
    void purge() override;
    bool configure(const LineSettings& line) override;
    SerialIo queued() override;
    SerialIo read(std::span<std::uint8_t> into) override;
    void close() override;
    int inputHandle() const override { return open_ ? handle : -1; }

  private:
    bool open_ = false;
};

// Ports for detection tests: lists the given numbers and hands out fake devices
// whose arrivals are the script of the port they open.
class FakeSerialPorts final : public SerialPorts {
  public:
    std::set<std::uint32_t> ports;
    std::map<std::uint32_t, std::deque<std::vector<std::uint8_t>>> arrivalsByPort;
    std::set<std::uint32_t> busyPorts;   // held by another program
    std::map<std::uint32_t, int> opens;  // probe opens asked for, by port (held ones too)
    bool enumerateFails = false;

    bool enumeratePorts(ListedPorts& into) override;
    std::unique_ptr<SerialDevice> makeDevice() override;
};

#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "link/serial_device.h"

// One SerialDevice implementation with a line behind one of its ports, and a
// way to act as the line's far end.
class SerialLine {
  public:
    virtual ~SerialLine() = default;
    virtual SerialDevice& device() = 0;
    // The port the line is behind, and one with no device at all.
    virtual std::uint32_t port() const = 0;
    virtual std::uint32_t missingPort() const = 0;
    virtual void send(const std::vector<std::uint8_t>& bytes) = 0;
    // The far end goes away: the device's side hangs up.
    virtual void hangUp() = 0;
};

struct SerialLineFactory {
    const char* name;
    std::unique_ptr<SerialLine> (*make)();
};

inline void PrintTo(const SerialLineFactory& factory, std::ostream* os) {
    *os << factory.name;
}

// The suite every serial device passes: instantiate it with a factory per implementation.
class SerialDeviceContract : public ::testing::TestWithParam<SerialLineFactory> {
  protected:
    void SetUp() override { line = GetParam().make(); }
    SerialDevice& device() { return line->device(); }
    // What the far end sends reaches the device a moment later.
    std::size_t waitForQueued(std::size_t atLeast);
    std::unique_ptr<SerialLine> line;
};

std::string serialLineName(const ::testing::TestParamInfo<SerialLineFactory>& info);

#pragma once

#include <cstdint>
#include <vector>

#include "link/meter_reading.h"

// Byte streams as the meter's line delivers them, for feeding zintavo-log.
struct FrameSpec {
    std::uint8_t function = 1;
    std::uint8_t subfunction = 0;
    std::uint8_t range = 0;
    std::uint16_t count = 0;
    bool negative = false;
    std::uint8_t status = 0;  // MeterReading::kHold and friends
};

MeterReading readingOf(const FrameSpec& wanted);

class CaptureBuilder {
  public:
    CaptureBuilder& frame(const FrameSpec& wanted);
    // The first `length` bytes of the frame only, as when a line drops out.
    CaptureBuilder& cutFrame(const FrameSpec& wanted, std::size_t length);
    CaptureBuilder& bytes(std::vector<std::uint8_t> raw);
    const std::vector<std::uint8_t>& stream() const { return stream_; }

  private:
    std::vector<std::uint8_t> stream_;
};

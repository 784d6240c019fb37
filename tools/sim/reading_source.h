#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "link/meter_reading.h"

// The readings to send, in order: a script played a number of times, or the endless demo.
class ReadingSource {
  public:
    // repeat 0 plays the script forever. An empty script yields nothing.
    static ReadingSource script(std::vector<MeterReading> frames, unsigned repeat);
    static ReadingSource demo();

    // The next reading, or nothing once the source is used up.
    std::optional<MeterReading> next();

  private:
    ReadingSource(std::vector<MeterReading> frames, unsigned repeat, bool demo);

    std::vector<MeterReading> frames_;
    unsigned repeat_;
    bool demo_;
    std::uint64_t index_ = 0;
};

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/meter_reading.h"
#include "time/clock.h"

// What a logged reading adds: its list line and its history sample, with the
// parts the line is made of.
struct LoggedReading {
    std::string line;
    float value = 0.0f;
    std::uint16_t timeOfDay = 0;
    LocalDateTime when;      // the one clock reading of line and sample
    std::string valueField;  // the line's value column, as the meter shows it
    std::string_view unit;   // Windows-1252, as in the line
};

// Interprets the stored reading (rewriting a no-reading record) and, unless
// the meter holds its display or the reading is over range, reads the clock
// once and returns what is logged. Shared by the session and the headless logger.
std::optional<LoggedReading> decideLogging(MeterReading& stored, const Clock& clock);

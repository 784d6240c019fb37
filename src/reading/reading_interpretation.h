#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "link/meter_reading.h"

// What a reading shows: where its decimal point stands, whether it is over
// range, and its signed value in the unit of `unitName`.
struct ReadingInterpretation {
    int decimalPosition = 0;  // digits before the point, 0 = none; may exceed 4
    bool inRange = true;
    float value = 0.0f;
};

// Decimal positions by range code 0-7; the meter face draws from the same tables.
inline constexpr std::array<std::uint8_t, 8> frequencyPoints{2, 3, 1, 2, 3, 1, 2, 3};
inline constexpr std::array<std::uint8_t, 8> resistancePoints{3, 1, 2, 3, 1, 2, 0, 0};
inline constexpr std::array<std::uint8_t, 8> capacitancePoints{2, 2, 3, 1, 2, 3, 1, 2};

// The five decimal digits of a count, units first (digit k = count / 10^k mod 10).
using CountDigits = std::array<std::uint8_t, 5>;
CountDigits countDigits(std::uint16_t count);

// The interpretation rules alone, from the raw fields; changes nothing.
ReadingInterpretation interpretFields(std::uint8_t function, std::uint8_t subfunction,
                                      std::uint8_t range, std::uint16_t count, bool negative);

// Overwrites a "no reading yet" record (function 10) with the fixed dashes
// pattern the face shows; the set hold bit keeps it out of the log.
void applyNoReadingPattern(MeterReading& stored);

// Interprets the stored reading; a function-10 record is rewritten in place,
// while the result still follows the count and range as they arrived.
ReadingInterpretation interpretReading(MeterReading& stored);

// Unit text of the list line, in Windows-1252 ("\xB5" micro, "\xB0" degree).
std::string_view unitName(std::uint8_t function, std::uint8_t subfunction, std::uint8_t range);

// The count as a signed float at its decimal position; 0 when over range.
float scaleCount(std::uint16_t count, int decimalPosition, bool inRange, bool negative);

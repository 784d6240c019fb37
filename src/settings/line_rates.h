#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

// The line rates the program opens a port at: the standard serial rates from
// 110 to 256000. A rate outside this table is refused where it is given; what
// a driver accepts is no guide (a pseudo-terminal takes any number).
inline constexpr std::array<std::uint32_t, 14> kLineRates{
    110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, 128000, 256000};

constexpr bool isLineRate(std::uint32_t baud) {
    return std::find(kLineRates.begin(), kLineRates.end(), baud) != kLineRates.end();
}

// "110, 300, ..., 256000" for messages.
inline std::string lineRateList() {
    std::string text;
    for (const std::uint32_t rate : kLineRates)
        text += (text.empty() ? "" : ", ") + std::to_string(rate);
    return text;
}

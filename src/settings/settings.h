#pragma once

#include <array>
#include <cstdint>
#include <string>

// Screen rectangle of the main window: left, top, width, height.
struct WindowRect {
    std::int32_t x = 100;
    std::int32_t y = 100;
    std::int32_t width = 658;
    std::int32_t height = 480;
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

// The 17 persistent values of the program, with their defaults. One instance
// lives for the whole run; the subsystems read and write its fields directly.
struct Settings {
    static constexpr std::uint32_t kMaxListCount = 32768;
    static constexpr std::size_t kLogFileSize = 128;

    WindowRect window;
    std::uint32_t port = 0;  // 0 = find the meter by auto-detection
    std::uint32_t baud = 2400;
    std::uint32_t flags = 0;
    std::uint32_t mode = 10;     // subfunction of the last reading drawn
    std::uint32_t switch_ = 10;  // function of the last reading drawn ("Switch")
    std::uint32_t colorChart = 0xFF000000;
    std::uint32_t listCount = kMaxListCount;
    std::uint32_t colorChartGrid = 0x60FFFFFF;
    std::uint32_t colorChartData = 0xFF00FF00;
    std::uint32_t colorChartSelect = 0xFFF0F000;
    std::uint32_t colorChartMinMax = 0xFFEB0000;
    std::uint32_t colorChartTag = 0xFFEB00EB;
    std::uint32_t colorChartText = 0xFFD0D0D0;
    std::uint32_t colorMeterBG = 0xFFF0F0F0;
    std::uint32_t colorMeterText = 0xFF000000;
    std::string logFile;  // path of the last log file written; empty until the first save
};

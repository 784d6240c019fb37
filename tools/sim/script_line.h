#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "link/meter_reading.h"

// One line of a simulator script: "function subfunction range count [neg] [hold] [rel]
// [manual]", decimal fields, '#' starting a comment. Lines with nothing but blanks or a
// comment carry no frame.
struct ScriptLine {
    enum class Kind { empty, frame, error };

    Kind kind = Kind::empty;
    MeterReading reading;  // valid for Kind::frame
    std::string error;     // reason, for Kind::error
};

ScriptLine parseScriptLine(std::string_view text);

// A whole script: every frame in order, or the first bad line (1-based) and why.
struct Script {
    std::vector<MeterReading> frames;
    std::size_t errorLine = 0;  // 0 when the script is good
    std::string error;
};

Script parseScript(std::istream& in);

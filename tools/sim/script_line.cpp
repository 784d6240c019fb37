#include "script_line.h"

#include <charconv>
#include <cstdint>
#include <utility>

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

std::vector<std::string_view> splitWords(std::string_view text) {
    std::vector<std::string_view> words;
    while (true) {
        const auto start = text.find_first_not_of(kBlanks);
        if (start == std::string_view::npos) break;
        text.remove_prefix(start);
        const auto end = text.find_first_of(kBlanks);
        words.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end);
    }
    return words;
}

// Plain decimal digits only: no sign, no hex, no trailing junk.
bool parseDecimal(std::string_view word, unsigned max, unsigned& out) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc{} || end != word.data() + word.size() || value > max) return false;
    out = value;
    return true;
}

struct Field {
    const char* name;
    unsigned max;
};

constexpr Field kFields[] = {{"function", 15}, {"subfunction", 15}, {"range", 7}, {"count", 65535}};

ScriptLine failure(std::string reason) {
    ScriptLine line;
    line.kind = ScriptLine::Kind::error;
    line.error = std::move(reason);
    return line;
}

}  // namespace

ScriptLine parseScriptLine(std::string_view text) {
    const auto words = splitWords(text.substr(0, text.find('#')));
    if (words.empty()) return {};

    unsigned values[std::size(kFields)] = {};
    for (std::size_t i = 0; i < std::size(kFields); ++i) {
        const Field& field = kFields[i];
        const std::string range = " (0-" + std::to_string(field.max) + ")";
        if (i >= words.size()) {
            return failure(std::string("missing ") + field.name + range +
                           "; a frame is: function subfunction range count [flags]");
        }
        if (!parseDecimal(words[i], field.max, values[i])) {
            return failure(std::string("bad ") + field.name + " '" + std::string(words[i]) +
                           "': expected a decimal number" + range);
        }
    }

    ScriptLine line;
    line.kind = ScriptLine::Kind::frame;
    MeterReading& r = line.reading;
    r.setFunction(static_cast<std::uint8_t>(values[0]));
    r.setSubfunction(static_cast<std::uint8_t>(values[1]));
    r.setRange(static_cast<std::uint8_t>(values[2]));
    r.setCount(static_cast<std::uint16_t>(values[3]));

    for (std::size_t i = std::size(kFields); i < words.size(); ++i) {
        const std::string_view flag = words[i];
        if (flag == "neg") {
            r.setNegative(true);
        } else if (flag == "hold") {
            r.setHold(true);
        } else if (flag == "rel") {
            r.setRelative(true);
        } else if (flag == "manual") {
            r.setManualRange(true);
        } else {
            return failure("unknown flag '" + std::string(flag) +
                           "': expected neg, hold, rel or manual");
        }
    }
    return line;
}

Script parseScript(std::istream& in) {
    Script script;
    std::string text;
    for (std::size_t number = 1; std::getline(in, text); ++number) {
        ScriptLine line = parseScriptLine(text);
        if (line.kind == ScriptLine::Kind::error) {
            script.frames.clear();
            script.errorLine = number;
            script.error = std::move(line.error);
            return script;
        }
        if (line.kind == ScriptLine::Kind::frame) script.frames.push_back(line.reading);
    }
    return script;
}

#include "log_csv.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

#include "history/windows1252.h"

namespace {

// `value` in exactly `width` digits, leading zeros included (formatted by
// hand: this runs for every line of a log being converted).
void appendDigits(std::string& out, int value, int width) {
    char digits[10];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(digits, static_cast<std::size_t>(width));
}

}  // namespace

std::string isoLocalTime(const LocalDateTime& t) {
    const int offset = std::abs(t.utcOffsetMinutes);
    std::string text;
    text.reserve(25);
    if (t.year >= 0 && t.year <= 9999) {
        appendDigits(text, t.year, 4);
    } else {
        text += std::to_string(t.year);
    }
    for (const auto& [separator, field] :
         {std::pair{'-', t.month}, {'-', t.day}, {'T', t.hour}, {':', t.minute}, {':', t.second}}) {
        text += separator;
        appendDigits(text, std::clamp(field, 0, 99), 2);
    }
    text += t.utcOffsetMinutes < 0 ? '-' : '+';
    appendDigits(text, std::min(offset / 60, 99), 2);
    text += ':';
    appendDigits(text, offset % 60, 2);
    return text;
}

namespace {

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string meterValueText(std::string_view valueField) {
    // A zero count without a point shows no digit at all on the list.
    const std::string_view value = trimmed(valueField);
    return std::string(value.empty() ? "0" : value);
}

std::string_view csvHeader() {
    return "time,value,unit,tag\r\n";
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string formatCsvRecord(const LoggedReading& reading, std::string_view tag) {
    return isoLocalTime(reading.when) + ',' + meterValueText(reading.valueField) + ',' +
           csvField(windows1252ToUtf8(reading.unit)) + ',' + csvField(windows1252ToUtf8(tag)) +
           "\r\n";
}

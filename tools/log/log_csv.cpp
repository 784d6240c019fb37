#include "log_csv.h"

#include <cstdio>
#include <cstdlib>

#include "history/windows1252.h"

std::string isoLocalTime(const LocalDateTime& t) {
    const int offset = std::abs(t.utcOffsetMinutes);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, t.utcOffsetMinutes < 0 ? '-' : '+',
                  offset / 60, offset % 60);
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

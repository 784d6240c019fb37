#include "history/log_format.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "history/windows1252.h"

namespace {

// Columns of the reading line with a four-digit year.
constexpr std::size_t kHourColumn = 11;
constexpr std::size_t kMinuteColumn = 14;
constexpr std::size_t kSecondColumn = 17;
constexpr std::size_t kValueColumn = 22;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

std::size_t skipDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && isDigit(text[i])) ++i;
    return i;
}

// A decimal integer at `column` as it lands in the 16-bit time of day: the
// magnitude modulo 2^16 (exact for every term of the packing) and its sign.
struct TimeField {
    bool negative = false;
    std::uint32_t magnitude = 0;
};

TimeField parseTimeField(std::string_view line, std::size_t column) {
    TimeField field;
    std::size_t i = column;
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) field.negative = line[i++] == '-';
    for (; i < line.size() && isDigit(line[i]); ++i)
        field.magnitude =
            (field.magnitude * 10 + static_cast<std::uint32_t>(line[i] - '0')) & 0xFFFF;
    return field;
}

// hour * 4096 + (minute mod 64) * 64 + (second mod 64), kept to 16 bits; the
// remainders keep the sign of their field, as integer division does.
std::uint16_t packLoadedTime(TimeField hour, TimeField minute, TimeField second) {
    const auto term = [](TimeField f, std::uint32_t magnitude, std::uint32_t weight) {
        const std::uint32_t t = magnitude * weight;
        return f.negative ? 0u - t : t;
    };
    const std::uint32_t packed = term(hour, hour.magnitude, 4096) +
                                 term(minute, minute.magnitude % 64, 64) +
                                 term(second, second.magnitude % 64, 1);
    return static_cast<std::uint16_t>(packed & 0xFFFF);
}

}  // namespace

std::string makeLogFileName(std::string_view executablePath, std::uint32_t port,
                            const LocalDateTime& when) {
    std::string_view stem = executablePath;
    const std::size_t slash = stem.find_last_of("/\\");
    const std::size_t dot = stem.rfind('.');
    if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash))
        stem = stem.substr(0, dot);
    char suffix[96];
    std::snprintf(suffix, sizeof suffix, ".COM%u.%d-%02d-%02d.%02d.%02d.log", port, when.year,
                  when.month, when.day, when.hour, when.minute);
    return std::string(stem) + suffix;
}

std::string numberedLogFileName(std::string_view name, int n) {
    constexpr std::string_view kExtension = ".log";
    std::string_view stem = name;
    if (stem.ends_with(kExtension)) stem.remove_suffix(kExtension.size());
    return std::string(stem) + "-" + std::to_string(n) + std::string(kExtension);
}

namespace {

// Control bytes (from a damaged log or journal) are left out: a log line never holds one.
void appendText(std::string& out, std::string_view text) {
    if (!hasControlByte(text)) {
        out += text;
        return;
    }
    for (char c : text)
        if (!isControlByte(c)) out += c;
}

void appendLogLine(std::string& out, const ReadingRow& row) {
    appendText(out, row.text);
    if (!row.tag.empty()) {
        out += ',';
        appendText(out, row.tag);
    }
}

}  // namespace

std::string formatLogLine(const ReadingRow& row) {
    std::string line;
    appendLogLine(line, row);
    return line;
}

std::string formatLog(const ReadingList& list) {
    std::string text;
    std::size_t size = 0;
    for (std::size_t i = 0; i < list.rowCount(); ++i)
        size += list.row(i).text.size() + list.row(i).tag.size() + 3;
    text.reserve(size);
    for (std::size_t i = 0; i < list.rowCount(); ++i) {
        appendLogLine(text, list.row(i));
        text += "\r\n";
    }
    return text;
}

std::vector<std::string_view> cutLogLines(std::string_view content) {
    std::vector<std::string_view> lines;
    std::size_t i = 0;
    for (;;) {
        while (i < content.size() && isLineEnd(content[i])) ++i;
        if (i == content.size()) break;
        const std::size_t start = i;
        while (i < content.size() && i - start < kLogLineLimit && !isLineEnd(content[i])) ++i;
        lines.push_back(content.substr(start, i - start));
    }
    return lines;
}

ParsedNumber parseDecimalNumber(std::string_view text) {
    std::size_t i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t mantissa = i;
    std::size_t end = skipDigits(text, i);
    std::size_t digits = end - mantissa;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fractionEnd = skipDigits(text, end + 1);
        digits += fractionEnd - (end + 1);
        end = fractionEnd;
    }
    if (digits == 0) return {};
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t e = end + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        const std::size_t exponentEnd = skipDigits(text, e);
        if (exponentEnd > e) end = exponentEnd;
    }

    float magnitude = 0.0f;
    const char* first = text.data() + mantissa;
    if (std::from_chars(first, text.data() + end, magnitude).ec != std::errc{}) magnitude = 0.0f;
    return {negative ? -magnitude : magnitude, end};
}

LogLine parseLogLine(std::string_view line) {
    LogLine parsed;
    parsed.text = line;
    parsed.timeOfDay =
        packLoadedTime(parseTimeField(line, kHourColumn), parseTimeField(line, kMinuteColumn),
                       parseTimeField(line, kSecondColumn));

    std::size_t i = std::min(kValueColumn, line.size());
    while (i < line.size() && isBlank(line[i])) ++i;
    const ParsedNumber number = parseDecimalNumber(line.substr(i));
    parsed.value = number.value;
    // The tag starts after the first "," beyond the value's own word. A blank
    // value field (a zero count shown without a point) has no word: the unit
    // comes next, and a tag may follow it directly.
    if (number.length > 0)
        while (i < line.size() && !isBlank(line[i])) ++i;
    while (i < line.size() && isBlank(line[i])) ++i;
    const std::size_t comma = line.find(',', i);
    if (comma != std::string_view::npos) {
        parsed.text = line.substr(0, comma);
        parsed.tag = line.substr(comma + 1);
    }
    return parsed;
}

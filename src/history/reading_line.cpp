#include "history/reading_line.h"

#include <algorithm>
#include <charconv>

namespace {

// printf's "%<width>d" (pad ' ') or "%0<width>d" (pad '0') for one number.
void appendNumber(std::string& out, int value, int width, char pad) {
    char text[16];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    const auto length = static_cast<int>(end - text);
    const bool negative = value < 0;
    if (pad == '0' && negative) out += '-';
    out.append(static_cast<std::size_t>(std::max(0, width - length)), pad);
    out.append(text + (pad == '0' && negative ? 1 : 0), end);
}

}  // namespace

std::string formatValueField(const CountDigits& digits, bool negative, int decimalPosition) {
    std::string field = " ";  // the sign place
    bool leading = true;
    for (int k = 1; k <= 5; ++k) {
        const char digit = static_cast<char>('0' + digits[static_cast<std::size_t>(5 - k)]);
        if (leading && digit == '0') {
            field += ' ';
        } else {
            if (leading && negative) field.back() = '-';
            leading = false;
            field += digit;
        }
        if (k == decimalPosition) {
            if (leading) {
                // A zero before the point is written, with the sign just left of it.
                field.pop_back();
                if (negative) field.back() = '-';
                field += '0';
            }
            field += '.';
            leading = false;
        }
    }
    return field;
}

std::string formatReadingLine(const LocalDateTime& when, const CountDigits& digits, bool negative,
                              int decimalPosition, std::string_view unit) {
    // Formatted by hand: this runs for every logged reading.
    const int hour12 = when.hour % 12 == 0 ? 12 : when.hour % 12;
    std::string line;
    line.reserve(32 + unit.size());
    appendNumber(line, when.month, 2, ' ');
    line += '/';
    appendNumber(line, when.day, 2, '0');
    line += '/';
    appendNumber(line, when.year, 1, ' ');
    line += ' ';
    appendNumber(line, hour12, 2, ' ');
    line += ':';
    appendNumber(line, when.minute, 2, '0');
    line += ':';
    appendNumber(line, when.second, 2, '0');
    line += when.hour < 12 ? "AM " : "PM ";
    line += formatValueField(digits, negative, decimalPosition);
    line += ' ';
    line += unit;
    return line;
}

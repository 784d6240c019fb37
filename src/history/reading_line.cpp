#include "history/reading_line.h"

#include <cstdio>

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
    const int hour12 = when.hour % 12 == 0 ? 12 : when.hour % 12;
    const char half = when.hour < 12 ? 'A' : 'P';
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%2d/%02d/%d %2d:%02d:%02d%cM", when.month, when.day,
                  when.year, hour12, when.minute, when.second, half);
    std::string line = stamp;
    line += ' ';
    line += formatValueField(digits, negative, decimalPosition);
    line += ' ';
    line += unit;
    return line;
}

#include "history/reading_line.h"

#include <algorithm>
#include <charconv>

#include "history/windows1252.h"

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

namespace {

// Reads the fixed pieces of a reading line from the front of a text.
class LineScanner {
  public:
    explicit LineScanner(std::string_view text) : text_(text) {}

    bool literal(std::string_view piece) {
        if (!text_.starts_with(piece)) return false;
        text_.remove_prefix(piece.size());
        return true;
    }
    // `width` characters: digits, of which only the leading ones may be blank ("%2d").
    bool paddedNumber(std::size_t width, bool blankLead, int& value) {
        if (text_.size() < width) return false;
        bool leading = blankLead;
        value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            const char c = text_[i];
            if (leading && c == ' ' && i + 1 < width) continue;
            if (c < '0' || c > '9') return false;
            leading = false;
            value = value * 10 + (c - '0');
        }
        text_.remove_prefix(width);
        return true;
    }
    // A run of digits; its value stops growing at nine digits instead of overflowing.
    bool digits(int& value) {
        std::size_t n = 0;
        value = 0;
        while (n < text_.size() && text_[n] >= '0' && text_[n] <= '9') {
            if (n < 9) value = value * 10 + (text_[n] - '0');
            ++n;
        }
        text_.remove_prefix(n);
        return n > 0;
    }
    // The value field: blanks, then a number of sign, digits and at most one
    // point (none for a blank field), then the blank before the unit.
    bool valueField(std::string_view& field) {
        std::size_t i = text_.find_first_not_of(' ');
        if (i == std::string_view::npos) return false;
        const std::size_t number = i;
        i = std::min(text_.find_first_not_of("-.0123456789", i), text_.size());
        const std::string_view value = text_.substr(number, i - number);
        if (value.find('.') != value.rfind('.') || value.find('-', 1) != std::string_view::npos)
            return false;
        // A blank field runs straight into the unit.
        const std::size_t unit = value.empty() ? i : text_.find_first_not_of(' ', i);
        if (unit == std::string_view::npos || (value.empty() ? unit == 0 : unit == i)) return false;
        field = text_.substr(0, value.empty() ? unit : i);
        text_.remove_prefix(unit);
        return true;
    }
    bool unit(std::string_view& unitText) const {
        unitText = text_;
        return !text_.empty() && text_.find(',') == std::string_view::npos &&
               !hasControlByte(text_);
    }

  private:
    std::string_view text_;
};

}  // namespace

std::optional<ReadingLineParts> parseReadingLine(std::string_view text) {
    LineScanner line(text);
    ReadingLineParts parts;
    int hour12 = 0;
    bool afternoon = false;
    const bool shaped = line.paddedNumber(2, true, parts.month) && line.literal("/") &&
                        line.paddedNumber(2, false, parts.day) && line.literal("/") &&
                        line.digits(parts.year) && line.literal(" ") &&
                        line.paddedNumber(2, true, hour12) && line.literal(":") &&
                        line.paddedNumber(2, false, parts.minute) && line.literal(":") &&
                        line.paddedNumber(2, false, parts.second) &&
                        (line.literal("AM ") || (afternoon = line.literal("PM "))) &&
                        line.valueField(parts.valueField) && line.unit(parts.unit);
    if (!shaped) return std::nullopt;
    parts.hour = hour12 % 12 + (afternoon ? 12 : 0);
    return parts;
}

bool isReadingLine(std::string_view text) {
    return parseReadingLine(text).has_value();
}

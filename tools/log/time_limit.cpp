#include "time_limit.h"

namespace {

// Reads fixed-width numbers and separators from the front of a text.
class TimeScanner {
  public:
    explicit TimeScanner(std::string_view text) : text_(text) {}

    bool done() const { return text_.empty(); }
    bool next(char c) const { return !text_.empty() && text_.front() == c; }
    bool take(char c) {
        if (!next(c)) return false;
        text_.remove_prefix(1);
        return true;
    }
    bool number(std::size_t width, int low, int high, int& value) {
        if (text_.size() < width) return false;
        value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            if (text_[i] < '0' || text_[i] > '9') return false;
            value = value * 10 + (text_[i] - '0');
        }
        text_.remove_prefix(width);
        return value >= low && value <= high;
    }

  private:
    std::string_view text_;
};

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// "HH:MM" or "HH:MM:SS".
bool timeOfDay(TimeScanner& scan, LocalDateTime& when) {
    if (!scan.number(2, 0, 23, when.hour) || !scan.take(':') || !scan.number(2, 0, 59, when.minute))
        return false;
    when.second = 0;
    return !scan.take(':') || scan.number(2, 0, 59, when.second);
}

}  // namespace

std::optional<TimeLimit> parseTimeLimit(std::string_view text) {
    TimeLimit limit;
    TimeScanner scan(text);
    if (text.size() > 5 && text[4] == '-') {
        LocalDateTime& d = limit.when;
        if (!scan.number(4, 1, 9999, d.year) || !scan.take('-') ||
            !scan.number(2, 1, 12, d.month) || !scan.take('-') ||
            !scan.number(2, 1, daysInMonth(d.year, d.month), d.day))
            return std::nullopt;
        if (!scan.take('T') && !scan.take(' ')) return std::nullopt;
        limit.hasDate = true;
    }
    if (!timeOfDay(scan, limit.when)) return std::nullopt;
    if (limit.hasDate && !scan.done()) {
        if (scan.take('Z')) {
            limit.utcOffset = 0;
        } else if (scan.next('+') || scan.next('-')) {
            const int sign = scan.take('-') ? -1 : (scan.take('+'), 1);
            int hours = 0;
            int minutes = 0;
            if (!scan.number(2, 0, 23, hours)) return std::nullopt;
            if (!scan.done() && !(scan.take(':'), scan.number(2, 0, 59, minutes)))
                return std::nullopt;
            limit.utcOffset = sign * (hours * 60 + minutes);
        }
    }
    if (!scan.done()) return std::nullopt;
    return limit;
}

UnixSeconds limitMoment(const TimeLimit& limit, const LocalDateTime& firstDay) {
    LocalDateTime when = limit.when;
    if (!limit.hasDate) {
        when.year = firstDay.year;
        when.month = firstDay.month;
        when.day = firstDay.day;
    }
    if (limit.utcOffset) {
        when.utcOffsetMinutes = *limit.utcOffset;
    } else {
        when = WallClockReader().withOffset(when);
    }
    return momentOf(when);
}

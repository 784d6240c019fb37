#include "time/clock.h"

#include <ctime>

namespace {

// Local time minus UTC, from the two calendar forms of one moment; they are
// at most a day apart.
int utcOffsetMinutes(const std::tm& local, const std::tm& utc) {
    int days = local.tm_yday - utc.tm_yday;
    if (local.tm_year != utc.tm_year) days = local.tm_year > utc.tm_year ? 1 : -1;
    return (days * 24 + local.tm_hour - utc.tm_hour) * 60 + local.tm_min - utc.tm_min;
}

}  // namespace

LocalDateTime SystemClock::now() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    std::tm utc{};
#ifdef _WIN32
    localtime_s(&tm, &t);
    gmtime_s(&utc, &t);
#else
    localtime_r(&t, &tm);
    gmtime_r(&t, &utc);
#endif
    LocalDateTime now{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                      tm.tm_hour,        tm.tm_min,     tm.tm_sec};
    now.utcOffsetMinutes = utcOffsetMinutes(tm, utc);
    return now;
}

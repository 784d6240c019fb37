#include "time/local_time.h"

#include <array>
#include <ctime>

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// Local time minus UTC, from the two calendar forms of one moment; they are
// at most a day apart.
int utcOffsetMinutes(const std::tm& local, const std::tm& utc) {
    int days = local.tm_yday - utc.tm_yday;
    if (local.tm_year != utc.tm_year) days = local.tm_year > utc.tm_year ? 1 : -1;
    return (days * 24 + local.tm_hour - utc.tm_hour) * 60 + local.tm_min - utc.tm_min;
}

bool sameWallTime(const LocalDateTime& a, const LocalDateTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

}  // namespace

std::optional<LocalDateTime> localTimeAt(UnixSeconds moment) {
    const auto t = static_cast<std::time_t>(moment);
    std::tm local{};
    std::tm utc{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0 || gmtime_s(&utc, &t) != 0) return std::nullopt;
#else
    if (localtime_r(&t, &local) == nullptr || gmtime_r(&t, &utc) == nullptr) return std::nullopt;
#endif
    LocalDateTime when{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                       local.tm_hour,        local.tm_min,     local.tm_sec};
    when.utcOffsetMinutes = utcOffsetMinutes(local, utc);
    return when;
}

UnixSeconds secondsAsUtc(const LocalDateTime& when) {
    return daysFromCivil(when.year, when.month, when.day) * 86400 + when.hour * 3600 +
           when.minute * 60 + when.second;
}

bool WallClockReader::steady(LocalDateTime& wall) {
    const auto same = [&wall](const SteadyDate& d) {
        return d.year == wall.year && d.month == wall.month && d.day == wall.day;
    };
    if (!steady_ || !same(*steady_)) {
        steady_.reset();
        const UnixSeconds midnight = secondsAsUtc({wall.year, wall.month, wall.day});
        std::optional<int> offset;
        for (const UnixSeconds probe : {midnight - 86400, midnight + 43200, midnight + 2 * 86400}) {
            const auto local = localTimeAt(probe);
            if (!local || (offset && *offset != local->utcOffsetMinutes)) return false;
            offset = local->utcOffsetMinutes;
        }
        steady_ = SteadyDate{wall.year, wall.month, wall.day, *offset};
    }
    wall.utcOffsetMinutes = steady_->utcOffsetMinutes;
    return true;
}

LocalDateTime WallClockReader::withOffset(LocalDateTime wall) {
    if (steady(wall)) {
        last_ = momentOf(wall);
        return wall;
    }
    // Every offset the zone uses around that day; a change moves it by at
    // most a few hours, so a day either side finds both sides of it.
    const UnixSeconds asUtc = secondsAsUtc(wall);
    std::array<int, 3> offsets{};
    std::size_t known = 0;
    for (const UnixSeconds probe : {asUtc - 86400, asUtc, asUtc + 86400}) {
        const auto local = localTimeAt(probe);
        if (!local) continue;
        bool seen = false;
        for (std::size_t i = 0; i < known; ++i)
            seen = seen || offsets[i] == local->utcOffsetMinutes;
        if (!seen) offsets[known++] = local->utcOffsetMinutes;
    }
    if (known == 0) return wall;  // the system knows no zone for it: the offset stays 0

    // The offsets under which that wall time exists, earliest moment first.
    std::optional<UnixSeconds> first;
    std::optional<UnixSeconds> second;
    for (std::size_t i = 0; i < known; ++i) {
        const UnixSeconds moment = asUtc - std::int64_t{offsets[i]} * 60;
        const auto local = localTimeAt(moment);
        if (!local || !sameWallTime(*local, wall)) continue;
        if (!first || moment < *first) {
            second = first;
            first = moment;
        } else if (!second || moment < *second) {
            second = moment;
        }
    }
    UnixSeconds moment = 0;
    if (!first) {
        // Skipped by the change: the clock before it, which the day before shows.
        wall.utcOffsetMinutes = offsets[0];
        last_ = momentOf(wall);
        return wall;
    }
    moment = *first;
    // Earlier than the line before it: the clock has stepped back, so the second pass.
    if (second && last_ && moment < *last_) moment = *second;
    wall.utcOffsetMinutes = static_cast<int>((asUtc - moment) / 60);
    last_ = moment;
    return wall;
}

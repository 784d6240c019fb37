#pragma once

#include <cstdint>

// A local calendar date and time of day (hour 0-23).
struct LocalDateTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int utcOffsetMinutes = 0;  // local time minus UTC at that moment
    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// Source of the local time; injectable so that tests are deterministic.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

// The machine's local time, for one thread. The program asks for it many
// times a second (the tick, the face's date line, each reading); the local
// time is worked out once per second of the system's clock.
class SystemClock final : public Clock {
  public:
    LocalDateTime now() const override;

  private:
    mutable std::int64_t second_ = -1;  // since 1970 UTC, of local_
    mutable LocalDateTime local_;
};

// A clock that reads whatever time a test sets.
class FixedClock final : public Clock {
  public:
    explicit FixedClock(LocalDateTime t = {}) : time_(t) {}
    LocalDateTime now() const override { return time_; }
    void set(LocalDateTime t) { time_ = t; }

  private:
    LocalDateTime time_;
};

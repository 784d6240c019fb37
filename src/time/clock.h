#pragma once

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

// The machine's local time.
class SystemClock final : public Clock {
  public:
    LocalDateTime now() const override;
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

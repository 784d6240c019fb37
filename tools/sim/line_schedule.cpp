#include "line_schedule.h"

#include <cmath>

LineSchedule::LineSchedule(double framesPerSecond, std::int64_t speed)
    : framesPerSecond_(framesPerSecond), speed_(speed < 1 ? 1 : speed) {}

LineSchedule::Duration LineSchedule::bytesDuration(std::uint64_t bytes, std::int64_t speed) {
    constexpr std::int64_t kNanosPerSecond = 1'000'000'000;
    const auto bits = static_cast<std::int64_t>(bytes) * kBitsPerByte;
    return Duration{bits * kNanosPerSecond / (kBaud * speed)};
}

void LineSchedule::startFrame() {
    if (framesPerSecond_ <= 0) return;
    const auto slot = static_cast<double>(frames_++) / framesPerSecond_;
    const Duration slotStart{std::llround(slot * 1e9)};
    if (slotStart >= lineFreeAt()) {
        burstStart_ = slotStart;
        burstBytes_ = 0;
    }
}

LineSchedule::Duration LineSchedule::nextByte() {
    return burstStart_ + bytesDuration(burstBytes_++, speed_);
}

LineSchedule::Duration LineSchedule::lineFreeAt() const {
    return burstStart_ + bytesDuration(burstBytes_, speed_);
}

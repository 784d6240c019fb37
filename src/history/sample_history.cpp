#include "history/sample_history.h"

#include <algorithm>
#include <cstdio>

std::uint16_t packTimeOfDay(int hour, int minute, int second) {
    int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    return static_cast<std::uint16_t>(hour12 * 4096 + minute * 64 + second);
}

std::string formatTimeOfDay(const Sample& sample) {
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", sample.hour(), sample.minute(),
                  sample.second());
    return text;
}

SampleHistory::SampleHistory(std::uint32_t capacity)
    : capacity_(std::clamp<std::uint32_t>(capacity, 1, kSlots)) {}

void SampleHistory::append(float value, std::uint16_t timeOfDay, bool tagged) {
    Sample& s = slots_[position_ % kSlots];
    s.value = value;
    s.timeOfDay = timeOfDay;
    s.setTagged(tagged);
    ++position_;
    count_ = std::min(count_ + 1, capacity_);
}

const Sample& SampleHistory::atAge(std::uint32_t age) const {
    auto pos = static_cast<std::int64_t>(position_) - static_cast<std::int64_t>(age);
    if (pos < 0) pos += capacity_;
    return slots_[static_cast<std::uint32_t>(pos) % kSlots];
}

void SampleHistory::reset() {
    position_ = 0;
    count_ = 0;
    slots_.fill(Sample{});
}

#include "reading_source.h"

#include <utility>

#include "demo_readings.h"

ReadingSource::ReadingSource(std::vector<MeterReading> frames, unsigned repeat, bool demo)
    : frames_(std::move(frames)), repeat_(repeat), demo_(demo) {}

ReadingSource ReadingSource::script(std::vector<MeterReading> frames, unsigned repeat) {
    return ReadingSource(std::move(frames), repeat, false);
}

ReadingSource ReadingSource::demo() {
    return ReadingSource({}, 0, true);
}

std::optional<MeterReading> ReadingSource::next() {
    if (demo_) return demoReading(index_++);
    if (frames_.empty()) return std::nullopt;
    const std::uint64_t play = index_ / frames_.size();
    if (repeat_ != 0 && play >= repeat_) return std::nullopt;
    return frames_[index_++ % frames_.size()];
}

#pragma once

#include <array>
#include <cstdint>
#include <string>

// One history entry: the logged value, its 12-hour time of day and its tag flag.
struct Sample {
    static constexpr std::uint16_t kTagged = 0x0001;

    float value = 0.0f;
    std::uint16_t timeOfDay = 0;  // hour12 << 12 | minute << 6 | second
    std::uint16_t flags = 0;

    bool tagged() const { return (flags & kTagged) != 0; }
    void setTagged(bool on) { flags = on ? kTagged : std::uint16_t{0}; }
    int hour() const { return timeOfDay >> 12; }
    int minute() const { return (timeOfDay >> 6) & 0x3F; }
    int second() const { return timeOfDay & 0x3F; }
};
static_assert(sizeof(Sample) == 8);

// Packs a local time (hour 0-23) into a Sample's timeOfDay; 0 and 12 both give hour 12.
std::uint16_t packTimeOfDay(int hour, int minute, int second);

// "h:mm:ss" of a sample's 12-hour time of day, hour without padding.
std::string formatTimeOfDay(const Sample& sample);

// The fixed ring of logged samples. `capacity` slots of the 32768 are in use;
// samples are addressed by age, 1 = newest.
class SampleHistory {
  public:
    static constexpr std::uint32_t kSlots = 32768;

    explicit SampleHistory(std::uint32_t capacity = kSlots);

    std::uint32_t capacity() const { return capacity_; }
    std::uint32_t position() const { return position_; }
    std::uint32_t count() const { return count_; }

    // Writes slot `position`, then advances; the caller handles a full ring.
    void append(float value, std::uint16_t timeOfDay, bool tagged);
    bool isFull() const { return position_ >= capacity_; }
    // Sets the write position back to 0: the ring wraps (only the log loader does this).
    void wrap() { position_ = 0; }
    // The sample of age a, 1 <= a <= count.
    const Sample& atAge(std::uint32_t age) const;
    Sample& slot(std::uint32_t index) { return slots_[index]; }
    const Sample& slot(std::uint32_t index) const { return slots_[index]; }
    void reset();

  private:
    std::array<Sample, kSlots> slots_{};
    std::uint32_t capacity_;
    std::uint32_t position_ = 0;
    std::uint32_t count_ = 0;
};

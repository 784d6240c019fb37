#pragma once

#include <chrono>
#include <cstdint>

// When each byte goes on the meter's line: 2400 baud, 10 bits per byte (start, 8 data,
// stop), so one byte every 1/240 s. Frames start in slots of 1/rate seconds; a frame that
// would overlap the bytes before it waits until the line is free, so above what the line
// carries frames follow back to back. All times are offsets from the start of the stream,
// computed from counts rather than summed, so they never drift.
class LineSchedule {
  public:
    using Duration = std::chrono::nanoseconds;

    static constexpr std::int64_t kBaud = 2400;
    static constexpr std::int64_t kBitsPerByte = 10;

    // framesPerSecond <= 0: no frame slots; every byte follows the one before it.
    // speed > 1 runs the line that many times faster than the meter's, to flood
    // a program with more than any meter sends.
    explicit LineSchedule(double framesPerSecond, std::int64_t speed = 1);

    // Opens the slot of the next frame.
    void startFrame();
    // Offset at which the next byte starts; reserves the line for it.
    Duration nextByte();
    // Offset at which the last reserved byte has left the line.
    Duration lineFreeAt() const;

    // Time the meter's line needs for this many bytes.
    static Duration bytesDuration(std::uint64_t bytes, std::int64_t speed = 1);

  private:
    double framesPerSecond_;
    std::int64_t speed_;
    std::uint64_t frames_ = 0;
    Duration burstStart_{0};        // where the current run of back-to-back bytes began
    std::uint64_t burstBytes_ = 0;  // bytes reserved since then
};

#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "garbage_maker.h"
#include "line_schedule.h"
#include "reading_source.h"

// Where the paced bytes go. Production: the pseudo-terminal; tests: a recorder.
class LineSink {
  public:
    virtual ~LineSink() = default;
    // Waits until this offset from the start of the stream; false when told to stop.
    virtual bool waitUntil(LineSchedule::Duration offset) = 0;
    // Puts one byte on the line; false when it was lost (nobody took it).
    virtual bool send(std::uint8_t byte) = 0;
};

struct StreamStats {
    std::uint64_t framesIntact = 0;  // frames whose 14 bytes all went out
    std::uint64_t bytesSent = 0;     // junk included
    std::uint64_t bytesLost = 0;
    bool stopped = false;  // ended by a stop request rather than by running out
};

// "frames_intact=N bytes_sent=N bytes_lost=N", one line.
std::string formatStats(const StreamStats& stats);

// Sends every reading of the source as a frame in its slot, junk from the garbage maker
// (if any) just before it, until the source runs out or the sink says stop.
StreamStats streamFrames(ReadingSource& source, LineSchedule& schedule, GarbageMaker* garbage,
                         LineSink& sink);

// Sends bytes as they are, at the line's pace (a schedule without frame slots sends
// them back to back).
StreamStats streamBytes(std::span<const std::uint8_t> bytes, LineSchedule& schedule,
                        LineSink& sink);

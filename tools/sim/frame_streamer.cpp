#include "frame_streamer.h"

#include "link/frame_codec.h"

namespace {

// Sends bytes at their scheduled times; true when all of them were taken.
bool sendPaced(std::span<const std::uint8_t> bytes, LineSchedule& schedule, LineSink& sink,
               StreamStats& stats) {
    bool intact = true;
    for (const std::uint8_t b : bytes) {
        if (!sink.waitUntil(schedule.nextByte())) {
            stats.stopped = true;
            return false;
        }
        if (sink.send(b)) {
            ++stats.bytesSent;
        } else {
            ++stats.bytesLost;
            intact = false;
        }
    }
    return intact;
}

}  // namespace

std::string formatStats(const StreamStats& stats) {
    return "frames_intact=" + std::to_string(stats.framesIntact) +
           " bytes_sent=" + std::to_string(stats.bytesSent) +
           " bytes_lost=" + std::to_string(stats.bytesLost);
}

StreamStats streamFrames(ReadingSource& source, LineSchedule& schedule, GarbageMaker* garbage,
                         LineSink& sink) {
    StreamStats stats;
    while (const auto reading = source.next()) {
        const auto frame = packFrame(*reading);
        schedule.startFrame();
        if (garbage != nullptr) {
            sendPaced(garbage->before(frame), schedule, sink, stats);
            if (stats.stopped) break;
        }
        if (sendPaced(frame, schedule, sink, stats)) ++stats.framesIntact;
        if (stats.stopped) break;
    }
    return stats;
}

StreamStats streamBytes(std::span<const std::uint8_t> bytes, LineSchedule& schedule,
                        LineSink& sink) {
    StreamStats stats;
    sendPaced(bytes, schedule, sink, stats);
    return stats;
}

#include "frame_streamer.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "link/frame_codec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Records what goes on the line; can lose chosen bytes and stop at a chosen wait.
class RecordingSink : public LineSink {
  public:
    std::set<std::size_t> lose;  // indexes of bytes (in send order) to lose
    std::size_t stopAtWait = SIZE_MAX;

    Bytes taken;
    std::vector<LineSchedule::Duration> times;

    bool waitUntil(LineSchedule::Duration offset) override {
        if (waits_++ == stopAtWait) return false;
        times.push_back(offset);
        return true;
    }
    bool send(std::uint8_t byte) override {
        if (lose.count(sends_++) != 0) return false;
        taken.push_back(byte);
        return true;
    }

  private:
    std::size_t waits_ = 0;
    std::size_t sends_ = 0;
};

MeterReading reading(std::uint8_t function, std::uint16_t count) {
    MeterReading r;
    r.setFunction(function);
    r.setCount(count);
    return r;
}

Bytes packed(const std::vector<MeterReading>& readings) {
    Bytes all;
    for (const MeterReading& r : readings) {
        const auto f = packFrame(r);
        all.insert(all.end(), f.begin(), f.end());
    }
    return all;
}

// Cuts a byte stream the way the program's receiver does (at each byte with position
// nibble 14) and returns the readings of the candidates that decode.
std::vector<MeterReading> receive(const Bytes& stream) {
    std::vector<MeterReading> out;
    Bytes candidate;
    for (const std::uint8_t b : stream) {
        candidate.push_back(b);
        if ((b >> 4) == 0xE) {
            if (const auto r = unpackFrame(candidate)) out.push_back(*r);
            candidate.clear();
        }
    }
    return out;
}

TEST(ReadingSource, PlaysTheScriptTheRequestedNumberOfTimes) {
    const std::vector<MeterReading> frames = {reading(1, 1), reading(2, 2), reading(3, 3)};
    struct Case {
        unsigned repeat;
        std::size_t taken;  // how many to take at most
        std::size_t expected;
    };
    const Case cases[] = {{1, 100, 3}, {2, 100, 6}, {5, 100, 15}, {0, 1000, 1000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.repeat);
        ReadingSource source = ReadingSource::script(frames, c.repeat);
        std::vector<MeterReading> got;
        while (got.size() < c.taken) {
            const auto r = source.next();
            if (!r) break;
            got.push_back(*r);
        }
        ASSERT_EQ(got.size(), c.expected);
        for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], frames[i % 3]);
    }
    EXPECT_FALSE(ReadingSource::script({}, 0).next());
}

TEST(FrameStreamer, SendsExactlyThePackedFramesInTheirSlots) {
    const std::vector<MeterReading> frames = {reading(1, 4660), reading(5, 40000), reading(4, 235)};
    ReadingSource source = ReadingSource::script(frames, 1);
    LineSchedule schedule(2);
    RecordingSink sink;
    const StreamStats stats = streamFrames(source, schedule, nullptr, sink);

    EXPECT_EQ(sink.taken, packed(frames));
    EXPECT_EQ(stats.framesIntact, 3u);
    EXPECT_EQ(stats.bytesSent, 42u);
    EXPECT_EQ(stats.bytesLost, 0u);
    EXPECT_FALSE(stats.stopped);
    ASSERT_EQ(sink.times.size(), 42u);
    EXPECT_EQ(sink.times[14], std::chrono::milliseconds(500));
    EXPECT_EQ(sink.times[28], std::chrono::seconds(1));
    EXPECT_EQ(schedule.lineFreeAt(), std::chrono::seconds(1) + LineSchedule::bytesDuration(14));
}

TEST(FrameStreamer, CountsOnlyFramesThatWentOutWhole) {
    struct Case {
        const char* name;
        std::set<std::size_t> lose;
        std::size_t stopAtWait;
        std::uint64_t intact, sent, lost;
        bool stopped;
    };
    const Case cases[] = {
        {"all out", {}, SIZE_MAX, 3, 42, 0, false},
        {"first byte of the second frame lost", {14}, SIZE_MAX, 2, 41, 1, false},
        {"last bytes of two frames lost", {13, 41}, SIZE_MAX, 1, 40, 2, false},
        {"stopped inside the third frame", {}, 30, 2, 30, 0, true},
        {"stopped before the first byte", {}, 0, 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadingSource source = ReadingSource::script({reading(1, 1)}, 3);
        LineSchedule schedule(2);
        RecordingSink sink;
        sink.lose = c.lose;
        sink.stopAtWait = c.stopAtWait;
        const StreamStats stats = streamFrames(source, schedule, nullptr, sink);
        EXPECT_EQ(stats.framesIntact, c.intact);
        EXPECT_EQ(stats.bytesSent, c.sent);
        EXPECT_EQ(stats.bytesLost, c.lost);
        EXPECT_EQ(stats.stopped, c.stopped);
    }
}

TEST(FrameStreamer, JunkNeverCostsTheFrameAfterIt) {
    struct Case {
        double probability;
        std::uint64_t seed;
    };
    const Case cases[] = {{1.0, 1}, {1.0, 99}, {0.5, 7}, {0.1, 12345}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seed);
        std::vector<MeterReading> frames;
        for (std::uint16_t i = 0; i < 200; ++i) {
            frames.push_back(reading(static_cast<std::uint8_t>(i % 10), i));
        }
        ReadingSource source = ReadingSource::script(frames, 1);
        LineSchedule schedule(0);
        GarbageMaker garbage(c.probability, c.seed);
        RecordingSink sink;
        const StreamStats stats = streamFrames(source, schedule, &garbage, sink);

        EXPECT_EQ(stats.framesIntact, frames.size());
        EXPECT_EQ(receive(sink.taken), frames);
        // Junk was really sent, about as often as asked.
        const auto junk = sink.taken.size() - frames.size() * kFrameSize;
        EXPECT_EQ(stats.bytesSent, sink.taken.size());
        EXPECT_GT(junk, static_cast<std::size_t>(c.probability * 200));
    }
}

TEST(GarbageMaker, JunkIsShortAndEndsWithTheOnlyFrameEnd) {
    GarbageMaker garbage(1.0, 42);
    const auto frame = packFrame(reading(3, 1234));
    std::set<std::size_t> lengths;
    for (int i = 0; i < 2000; ++i) {
        const Bytes junk = garbage.before(frame);
        ASSERT_FALSE(junk.empty());
        ASSERT_LT(junk.size(), kFrameSize);
        EXPECT_EQ(junk.back() >> 4, 0xE);
        for (std::size_t k = 0; k + 1 < junk.size(); ++k) EXPECT_NE(junk[k] >> 4, 0xE);
        lengths.insert(junk.size());
    }
    // Both short bits of noise and nearly whole cut frames occur.
    EXPECT_EQ(*lengths.begin(), 1u);
    EXPECT_EQ(*lengths.rbegin(), kFrameSize - 1);
}

TEST(GarbageMaker, SameSeedSameJunkAndZeroChanceNone) {
    const auto frame = packFrame(reading(1, 1));
    GarbageMaker a(0.5, 3), b(0.5, 3), none(0.0, 3);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(a.before(frame), b.before(frame));
        EXPECT_TRUE(none.before(frame).empty());
    }
}

TEST(FrameStreamer, SendsRawBytesBackToBack) {
    const Bytes raw = {0x00, 0xFF, 0x10, 0xE0, 0x42};
    LineSchedule schedule(0);
    RecordingSink sink;
    const StreamStats stats = streamBytes(raw, schedule, sink);
    EXPECT_EQ(sink.taken, raw);
    EXPECT_EQ(stats.bytesSent, raw.size());
    EXPECT_EQ(stats.framesIntact, 0u);
    ASSERT_EQ(sink.times.size(), raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        EXPECT_EQ(sink.times[i], LineSchedule::bytesDuration(i));
    }
}

TEST(FrameStreamer, FormatsStatsOnOneLine) {
    StreamStats stats;
    stats.framesIntact = 12;
    stats.bytesSent = 200;
    stats.bytesLost = 3;
    EXPECT_EQ(formatStats(stats), "frames_intact=12 bytes_sent=200 bytes_lost=3");
}

}  // namespace

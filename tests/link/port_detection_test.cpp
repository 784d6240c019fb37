#include "link/port_detection.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/fake_serial_device.h"
#include "support/fake_thread_starter.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

TEST(ProbeJudge, RatesTheFirstFrameStart) {
    struct Case {
        const char* name;
        Bytes bytes;
        ProbeVerdict verdict;
    };
    using enum ProbeVerdict;
    const Case cases[] = {
        {"frame start", {0x10, 0x20, 0x31, 0x42, 0x53}, meter},
        {"after a partial frame", {0x7A, 0x80, 0xE0, 0x10, 0x20, 0x39, 0x4C}, meter},
        {"wrong third byte", {0x10, 0x20, 0x50, 0x42}, notMeter},
        {"only the first pair counts", {0x10, 0x20, 0x50, 0x42, 0x10, 0x20, 0x31, 0x42}, notMeter},
        {"zero ends the text before the pair", {0x55, 0x00, 0x10, 0x20, 0x31, 0x42}, notMeter},
        {"zero inside the signature", {0x10, 0x20, 0x00, 0x42}, notMeter},
        {"pair at the end: wait for more", {0x61, 0x10, 0x20}, undecided},
        {"one byte after the pair", {0x10, 0x20, 0x31}, undecided},
        {"no pair yet", {0xA1, 0xB0, 0x10}, undecided},
        {"nothing", {}, undecided},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(judgeProbeBytes(c.bytes), c.verdict);
    }
}

TEST(ProbePort, ListensUntilTheVerdictIsSettled) {
    struct Case {
        const char* name;
        std::deque<Bytes> arrivals;  // one chunk per poll
        bool found;                  // and the line left open for the link
    };
    const Case cases[] = {
        {"opened mid-frame, start in the next poll",
         {{0x53, 0x64, 0x70, 0x83, 0x90, 0xA1, 0xB0, 0xC0, 0xD0, 0xE0, 0x10, 0x20}, {0x31, 0x42}},
         true},
        {"a few bytes, late", {{}, {}, {}, {}, {}, {}, {}, {0x10, 0x20, 0x31, 0x42}}, true},
        {"too late: after nine polls",
         {{}, {}, {}, {}, {}, {}, {}, {}, {}, {0x10, 0x20, 0x31, 0x42}},
         false},
        {"fewer than ten bytes judged as they are", {{0x10, 0x20, 0x31}}, false},
        {"garbage", {Bytes(40, 0x99), Bytes(40, 0x99)}, false},
        {"wrong signature is final", {{0x10, 0x20, 0x50}, {0x42, 0x10, 0x20, 0x31, 0x42}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSerialDevice device;
        device.arrivals = c.arrivals;
        ProbeEvent stop;
        EXPECT_EQ(probePort(device, 4, stop, 1ms),
                  c.found ? ProbeOutcome::meter : ProbeOutcome::notMeter);
        EXPECT_EQ(device.isOpen(), c.found);
        ASSERT_FALSE(device.lines.empty());
        EXPECT_EQ(device.lines[0].baud, 2400u);
    }
}

TEST(ProbePort, StopsWhenSignalledOrWhenThePortFails) {
    FakeSerialDevice device;
    device.arrivals = {{0x10, 0x20, 0x31, 0x42}};
    ProbeEvent stop;
    stop.signal();
    EXPECT_EQ(probePort(device, 1, stop, 1ms), ProbeOutcome::notMeter);
    EXPECT_EQ(device.queries, 0);
    EXPECT_FALSE(device.isOpen());

    FakeSerialDevice unopenable;
    unopenable.failAllOpens = true;
    ProbeEvent idle;
    EXPECT_EQ(probePort(unopenable, 1, idle, 1ms), ProbeOutcome::notMeter);
    FakeSerialDevice held;
    held.busyPorts = {1};
    EXPECT_EQ(probePort(held, 1, idle, 1ms), ProbeOutcome::busy);
    FakeSerialDevice unconfigurable;
    unconfigurable.configureFails = true;
    EXPECT_EQ(probePort(unconfigurable, 1, idle, 1ms), ProbeOutcome::notMeter);
    EXPECT_FALSE(unconfigurable.isOpen());
}

struct DetectionFixture : ::testing::Test {
    FakeSerialPorts ports;
    ListedPorts listed;
    DeferredThreadStarter threads;
    PortDetection detection{ports, listed, threads, 1ms};
    void meterOn(std::uint32_t port) { ports.arrivalsByPort[port] = {{0x10, 0x20, 0x31, 0x42}}; }
    // The port found by a concluded detection (0 for none); nothing when none concluded.
    std::optional<std::uint32_t> conclude() {
        auto result = detection.finishDetection();
        if (!result) return std::nullopt;
        return result->port;
    }
};

TEST_F(DetectionFixture, LowestRecognisedPortWinsWithItsLineOpen) {
    ports.ports = {2, 5, 11, 200};
    meterOn(5);
    meterOn(11);
    meterOn(200);
    meterOn(250);  // not listed, never probed
    ports.busyPorts = {2, 5};
    detection.startDetection();
    EXPECT_EQ(threads.pendingCount(), 4u);
    EXPECT_FALSE(conclude());
    EXPECT_TRUE(detection.running());
    threads.runPending();
    std::optional<DetectionResult> result = detection.finishDetection();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->port, 11u);
    ASSERT_TRUE(result->line);
    EXPECT_TRUE(result->line->isOpen());
    EXPECT_TRUE(result->busyPorts.contains(2) && result->busyPorts.contains(5));
    EXPECT_FALSE(result->busyPorts.contains(11) || result->busyPorts.contains(200));
    EXPECT_FALSE(detection.running());
    EXPECT_FALSE(conclude());  // concluded once

    // Only the ports asked for are probed again, and the system is not asked.
    ports.ports = {2, 5, 11, 200, 201};
    ports.busyPorts = {};
    detection.startDetection(result->busyPorts);
    EXPECT_EQ(threads.pendingCount(), 2u);
    threads.runPending();
    EXPECT_EQ(conclude(), 5u);
    EXPECT_FALSE(listed.contains(201));
}

TEST_F(DetectionFixture, ConcludesWithNothingWhenNoPortOrNoThread) {
    detection.startDetection();  // nothing listed
    EXPECT_EQ(conclude(), 0u);
    EXPECT_FALSE(detection.running());

    ports.ports = {3};
    meterOn(3);
    threads.failStarts = true;  // a probe that never started has ended
    detection.startDetection();
    EXPECT_TRUE(detection.running());
    EXPECT_EQ(conclude(), 0u);
    EXPECT_FALSE(detection.running());
}

TEST_F(DetectionFixture, LateProbesOfAnOldDetectionCannotTouchTheNewOne) {
    ports.ports = {4};
    meterOn(4);
    detection.startDetection();
    EXPECT_EQ(detection.generation(), 1u);
    ports.ports = {6};
    meterOn(6);
    detection.startDetection();  // retires the first while its probe is pending
    EXPECT_EQ(detection.generation(), 2u);
    ASSERT_EQ(threads.pendingCount(), 3u);  // old: 4; new: 4 and 6 (the set only grows)
    threads.runPending(1);                  // the old probe ends late
    EXPECT_FALSE(conclude());
    EXPECT_TRUE(detection.running());
    threads.runPending();
    EXPECT_EQ(conclude(), 4u);
}

TEST_F(DetectionFixture, AbandonedDetectionIsNeverConcluded) {
    ports.ports = {4};
    meterOn(4);
    detection.startDetection();
    detection.abandon();
    EXPECT_FALSE(detection.running());
    threads.runPending();
    EXPECT_FALSE(conclude());
}

TEST(PortDetectionShutdown, EndsProbesThatAreStillListening) {
    FakeSerialPorts ports;
    ports.ports = {1, 2, 3};
    ListedPorts listed;
    DeferredThreadStarter threads;
    {
        PortDetection detection(ports, listed, threads, 1h);
        detection.startDetection();
        // The destructor joins the pending probes; with an hour between polls
        // they finish only because they are told to stop.
    }
    EXPECT_EQ(threads.ranCount(), 3u);
}

}  // namespace

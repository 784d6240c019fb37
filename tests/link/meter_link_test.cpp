#include "link/meter_link.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <vector>

#include "link/frame_codec.h"
#include "settings/settings.h"
#include "support/fake_serial_device.h"
#include "support/fake_thread_starter.h"

namespace {

using namespace std::chrono_literals;

struct CountingOwner : LinkOwner {
    int writes = 0;
    int shows = 0;
    std::vector<std::uint32_t> held;
    void writeSettings() override { ++writes; }
    void showDetectedPort() override { ++shows; }
    void reportPortHeld(std::uint32_t port) override { held.push_back(port); }
};

struct Attempt {
    int tick;
    std::uint32_t port;
    bool succeeded;
    friend bool operator==(const Attempt&, const Attempt&) = default;
};

void PrintTo(const Attempt& a, std::ostream* os) {
    *os << "{tick " << a.tick << ", COM" << a.port << (a.succeeded ? " ok}" : " failed}");
}

// The main link with a fake device, fake ports and probes run when the test says.
struct Harness {
    FakeSerialDevice device;
    MeterPort port{device, nullptr};
    Settings settings;
    FakeSerialPorts ports;
    ListedPorts listed;
    DeferredThreadStarter threads;
    PortDetection detection{ports, listed, threads, 1ms};
    CountingOwner owner;
    MeterLink link{port, settings, detection, owner};
    int tickNumber = 0;  // ticks run so far
    std::vector<Attempt> attempts;

    void tick() {
        ++tickNumber;
        const std::size_t before = device.opens.size();
        link.tick();
        record(before);
    }
    // Runs an action outside the tick (a command, a power event) as "tick 0" of
    // what follows, so attempts it makes are recorded at the current tick.
    void act(const std::function<void(Harness&)>& action) {
        const std::size_t before = device.opens.size();
        action(*this);
        record(before);
    }
    void record(std::size_t from) {
        for (std::size_t i = from; i < device.opens.size(); ++i) {
            attempts.push_back(
                {tickNumber, device.opens[i].port, static_cast<bool>(device.opens[i].result)});
        }
    }
};

TEST(MeterLinkTiming, OpenAttemptsFollowTheSchedule) {
    struct Case {
        const char* name;
        std::function<void(Harness&)> setup;
        std::map<int, std::function<void(Harness&)>> at;  // before the tick with this number
        int ticks;
        std::vector<Attempt> expected;
    };
    const auto lose = [](Harness& h) { h.device.failed = true; };
    const Case cases[] = {
        {"start-up with a saved port opens on the 10th tick",
         [](Harness& h) {
             h.settings.port = 3;
             h.link.start();
         },
         {},
         30,
         {{10, 3, true}}},
        {"a failing saved port is retried 40 ticks after each attempt",
         [](Harness& h) {
             h.settings.port = 3;
             h.device.failAllOpens = true;
             h.link.start();
         },
         {},
         140,
         {{10, 3, false}, {50, 3, false}, {90, 3, false}, {130, 3, false}}},
        {"closed and unscheduled: the 20th tick counting the first",
         [](Harness& h) { h.settings.port = 6; },
         {},
         25,
         {{20, 6, true}}},
        {"a lost device: retries on the port, periodic re-open on openedPort",
         [](Harness& h) {
             h.settings.port = 5;
             h.link.onPortSelected(5);
         },
         {{1, lose}, {2, [](Harness& h) { h.device.failAllOpens = true; }}},
         205,
         {{0, 5, true},
          {21, 5, false},
          {61, 5, false},
          {101, 5, false},
          {102, 5, false},
          {141, 5, false},
          {181, 5, false},
          {203, 5, false}}},
        {"switching to a failing port: periodic re-open brings back the old one",
         [](Harness& h) {
             h.device.failingPorts = {7};
             h.link.onPortSelected(5);
             h.link.onPortSelected(7);
         },
         {},
         150,
         {{0, 5, true},
          {0, 7, false},
          {20, 7, false},
          {60, 7, false},
          {100, 7, false},
          {101, 5, true}}},
        {"suspend holds everything until resume, then 60 ticks",
         [](Harness& h) { h.link.onPortSelected(4); },
         {{5, [](Harness& h) { h.link.onPowerEvent(4); }},
          {250, [](Harness& h) { h.link.onPowerEvent(7); }}},
         320,
         {{0, 4, true}, {309, 4, true}}},
        {"a failed suspend query also schedules the 60",
         [](Harness& h) { h.link.onPortSelected(4); },
         {{3, [](Harness& h) { h.link.onPowerEvent(0); }},
          {10, [](Harness& h) { h.link.onPowerEvent(2); }}},
         80,
         {{0, 4, true}, {69, 4, true}}},
        {"port 0 does nothing", [](Harness&) {}, {}, 300, {}},
        {"codes that mean nothing are ignored",
         [](Harness& h) {
             h.link.onPortSelected(4);
             h.link.onPowerEvent(6);
             h.link.onPowerEvent(9);
             h.link.onPowerEvent(0x8013);
         },
         {},
         300,
         {{0, 4, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.act(c.setup);
        for (int t = 1; t <= c.ticks; ++t) {
            if (auto it = c.at.find(t); it != c.at.end()) h.act(it->second);
            h.tick();
        }
        EXPECT_EQ(h.attempts, c.expected);
    }
}

TEST(MeterLinkTiming, PortZeroLeavesTheCountersAlone) {
    Harness h;
    h.link.openCountdown = 7;
    h.link.closedTicks = 55;
    h.port.linkActivity = 3;
    for (int i = 0; i < 200; ++i) h.tick();
    EXPECT_EQ(h.link.openCountdown, 7);
    EXPECT_EQ(h.link.closedTicks, 55);
    EXPECT_EQ(h.port.linkActivity, 3);
    EXPECT_TRUE(h.attempts.empty());
}

TEST(MeterLinkTiming, SuspendClosesAndSetsTheFlagEvenWithoutAPort) {
    Harness h;
    h.link.onPowerEvent(4);
    EXPECT_TRUE(h.port.suspended);
    h.link.onPortSelected(2);
    h.link.onPowerEvent(5);
    EXPECT_FALSE(h.port.isOpen());
    EXPECT_TRUE(h.port.suspended);
    for (int i = 0; i < 150; ++i) h.tick();
    EXPECT_EQ(h.link.closedTicks, 150 - 101);  // counted, but no re-open while suspended
    EXPECT_EQ(h.device.opens.size(), 1u);
}

TEST(MeterLinkTiming, CountdownExpiringWhileOpenResetsTheReadingOnly) {
    Harness h;
    h.settings.port = 2;
    h.link.onPortSelected(2);
    h.device.feed([] {
        MeterReading r;
        r.setFunction(3);
        const auto f = packFrame(r);
        return std::vector<std::uint8_t>(f.begin(), f.end());
    }());
    h.tick();
    ASSERT_EQ(h.port.reading.function(), 3);
    ASSERT_GT(h.port.linkActivity, 0);
    h.port.suspended = true;
    h.link.onPowerEvent(8);  // resume while open: a countdown runs
    for (int i = 0; i < 60; ++i) h.tick();
    EXPECT_TRUE(h.port.isOpen());
    EXPECT_FALSE(h.port.suspended);
    EXPECT_EQ(h.port.reading.function(), 10);
    EXPECT_EQ(h.port.linkActivity, 0);
    EXPECT_EQ(h.device.closes, 0);
    EXPECT_EQ(h.device.opens.size(), 1u);
}

TEST(MeterLinkTiming, BaudZeroInTheSettingsKeepsTheRateOfTheLastOpen) {
    Harness h;
    h.settings.baud = 4800;
    h.link.onPortSelected(2);
    h.settings.baud = 0;
    h.link.onPortSelected(3);
    EXPECT_EQ(h.port.baudRate, 4800u);
    EXPECT_EQ(h.device.lines.back().baud, 4800u);
}

TEST(MeterLinkDetection, ConcludedDetectionTakesTheProbesLineOver) {
    Harness h;
    const auto f = packFrame(MeterReading{});
    h.ports.ports = {4, 9};
    h.ports.arrivalsByPort[9] = {std::vector<std::uint8_t>(f.begin(), f.end())};
    h.settings.baud = 9600;
    h.link.start();
    EXPECT_TRUE(h.detection.running());
    h.tick();  // probes still pending: nothing concluded
    EXPECT_EQ(h.settings.port, 0u);
    h.threads.runPending();
    h.tick();
    EXPECT_EQ(h.settings.port, 9u);
    EXPECT_EQ(h.owner.shows, 1);
    EXPECT_EQ(h.owner.writes, 1);
    EXPECT_FALSE(h.detection.running());
    // The probe's line, never closed in between, at the link's own rate.
    EXPECT_TRUE(h.port.isOpen());
    EXPECT_EQ(h.port.openedPort, 9);
    EXPECT_EQ(h.port.baudRate, 9600u);
    EXPECT_EQ(h.ports.opens[9], 1);
    for (int i = 0; i < 30; ++i) h.tick();
    EXPECT_TRUE(h.attempts.empty());
}

// Ports that other programs hold: the link looks elsewhere unless the user
// chose the port, and tries only the held ones again, slowly, until one frees.
TEST(MeterLinkHeldPorts, AHeldPortIsNeverTheEndOfTheRoad) {
    struct Case {
        const char* name;
        std::uint32_t port;  // Settings::port at start; 0 = detection
        bool chosen;         // picked in the list rather than saved
        std::set<std::uint32_t> meters, held;
        int freedAt;  // the held ports are let go before this tick; 0 = never
        std::uint32_t endsOn;
        std::vector<std::uint32_t> reported;
        std::map<std::uint32_t, int> probeOpens;  // per port, at most
    };
    const Case cases[] = {
        {"a saved port held: the meter on another port is taken",
         3,
         false,
         {3, 5},
         {3},
         0,
         5,
         {},
         {{1, 1}, {3, 1}, {5, 1}}},
        {"a saved port held and freed: taken when free",
         3,
         false,
         {3},
         {3},
         100,
         3,
         {},
         {{1, 1}, {3, 3}}},
        {"detection with every meter held: only held ports again, slowly",
         0,
         false,
         {3},
         {3},
         100,
         3,
         {},
         {{1, 1}, {3, 3}}},
        {"a chosen port held: kept, retried and said once",
         3,
         true,
         {3, 5},
         {3},
         0,
         0,
         {3},
         {{1, 0}, {3, 0}, {5, 0}}},
        {"a chosen port held and freed: opened on its schedule",
         3,
         true,
         {3},
         {3},
         100,
         3,
         {3},
         {{3, 0}}},
    };
    const auto f = packFrame(MeterReading{});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.ports.ports = {1, 3, 5};
        for (std::uint32_t m : c.meters)
            h.ports.arrivalsByPort[m] = {std::vector<std::uint8_t>(f.begin(), f.end())};
        h.ports.busyPorts = c.held;
        h.device.busyPorts = c.held;
        h.settings.port = c.port;
        if (c.chosen)
            h.link.onPortSelected(c.port);
        else
            h.link.start();
        for (int t = 1; t <= 300; ++t) {
            if (t == c.freedAt) h.ports.busyPorts = h.device.busyPorts = {};
            h.threads.runPending();
            h.tick();
        }
        EXPECT_EQ(h.port.isOpen() ? h.port.openedPort : 0u, c.endsOn);
        if (c.endsOn != 0) {
            EXPECT_EQ(h.settings.port, c.endsOn);
        }
        EXPECT_EQ(h.owner.held, c.reported);
        for (const auto& [port, most] : c.probeOpens) EXPECT_LE(h.ports.opens[port], most) << port;
        if (c.chosen) {
            EXPECT_GE(h.attempts.size(), 3u);
        }
    }
}

TEST(MeterLinkDetection, NothingFoundLeavesTheLinkIdle) {
    Harness h;
    h.ports.ports = {1, 2};
    h.link.start();
    h.threads.runPending();
    for (int i = 0; i < 50; ++i) h.tick();
    EXPECT_FALSE(h.detection.running());
    EXPECT_EQ(h.settings.port, 0u);
    EXPECT_EQ(h.owner.writes, 0);
    EXPECT_TRUE(h.attempts.empty());
}

TEST(MeterLinkDetection, APortPickedDuringDetectionWins) {
    Harness h;
    const auto f = packFrame(MeterReading{});
    h.ports.ports = {2};
    h.ports.arrivalsByPort[2] = {std::vector<std::uint8_t>(f.begin(), f.end())};
    h.link.start();
    h.link.onPortSelected(6);
    h.threads.runPending();  // the abandoned probes end late
    for (int i = 0; i < 30; ++i) h.tick();
    EXPECT_EQ(h.settings.port, 6u);
    EXPECT_EQ(h.owner.shows, 0);
    EXPECT_TRUE(h.port.isOpen());
    EXPECT_EQ(h.port.openedPort, 6);
}

TEST(MeterLinkDetection, ChoosingTheEmptyEntryFindsAndOpensTheMeter) {
    Harness h;
    const auto f = packFrame(MeterReading{});
    h.ports.ports = {3};
    h.ports.arrivalsByPort[3] = {std::vector<std::uint8_t>(f.begin(), f.end())};
    h.link.onPortSelected(1);
    h.link.onPortSelected(0);
    EXPECT_FALSE(h.port.isOpen());
    EXPECT_EQ(h.owner.writes, 2);
    h.threads.runPending();
    for (int i = 0; i < 8; ++i) h.tick();
    EXPECT_EQ(h.settings.port, 3u);
    EXPECT_TRUE(h.port.isOpen());
    EXPECT_EQ(h.port.openedPort, 3);
}

TEST(MeterLinkDetection, DeviceChangeSearchesOnlyWhileClosed) {
    Harness h;
    const auto f = packFrame(MeterReading{});
    h.ports.ports = {8};
    h.ports.arrivalsByPort[8] = {std::vector<std::uint8_t>(f.begin(), f.end())};
    h.link.onPortSelected(2);
    h.link.onDeviceChange();
    EXPECT_FALSE(h.detection.running());
    h.port.close();
    h.link.onDeviceChange();
    EXPECT_TRUE(h.detection.running());
    h.threads.runPending();
    for (int i = 0; i < 8; ++i) h.tick();
    EXPECT_EQ(h.settings.port, 8u);
    EXPECT_EQ(h.port.openedPort, 8);
}

}  // namespace

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "link/meter_link.h"
#include "link/port_detection.h"
#include "posix/posix_serial_device.h"
#include "posix/posix_serial_ports.h"
#include "posix/posix_thread_starter.h"
#include "posix_pty_meter.h"
#include "settings/settings.h"

namespace {

using namespace std::chrono_literals;

struct NullOwner : LinkOwner {
    int shows = 0;
    void writeSettings() override {}
    void showDetectedPort() override { ++shows; }
    void reportPortHeld(std::uint32_t) override {}
};

// Detection over pseudo-terminals linked as COM ports, with real probe threads.
struct PtyDetection : ::testing::Test {
    TempPortFolder folder;
    PortMap map{folder.path(), folder.devRoot(), folder.path()};
    PosixSerialPorts ports{map};
    PosixThreadStarter threads;
    ListedPorts listed;
    PortDetection detection{ports, listed, threads};
    std::vector<std::unique_ptr<PtyPair>> ptys;

    PtyPair& linkPty(std::uint32_t port) {
        ptys.push_back(std::make_unique<PtyPair>());
        folder.link(port, ptys.back()->slavePath());
        return *ptys.back();
    }
    // Ticks as the window does until the detection concludes.
    std::optional<std::uint32_t> detect() {
        detection.startDetection();
        for (int tick = 0; tick < 100; ++tick) {
            std::this_thread::sleep_for(50ms);
            if (auto result = detection.finishDetection()) {
                if (result->port == 0) return std::nullopt;
                return result->port;
            }
            if (!detection.running()) return std::nullopt;
        }
        ADD_FAILURE() << "detection never concluded";
        return std::nullopt;
    }
};

TEST_F(PtyDetection, TwoMetersTheLowerPortWins) {
    SimulatedMeter high(linkPty(7), SimulatedMeter::Kind::meter, 10);
    SimulatedMeter low(linkPty(3), SimulatedMeter::Kind::meter, 10);
    linkPty(5);  // a silent port
    EXPECT_EQ(detect(), 3u);
}

TEST_F(PtyDetection, GarbageIsNotAMeter) {
    SimulatedMeter noise(linkPty(2), SimulatedMeter::Kind::garbage, 20);
    EXPECT_EQ(detect(), std::nullopt);
    SimulatedMeter meter(linkPty(9), SimulatedMeter::Kind::meter, 10);
    EXPECT_EQ(detect(), 9u);
}

TEST_F(PtyDetection, FoundAtAnyPhaseOfTheStream) {
    PtyPair& pty = linkPty(4);
    std::mt19937 rng(20240607);
    std::uniform_real_distribution<double> rate(2.0, 10.0);
    std::uniform_int_distribution<std::size_t> offset(0, 13);
    std::uniform_int_distribution<int> delayMs(0, 400);
    int found = 0;
    for (int run = 0; run < 20; ++run) {
        SimulatedMeter meter(pty, SimulatedMeter::Kind::meter, rate(rng), offset(rng));
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(rng)));
        if (detect() == 4u) ++found;
    }
    EXPECT_EQ(found, 20);
}

TEST_F(PtyDetection, APortPickedDuringDetectionWins) {
    SimulatedMeter first(linkPty(3), SimulatedMeter::Kind::meter, 10);
    SimulatedMeter chosen(linkPty(7), SimulatedMeter::Kind::meter, 10);
    PosixSerialDevice device(map);
    MeterPort port(device, nullptr);
    Settings settings;
    NullOwner owner;
    MeterLink link(port, settings, detection, owner);
    link.start();
    ASSERT_TRUE(detection.running());
    link.onPortSelected(7);
    for (int tick = 0; tick < 30; ++tick) {
        std::this_thread::sleep_for(50ms);
        link.tick();
    }
    EXPECT_EQ(settings.port, 7u);
    EXPECT_EQ(owner.shows, 0);
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.openedPort, 7);
    EXPECT_NE(port.reading.function(), 10);  // frames arrive from the chosen meter
}

TEST(PosixThreadStarter, StackIsSmallButEnoughToRunAProbe) {
    PosixThreadStarter starter;
    EXPECT_GE(starter.stackSize(), PosixThreadStarter::kDefaultMinStack);
    TempPortFolder folder;
    PtyPair pty;
    folder.link(1, pty.slavePath());
    PortMap map(folder.path(), folder.devRoot(), folder.path());
    bool found = false;
    SimulatedMeter meter(pty, SimulatedMeter::Kind::meter, 10);
    auto thread = starter.start([&] {
        PosixSerialDevice device(map);
        ProbeEvent stop;
        found = probePort(device, 1, stop) == ProbeOutcome::meter;
    });
    ASSERT_NE(thread, nullptr);
    thread->join();
    EXPECT_TRUE(found);
}

}  // namespace

#include "log_session.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/fake_serial_device.h"
#include "support/fake_thread_starter.h"

namespace {

// The logger has no window start-up to wait for: a port given by number is
// opened before the first tick, and one that fails is tried again on the
// link's schedule.
TEST(LogSession, OpensTheGivenPortBeforeItsFirstTick) {
    struct Case {
        bool opens;
        int ticks;  // the run ends before this tick
        std::vector<FakeSerialDevice::OpenCall> opensSeen;
    };
    const Case cases[] = {
        {true, 0, {{7, OpenResult::opened()}}},
        {false, MeterLink::kRetryTicks + 1, {{7, OpenResult::failed()}, {7, OpenResult::failed()}}},
    };
    for (const Case& c : cases) {
        FakeSerialDevice device;
        device.failAllOpens = !c.opens;
        FakeSerialPorts ports;
        ListedPorts listed;
        DeferredThreadStarter threads;
        PortDetection detection(ports, listed, threads);
        LogOptions options;
        options.port = 7;
        const FixedClock clock;
        std::ostringstream notes;
        int asked = 0;
        LogSession session(options, clock, stdout, notes, [&] { return asked++ >= c.ticks; });
        EXPECT_EQ(session.runPort(device, detection), 0);
        ASSERT_EQ(device.opens.size(), c.opensSeen.size()) << c.ticks;
        for (std::size_t i = 0; i < c.opensSeen.size(); ++i) {
            EXPECT_EQ(device.opens[i].port, c.opensSeen[i].port);
            EXPECT_EQ(device.opens[i].result, c.opensSeen[i].result);
        }
    }
}

}  // namespace

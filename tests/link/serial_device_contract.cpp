#include "link/serial_device_contract.h"

#include <array>
#include <chrono>
#include <span>
#include <thread>

#include "link/meter_port.h"

using namespace std::chrono_literals;

// Five seconds at most: a busy machine may be slow to pass the bytes on.
std::size_t SerialDeviceContract::waitForQueued(std::size_t atLeast) {
    SerialIo q;
    for (int i = 0; i < 1000; ++i) {
        q = device().queued();
        if (q.failed || q.bytes >= atLeast) break;
        std::this_thread::sleep_for(5ms);
    }
    return q.bytes;
}

namespace {

TEST_P(SerialDeviceContract, UnmappedPortDoesNotOpen) {
    EXPECT_EQ(device().open(line->missingPort()), OpenResult::failed());
    EXPECT_FALSE(device().isOpen());
    EXPECT_TRUE(device().queued().failed);
    std::uint8_t one = 0;
    EXPECT_TRUE(device().read(std::span(&one, 1)).failed);
}

TEST_P(SerialDeviceContract, ReadsWhatArrivesInOrderWithoutWaiting) {
    ASSERT_TRUE(device().open(line->port()));
    ASSERT_TRUE(device().configure(LineSettings{}));
    const SerialIo none = device().queued();
    EXPECT_FALSE(none.failed);
    EXPECT_EQ(none.bytes, 0u);
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(device().read(buffer).bytes, 0u);  // returns at once with nothing

    const std::vector<std::uint8_t> sent = {0x10, 0x20, 0x00, 0x0D, 0x0A,
                                            0x11, 0x13, 0xFF, 0x03, 0x7F};
    line->send(sent);
    ASSERT_EQ(waitForQueued(sent.size()), sent.size());
    std::vector<std::uint8_t> got(
        buffer.begin(),
        buffer.begin() + static_cast<long>(device().read(std::span(buffer).first(4)).bytes));
    const SerialIo rest = device().read(buffer);
    got.insert(got.end(), buffer.begin(), buffer.begin() + static_cast<long>(rest.bytes));
    EXPECT_EQ(got, sent);  // raw: no byte translated or taken as flow control
    EXPECT_EQ(device().queued().bytes, 0u);
}

TEST_P(SerialDeviceContract, PurgeDiscardsWhatIsQueued) {
    ASSERT_TRUE(device().open(line->port()));
    ASSERT_TRUE(device().configure(LineSettings{}));
    line->send(std::vector<std::uint8_t>(20, 0x55));
    ASSERT_EQ(waitForQueued(20), 20u);
    device().purge();
    EXPECT_EQ(device().queued().bytes, 0u);
}

TEST_P(SerialDeviceContract, CloseIsFinalAndHarmlessTwice) {
    ASSERT_TRUE(device().open(line->port()));
    device().close();
    device().close();
    EXPECT_FALSE(device().isOpen());
    EXPECT_TRUE(device().queued().failed);
    ASSERT_TRUE(device().open(line->port()));  // and it opens again
    EXPECT_TRUE(device().isOpen());
}

TEST_P(SerialDeviceContract, FarEndGoingAwayClosesTheLink) {
    MeterPort port(device(), nullptr);
    ASSERT_TRUE(port.open(line->port(), 2400));
    port.receive();
    EXPECT_TRUE(port.isOpen());
    line->hangUp();
    // The hang-up may take a moment to reach the device; each receive returns
    // at once, and the port is closed rather than polled forever.
    for (int i = 0; i < 1000 && port.isOpen(); ++i) {
        port.receive();
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.linkActivity, 0);
}

}  // namespace

std::string serialLineName(const ::testing::TestParamInfo<SerialLineFactory>& info) {
    return info.param.name;
}

#include "posix/posix_serial_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "link/meter_port.h"
#include "posix_pty_meter.h"
#include "support/fake_serial_device.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kPort = 7;

// One implementation of SerialDevice with a way to act as the far end.
struct Line {
    virtual ~Line() = default;
    virtual SerialDevice& device() = 0;
    virtual void send(const Bytes& bytes) = 0;
    virtual void hangUp() = 0;
};

struct FakeLine : Line {
    FakeSerialDevice fake;
    FakeLine() { fake.failingPorts = {kPort + 1}; }
    SerialDevice& device() override { return fake; }
    void send(const Bytes& bytes) override { fake.feed(bytes); }
    void hangUp() override { fake.failed = true; }
};

struct PtyLine : Line {
    PtyPair pty;
    TempPortFolder folder;
    PortMap map{folder.path(), folder.devRoot(), folder.path()};
    PosixSerialDevice real{map};
    PtyLine() { folder.link(kPort, pty.slavePath()); }
    SerialDevice& device() override { return real; }
    void send(const Bytes& bytes) override { pty.write(bytes); }
    void hangUp() override { pty.closeMaster(); }
};

struct LineFactory {
    const char* name;
    std::function<std::unique_ptr<Line>()> make;
};

void PrintTo(const LineFactory& factory, std::ostream* os) {
    *os << factory.name;
}

class SerialDeviceContract : public ::testing::TestWithParam<LineFactory> {
  protected:
    void SetUp() override { line = GetParam().make(); }
    SerialDevice& device() { return line->device(); }
    // Bytes written to a pty reach the slave a moment later.
    std::size_t waitForQueued(std::size_t atLeast) {
        SerialIo q;
        for (int i = 0; i < 200; ++i) {
            q = device().queued();
            if (q.failed || q.bytes >= atLeast) break;
            std::this_thread::sleep_for(5ms);
        }
        return q.bytes;
    }
    std::unique_ptr<Line> line;
};

TEST_P(SerialDeviceContract, UnmappedPortDoesNotOpen) {
    EXPECT_EQ(device().open(kPort + 1), OpenResult::failed());
    EXPECT_FALSE(device().isOpen());
}

TEST_P(SerialDeviceContract, ReadsWhatArrivesInOrderWithoutWaiting) {
    ASSERT_TRUE(device().open(kPort));
    ASSERT_TRUE(device().configure(LineSettings{}));
    const SerialIo none = device().queued();
    EXPECT_FALSE(none.failed);
    EXPECT_EQ(none.bytes, 0u);
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(device().read(buffer).bytes, 0u);  // returns at once with nothing

    const Bytes sent = {0x10, 0x20, 0x00, 0x0D, 0x0A, 0x11, 0x13, 0xFF, 0x03, 0x7F};
    line->send(sent);
    ASSERT_EQ(waitForQueued(sent.size()), sent.size());
    Bytes got(buffer.begin(),
              buffer.begin() + static_cast<long>(device().read(std::span(buffer).first(4)).bytes));
    const SerialIo rest = device().read(buffer);
    got.insert(got.end(), buffer.begin(), buffer.begin() + static_cast<long>(rest.bytes));
    EXPECT_EQ(got, sent);  // raw: no byte translated or taken as flow control
    EXPECT_EQ(device().queued().bytes, 0u);
}

TEST_P(SerialDeviceContract, PurgeDiscardsWhatIsQueued) {
    ASSERT_TRUE(device().open(kPort));
    ASSERT_TRUE(device().configure(LineSettings{}));
    line->send(Bytes(20, 0x55));
    ASSERT_EQ(waitForQueued(20), 20u);
    device().purge();
    EXPECT_EQ(device().queued().bytes, 0u);
}

TEST_P(SerialDeviceContract, CloseIsFinalAndHarmlessTwice) {
    ASSERT_TRUE(device().open(kPort));
    device().close();
    device().close();
    EXPECT_FALSE(device().isOpen());
    EXPECT_TRUE(device().queued().failed);
    ASSERT_TRUE(device().open(kPort));  // and it opens again
    EXPECT_TRUE(device().isOpen());
}

TEST_P(SerialDeviceContract, FarEndGoingAwayClosesTheLink) {
    MeterPort port(device(), nullptr);
    ASSERT_TRUE(port.open(kPort, 2400));
    port.receive();
    EXPECT_TRUE(port.isOpen());
    line->hangUp();
    // The hang-up may take a moment to reach the slave; each receive returns at
    // once, and the port is closed rather than polled forever.
    for (int i = 0; i < 100 && port.isOpen(); ++i) {
        port.receive();
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.linkActivity, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, SerialDeviceContract,
    ::testing::Values(LineFactory{"fake", [] { return std::make_unique<FakeLine>(); }},
                      LineFactory{"pty", [] { return std::make_unique<PtyLine>(); }}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(PosixSerialDevice, UnsupportedRatesFailTheConfiguration) {
    PtyPair pty;
    TempPortFolder folder;
    folder.link(3, pty.slavePath());
    PortMap map(folder.path(), folder.devRoot(), folder.path());
    PosixSerialDevice device(map);
    ASSERT_TRUE(device.open(3));
    for (std::uint32_t baud : {0u, 1234u}) EXPECT_FALSE(device.configure(LineSettings{baud}));
    EXPECT_TRUE(device.configure(LineSettings{9600}));
    // A failed configuration through the link closes the port again.
    device.close();
    MeterPort port(device, nullptr);
    EXPECT_FALSE(port.open(3, 1234));
    EXPECT_FALSE(port.isOpen());
}

// A line one program holds is not opened by another (a second window, or a
// detection probe), and the failed attempt takes none of its bytes.
TEST(PosixSerialDevice, ALineHasOneHolder) {
    PtyPair pty;
    TempPortFolder folder;
    folder.link(3, pty.slavePath());
    PortMap map(folder.path(), folder.devRoot(), folder.path());
    PosixSerialDevice holder(map);
    PosixSerialDevice other(map);
    ASSERT_TRUE(holder.open(3));
    pty.write(std::vector<std::uint8_t>{1, 2, 3});
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(other.open(3).isBusy());
    EXPECT_TRUE(MeterPort(other, nullptr).open(3, 2400).isBusy());
    EXPECT_EQ(holder.queued().bytes, 3u);
    holder.close();
    EXPECT_TRUE(other.open(3));
    EXPECT_TRUE(holder.open(3).isBusy());
}

TEST(PosixSerialDevice, LinkBringsTheMeterBackAfterItReturns) {
    TempPortFolder folder;
    PortMap map(folder.path(), folder.devRoot(), folder.path());
    PosixSerialDevice device(map);
    MeterPort port(device, nullptr);
    auto pty = std::make_unique<PtyPair>();
    folder.link(2, pty->slavePath());
    ASSERT_TRUE(port.open(2, 2400));
    pty.reset();  // the simulator quits
    for (int i = 0; i < 100 && port.isOpen(); ++i) {
        port.receive();
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_FALSE(port.isOpen());
    std::filesystem::remove(folder.path() / "COM2");
    PtyPair again;  // and starts once more, on a new pty
    folder.link(2, again.slavePath());
    EXPECT_TRUE(port.open(2, 2400));
}

}  // namespace

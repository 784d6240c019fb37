#include "posix/posix_serial_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "link/meter_port.h"
#include "link/serial_device_contract.h"
#include "posix_pty_meter.h"
#include "support/fake_serial_device.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kPort = 7;

struct FakeLine : SerialLine {
    FakeSerialDevice fake;
    FakeLine() { fake.failingPorts = {kPort + 1}; }
    SerialDevice& device() override { return fake; }
    std::uint32_t port() const override { return kPort; }
    std::uint32_t missingPort() const override { return kPort + 1; }
    void send(const Bytes& bytes) override { fake.feed(bytes); }
    void hangUp() override { fake.failed = true; }
};

struct PtyLine : SerialLine {
    PtyPair pty;
    TempPortFolder folder;
    PortMap map{folder.path(), folder.devRoot(), folder.path()};
    PosixSerialDevice real{map};
    PtyLine() { folder.link(kPort, pty.slavePath()); }
    SerialDevice& device() override { return real; }
    std::uint32_t port() const override { return kPort; }
    std::uint32_t missingPort() const override { return kPort + 1; }
    void send(const Bytes& bytes) override { pty.write(bytes); }
    void hangUp() override { pty.closeMaster(); }
};

INSTANTIATE_TEST_SUITE_P(
    Devices, SerialDeviceContract,
    ::testing::Values(
        SerialLineFactory{
            "fake", []() -> std::unique_ptr<SerialLine> { return std::make_unique<FakeLine>(); }},
        SerialLineFactory{
            "pty", []() -> std::unique_ptr<SerialLine> { return std::make_unique<PtyLine>(); }}),
    serialLineName);

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

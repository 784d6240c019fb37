// The Win32 serial device on a real Wine COM port fed by the meter simulator;
// run through run_sim_test, which starts the simulator and names the port.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/meter_port.h"
#include "link/serial_device_contract.h"
#include "win32/win32_serial_device.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kFiller = 0x55;  // sent before the bytes under test
constexpr auto kSimulatorLife = 30s;    // far more than any script here lasts

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::uint32_t simPort() {
    const std::string port = environment("ZINTAVO_SIM_PORT");
    return port.empty() ? 0 : static_cast<std::uint32_t>(std::stoul(port));
}

// The line behind a port of the prefix whose far end, run_pty_feed_test's
// feeder, writes the files dropped into its folder and hangs up on request.
struct WinePtyLine final : SerialLine {
    Win32SerialDevice real;
    std::string folder = environment("ZINTAVO_PTY_FEED");
    int files = 0;
    SerialDevice& device() override { return real; }
    std::uint32_t port() const override {
        const std::string port = environment("ZINTAVO_FEED_PORT");
        return port.empty() ? 0 : static_cast<std::uint32_t>(std::stoul(port));
    }
    std::uint32_t missingPort() const override { return 201; }
    // Written beside, then renamed: the feeder sees each file whole.
    void drop(const std::string& name, const Bytes& bytes) const {
        const std::string part = folder + "/" + name + ".part";
        {
            std::ofstream out(part, std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
        }
        ASSERT_TRUE(MoveFileA(part.c_str(), (folder + "/" + name).c_str())) << name;
    }
    void send(const Bytes& bytes) override {
        char name[16];
        std::snprintf(name, sizeof name, "%06d.bytes", ++files);
        drop(name, bytes);
    }
    void hangUp() override { drop("hang-up", {}); }
};

SerialLineFactory wineLine{"wine", []() -> std::unique_ptr<SerialLine> {
                               auto line = std::make_unique<WinePtyLine>();
                               EXPECT_FALSE(line->folder.empty() || line->port() == 0)
                                   << "run through run_pty_feed_test";
                               return line;
                           }};

INSTANTIATE_TEST_SUITE_P(Wine, SerialDeviceContract, ::testing::Values(wineLine), serialLineName);

TEST(SimRawBytes, ArriveUntranslatedAndTheHangUpIsReported) {
    const std::uint32_t port = simPort();
    ASSERT_NE(port, 0u) << "run through run_sim_test";
    std::ifstream file(environment("ZINTAVO_SIM_RAW"), std::ios::binary);
    ASSERT_TRUE(file) << "ZINTAVO_SIM_RAW must name the raw file the simulator sends";
    const Bytes sent{std::istreambuf_iterator<char>(file), {}};
    const auto testBytes = static_cast<std::size_t>(
        sent.end() - std::find_if(sent.begin(), sent.end(), [](auto b) { return b != kFiller; }));
    ASSERT_GT(testBytes, 0u);

    Win32SerialDevice device;
    ASSERT_TRUE(device.open(port));
    ASSERT_TRUE(device.configure(LineSettings{}));
    Bytes got;
    bool gone = false;
    std::array<std::uint8_t, 254> buffer{};
    for (auto until = std::chrono::steady_clock::now() + kSimulatorLife;
         !gone && std::chrono::steady_clock::now() < until;) {
        const SerialIo queued = device.queued();
        gone = queued.failed;
        if (gone) break;
        if (queued.bytes == 0) {
            std::this_thread::sleep_for(10ms);
            continue;
        }
        const SerialIo read =
            device.read(std::span(buffer).first(std::min(queued.bytes, buffer.size())));
        gone = read.failed;
        got.insert(got.end(), buffer.begin(), buffer.begin() + static_cast<long>(read.bytes));
    }
    EXPECT_TRUE(gone) << "the simulator's end must show as a failed device";
    // Whatever came before the open is lost; what came after is the file's
    // tail byte for byte, the bytes under test complete.
    ASSERT_GE(got.size(), testBytes);
    ASSERT_LE(got.size(), sent.size());
    EXPECT_TRUE(std::equal(got.begin(), got.end(), sent.end() - static_cast<long>(got.size())));

    device.close();
    device.close();
    EXPECT_FALSE(device.isOpen());
    EXPECT_TRUE(device.queued().failed);
}

struct Collector final : ReadingListener {
    std::vector<std::uint16_t> counts;
    void onMeterReading(MeterReading& reading) override { counts.push_back(reading.count()); }
};

TEST(SimFrames, MeterPortDecodesEveryFrameAndClosesWhenTheSimulatorEnds) {
    const std::uint32_t port = simPort();
    ASSERT_NE(port, 0u) << "run through run_sim_test";
    constexpr std::uint16_t kLastCount = 60;  // the script counts 1 to 60

    Win32SerialDevice device;
    Collector collector;
    MeterPort link(device, &collector);
    ASSERT_TRUE(link.open(port, 2400));
    // Held: another window or probe finds the port busy, not missing.
    Win32SerialDevice rival;
    EXPECT_TRUE(rival.open(port).isBusy());

    // The line as the driver now reports it, through a handle of our own.
    const std::string name = "\\\\.\\COM" + std::to_string(port);
    HANDLE other =
        CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(other, &dcb));
    CloseHandle(other);
    EXPECT_EQ(dcb.BaudRate, 2400u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
    EXPECT_EQ(dcb.fOutX, 0u);
    EXPECT_EQ(dcb.fInX, 0u);

    for (auto until = std::chrono::steady_clock::now() + kSimulatorLife;
         link.isOpen() && std::chrono::steady_clock::now() < until;) {
        link.receive();
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_FALSE(link.isOpen()) << "the link must close when the simulator ends";
    EXPECT_EQ(link.linkActivity, 0);
    ASSERT_GE(collector.counts.size(), 10u);
    // Consecutive counts up to the last: no frame lost, doubled or garbled.
    for (std::size_t i = 1; i < collector.counts.size(); ++i)
        EXPECT_EQ(collector.counts[i], collector.counts[i - 1] + 1) << "reading " << i;
    EXPECT_EQ(collector.counts.back(), kLastCount);
}

}  // namespace

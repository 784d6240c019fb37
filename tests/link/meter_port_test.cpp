#include "link/meter_port.h"

#include <gtest/gtest.h>

#include <vector>

#include "link/frame_codec.h"
#include "support/fake_serial_device.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes frameFor(std::uint16_t count) {
    MeterReading r;
    r.setCount(count);
    r.setFunction(1);
    const auto f = packFrame(r);
    return Bytes(f.begin(), f.end());
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Keeps what the handler saw at the moment of each notification.
struct RecordingListener : ReadingListener {
    MeterPort* port = nullptr;
    std::vector<std::uint16_t> counts;
    std::vector<std::int32_t> activity;
    void onMeterReading(MeterReading& reading) override {
        counts.push_back(reading.count());
        activity.push_back(port->linkActivity);
    }
};

class MeterPortTest : public ::testing::Test {
  protected:
    MeterPortTest() { listener.port = &port; }
    FakeSerialDevice device;
    RecordingListener listener;
    MeterPort port{device, &listener};
};

TEST_F(MeterPortTest, StartsClosedWithNoReadingFunction) {
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.reading.function(), 10);
    EXPECT_EQ(port.reading.valueWord(), 0u);
    EXPECT_EQ(port.baudRate, 0u);
    EXPECT_EQ(port.openedPort, 0);
}

TEST_F(MeterPortTest, OpenConfiguresEightNoneOneAndRemembersThePort) {
    port.reading.setCount(77);
    port.linkActivity = 5;
    ASSERT_TRUE(port.open(259, 9600));
    EXPECT_EQ(port.openedPort, 3);  // low 8 bits
    EXPECT_EQ(port.baudRate, 9600u);
    EXPECT_EQ(device.purges, 1);
    ASSERT_EQ(device.lines.size(), 1u);
    EXPECT_EQ(device.lines[0].baud, 9600u);
    EXPECT_EQ(device.lines[0].dataBits, 8);
    EXPECT_EQ(device.lines[0].parity, LineSettings::Parity::none);
    EXPECT_EQ(device.lines[0].stopBits, LineSettings::StopBits::one);
    EXPECT_EQ(port.reading.function(), 10);
    EXPECT_EQ(port.reading.count(), 77);  // only the function is reset
    EXPECT_EQ(port.linkActivity, 0);
}

TEST_F(MeterPortTest, OpenFailures) {
    struct Case {
        const char* name;
        bool openFails, configureFails;
    };
    for (const Case& c : {Case{"device", true, false}, Case{"line", false, true}}) {
        SCOPED_TRACE(c.name);
        FakeSerialDevice d;
        d.failAllOpens = c.openFails;
        d.configureFails = c.configureFails;
        MeterPort p(d, nullptr);
        EXPECT_FALSE(p.open(4, 2400));
        EXPECT_FALSE(p.isOpen());
        EXPECT_EQ(p.openedPort, 0);
    }
}

TEST_F(MeterPortTest, BaudZeroKeepsTheLastRate) {
    ASSERT_TRUE(port.open(1, 4800));
    port.close();
    ASSERT_TRUE(port.open(2, 0));
    EXPECT_EQ(port.baudRate, 4800u);
    EXPECT_EQ(device.lines.back().baud, 4800u);
}

TEST_F(MeterPortTest, ReceiveCutsTheStreamIntoFrames) {
    Bytes stray = {0x31, 0x42, 0x53};  // a frame's middle, no 0xE byte
    Bytes noEnd(250, 0x55);
    struct Case {
        const char* name;
        std::vector<Bytes> ticks;  // bytes arriving before each tick
        std::vector<std::uint16_t> counts;
    };
    const Bytes a = frameFor(1111), b = frameFor(2222);
    const Case cases[] = {
        {"one frame", {a}, {1111}},
        {"split over two ticks",
         {Bytes(a.begin(), a.begin() + 6), Bytes(a.begin() + 6, a.end())},
         {1111}},
        {"two frames in one tick", {join({a, a})}, {1111, 1111}},
        {"stray bytes lose the next frame", {join({stray, a, b})}, {2222}},
        {"250 bytes without end are one dropped candidate", {join({noEnd, a})}, {1111}},
        {"249 bytes then a frame's end joins them", {join({Bytes(249, 0x55), a, b})}, {2222}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSerialDevice d;
        RecordingListener l;
        MeterPort p(d, &l);
        l.port = &p;
        ASSERT_TRUE(p.open(1, 2400));
        for (const Bytes& tick : c.ticks) {
            d.feed(tick);
            p.receive();
        }
        EXPECT_EQ(l.counts, c.counts);
        EXPECT_EQ(p.rxCount, 0u);
    }
}

TEST_F(MeterPortTest, ReadsAtMost254BytesAndDrainsInOneTick) {
    ASSERT_TRUE(port.open(1, 2400));
    Bytes stream;
    for (int i = 0; i < 20; ++i) stream = join({stream, frameFor(static_cast<std::uint16_t>(i))});
    device.feed(stream);  // 280 bytes
    port.receive();
    EXPECT_EQ(device.readSizes, (std::vector<std::size_t>{254, 26}));
    EXPECT_EQ(listener.counts.size(), 20u);
    EXPECT_TRUE(device.input.empty());
}

TEST_F(MeterPortTest, LinkActivitySeenByTheHandlerIsFromBeforeTheRead) {
    ASSERT_TRUE(port.open(1, 2400));
    device.feed(frameFor(1));
    port.receive();
    EXPECT_EQ(port.linkActivity, 24);  // set to 25, then this tick's decrement
    device.feed(frameFor(2));
    port.receive();
    for (int i = 0; i < 24; ++i) port.receive();  // quiet ticks run it down
    EXPECT_EQ(port.linkActivity, 0);
    device.feed(frameFor(3));
    port.receive();
    EXPECT_EQ(listener.activity, (std::vector<std::int32_t>{0, 24, 0}));
}

TEST_F(MeterPortTest, InvalidFrameKeepsTheReadingAndSendsNothing) {
    ASSERT_TRUE(port.open(1, 2400));
    device.feed(frameFor(4660));
    port.receive();
    const MeterReading before = port.reading;
    Bytes bad = frameFor(999);
    bad[5] = 0x15;  // position 1 where 6 belongs
    device.feed(bad);
    port.receive();
    EXPECT_EQ(port.reading, before);
    EXPECT_EQ(listener.counts, (std::vector<std::uint16_t>{4660}));
}

TEST_F(MeterPortTest, PartialFrameSurvivesReopenAndCostsOneCandidate) {
    ASSERT_TRUE(port.open(1, 2400));
    const Bytes a = frameFor(5);
    device.feed(Bytes(a.begin(), a.begin() + 5));
    port.receive();
    port.close();
    EXPECT_EQ(port.rxCount, 5u);
    ASSERT_TRUE(port.open(1, 2400));
    device.feed(join({a, frameFor(6)}));
    port.receive();
    EXPECT_EQ(listener.counts, (std::vector<std::uint16_t>{6}));
}

TEST_F(MeterPortTest, AFailedDeviceIsClosedAtOnce) {
    for (bool onRead : {false, true}) {
        SCOPED_TRACE(onRead ? "read fails" : "query fails");
        FakeSerialDevice d;
        MeterPort p(d, nullptr);
        ASSERT_TRUE(p.open(1, 2400));
        p.linkActivity = 9;
        d.feed(frameFor(1));
        (onRead ? d.readsFail : d.failed) = true;
        p.receive();
        EXPECT_FALSE(p.isOpen());
        EXPECT_EQ(d.closes, 1);
        EXPECT_EQ(p.linkActivity, 0);
        EXPECT_EQ(d.queries, 1);  // no polling of a dead handle
    }
}

}  // namespace

// One frame from its 14 bytes to a logged list line and history sample.
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "history/clear_history.h"
#include "link/frame_codec.h"
#include "link/meter_port.h"
#include "reading/reading_handler.h"

namespace {

// A port that is never opened: frames go straight to the decoder.
class IdleDevice final : public SerialDevice {
  public:
    bool open(std::uint32_t) override { return false; }
    bool isOpen() const override { return false; }
    void purge() override {}
    bool configure(const LineSettings&) override { return false; }
    SerialIo queued() override { return {}; }
    SerialIo read(std::span<std::uint8_t>) override { return {}; }
    void close() override {}
};

struct NoHooks final : ReadingHandlerHooks {
    void revealNewRow(std::size_t) override {}
    void updateScrollBar() override {}
    void invalidatePanels() override {}
};

struct Pipeline final : ReadingListener {
    IdleDevice device;
    MeterPort port{device, this};
    UserPaths paths;
    FixedClock clock{LocalDateTime{2021, 3, 7, 14, 5, 9}};
    LogWriter writer{paths, clock, [] {}};
    MeterFaceState face;
    ReadingList list;
    SampleHistory history;
    ChartView view;
    Settings settings;
    NoHooks hooks;
    ReadingHandler handler{{face, list, history, view, settings, clock, writer, hooks}};

    void onMeterReading() override { handler.onMeterReading(port.reading, port.linkActivity); }
};

void BM_FrameToLoggedSample(benchmark::State& state) {
    Pipeline pipeline;
    std::vector<std::array<std::uint8_t, kFrameSize>> frames;
    for (std::uint16_t count = 0; count < 1000; ++count) {
        MeterReading r;
        r.setFunction(1);
        r.setRange(3);
        r.setCount(static_cast<std::uint16_t>(count * 37 % 42000));
        r.setNegative(count % 3 == 0);
        frames.push_back(packFrame(r));
    }
    std::size_t next = 0;
    for (auto _ : state) {
        // Empty the ring before it fills, so that no save is timed.
        if (pipeline.history.position() + 1 >= pipeline.history.capacity()) {
            state.PauseTiming();
            clearHistory(pipeline.list, pipeline.history, pipeline.face, pipeline.view);
            state.ResumeTiming();
        }
        decodeFrame(pipeline.port, frames[next].data(), kFrameSize);
        next = (next + 1) % frames.size();
    }
    if (pipeline.list.rowCount() == 0) state.SkipWithError("nothing was logged");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameToLoggedSample);

}  // namespace

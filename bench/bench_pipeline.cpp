// One frame from its 14 bytes to a logged list line and history sample,
// through the session as the program runs it.
#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <vector>

#include "link/frame_codec.h"
#include "session/meter_session.h"
#include "settings/settings_memory_backend.h"
#include "settings/settings_store.h"
#include "support/fake_serial_device.h"
#include "support/fake_thread_starter.h"
#include "support/null_session_window.h"
#include "support/platform_journal_files.h"
#include "support/reading_builder.h"
#include "support/scratch_folder.h"

namespace {

struct Pipeline {
    // With a port set, the session opens it at its start.
    explicit Pipeline(bool journal, bool systemClock = false, unsigned port = 0)
        : withJournal(journal), clock(systemClock ? static_cast<const Clock&>(system) : fixed) {
        Settings settings;
        settings.port = port;
        saveSettings(settings, store);
        session.start();
        session.panelsResized(350, 237, 638, 177);
    }
    ScratchFolder folder{"zintavo-bench"};
    SettingsMemoryBackend store;
    FakeSerialDevice device;
    FakeSerialPorts ports;
    DeferredThreadStarter threads;
    PlatformJournalFiles journalFiles;
    FixedClock fixed{LocalDateTime{2021, 3, 7, 14, 5, 9}};
    SystemClock system;
    NullSessionWindow window;
    bool withJournal;
    const Clock& clock;
    MeterSession session{{.settingsStore = store,
                          .device = device,
                          .ports = ports,
                          .threads = threads,
                          .journalFiles = journalFiles,
                          .clock = clock,
                          .paths = {(folder.path() / "zintavo").string(),
                                    withJournal ? (folder.path() / "data").string() : "", ""},
                          .beep = {},
                          .reportProblem = {},
                          .portLabel = {},
                          .probeInterval = std::chrono::milliseconds(100),
                          .syncFile = {}},
                         window};
};

void frameToLoggedSample(benchmark::State& state, bool journal) {
    Pipeline pipeline(journal);
    std::vector<std::array<std::uint8_t, kFrameSize>> frames;
    for (std::uint16_t count = 0; count < 1000; ++count) {
        frames.push_back(packFrame(makeReading(
            {.function = 1, .range = 3, .count = count * 37 % 42000, .negative = count % 3 == 0})));
    }
    std::size_t next = 0;
    for (auto _ : state) {
        // Empty the ring before it fills, so that no save is timed.
        if (pipeline.session.history().position() + 1 >= pipeline.session.history().capacity()) {
            state.PauseTiming();
            pipeline.session.clear();
            state.ResumeTiming();
        }
        decodeFrame(pipeline.session.meterPort(), frames[next].data(), kFrameSize);
        next = (next + 1) % frames.size();
    }
    if (pipeline.session.readingList().rowCount() == 0) state.SkipWithError("nothing was logged");
    state.SetItemsProcessed(state.iterations());
}

void BM_FrameToLoggedSample(benchmark::State& state) {
    frameToLoggedSample(state, false);
}
BENCHMARK(BM_FrameToLoggedSample);

// The same with the recovery journal on disk: one write per logged reading.
void BM_FrameToLoggedSampleWithJournal(benchmark::State& state) {
    frameToLoggedSample(state, true);
}
BENCHMARK(BM_FrameToLoggedSampleWithJournal);

// One 50 ms tick with the port open and nothing arriving, on the machine's
// clock: what the session does twenty times a second while the meter is off.
void BM_IdleTick(benchmark::State& state) {
    Pipeline pipeline(false, true, 3);
    for (int i = 0; i < 10; ++i) pipeline.session.tick({}, {});
    if (!pipeline.device.isOpen()) state.SkipWithError("the port did not open");
    for (auto _ : state) pipeline.session.tick({}, {});
}
BENCHMARK(BM_IdleTick);

}  // namespace

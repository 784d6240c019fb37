// A start after a run that died with a 100 MB journal, of this window's port
// (put back into its list) or of another (written out as logs of that port):
// how long until the window can show, the peak memory of the whole replay,
// and every journaled reading in a log once.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "session/meter_session.h"
#include "settings/settings_memory_backend.h"
#include "support/fake_serial_device.h"
#include "support/fake_thread_starter.h"
#include "support/null_session_window.h"
#include "support/platform_journal_files.h"
#include "support/scratch_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kJournalBytes = 100u << 20;

// The journal of a run on `port` whose saves all failed: one reading record after another.
std::size_t writeJournal(const fs::path& file, std::int64_t port) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << "B 0 \r\nP " << port << "\r\n";
    std::size_t records = 0;
    for (std::uintmax_t written = 0; written < kJournalBytes; ++records) {
        const int seconds = static_cast<int>(records % 60);
        const std::string line = std::string("R  3/07/2021  2:05:") + (seconds < 10 ? "0" : "") +
                                 std::to_string(seconds) + "PM    " + std::to_string(records % 10) +
                                 ".45 VDC\r\n";
        out << line;
        written += line.size();
    }
    return records;
}

std::size_t loggedLines(const fs::path& folder) {
    std::size_t lines = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".log") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        for (std::string line; std::getline(in, line);) ++lines;
    }
    return lines;
}

void BM_StartWithAHundredMegabyteJournal(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        ScratchFolder folder{"zintavo-bench-replay"};
        const fs::path data = folder.path() / "data";
        const fs::path journal = data / "journal.txt";
        const std::size_t records = writeJournal(journal, state.range(0));
        SettingsMemoryBackend store;
        FakeSerialDevice device;
        FakeSerialPorts ports;
        DeferredThreadStarter threads;
        PlatformJournalFiles journalFiles;
        FixedClock clock{LocalDateTime{2021, 3, 7, 14, 5, 9}};
        NullSessionWindow window;
        MeterSession session{{.settingsStore = store,
                              .device = device,
                              .ports = ports,
                              .threads = threads,
                              .journalFiles = journalFiles,
                              .clock = clock,
                              .paths = {(folder.path() / "zintavo").string(), data.string(), ""},
                              .beep = {},
                              .reportProblem = {},
                              .portLabel = {},
                              .probeInterval = std::chrono::milliseconds(100),
                              .syncFile = {}},
                             window};
        state.ResumeTiming();

        const auto begin = std::chrono::steady_clock::now();
        session.start();
        session.tick({}, {});
        const auto shown = std::chrono::steady_clock::now();
        // Done when the journal has started afresh from the last log, or has
        // gone once written out.
        int ticks = 1;
        while (fs::exists(journal) && fs::file_size(journal) > (1u << 20)) {
            session.tick({}, {});
            ++ticks;
        }
        const auto replayed = std::chrono::steady_clock::now();

        state.PauseTiming();
        using Ms = std::chrono::duration<double, std::milli>;
        state.counters["records"] = static_cast<double>(records);
        state.counters["window_ms"] = Ms(shown - begin).count();
        state.counters["replay_ms"] = Ms(replayed - begin).count();
        state.counters["ticks"] = ticks;
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
        const std::size_t logged = loggedLines(folder.path());
        state.counters["logged"] = static_cast<double>(logged);
        if (logged != records) state.SkipWithError("not every journaled reading is in a log once");
        state.ResumeTiming();
    }
}
// Port 0: this window's own (the session's port is 0); port 5: another's.
BENCHMARK(BM_StartWithAHundredMegabyteJournal)
    ->Arg(0)
    ->Arg(5)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

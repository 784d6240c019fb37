// Saving and loading a log of a full history (32768 lines), and loading the
// last lines of a log of 1 GiB.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "history/log_format.h"
#include "history/log_reader.h"
#include "history/log_writer.h"
#include "history/reading_line.h"
#include "history/reading_list.h"
#include "history/sample_history.h"
#include "reading/reading_interpretation.h"
#include "settings/settings.h"
#include "settings/user_paths.h"
#include "time/clock.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLines = 32768;

ReadingList fullList() {
    ReadingList list;
    std::mt19937 random(7);
    for (int i = 0; i < kLines; ++i) {
        const auto count = static_cast<std::uint16_t>(random() % 42000);
        const LocalDateTime when{2021, 3, 7, (i / 3600) % 24, (i / 60) % 60, i % 60};
        const bool negative = (i % 7) == 0;
        std::string line = formatReadingLine(when, countDigits(count), negative, 3, "VDC");
        list.appendRow(i % 50 == 0 ? "probe moved, range 3" : "", std::move(line));
    }
    return list;
}

struct Folder {
    Folder()
        : path(fs::temp_directory_path() /
               ("zintavo-bench-" + std::to_string(std::random_device{}()))) {
        fs::create_directories(path);
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

void BM_SaveLog(benchmark::State& state) {
    Folder folder;
    const ReadingList list = fullList();
    UserPaths paths;
    paths.executablePath = (folder.path / "zintavo").string();
    paths.dataFolder = (folder.path / "data").string();
    const FixedClock clock(LocalDateTime{2021, 3, 7, 14, 5, 9});
    const LogWriter writer(paths, clock, [] {});
    Settings settings;
    for (auto _ : state) {
        if (!writer.saveLog(list, settings)) state.SkipWithError("save failed");
        state.PauseTiming();
        fs::remove(settings.logFile);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_SaveLog)->Unit(benchmark::kMillisecond);

void BM_LoadLog(benchmark::State& state) {
    Folder folder;
    UserPaths paths;
    paths.executablePath = (folder.path / "zintavo").string();
    const FixedClock clock;
    Settings settings;
    if (!LogWriter(paths, clock, [] {}).saveLog(fullList(), settings)) {
        state.SkipWithError("save failed");
        return;
    }
    ReadingList list;
    SampleHistory history;
    for (auto _ : state) {
        if (loadLog(settings.logFile, list, history) != kLines) state.SkipWithError("load failed");
        state.PauseTiming();
        list.clear();
        history.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_LoadLog)->Unit(benchmark::kMillisecond);

// Start-up with a last log of 1 GiB: only its last 32768 lines are read,
// so the load takes what BM_LoadLog takes (target: at most 1 s). The file is a
// hole of zeros followed by real lines; argument 1 leaves out the lines, so the
// whole GiB is one endless line and the loader stops at its byte budget.
void BM_LoadLogTailOf1GiB(benchmark::State& state) {
    constexpr std::uintmax_t kSize = std::uintmax_t{1} << 30;
    const bool oneLine = state.range(0) == 1;
    Folder folder;
    const fs::path path = folder.path / "huge.log";
    const std::string lines =
        oneLine ? std::string() : formatLog(fullList()) + formatLog(fullList());
    std::ofstream(path, std::ios::binary).close();
    fs::resize_file(path, kSize - lines.size());  // sparse: costs no disk
    std::ofstream(path, std::ios::binary | std::ios::app)
        .write(lines.data(), static_cast<std::streamsize>(lines.size()));
    if (fs::file_size(path) != kSize) {
        state.SkipWithError("cannot make the 1 GiB file");
        return;
    }
    ReadingList list;
    SampleHistory history;
    for (auto _ : state) {
        if (loadLog(path.string(), list, history) != kLines) state.SkipWithError("load failed");
        state.PauseTiming();
        list.clear();
        history.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_LoadLogTailOf1GiB)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

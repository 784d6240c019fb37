// zintavo-log --from-log over a saved log of 1 GiB (made here, about 30
// million reading lines): its time to CSV and to statistics, and the peak
// memory of the converting process (target: under 50 MiB, which the run
// checks). ZINTAVO_BENCH_LOG_MIB sets another size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "history/log_format.h"
#include "history/reading_line.h"
#include "history/reading_list.h"
#include "reading/reading_interpretation.h"
#include "support/posix_child_process.h"

namespace {

namespace fs = std::filesystem;

constexpr long kMemoryTargetKiB = 50 * 1024;

std::uintmax_t logBytes() {
    const char* mib = std::getenv("ZINTAVO_BENCH_LOG_MIB");
    return (mib != nullptr ? std::strtoull(mib, nullptr, 10) : 1024) << 20;
}

// A day of readings, one a second, every 50th tagged; repeated to the size,
// each copy on the next day. Made once per run and removed at its end.
struct BigLog {
    BigLog() : path(fs::temp_directory_path() / "zintavo-bench-from-log.log") {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        std::mt19937 random(7);
        std::uintmax_t written = 0;
        for (int day = 1; written < logBytes(); day = day % 28 + 1) {
            ReadingList list;
            for (int i = 0; i < 86400; ++i) {
                const auto count = static_cast<std::uint16_t>(random() % 42000);
                const LocalDateTime when{2021, 2, day, i / 3600, (i / 60) % 60, i % 60};
                list.appendRow(i % 50 == 0 ? "probe moved, range 3" : "",
                               formatReadingLine(when, countDigits(count), i % 7 == 0, 3, "VDC"));
            }
            const std::string text = formatLog(list);
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            written += text.size();
        }
    }
    ~BigLog() {
        std::error_code ec;
        fs::remove(path, ec);
    }
    BigLog(const BigLog&) = delete;
    BigLog& operator=(const BigLog&) = delete;
    fs::path path;
};

const fs::path& bigLog() {
    static const BigLog log;
    return log.path;
}

void convert(benchmark::State& state, const char* format) {
    const fs::path& log = bigLog();
    for (auto _ : state) {
        const ChildRun run =
            runChild(ZINTAVO_LOG_BINARY,
                     {"--from-log", log.string(), "--format", format, "--output", "/dev/null"}, {},
                     {}, std::chrono::hours(1));
        if (run.status != 0) state.SkipWithError(("zintavo-log failed: " + run.err).c_str());
    }
    // The largest of the children waited for so far: each run's peak or less.
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["log_MiB"] = static_cast<double>(fs::file_size(log)) / (1 << 20);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(log)));
    if (usage.ru_maxrss >= kMemoryTargetKiB) state.SkipWithError("50 MiB of memory exceeded");
}

void BM_FromLogToStats(benchmark::State& state) {
    convert(state, "stats");
}
void BM_FromLogToCsv(benchmark::State& state) {
    convert(state, "csv");
}
// A minute a run: measured once, whatever repetitions the command line asks for.
BENCHMARK(BM_FromLogToStats)
    ->Iterations(1)
    ->Repetitions(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_FromLogToCsv)->Iterations(1)->Repetitions(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace

// Every kept fuzzer input (seed corpus and past findings) replayed through
// its harness in the sanitized test build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "chart_harness.h"
#include "log_file_harness.h"
#include "receive_loop_harness.h"
#include "settings_harness.h"
#include "support/scratch_folder.h"

namespace {

namespace fs = std::filesystem;

using Harness = std::function<FuzzReport(std::span<const std::uint8_t>, const fs::path&)>;

struct Target {
    const char* name;
    Harness run;
    friend void PrintTo(const Target& target, std::ostream* out) { *out << target.name; }
};

std::vector<std::uint8_t> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> keptInputs(const std::string& target) {
    std::vector<fs::path> files;
    for (const char* kind : {"corpus", "regressions"}) {
        const fs::path folder = fs::path(ZINTAVO_FUZZ_INPUTS) / kind / target;
        std::error_code ec;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
            if (entry.is_regular_file()) files.push_back(entry.path());
    }
    return files;
}

FuzzReport runSettings(std::span<const std::uint8_t> data, const fs::path&) {
    return fuzzSettings(data);
}

class FuzzReplay : public testing::TestWithParam<Target> {};

TEST_P(FuzzReplay, EveryKeptInputKeepsEveryRule) {
    const std::vector<fs::path> files = keptInputs(GetParam().name);
    ASSERT_FALSE(files.empty()) << "no seed inputs for " << GetParam().name;
    const ScratchFolder scratch;
    for (const fs::path& file : files) {
        const std::vector<std::uint8_t> bytes = fileBytes(file);
        const FuzzReport report = GetParam().run(bytes, scratch.path());
        EXPECT_TRUE(report.ok()) << file.string() << ": " << report.broken();
        scratch.empty();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Targets, FuzzReplay,
    testing::Values(Target{"receive_loop", fuzzReceiveLoop}, Target{"log_file", fuzzLogFile},
                    Target{"chart", fuzzChart},
                    Target{"settings", [](std::span<const std::uint8_t> data,
                                          const fs::path&) { return fuzzSettings(data); }}),
    [](const testing::TestParamInfo<Target>& target) { return std::string(target.param.name); });

// The seeds must still lead the harnesses where they were made to lead: a
// change of input layout that left a harness shallow would pass unnoticed.
TEST(FuzzSeeds, ReachWhatTheyWereWrittenFor) {
    struct Case {
        Harness run;
        const char* file;
        const char* event;
        int times;
    };
    const std::vector<Case> cases = {
        {fuzzReceiveLoop, "receive_loop/frames_fill_ring", "logged", 8},
        {fuzzReceiveLoop, "receive_loop/frames_fill_ring", "saved", 2},
        {fuzzReceiveLoop, "receive_loop/functions_blocked_folder", "logged", 4},
        {fuzzReceiveLoop, "receive_loop/functions_blocked_folder", "failed save", 2},
        {fuzzReceiveLoop, "receive_loop/functions_blocked_folder", "saved", 0},
        {fuzzReceiveLoop, "receive_loop/functions_blocked_folder", "repaint", 1},
        {fuzzReceiveLoop, "receive_loop/raw_garbage_failure_reopen", "closed on failure", 2},
        {fuzzReceiveLoop, "receive_loop/raw_garbage_failure_reopen", "logged", 9},
        // 300 lines for a ring of 17: the last 17 are loaded.
        {fuzzLogFile, "log_file/five_minutes", "rows", 17},
        {fuzzLogFile, "log_file/five_minutes", "reloaded rows", 17},
        {fuzzLogFile, "log_file/nine_bytes", "rows", 0},
        // Two readings and three tags, two of them on loaded rows.
        {fuzzLogFile, "log_file/journal", "journal records applied", 5},
        {fuzzChart, "chart/five_minutes", "selection", 1},
        {runSettings, "settings/typical", "changed by load", 1},
        {runSettings, "settings/key_fails", "changed by load", 0},
    };
    const ScratchFolder scratch;
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> bytes =
            fileBytes(fs::path(ZINTAVO_FUZZ_INPUTS) / "corpus" / c.file);
        ASSERT_FALSE(bytes.empty()) << c.file;
        const FuzzReport report = c.run(bytes, scratch.path());
        EXPECT_EQ(report.noted(c.event), c.times) << c.file << ": " << c.event;
        scratch.empty();
    }
}

TEST(FuzzSeeds, ChartSeedDrawsTraceAndTags) {
    const ScratchFolder scratch;
    const FuzzReport report = fuzzChart(
        fileBytes(fs::path(ZINTAVO_FUZZ_INPUTS) / "corpus/chart/five_minutes"), scratch.path());
    EXPECT_TRUE(report.ok()) << report.broken();
    EXPECT_GT(report.noted("trace points"), 100);
    EXPECT_GT(report.noted("tag label"), 0);
}

}  // namespace

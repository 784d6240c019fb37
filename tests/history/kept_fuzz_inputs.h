#pragma once

// Replays every input the fuzzers once failed on (fuzz/regressions/<target>)
// through the same harness; each must now keep every rule.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/scratch_folder.h"

template <typename Harness>
void expectKeptInputsReplayCleanly(const std::string& target, Harness harness) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(ZINTAVO_FUZZ_INPUTS) / "regressions" / target;
    const ScratchFolder scratch;
    int replayed = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()};
        const auto report = harness(bytes, scratch.path());
        EXPECT_TRUE(report.ok()) << entry.path().string() << ": " << report.broken();
        scratch.empty();
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}

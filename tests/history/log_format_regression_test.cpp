// A tag on a row whose value field is blank (a zero count shown without a
// point): found by the receive-loop fuzzer, which tags logged rows and checks
// that every saved log reads back as the rows written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history/log_format.h"
#include "history/reading_line.h"
#include "kept_fuzz_inputs.h"
#include "receive_loop_harness.h"

namespace {

TEST(LogFormatRegression, TagAfterBlankValueFieldComesBack) {
    struct Case {
        const char* name;
        int decimalPosition;
        const char* unit;
        const char* tag;
    };
    const std::vector<Case> cases = {
        {"position 0", 0, "VDC", "short"},
        {"no point above 5", 7, "mA DC", "probe moved, range 3"},
        {"unit with a blank", 0, "A AC", "x"},
        {"empty tag", 0, "Vac", ""},
    };
    const LocalDateTime when{2021, 3, 7, 14, 5, 9};
    for (const Case& c : cases) {
        const std::string text =
            formatReadingLine(when, countDigits(0), false, c.decimalPosition, c.unit);
        const std::string line = text + "," + c.tag;
        const LogLine parsed = parseLogLine(line);
        EXPECT_EQ(parsed.text, text) << c.name;
        ASSERT_TRUE(parsed.tag.has_value()) << c.name;
        EXPECT_EQ(*parsed.tag, c.tag) << c.name;
        EXPECT_EQ(parsed.value, 0.0f) << c.name;
    }
}

TEST(LogFormatRegression, CommaGluedToANumberStillBelongsToIt) {
    const LogLine parsed = parseLogLine(" 3/07/2021  2:05:09PM    3.45,x VDC");
    EXPECT_FALSE(parsed.tag.has_value());
    EXPECT_EQ(parsed.value, 3.45f);
}

TEST(LogFormatRegression, KeptFuzzInputsReplayCleanly) {
    expectKeptInputsReplayCleanly("receive_loop", [](const auto& bytes, const auto& folder) {
        return fuzzReceiveLoop(bytes, folder);
    });
}

}  // namespace

// Tag edits the log could not carry: found by the log-file fuzzer, which tags
// loaded rows and checks that saving and loading gives the same rows back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history/log_format.h"
#include "history/reading_list.h"
#include "history/sample_history.h"
#include "history/tag_edit.h"
#include "kept_fuzz_inputs.h"
#include "log_file_harness.h"

namespace {

// A row `length` characters long that starts like a reading line.
std::string rowOfLength(std::size_t length) {
    std::string row = "03/07/2021  2:05:09 PM  1.2345 VDC";
    row.resize(length, 'x');
    return row;
}

TEST(TagEditRegression, TagMustFitTheRowsLogLine) {
    struct Case {
        const char* name;
        std::size_t rowLength;
        std::size_t tagLength;
        TagEditOutcome outcome;
    };
    const std::size_t longestRowForFullTag = kLogLineLimit - 1 - kTagEditLimit;
    const std::vector<Case> cases = {
        {"reading line, longest tag", 34, kTagEditLimit, TagEditOutcome::Changed},
        {"line exactly full", longestRowForFullTag, kTagEditLimit, TagEditOutcome::Changed},
        {"one character over", longestRowForFullTag + 1, kTagEditLimit, TagEditOutcome::Refused},
        {"long row, long tag", 150, 150, TagEditOutcome::Refused},
        {"longest row, short tag", kLogLineLimit, 1, TagEditOutcome::Refused},
        {"longest row, tag cleared", kLogLineLimit, 0, TagEditOutcome::Changed},
    };
    for (const Case& c : cases) {
        ReadingList list;
        list.appendRow("", rowOfLength(c.rowLength));
        SampleHistory history(4);
        history.append(1.0f, 0, true);
        const std::u16string tag(c.tagLength, u't');
        EXPECT_EQ(onTagEditEnd(list, history, 0, tag), c.outcome) << c.name;
        const bool changed = c.outcome == TagEditOutcome::Changed;
        EXPECT_EQ(list.row(0).tag, changed ? std::string(c.tagLength, 't') : "") << c.name;
        // A saved row stays one line of the log.
        EXPECT_EQ(cutLogLines(formatLog(list)).size(), 1u) << c.name;
    }
}

TEST(TagEditRegression, KeptFuzzInputsReplayCleanly) {
    expectKeptInputsReplayCleanly("log_file", [](const auto& bytes, const auto& folder) {
        return fuzzLogFile(bytes, folder);
    });
}

}  // namespace

#include "script_line.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(ScriptLine, ReadsFramesWithFlagsAndComments) {
    struct Case {
        const char* text;
        std::uint8_t function, subfunction, range;
        std::uint16_t count;
        bool negative, hold, relative, manual;
    };
    const Case cases[] = {
        {"1 0 3 4660", 1, 0, 3, 4660, false, false, false, false},
        {"  5\t1  4 40000 neg hold manual", 5, 1, 4, 40000, true, true, false, true},
        {"15 15 7 65535 rel", 15, 15, 7, 65535, false, false, true, false},
        {"0 0 0 0", 0, 0, 0, 0, false, false, false, false},
        {"4 0 0 235 # room temperature", 4, 0, 0, 235, false, false, false, false},
        {"4 0 0 235#no blank before the comment", 4, 0, 0, 235, false, false, false, false},
        {"9 1 2 007 manual rel hold neg", 9, 1, 2, 7, true, true, true, true},
        {"3 3 3 1000 hold hold\r", 3, 3, 3, 1000, false, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ScriptLine line = parseScriptLine(c.text);
        ASSERT_EQ(line.kind, ScriptLine::Kind::frame) << line.error;
        const MeterReading& r = line.reading;
        EXPECT_EQ(r.function(), c.function);
        EXPECT_EQ(r.subfunction(), c.subfunction);
        EXPECT_EQ(r.range(), c.range);
        EXPECT_EQ(r.count(), c.count);
        EXPECT_EQ(r.negative(), c.negative);
        EXPECT_EQ(r.hold(), c.hold);
        EXPECT_EQ(r.relative(), c.relative);
        EXPECT_EQ(r.manualRange(), c.manual);
        // Lead, tail and spare bits stay clear.
        EXPECT_EQ(r.leadByte(), 0);
        EXPECT_EQ(r.tailByte(), 0);
        EXPECT_EQ(r.bytes[3] & 0xE8, 0);
        EXPECT_EQ(r.status() & 0x1F, 0);
    }
}

TEST(ScriptLine, BlankAndCommentLinesCarryNoFrame) {
    for (const char* text : {"", "   ", "\t\r", "# only a comment", "   # indented comment"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(parseScriptLine(text).kind, ScriptLine::Kind::empty);
    }
}

TEST(ScriptLine, RefusesBadLinesWithAReason) {
    struct Case {
        const char* text;
        const char* reason;
    };
    const Case cases[] = {
        {"1 0 3", "missing count"},
        {"1", "missing subfunction"},
        {"1 0 3 hold", "bad count 'hold'"},
        {"16 0 0 0", "bad function '16'"},
        {"1 16 0 0", "bad subfunction '16'"},
        {"1 0 8 0", "bad range '8'"},
        {"1 0 0 65536", "bad count '65536'"},
        {"1 0 0 99999999999999999999", "bad count"},
        {"-1 0 0 0", "bad function '-1'"},
        {"+1 0 0 0", "bad function '+1'"},
        {"0x1 0 0 0", "bad function '0x1'"},
        {"1 0 0 12.5", "bad count '12.5'"},
        {"1 0 0 100 negative", "unknown flag 'negative'"},
        {"1 0 0 100 HOLD", "unknown flag 'HOLD'"},
        {"1 0 0 100 5", "unknown flag '5'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ScriptLine line = parseScriptLine(c.text);
        ASSERT_EQ(line.kind, ScriptLine::Kind::error);
        EXPECT_NE(line.error.find(c.reason), std::string::npos) << line.error;
    }
}

TEST(Script, KeepsFramesInOrderAndNamesTheFirstBadLine) {
    struct Case {
        const char* name;
        const char* text;
        std::vector<std::uint16_t> counts;  // when good
        std::size_t errorLine;
    };
    const Case cases[] = {
        {"good", "# header\n1 0 0 10\n\n1 0 0 20 hold\n1 0 0 30", {10, 20, 30}, 0},
        {"crlf", "1 0 0 10\r\n1 0 0 20\r\n", {10, 20}, 0},
        {"empty", "", {}, 0},
        {"comments only", "# a\n\n# b\n", {}, 0},
        {"bad after blanks", "1 0 0 10\n\n# note\n1 0 9 20\n1 0 0 x\n", {}, 4},
        {"bad first", "x\n1 0 0 10\n", {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::istringstream in(c.text);
        const Script script = parseScript(in);
        EXPECT_EQ(script.errorLine, c.errorLine) << script.error;
        EXPECT_EQ(script.error.empty(), c.errorLine == 0);
        std::vector<std::uint16_t> counts;
        for (const MeterReading& r : script.frames) counts.push_back(r.count());
        EXPECT_EQ(counts, c.counts);
    }
}

}  // namespace

#include "history/log_format.h"

#include <gtest/gtest.h>

#include <string>

#include "history/sample_history.h"

namespace {

TEST(MakeLogFileName, DropsTheExecutablesExtensionOnly) {
    struct Case {
        const char* executable;
        std::uint32_t port;
        LocalDateTime when;
        const char* name;
    };
    const Case cases[] = {
        {"/opt/zintavo/zintavo",
         3,
         {2021, 3, 7, 14, 5, 9},
         "/opt/zintavo/zintavo.COM3.2021-03-07.14.05.log"},
        {"/opt/zintavo/zintavo.bin",
         0,
         {2021, 3, 7, 9, 0, 0},
         "/opt/zintavo/zintavo.COM0.2021-03-07.09.00.log"},
        {"/opt/v1.2/zintavo",
         255,
         {2030, 12, 31, 23, 59, 59},
         "/opt/v1.2/zintavo.COM255.2030-12-31.23.59.log"},
        {"C:\\Tools.x\\Zintavo.exe",
         12,
         {2021, 1, 2, 0, 7, 0},
         "C:\\Tools.x\\Zintavo.COM12.2021-01-02.00.07.log"},
    };
    for (const Case& c : cases) EXPECT_EQ(makeLogFileName(c.executable, c.port, c.when), c.name);
}

// The line Ctrl+C copies is the line the log gets for the row.
TEST(FormatLogLine, IsTheRowsLineInTheLog) {
    const ReadingRow rows[] = {
        {"", " 3/07/2021  2:05:09PM    3.45 VDC"},
        {"probe moved", " 3/07/2021  2:05:10PM   -0.12 VDC"},
        {"a,b", "x"},
    };
    ReadingList list;
    std::string joined;
    for (const ReadingRow& r : rows) {
        list.appendRow(r.tag, r.text);
        joined += formatLogLine(r) + "\r\n";
    }
    EXPECT_EQ(formatLogLine(rows[0]), rows[0].text);
    EXPECT_EQ(formatLogLine(rows[1]), " 3/07/2021  2:05:10PM   -0.12 VDC,probe moved");
    EXPECT_EQ(joined, formatLog(list));
    // A damaged list never puts a control byte into the log.
    EXPECT_EQ(formatLogLine({std::string("t\0a\x01g", 5), "x\x7f"}), "x,tag");
}

TEST(NumberedLogFileName, SuffixGoesBeforeTheExtension) {
    EXPECT_EQ(numberedLogFileName("/a/z.COM3.2021-03-07.14.05.log", 2),
              "/a/z.COM3.2021-03-07.14.05-2.log");
    EXPECT_EQ(numberedLogFileName("/a/z.COM3.2021-03-07.14.05.log", 13),
              "/a/z.COM3.2021-03-07.14.05-13.log");
}

TEST(CutLogLines, SplitsOnCrLfRunsAndLongLines) {
    struct Case {
        std::string content;
        std::vector<std::string> lines;
    };
    const std::string l254(254, 'a');
    const Case cases[] = {
        {"one\r\ntwo\r\n", {"one", "two"}},
        {"one\ntwo", {"one", "two"}},
        {"\r\n\r\none\r\r\n\n\ntwo\n\r", {"one", "two"}},
        {"\r\n\n", {}},
        {l254 + "\r\n", {l254}},
        {l254 + "b\r\n", {l254, "b"}},
        {l254 + l254 + "cc", {l254, l254, "cc"}},
    };
    for (const Case& c : cases) {
        const auto lines = cutLogLines(c.content);
        ASSERT_EQ(lines.size(), c.lines.size()) << c.content;
        for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], c.lines[i]);
    }
}

TEST(ParseDecimalNumber, TakesDecimalNumbersOnly) {
    struct Case {
        const char* text;
        float value;
        std::size_t length;
    };
    const Case cases[] = {
        {"3.45 VDC", 3.45f, 4},  {"-0.0005", -0.0005f, 7}, {"+7.", 7.0f, 3},
        {".5e", 0.5f, 2},        {"2.5e2x", 250.0f, 5},    {"1E-2", 0.01f, 4},
        {"12345", 12345.0f, 5},  {"-", 0.0f, 0},           {".", 0.0f, 0},
        {"inf", 0.0f, 0},        {"-infinity", 0.0f, 0},   {"nan", 0.0f, 0},
        {"NAN(1)", 0.0f, 0},     {"0x1p3", 0.0f, 1},       {"1e39", 0.0f, 4},
        {"-1e39", 0.0f, 5},      {"3.4e38", 3.4e38f, 6},   {"", 0.0f, 0},
        {"65535.", 65535.0f, 6},
    };
    for (const Case& c : cases) {
        const ParsedNumber n = parseDecimalNumber(c.text);
        EXPECT_EQ(n.value, c.value) << c.text;
        EXPECT_EQ(n.length, c.length) << c.text;
    }
}

TEST(ParseLogLine, ReadsColumnsValueAndTag) {
    struct Case {
        std::string line;
        std::string text;
        std::optional<std::string> tag;
        float value;
        std::uint16_t timeOfDay;
    };
    const Case cases[] = {
        {" 3/07/2021  2:05:09PM    3.45 VDC", " 3/07/2021  2:05:09PM    3.45 VDC", std::nullopt,
         3.45f, packTimeOfDay(14, 5, 9)},
        {" 3/07/2021  2:05:10PM   -0.12 VDC,probe moved", " 3/07/2021  2:05:10PM   -0.12 VDC",
         "probe moved", -0.12f, packTimeOfDay(14, 5, 10)},
        {"12/31/2021 12:00:00AM -0.0005 \265A DC,", "12/31/2021 12:00:00AM -0.0005 \265A DC", "",
         -0.0005f, packTimeOfDay(0, 0, 0)},
        {" 3/07/2021  2:05:09PM    3.45 VDC,a,b", " 3/07/2021  2:05:09PM    3.45 VDC", "a,b", 3.45f,
         packTimeOfDay(2, 5, 9)},
        // A comma glued to the value's word belongs to the word, not to a tag.
        {" 3/07/2021  2:05:09PM 3.45,x", " 3/07/2021  2:05:09PM 3.45,x", std::nullopt, 3.45f,
         packTimeOfDay(2, 5, 9)},
        // Minutes and seconds count modulo 64; the hour is taken as written.
        {" 1/01/2021 15:70:99PM 1", " 1/01/2021 15:70:99PM 1", std::nullopt, 1.0f,
         static_cast<std::uint16_t>(15 * 4096 + 6 * 64 + 35)},
        {" 1/01/2021 -1:-1:00AM 1", " 1/01/2021 -1:-1:00AM 1", std::nullopt, 1.0f,
         static_cast<std::uint16_t>(65536 - 4096 - 64)},
        // Short lines read their missing fields as empty.
        {"short", "short", std::nullopt, 0.0f, 0},
        {"abc,def", "abc,def", std::nullopt, 0.0f, 0},
        {" 3/07/2021  2:0", " 3/07/2021  2:0", std::nullopt, 0.0f, packTimeOfDay(2, 0, 0)},
        {" 3/07/2021 10:20:30AM", " 3/07/2021 10:20:30AM", std::nullopt, 0.0f,
         packTimeOfDay(10, 20, 30)},
    };
    for (const Case& c : cases) {
        const LogLine parsed = parseLogLine(c.line);
        EXPECT_EQ(parsed.text, c.text) << c.line;
        EXPECT_EQ(parsed.tag.has_value(), c.tag.has_value()) << c.line;
        if (parsed.tag && c.tag) {
            EXPECT_EQ(*parsed.tag, *c.tag) << c.line;
        }
        EXPECT_EQ(parsed.value, c.value) << c.line;
        EXPECT_EQ(parsed.timeOfDay, c.timeOfDay) << c.line;
    }
}

}  // namespace

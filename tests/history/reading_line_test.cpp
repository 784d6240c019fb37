#include "history/reading_line.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatValueField, BlanksLeadingZerosAndPlacesSignAndPoint) {
    struct Case {
        unsigned count;
        bool negative;
        int position;
        const char* field;
    };
    const Case cases[] = {
        {345, false, 3, "   3.45"},
        {345, true, 3, "  -3.45"},
        {5, false, 1, " 0.0005"},
        {5, true, 1, "-0.0005"},
        {45, false, 3, "   0.45"},
        {45, true, 3, "  -0.45"},
        {1000, false, 1, " 0.1000"},
        {0, false, 3, "   0.00"},
        {12345, false, 0, " 12345"},
        {12345, true, 0, "-12345"},
        {0, false, 0, "      "},
        {65535, true, 2, "-65.535"},
        {12345, true, 4, "-1234.5"},
        {10, false, 4, "    1.0"},
        {7, true, 4, "   -0.7"},
        // A zero count still carries the sign when the point makes a "0." appear.
        {0, true, 3, "  -0.00"},
        {0, true, 1, "-0.0000"},
        {0, true, 0, "      "},
        // Position 5 puts the point after the last digit; 6-10 write none.
        {123, false, 5, "   123."},
        {123, true, 5, "  -123."},
        {0, false, 5, "     0."},
        {0, true, 5, "    -0."},
        {123, false, 6, "   123"},
        {123, true, 10, "  -123"},
        {65535, false, 8, " 65535"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatValueField(countDigits(static_cast<std::uint16_t>(c.count)), c.negative,
                                   c.position),
                  c.field)
            << c.count << (c.negative ? " negative" : "") << " at " << c.position;
    }
}

TEST(FormatReadingLine, TwelveHourClockAndFixedColumns) {
    struct Case {
        LocalDateTime when;
        unsigned count;
        bool negative;
        int position;
        const char* unit;
        const char* line;
    };
    const Case cases[] = {
        {{2021, 3, 7, 14, 5, 9}, 345, false, 3, "VDC", " 3/07/2021  2:05:09PM    3.45 VDC"},
        {{2021, 3, 7, 14, 5, 10}, 12, true, 3, "VDC", " 3/07/2021  2:05:10PM   -0.12 VDC"},
        {{2021, 12, 31, 0, 0, 0}, 5, true, 1, "\265A DC", "12/31/2021 12:00:00AM -0.0005 \265A DC"},
        {{2022, 1, 2, 12, 30, 5}, 2399, false, 4, "\260C", " 1/02/2022 12:30:05PM   239.9 \260C"},
        {{2022, 1, 2, 11, 59, 59}, 0, false, 0, "NC", " 1/02/2022 11:59:59AM        NC"},
        {{2022, 1, 2, 23, 1, 2}, 42000, false, 3, "Ohms", " 1/02/2022 11:01:02PM  420.00 Ohms"},
        {{12345, 10, 9, 9, 8, 7}, 1, false, 0, "%", "10/09/12345  9:08:07AM      1 %"},
    };
    for (const Case& c : cases) {
        const std::string line =
            formatReadingLine(c.when, countDigits(static_cast<std::uint16_t>(c.count)), c.negative,
                              c.position, c.unit);
        EXPECT_EQ(line, c.line);
        EXPECT_TRUE(isReadingLine(line)) << line;
        const auto read = parseReadingLine(line);
        ASSERT_TRUE(read) << line;
        EXPECT_EQ((LocalDateTime{read->year, read->month, read->day, read->hour, read->minute,
                                 read->second}),
                  c.when);
        EXPECT_EQ(read->unit, c.unit);
        // With a four-digit year the log reader finds the time and the value by these columns.
        if (c.when.year >= 1000 && c.when.year <= 9999) {
            EXPECT_EQ(line[13], ':');
            EXPECT_EQ(line[16], ':');
            EXPECT_EQ(line[21], ' ');
        }
    }
}

}  // namespace

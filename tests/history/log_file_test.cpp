#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "history/log_format.h"
#include "history/log_reader.h"
#include "history/log_writer.h"
#include "history/reading_line.h"
#include "reading/reading_interpretation.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string fixture(const char* name) {
    return std::string(ZINTAVO_TEST_LOGS) + "/" + name;
}

struct ExpectedRow {
    std::string text;
    std::string tag;
    bool tagged;
    float value;
    std::uint16_t timeOfDay;
};

const std::string kLine1 = " 3/07/2021  2:05:09PM    3.45 VDC";
const std::string kLine2 = " 3/07/2021  2:05:10PM   -0.12 VDC";
const std::vector<ExpectedRow> kTwoRows = {
    {kLine1, "", false, 3.45f, packTimeOfDay(14, 5, 9)},
    {kLine2, "probe moved", true, -0.12f, packTimeOfDay(14, 5, 10)},
};

TEST(LoadLog, FixtureFiles) {
    struct Case {
        const char* file;
        std::vector<ExpectedRow> rows;
    };
    const std::string xs(254 - 34, 'x');
    const Case cases[] = {
        {"crlf.log", kTwoRows},
        {"lf_only.log", kTwoRows},
        {"blank_lines.log", kTwoRows},
        {"no_final_line_end.log", kTwoRows},
        {"nine_bytes.log", {}},
        {"ten_bytes.log", {{"abcdefghi", "", false, 0.0f, 0}}},
        {"long_line.log",
         {{" 3/07/2021 11:59:58AM    1.00 VDC", xs, true, 1.0f, packTimeOfDay(11, 59, 58)},
          {std::string(300 - 254, 'x'), "", false, 0.0f, 0}}},
        {"tag_with_commas.log", {{kLine1, "a,b", true, 3.45f, packTimeOfDay(2, 5, 9)}}},
        {"trailing_comma.log", {{kLine1, "", true, 3.45f, packTimeOfDay(2, 5, 9)}}},
        {"short_lines.log",
         {{"short", "", false, 0.0f, 0},
          {"abc,def", "", false, 0.0f, 0},
          {" 3/07/2021  2:0", "", false, 0.0f, packTimeOfDay(2, 0, 0)}}},
        {"micro_units.log",
         {{" 3/07/2021 12:00:01AM -0.0005 \265A DC", "", false, -0.0005f, packTimeOfDay(0, 0, 1)},
          {" 3/07/2021 11:30:00PM  239.9 \260C", "\351t\351", true, 239.9f,
           packTimeOfDay(23, 30, 0)}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ReadingList list;
        SampleHistory history(100);
        EXPECT_EQ(loadLog(fixture(c.file), list, history), c.rows.size());
        ASSERT_EQ(list.rowCount(), c.rows.size());
        ASSERT_EQ(history.count(), c.rows.size());
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            EXPECT_EQ(list.row(i).text, c.rows[i].text) << i;
            EXPECT_EQ(list.row(i).tag, c.rows[i].tag) << i;
            const Sample& s = history.slot(static_cast<std::uint32_t>(i));
            EXPECT_EQ(s.tagged(), c.rows[i].tagged) << i;
            EXPECT_EQ(s.value, c.rows[i].value) << i;
            EXPECT_EQ(s.timeOfDay, c.rows[i].timeOfDay) << i;
        }
    }
}

TEST(LoadLog, NonNumericValuesReadAsZero) {
    ReadingList list;
    SampleHistory history(100);
    ASSERT_EQ(loadLog(fixture("inf_nan_hex.log"), list, history), 12u);
    const float expected[] = {0, 0, 0, 0, 0, 0, 0, 250.0f, 7.0f, 0.5f, 0, 3.4e38f};
    for (std::uint32_t i = 0; i < 12; ++i) {
        EXPECT_EQ(history.slot(i).value, expected[i]) << list.row(i).text;
        EXPECT_EQ(history.slot(i).timeOfDay, 49152) << i;
        EXPECT_FALSE(history.slot(i).tagged()) << i;
    }
}

TEST(LoadLog, AppendsToWhatIsThere) {
    ReadingList list;
    SampleHistory history(100);
    list.appendRow("", "earlier");
    history.append(9.0f, 1, false);
    loadLog(fixture("crlf.log"), list, history);
    ASSERT_EQ(list.rowCount(), 3u);
    EXPECT_EQ(list.row(0).text, "earlier");
    EXPECT_EQ(list.row(2).tag, "probe moved");
    EXPECT_EQ(history.count(), 3u);
    EXPECT_EQ(history.atAge(1).value, -0.12f);
}

TEST(LoadLog, LongerThanTheRingLoadsOnlyItsLastLines) {
    TempDir dir;
    std::string content;
    for (int i = 1; i <= 10; ++i)
        content += " 3/07/2021  2:05:0" + std::to_string(i % 10) + "PM   " + std::to_string(i) +
                   ".00 VDC\r\n";
    writeFileBytes(dir.file("ten.log"), content);
    ReadingList list;
    SampleHistory history(8);
    EXPECT_EQ(loadLog(dir.file("ten.log"), list, history), 8u);
    ASSERT_EQ(list.rowCount(), 8u);
    EXPECT_EQ(list.row(0).text, " 3/07/2021  2:05:03PM   3.00 VDC");
    EXPECT_EQ(history.position(), 0u);
    EXPECT_EQ(history.count(), 8u);
    EXPECT_EQ(history.atAge(1).value, 10.0f);
    EXPECT_EQ(history.atAge(8).value, 3.0f);
    EXPECT_EQ(readFileBytes(dir.file("ten.log")), content) << "the file stays as it is";
}

// Reading from the end gives the rows a whole read would end with, from no
// more than 256 bytes a row, however long the file.
TEST(LoadLog, TheTailIsWhatAWholeReadEndsWith) {
    struct Case {
        const char* name;
        std::uint32_t capacity;
        std::string content;
    };
    std::string shortLines, blankRuns, longLines;
    for (int i = 0; i < 6000; ++i) {
        const std::string n = std::to_string(i);
        shortLines += " 3/07/2021  2:05:09PM " + n + " VDC" + (i % 3 ? "" : ",t" + n) + "\r\n";
        blankRuns += "line " + n + (i % 2 ? "\n\n\r\n" : "\r");
        longLines += std::string(static_cast<std::size_t>(200 + (i * 37) % 600),
                                 static_cast<char>('a' + i % 26));
        longLines += "\r\n";
    }
    const Case cases[] = {
        {"short lines, some tagged", 100, shortLines},
        {"blank lines and lone CRs between", 300, blankRuns},
        {"lines longer than the reader takes", 50, longLines},
        {"more lines than rows within the bytes allowed", 8, shortLines.substr(0, 2000)},
        // Its pieces are counted from the first byte read, which here is where
        // a whole read puts a piece's start too.
        {"one line far longer than the bytes allowed", 64,
         std::string(64 * 256 + 254 * 20000, 'x')},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFileBytes(dir.file("tail.log"), c.content);
        const auto tail = readLogTail(dir.file("tail.log"), c.capacity);
        ASSERT_TRUE(tail);
        EXPECT_LE(tail->size(), std::size_t{c.capacity} * 256);

        ReadingList list;
        SampleHistory history(c.capacity);
        ASSERT_EQ(loadLog(dir.file("tail.log"), list, history), c.capacity);
        const std::vector<std::string_view> all = cutLogLines(c.content);
        for (std::size_t i = 0; i < c.capacity; ++i) {
            const LogLine want = parseLogLine(all[all.size() - c.capacity + i]);
            EXPECT_EQ(list.row(i).text, want.text) << i;
            EXPECT_EQ(list.row(i).tag, want.tag.value_or("")) << i;
        }
    }
}

TEST(LoadLog, OnlyRegularFilesAreRead) {
    TempDir dir;
    ReadingList list;
    SampleHistory history(100);
    // A device that never ends and a folder: both are refused without reading.
    const std::string refused[] = {"", dir.file("missing.log"), dir.path().string(), "/dev/zero",
                                   "/dev/null"};
    for (const std::string& path : refused) {
        EXPECT_FALSE(readRegularFile(path)) << path;
        EXPECT_EQ(loadLog(path, list, history), 0u) << path;
    }
    EXPECT_EQ(list.rowCount(), 0u);
    EXPECT_EQ(history.count(), 0u);
}

// Where the writer can put its files; a path below a regular file can never be created.
struct WriterSetup {
    TempDir dir;
    UserPaths paths;
    FixedClock clock{LocalDateTime{2021, 3, 7, 14, 5, 9}};
    int beeps = 0;
    LogWriter writer{paths, clock, [this] { ++beeps; }};
    Settings settings;

    WriterSetup() {
        paths.executablePath = dir.file("bin/zintavo");
        paths.dataFolder = dir.file("data/Zintavo");
        fs::create_directories(dir.path() / "bin");
        writeFileBytes(dir.path() / "blocker", "x");
        settings.port = 3;
        settings.logFile = "previous.log";
    }
    std::string blocked(const char* rest) const { return dir.file("blocker/" + std::string(rest)); }
    std::string besideExecutable() const {
        return dir.file("bin/zintavo.COM3.2021-03-07.14.05.log");
    }
};

ReadingList twoRowList() {
    ReadingList list;
    list.appendRow("", kLine1);
    list.appendRow("probe moved", kLine2);
    return list;
}

TEST(SaveLog, EmptyListWritesNothing) {
    WriterSetup w;
    EXPECT_TRUE(w.writer.saveLog(ReadingList{}, w.settings));
    EXPECT_EQ(w.settings.logFile, "previous.log");
    EXPECT_TRUE(fs::is_empty(w.dir.path() / "bin"));
    EXPECT_EQ(w.beeps, 0);
}

TEST(SaveLog, WritesBesideTheExecutable) {
    WriterSetup w;
    ASSERT_TRUE(w.writer.saveLog(twoRowList(), w.settings));
    EXPECT_EQ(w.settings.logFile, w.besideExecutable());
    EXPECT_EQ(readFileBytes(w.settings.logFile), kLine1 + "\r\n" + kLine2 + ",probe moved\r\n");
    EXPECT_EQ(w.beeps, 0);
}

TEST(SaveLog, NeverReplacesAnEarlierFile) {
    WriterSetup w;
    writeFileBytes(w.besideExecutable(), "older log\r\n");
    const std::vector<std::string> expected = {
        w.dir.file("bin/zintavo.COM3.2021-03-07.14.05-2.log"),
        w.dir.file("bin/zintavo.COM3.2021-03-07.14.05-3.log"),
    };
    for (const std::string& name : expected) {
        ASSERT_TRUE(w.writer.saveLog(twoRowList(), w.settings));
        EXPECT_EQ(w.settings.logFile, name);
        EXPECT_EQ(readFileBytes(name), formatLog(twoRowList()));
    }
    EXPECT_EQ(readFileBytes(w.besideExecutable()), "older log\r\n");
    // More saves in one minute than it has numbered names before: still saved.
    for (int n = 4; n <= 999; ++n)
        writeFileBytes(
            w.dir.file("bin/zintavo.COM3.2021-03-07.14.05-" + std::to_string(n) + ".log"), "x");
    ASSERT_TRUE(w.writer.saveLog(twoRowList(), w.settings));
    EXPECT_EQ(w.settings.logFile, w.dir.file("bin/zintavo.COM3.2021-03-07.14.05-1000.log"));
    for (const auto& entry : fs::directory_iterator(w.dir.path() / "bin"))
        EXPECT_EQ(entry.path().extension(), ".log") << "no temporary file stays";
}

TEST(SaveLog, FallsBackToTheDataFolderThenBeeps) {
    struct Case {
        bool executableWritable;
        bool dataWritable;
        const char* writtenIn;  // nullptr: nothing written
    };
    const Case cases[] = {
        {true, true, "bin"},
        {false, true, "data/Zintavo"},
        {true, false, "bin"},
        {false, false, nullptr},
    };
    for (const Case& c : cases) {
        WriterSetup w;
        if (!c.executableWritable) w.paths.executablePath = w.blocked("zintavo");
        if (!c.dataWritable) w.paths.dataFolder = w.blocked("data");
        const bool saved = w.writer.saveLog(twoRowList(), w.settings);
        EXPECT_EQ(saved, c.writtenIn != nullptr);
        if (c.writtenIn) {
            // As paths: Windows joins with '\\' where the expectation has '/'.
            EXPECT_EQ(std::filesystem::path(w.settings.logFile),
                      std::filesystem::path(w.dir.file(std::string(c.writtenIn) +
                                                       "/zintavo.COM3.2021-03-07.14.05.log")));
            EXPECT_EQ(readFileBytes(w.settings.logFile), formatLog(twoRowList()));
            EXPECT_EQ(w.beeps, 0);
        } else {
            EXPECT_EQ(w.settings.logFile, "previous.log");
            EXPECT_EQ(w.beeps, 1);
        }
    }
}

TEST(LogFolderFor, InstalledProgramsLogToTheDataFolder) {
    const std::string data = "/home/ann/.local/share/Vorrelind/Zintavo";
    const struct {
        bool installed;
        std::string dataFolder;
        std::string folder;
    } cases[] = {
        {true, data, data},
        {false, data, "/usr/bin"},
        // Nowhere else to go without a data folder.
        {true, "", "/usr/bin"},
    };
    for (const auto& c : cases) {
        UserPaths paths{"/usr/bin/zintavo", c.dataFolder, "", c.installed};
        EXPECT_EQ(fs::path(logFolderFor(paths)), fs::path(c.folder)) << c.installed;
    }
}

TEST(SaveLog, InstalledProgramWritesIntoTheDataFolderByItsOwnName) {
    const char* installed[] = {"/usr/bin/zintavo", "/opt/zintavo/bin/zintavo"};
    for (const char* executable : installed) {
        WriterSetup w;
        w.paths.executablePath = executable;
        w.paths.installed = true;
        const bool saved = w.writer.saveLog(twoRowList(), w.settings);
        const fs::path expected = w.dir.path() / "data/Zintavo/zintavo.COM3.2021-03-07.14.05.log";
        // Whatever went wrong, nothing stays in the system folder.
        if (saved && fs::path(w.settings.logFile) != expected) fs::remove(w.settings.logFile);
        ASSERT_TRUE(saved) << executable;
        EXPECT_EQ(fs::path(w.settings.logFile), expected) << executable;
        EXPECT_EQ(readFileBytes(expected), formatLog(twoRowList()));
        EXPECT_EQ(w.beeps, 0);
    }
}

// Rows as the reading handler makes them, with the values the interpretation gives.
struct LoggedRow {
    LocalDateTime when;
    std::uint8_t function, subfunction, range;
    std::uint16_t count;
    bool negative;
    std::string tag;
};

TEST(LogRoundTrip, SavedListLoadsBackAsTheSameRowsAndSamples) {
    const std::vector<LoggedRow> logged = {
        {{2021, 3, 7, 14, 5, 9}, 1, 0, 3, 345, false, ""},
        {{2021, 3, 7, 14, 5, 10}, 1, 0, 3, 12, true, "probe moved"},
        {{2021, 3, 7, 0, 0, 0}, 8, 0, 0, 5, true, "a,b,,c"},
        {{2021, 3, 7, 12, 0, 1}, 3, 3, 3, 1000, false, std::string(200, 'T')},
        {{2021, 3, 7, 23, 59, 59}, 4, 1, 0, 2399, false, ","},
        {{2021, 12, 31, 11, 1, 2}, 2, 0, 7, 65535, false, " spaced tag "},
        {{2022, 1, 1, 13, 0, 0}, 8, 1, 2, 12345, true, "\265\260\351"},
        {{2022, 1, 1, 1, 2, 3}, 9, 1, 0, 41999, true, ""},
        {{2022, 1, 1, 6, 7, 8}, 6, 0, 7, 7, false, "x"},
        {{2022, 1, 1, 6, 7, 9}, 3, 0, 6, 0, true, ""},
    };
    ReadingList list;
    std::vector<float> shown;
    for (const LoggedRow& r : logged) {
        const auto interp =
            interpretFields(r.function, r.subfunction, r.range, r.count, r.negative);
        ASSERT_TRUE(interp.inRange);
        const std::string field =
            formatValueField(countDigits(r.count), r.negative, interp.decimalPosition);
        list.appendRow(r.tag, formatReadingLine(r.when, countDigits(r.count), r.negative,
                                                interp.decimalPosition,
                                                unitName(r.function, r.subfunction, r.range)));
        shown.push_back(std::strtof(field.c_str(), nullptr));
        // The live value and the number the line shows differ at most in the last bits.
        EXPECT_FLOAT_EQ(interp.value, shown.back()) << field;
    }

    WriterSetup w;
    ASSERT_TRUE(w.writer.saveLog(list, w.settings));
    const std::string first = w.settings.logFile;
    ReadingList loaded;
    SampleHistory history(64);
    ASSERT_EQ(loadLog(first, loaded, history), logged.size());
    for (std::size_t i = 0; i < logged.size(); ++i) {
        SCOPED_TRACE(list.row(i).text);
        EXPECT_EQ(loaded.row(i), list.row(i));
        const Sample& s = history.slot(static_cast<std::uint32_t>(i));
        EXPECT_EQ(s.value, shown[i]);
        EXPECT_EQ(s.timeOfDay,
                  packTimeOfDay(logged[i].when.hour, logged[i].when.minute, logged[i].when.second));
        EXPECT_EQ(s.tagged(), !logged[i].tag.empty());
    }

    ASSERT_TRUE(w.writer.saveLog(loaded, w.settings));
    EXPECT_NE(w.settings.logFile, first);
    EXPECT_EQ(readFileBytes(w.settings.logFile), readFileBytes(first));
}

}  // namespace

#include "reading/reading_handler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../history/temp_dir.h"
#include "history/log_format.h"
#include "history/log_reader.h"
#include "reading/logged_reading.h"

namespace {

namespace fs = std::filesystem;

struct RecordingHooks final : ReadingHandlerHooks {
    std::vector<std::string> calls;
    void revealNewRow(std::size_t row) override {
        calls.push_back("reveal " + std::to_string(row));
    }
    void updateScrollBar() override { calls.push_back("scroll bar"); }
    void invalidatePanels() override { calls.push_back("invalidate"); }
    void logSaved() override { calls.push_back("log saved"); }
};

// A clock that counts its readings, so that "read once" can be checked.
struct CountingClock final : Clock {
    LocalDateTime time{2021, 3, 7, 14, 5, 9};
    mutable int reads = 0;
    LocalDateTime now() const override {
        ++reads;
        return time;
    }
};

MeterReading reading(std::uint8_t function, std::uint8_t subfunction, std::uint8_t range,
                     std::uint16_t count, bool negative = false, bool hold = false) {
    MeterReading r;
    r.setFunction(function);
    r.setSubfunction(subfunction);
    r.setRange(range);
    r.setCount(count);
    r.setNegative(negative);
    r.setHold(hold);
    return r;
}

struct Rig {
    explicit Rig(std::uint32_t capacity = 100) : history(capacity) {
        paths.executablePath = dir.file("zintavo");
        paths.dataFolder = dir.file("data");
        settings.port = 3;
    }
    // Neither the executable's folder nor the data folder can take a file.
    void blockSaving() {
        writeFileBytes(dir.path() / "blocker", "x");
        paths.executablePath = dir.file("blocker/zintavo");
        paths.dataFolder = dir.file("blocker/data");
    }

    TempDir dir;
    UserPaths paths;
    CountingClock clock;
    int beeps = 0;
    LogWriter writer{paths, clock, [this] { ++beeps; }};
    MeterFaceState face;
    ReadingList list;
    SampleHistory history;
    ChartView view;
    Settings settings;
    RecordingHooks hooks;
    RecoveryJournal journal{RecoveryJournal::pathIn(dir.file("data"))};
    ReadingHandler handler{{face, list, history, view, settings, clock, writer, hooks, &journal}};
};

TEST(DecideLogging, LogsOnlyHeldFreeInRangeReadings) {
    struct Case {
        const char* name;
        MeterReading r;
        bool logged;
        bool inRange;
    };
    const Case cases[] = {
        {"resistance 41999", reading(3, 0, 0, 41999), true, true},
        {"resistance 42000", reading(3, 0, 0, 42000), false, false},
        {"diode 20000", reading(3, 1, 0, 20000), false, false},
        {"temperature 2400", reading(4, 0, 0, 2400), false, false},
        {"held", reading(1, 0, 3, 345, false, true), false, true},
        {"no reading yet", reading(10, 0, 2, 100), false, true},
        {"uA at full count", reading(8, 0, 2, 65535), true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeterReading stored = c.r;
        MeterFaceState face;
        face.inRange = !c.inRange;
        CountingClock clock;
        const auto logged = decideLogging(stored, face, clock);
        EXPECT_EQ(logged.has_value(), c.logged);
        EXPECT_EQ(face.inRange, c.inRange);
        EXPECT_EQ(clock.reads, c.logged ? 1 : 0);
    }
}

TEST(DecideLogging, LineValueAndTimeComeFromOneClockReading) {
    MeterReading stored = reading(1, 0, 3, 12, true);
    MeterFaceState face;
    CountingClock clock;
    const auto logged = decideLogging(stored, face, clock);
    ASSERT_TRUE(logged);
    EXPECT_EQ(logged->line, " 3/07/2021  2:05:09PM   -0.12 VDC");
    EXPECT_EQ(logged->value, -(12.0f * 0.01f));
    EXPECT_EQ(logged->timeOfDay, packTimeOfDay(14, 5, 9));
}

TEST(ReadingHandler, NotLoggedReadingsOnlyRedraw) {
    const MeterReading notLogged[] = {reading(1, 0, 3, 345, false, true), reading(3, 0, 0, 42000),
                                      reading(10, 0, 0, 0)};
    for (const MeterReading& r : notLogged) {
        Rig rig;
        MeterReading stored = r;
        rig.handler.onMeterReading(stored, 5);
        EXPECT_EQ(rig.list.rowCount(), 0u);
        EXPECT_EQ(rig.history.count(), 0u);
        EXPECT_EQ(rig.hooks.calls, std::vector<std::string>{"invalidate"});
    }
}

TEST(ReadingHandler, LinkSpriteBlinksWhileDataFlows) {
    Rig rig;
    MeterReading stored = reading(1, 0, 3, 345);
    const struct {
        int activity;
        bool visible;
    } steps[] = {{3, true}, {3, false}, {2, true}, {0, false}, {0, false}, {1, true}};
    for (const auto& s : steps) {
        rig.handler.onMeterReading(stored, s.activity);
        EXPECT_EQ(rig.face.linkSpriteVisible, s.visible) << s.activity;
    }
}

TEST(ReadingHandler, TwoReadingsGiveTwoRowsAndSamples) {
    Rig rig;
    MeterReading first = reading(1, 0, 3, 345);
    MeterReading second = reading(1, 0, 3, 12, true);
    rig.handler.onMeterReading(first, 1);
    rig.clock.time.second = 10;
    rig.handler.onMeterReading(second, 1);

    ASSERT_EQ(rig.list.rowCount(), 2u);
    EXPECT_EQ(rig.list.row(0), (ReadingRow{"", " 3/07/2021  2:05:09PM    3.45 VDC"}));
    EXPECT_EQ(rig.list.row(1), (ReadingRow{"", " 3/07/2021  2:05:10PM   -0.12 VDC"}));
    ASSERT_EQ(rig.history.count(), 2u);
    EXPECT_EQ(rig.history.slot(0).value, 345.0f * 0.01f);
    EXPECT_EQ(rig.history.slot(1).value, -(12.0f * 0.01f));
    EXPECT_EQ(rig.history.slot(1).timeOfDay, packTimeOfDay(14, 5, 10));
    EXPECT_FALSE(rig.history.slot(1).tagged());
    EXPECT_EQ(rig.hooks.calls, (std::vector<std::string>{"reveal 0", "scroll bar", "invalidate",
                                                         "reveal 1", "scroll bar", "invalidate"}));
}

TEST(ReadingHandler, MarkersFollowTheHoldState) {
    struct Case {
        bool held;
        int first, second;
        int firstAfter, secondAfter;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {true, 3, 7, 4, 8, {"scroll bar", "invalidate"}},
        {true, 0, 5, 0, 6, {"scroll bar", "invalidate"}},
        {false, 3, 7, 0, 0, {"reveal 0", "scroll bar", "invalidate"}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.view.held = c.held;
        rig.view.firstMarker = c.first;
        rig.view.secondMarker = c.second;
        MeterReading stored = reading(1, 0, 3, 345);
        rig.handler.onMeterReading(stored, 1);
        EXPECT_EQ(rig.view.firstMarker, c.firstAfter);
        EXPECT_EQ(rig.view.secondMarker, c.secondAfter);
        EXPECT_EQ(rig.hooks.calls, c.calls);
        EXPECT_EQ(rig.list.rowCount(), 1u);
    }
}

TEST(ReadingHandler, CapacityOneSavesAndClearsAfterEachReading) {
    Rig rig(1);
    rig.face.maxValue = 7.0f;
    for (int n = 1; n <= 3; ++n) {
        MeterReading stored = reading(1, 0, 3, static_cast<std::uint16_t>(100 * n));
        rig.handler.onMeterReading(stored, 1);
        EXPECT_EQ(rig.list.rowCount(), 0u);
        EXPECT_EQ(rig.history.count(), 0u);
        EXPECT_EQ(rig.history.position(), 0u);
        EXPECT_EQ(rig.face.maxValue, 0.0f);
        const std::string base = rig.dir.file("zintavo.COM3.2021-03-07.14.05.log");
        const std::string expected = n == 1 ? base : numberedLogFileName(base, n);
        EXPECT_EQ(rig.settings.logFile, expected);
        EXPECT_EQ(readFileBytes(expected),
                  " 3/07/2021  2:05:09PM    " + std::to_string(n) + ".00 VDC\r\n");
    }
    EXPECT_EQ(rig.beeps, 0);
}

TEST(ReadingHandler, FailedSaveKeepsRowsWrapsAndRetries) {
    Rig rig(2);
    rig.blockSaving();
    rig.settings.logFile = "previous.log";
    MeterReading stored = reading(1, 0, 3, 345);
    for (int n = 1; n <= 4; ++n) rig.handler.onMeterReading(stored, 1);
    EXPECT_EQ(rig.beeps, 2);  // one failed save each time the ring filled
    EXPECT_EQ(rig.list.rowCount(), 4u);
    EXPECT_EQ(rig.history.position(), 0u);
    EXPECT_EQ(rig.history.count(), 2u);
    EXPECT_EQ(rig.settings.logFile, "previous.log");

    // Once a place can be written again, the next full ring saves every row.
    rig.paths.executablePath = rig.dir.file("zintavo");
    for (int n = 1; n <= 2; ++n) rig.handler.onMeterReading(stored, 1);
    EXPECT_EQ(rig.beeps, 2);
    EXPECT_EQ(rig.list.rowCount(), 0u);
    EXPECT_EQ(rig.history.count(), 0u);
    EXPECT_EQ(cutLogLines(readFileBytes(rig.settings.logFile)).size(), 6u);
}

// Whatever a run logged, a start after it died (the saved log loaded, then
// the journal replayed) shows the rows the run had. A run that died just
// after a full ring was saved shows that log again, as a clean close would.
TEST(ReadingHandler, JournalRestoresTheListAfterACrash) {
    struct Case {
        const char* name;
        std::uint32_t capacity;
        int readings;
        bool blocked;
        int saves;
        std::size_t rowsAfter;
    };
    const Case cases[] = {
        {"nothing saved yet", 100, 3, false, 0, 3}, {"after a full ring", 2, 3, false, 1, 1},
        {"ring full twice", 2, 5, false, 2, 1},     {"exactly full", 2, 4, false, 2, 2},
        {"saving fails", 2, 3, true, 0, 3},
    };
    for (const Case& c : cases) {
        Rig rig(c.capacity);
        if (c.blocked) rig.blockSaving();
        rig.journal.restart(0, rig.settings.logFile);
        std::vector<std::string> lines;
        for (int n = 1; n <= c.readings; ++n) {
            MeterReading stored = reading(1, 0, 3, static_cast<std::uint16_t>(n));
            rig.handler.onMeterReading(stored, 1);
            lines.push_back(" 3/07/2021  2:05:09PM    0.0" + std::to_string(n) + " VDC");
        }
        const auto saved = std::count(rig.hooks.calls.begin(), rig.hooks.calls.end(), "log saved");
        EXPECT_EQ(saved, c.saves) << c.name;

        ReadingList list;
        SampleHistory history(c.capacity);
        loadLog(rig.settings.logFile, list, history);
        replayJournal(rig.journal.read(), rig.settings.logFile, list, history);
        ASSERT_EQ(list.rowCount(), c.rowsAfter) << c.name;
        // The rows are the last ones logged, in order.
        for (std::size_t i = 0; i < list.rowCount(); ++i)
            EXPECT_EQ(list.row(i).text, lines[lines.size() - c.rowsAfter + i]) << c.name << i;
        EXPECT_EQ(history.count(), std::min<std::size_t>(c.rowsAfter, c.capacity)) << c.name;
    }
}

}  // namespace

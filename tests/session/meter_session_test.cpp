#include "session/meter_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "history/log_format.h"
#include "history/recovery_journal.h"
#include "support/memory_journal_file.h"
#include "support/reading_builder.h"
#include "support/session_rig.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Calls = std::vector<std::string>;

const MeterReading kVolts = makeReading(1, 0, 3, 345);  // 3.45 VDC
const std::string kVoltsLine = " 3/07/2021  2:05:09PM    3.45 VDC";

class SessionTest : public ::testing::Test {
  public:
    TempDir dir;
    SessionRig rig{dir.path()};

    MeterSession& session() { return *rig.session; }
    RecordingWindow& window() { return rig.window; }
    // Records the window calls of what `action` does.
    Calls callsOf(const std::function<void()>& action) {
        window().calls.clear();
        window().recordCalls = true;
        action();
        window().recordCalls = false;
        return window().calls;
    }
    // Neither the executable's folder nor the data folder can take a file.
    void blockSaving() {
        writeFileBytes(dir.path() / "blocker", "x");
        rig.paths.executablePath = (dir.path() / "blocker" / "zintavo").string();
        rig.paths.dataFolder = (dir.path() / "blocker" / "data").string();
    }
    void unblockSaving() {
        fs::remove(dir.path() / "blocker");
        fs::create_directories(dir.path() / "blocker");
    }
};

TEST_F(SessionTest, StartUpRunsInOrderAndSchedulesTheLink) {
    struct Case {
        std::uint32_t port;
        bool detectionStarted;
        int firstOpenTick;  // 0: no open within 30 ticks
    };
    const std::vector<Case> cases{{3, false, 10}, {200, false, 10}, {0, true, 0}};
    for (const Case& c : cases) {
        rig.device = FakeSerialDevice{};
        rig.store([&](Settings& s) { s.port = c.port; });
        const Calls calls = callsOf([&] { rig.start(); });
        EXPECT_EQ(calls, (Calls{"showPortList", "startTicking", "placeWindow", "showScrollBar",
                                "showScrollBar"}))
            << c.port;
        EXPECT_EQ(session().detection().generation() > 0, c.detectionStarted) << c.port;
        int openedAt = 0;
        for (int t = 1; t <= 30 && openedAt == 0; ++t) {
            rig.ticks(1);
            if (!rig.device.opens.empty()) openedAt = t;
        }
        EXPECT_EQ(openedAt, c.firstOpenTick) << c.port;
        if (openedAt != 0) {
            EXPECT_EQ(rig.device.opens.front().port, c.port);
        }
    }
    EXPECT_EQ(window().portList.entries, (std::vector<std::string>{"", "COM3", "COM5"}));
    EXPECT_EQ(window().placed, WindowRect{});
}

TEST_F(SessionTest, StartUpLoadsTheLastLogAndChoosingAPortDoesNotReloadIt) {
    const fs::path log = dir.path() / "previous.log";
    writeFileBytes(
        log, " 3/07/2021  2:05:09PM    3.45 VDC\r\n 3/07/2021  2:05:10PM   -0.12 VDC,probe\r\n");
    rig.store([&](Settings& s) { s.logFile = log.string(); });
    const Calls calls = callsOf([&] { rig.start(); });
    EXPECT_EQ(calls, (Calls{"showPortList", "startTicking", "placeWindow", "rowsAppended",
                            "scrollToRow", "showScrollBar", "showScrollBar"}));
    ASSERT_EQ(session().readingList().rowCount(), 2u);
    EXPECT_EQ(window().rows, 2u);
    EXPECT_EQ(window().scrolledToRow, 1u);
    EXPECT_TRUE(session().history().atAge(1).tagged());
    session().portChosen(2);
    EXPECT_EQ(session().settings().port, 5u);
    EXPECT_EQ(session().readingList().rowCount(), 2u);
    EXPECT_EQ(session().history().count(), 2u);
}

// One tick: the link is drained first (each frame handled as it arrives, the
// face's bookkeeping with it), then the face's own share, then the drag. Only
// the parts of the face that changed are redrawn; the clock line once a second.
TEST_F(SessionTest, TickHandlesEachFrameThenTheFaceThenTheDrag) {
    rig.startOpen();
    const auto frame = packFrame(kVolts);
    rig.device.feed({frame.begin(), frame.end()});
    session().chartPressed({900, 50}, {262, 0, 900, 177});
    Calls calls = callsOf([&] { rig.ticks(1, {899, 50}, {262, 0, 900, 177}); });
    calls.erase(std::unique(calls.begin(), calls.end()), calls.end());
    // During the drag the new row is not selected: the view stays on the span.
    // The drag's redraw at once takes the reading's with it.
    EXPECT_EQ(calls, (Calls{"rowsAppended", "invalidateFace", "redrawChartNow", "showStatistics"}));

    const FaceRect clockLine = clockLineRect(SessionRig::kFaceWidth, SessionRig::kFaceHeight);
    const auto clockRedrawn = [&] {
        window().faceRects.clear();
        rig.ticks(1);
        return std::count(window().faceRects.begin(), window().faceRects.end(), clockLine);
    };
    EXPECT_EQ(clockRedrawn(), 0);
    rig.clock.set({2021, 3, 7, 14, 5, 10});
    EXPECT_EQ(clockRedrawn(), 1);
    EXPECT_EQ(clockRedrawn(), 0);
}

// MIN and MAX follow every reading, also those that arrive within one tick and
// whether or not the face is ever painted. The window hears of them once: the
// list's count and selection, the scroll bar, the chart.
TEST_F(SessionTest, FaceBookkeepingRunsForEveryReadingWithoutAPaint) {
    rig.startOpen();
    // The first reading of a new function resets MIN and MAX; the next two
    // arrive within one tick and both count.
    for (const std::uint16_t count : {std::uint16_t{100}, std::uint16_t{500}, std::uint16_t{300}}) {
        const auto frame = packFrame(makeReading(1, 0, 3, count));
        rig.device.feed({frame.begin(), frame.end()});
    }
    Calls calls = callsOf([&] { rig.ticks(1); });
    std::erase(calls, "invalidateFace");
    // Following the newest row moves the scroll bar and the chart once, with the tick.
    EXPECT_EQ(calls, (Calls{"rowsAppended", "selectRow", "showScrollBar", "invalidateChart"}));
    EXPECT_EQ(window().rows, 3u);
    EXPECT_EQ(window().selectedRow, 2u);
    EXPECT_EQ(window().scrollPosition, window().scrollBar.maxThumb());
    // A quiet tick asks for nothing.
    EXPECT_TRUE(callsOf([&] { rig.ticks(1); }).empty());
    EXPECT_FLOAT_EQ(session().faceState().maxValue, 5.0f);
    EXPECT_FLOAT_EQ(session().faceState().minValue, 3.0f);

    // A new function resets MIN, MAX and the chart's scale.
    session().chartView().fullScale = 8.0f;
    rig.send(makeReading(9, 0, 0, 100));
    EXPECT_EQ(session().settings().switch_, 9u);
    EXPECT_EQ(session().chartView().fullScale, 1.0f);
    EXPECT_FLOAT_EQ(session().faceState().maxValue, 1.0f);
}

// A port just opened holds the no-reading record with the last reading's
// digits: the first face shows those digits, the next ones the whole pattern.
TEST_F(SessionTest, NoReadingPatternAfterAnOpenShowsFromTheNextTick) {
    rig.startOpen();
    rig.send(kVolts);
    session().portChosen(2);
    ASSERT_EQ(session().meterPort().reading.function(), 10);
    rig.ticks(1);
    EXPECT_EQ(session().faceState().shownCount, 345);
    EXPECT_TRUE(session().meterPort().reading.hold());
    rig.ticks(1);
    EXPECT_EQ(session().faceState().shownCount, 23352);
}

TEST_F(SessionTest, LoggedReadingsBecomeRowsAndSamples) {
    MeterReading held = kVolts;
    held.setHold(true);
    const struct {
        const char* name;
        MeterReading reading;
        bool logged;
    } cases[] = {
        {"dc volts", kVolts, true},
        {"held", held, false},
        {"ohms over range", makeReading(3, 0, 0, 42000), false},
        {"ohms just in range", makeReading(3, 0, 0, 41999), true},
        {"no reading yet", makeReading(10, 0, 0, 0), false},
        {"negative", makeReading(1, 0, 3, 12, true), true},
    };
    rig.startOpen();
    std::size_t rows = 0;
    for (const auto& c : cases) {
        rig.send(c.reading);
        if (c.logged) ++rows;
        EXPECT_EQ(session().readingList().rowCount(), rows) << c.name;
        EXPECT_EQ(session().history().count(), rows) << c.name;
        EXPECT_EQ(window().rows, rows) << c.name;
    }
    EXPECT_EQ(session().readingList().row(0), (ReadingRow{"", kVoltsLine}));
    EXPECT_EQ(session().readingList().row(2).text, " 3/07/2021  2:05:09PM   -0.12 VDC");
    EXPECT_EQ(session().history().atAge(1).value, -(12.0f * 0.01f));
    EXPECT_EQ(session().history().atAge(1).timeOfDay, packTimeOfDay(14, 5, 9));
    // The view follows: the newest row is selected and the chart shows the newest sample.
    EXPECT_EQ(window().selectedRow, 2u);
    EXPECT_EQ(session().chartView().scrollOffset, 0);
    EXPECT_EQ(session().chartView().firstMarker, 0);

    // Two frames in one tick give two rows, each with its own value.
    const auto a = packFrame(kVolts);
    const auto b = packFrame(makeReading(1, 0, 3, 346));
    rig.device.feed({a.begin(), a.end()});
    rig.device.feed({b.begin(), b.end()});
    rig.ticks(1);
    EXPECT_FLOAT_EQ(session().history().atAge(1).value, 3.46f);
    EXPECT_FLOAT_EQ(session().history().atAge(2).value, 3.45f);
}

TEST_F(SessionTest, LinkSpriteBlinksWhileDataFlows) {
    rig.startOpen();
    std::vector<bool> shown;
    for (int i = 0; i < 4; ++i) {
        rig.send(kVolts);
        shown.push_back(session().faceState().linkSpriteVisible);
    }
    // The first frame after a quiet link finds no activity: the sprite stays off.
    EXPECT_EQ(shown, (std::vector<bool>{false, true, false, true}));
    rig.ticks(25);
    EXPECT_FALSE(session().faceState().linkSpriteVisible);
}

TEST_F(SessionTest, MarkersFollowTheHoldState) {
    // What the user has hold of when the reading arrives.
    enum class Grip { None, Hold, Drag, TagEdit };
    const struct {
        Grip grip;
        int first, second;
        int firstAfter, secondAfter;
        bool rowSelected;
    } cases[] = {
        {Grip::Hold, 3, 7, 4, 8, false},    {Grip::Hold, 0, 5, 0, 6, false},
        {Grip::None, 3, 7, 0, 0, true},     {Grip::Drag, 3, 7, 4, 8, false},
        {Grip::TagEdit, 3, 7, 4, 8, false},
    };
    for (const auto& c : cases) {
        rig.session.reset();
        fs::remove(rig.journalFile());
        rig.startOpen();
        session().chartView().held = c.grip == Grip::Hold;
        session().chartView().dragging = c.grip == Grip::Drag;
        if (c.grip == Grip::TagEdit) session().tagEditOpened();
        session().chartView().firstMarker = c.first;
        session().chartView().secondMarker = c.second;
        rig.send(kVolts);
        EXPECT_EQ(session().chartView().firstMarker, c.firstAfter);
        EXPECT_EQ(session().chartView().secondMarker, c.secondAfter);
        EXPECT_EQ(window().selectedRow.has_value(), c.rowSelected);
        EXPECT_EQ(session().readingList().rowCount(), 1u);
    }
}

TEST_F(SessionTest, CapacityOneSavesAndClearsAfterEachReading) {
    rig.store([](Settings& s) { s.listCount = 1; });
    rig.startOpen();
    for (int n = 1; n <= 3; ++n) {
        session().faceState().maxValue = 7.0f;
        rig.send(makeReading(1, 0, 3, static_cast<std::uint16_t>(100 * n)));
        EXPECT_EQ(session().readingList().rowCount(), 0u);
        EXPECT_EQ(window().rows, 0u);
        EXPECT_EQ(session().history().count(), 0u);
        EXPECT_EQ(session().history().position(), 0u);
        const std::string base = (rig.binFolder() / "zintavo.COM3.2021-03-07.14.05.log").string();
        const std::string expected = n == 1 ? base : numberedLogFileName(base, n);
        EXPECT_EQ(session().settings().logFile, expected);
        EXPECT_EQ(rig.stored().logFile, expected);  // kept at once
        EXPECT_EQ(readFileBytes(expected),
                  " 3/07/2021  2:05:09PM    " + std::to_string(n) + ".00 VDC\r\n");
    }
    EXPECT_EQ(rig.beeps, 0);
}

TEST_F(SessionTest, FailedSaveKeepsRowsWrapsAndRetries) {
    blockSaving();
    rig.store([](Settings& s) {
        s.listCount = 2;
        s.logFile = "previous.log";
    });
    rig.startOpen();
    for (int n = 1; n <= 4; ++n) rig.send(kVolts);
    EXPECT_EQ(rig.beeps, 2);  // one failed save each time the ring filled
    EXPECT_EQ(session().readingList().rowCount(), 4u);
    EXPECT_EQ(session().history().position(), 0u);
    EXPECT_EQ(session().history().count(), 2u);
    EXPECT_EQ(session().settings().logFile, "previous.log");

    // Once a place can be written again, the next full ring saves every row.
    unblockSaving();
    for (int n = 1; n <= 2; ++n) rig.send(kVolts);
    EXPECT_EQ(rig.beeps, 2);
    EXPECT_EQ(session().readingList().rowCount(), 0u);
    EXPECT_EQ(session().history().count(), 0u);
    EXPECT_EQ(cutLogLines(readFileBytes(session().settings().logFile)).size(), 6u);
}

TEST_F(SessionTest, ClearEmptiesTheLogButKeepsTheView) {
    rig.startOpen();
    rig.send(kVolts);
    rig.send(kVolts);
    session().faceState().maxValue = 3.45f;
    session().faceState().minValue = 1.0f;
    session().zoomIn();
    session().chartView().scrollOffset = 7;
    session().chartView().firstMarker = 2;
    session().chartView().fullScale = 8.0f;
    session().chartView().negativeSeen = true;
    session().toggleHold();
    session().clear();
    EXPECT_EQ(session().readingList().rowCount(), 0u);
    EXPECT_EQ(window().rows, 0u);
    EXPECT_EQ(session().history().count(), 0u);
    EXPECT_EQ(session().faceState().maxValue, 0.0f);
    EXPECT_EQ(session().faceState().minValue, 0.0f);
    EXPECT_EQ(session().chartView().fullScale, 1.0f);
    EXPECT_FALSE(session().chartView().negativeSeen);
    EXPECT_TRUE(session().chartView().held);
    EXPECT_EQ(session().chartView().zoom, 2);
    EXPECT_EQ(session().chartView().scrollOffset, 7);
    EXPECT_EQ(session().chartView().firstMarker, 2);
    EXPECT_TRUE(rig.logFiles().empty());  // Clear saves nothing
}

TEST_F(SessionTest, HoldStopsTheListFollowing) {
    rig.startOpen();
    rig.send(kVolts);
    rig.send(kVolts);
    ASSERT_EQ(window().selectedRow, 1u);
    EXPECT_FALSE(session().chartView().held);  // the session's own selection holds nothing
    // Readings that arrive meanwhile neither select nor scroll, so a tag
    // typed slowly lands on the row chosen; letting go follows again.
    const struct {
        const char* name;
        std::function<void()> grip, letGo;
        bool holds;
    } cases[] = {
        {"Hold", [&] { session().toggleHold(); }, [&] { session().toggleHold(); }, true},
        {"a row the user chose", [&] { window().chooseRow(0); }, [&] { session().toggleHold(); },
         true},
        {"a tag edit", [&] { session().tagEditOpened(); }, [&] { session().tagEditClosed(); },
         false},
    };
    for (const auto& c : cases) {
        c.grip();
        EXPECT_EQ(session().chartView().held, c.holds) << c.name;
        EXPECT_EQ(window().holdChecked, c.holds) << c.name;
        const std::optional<std::size_t> chosen = window().selectedRow;
        rig.send(kVolts);
        rig.send(kVolts);
        EXPECT_EQ(window().rows, session().readingList().rowCount()) << c.name;
        EXPECT_EQ(window().selectedRow, chosen) << c.name;
        session().editTag(*chosen, std::u16string_view(u"t"));
        EXPECT_EQ(session().readingList().row(*chosen).tag, "t") << c.name;
        c.letGo();
        EXPECT_FALSE(window().holdChecked) << c.name;
        rig.send(kVolts);
        EXPECT_EQ(window().selectedRow, session().readingList().rowCount() - 1) << c.name;
    }
}

TEST_F(SessionTest, DragShowsStatisticsAndAClickHoldsTheViewOnTheSelection) {
    // A reading during the drag leaves its start on its sample: the same
    // drag gives the same statistics whether the view was held or not.
    for (const bool heldBefore : {false, true}) {
        rig.session.reset();
        fs::remove(rig.journalFile());
        rig.startOpen();
        for (int i = 1; i <= 5; ++i)
            rig.send(makeReading(1, 0, 3, static_cast<std::uint16_t>(100 * i)));
        if (heldBefore) session().toggleHold();
        const ScreenRect chart{262, 100, 900, 277};
        session().chartPressed({897, 150}, chart);  // zoom 1: three samples back from the right
        EXPECT_TRUE(session().chartView().dragging);
        EXPECT_EQ(session().chartView().firstMarker, 3);
        rig.ticks(1, {900, 150}, chart);
        EXPECT_EQ(session().chartView().secondMarker, 0);
        rig.ticks(1, {899, 150}, chart);
        EXPECT_EQ(session().chartView().secondMarker, 1);
        EXPECT_EQ(window().statistics,
                  "2:05:09 - 2:05:09\nTotal:\t12.000000\nTime:\t0:00:03\nAvg:\t4.000000");
        rig.send(makeReading(1, 0, 3, 600));
        EXPECT_EQ(session().chartView().firstMarker, 4) << heldBefore;
        rig.ticks(1, {899, 150}, chart);
        EXPECT_EQ(window().statistics,
                  "2:05:09 - 2:05:09\nTotal:\t18.000000\nTime:\t0:00:04\nAvg:\t4.500000")
            << heldBefore;
        // Outside the chart nothing moves.
        rig.ticks(1, {10, 10}, chart);
        EXPECT_EQ(session().chartView().secondMarker, 1);
        session().chartReleased({899, 150}, chart, true);
        EXPECT_FALSE(session().chartView().dragging);
        EXPECT_TRUE(session().chartView().held);
        EXPECT_TRUE(window().holdChecked);
        EXPECT_EQ(window().selectedRow, 6u - 4u);
    }
}

TEST_F(SessionTest, ZoomStepsThroughTheLevels) {
    rig.start();
    const struct {
        std::vector<bool> clicks;  // true: "+", false: "-"
        int zoom;
    } cases[] = {
        {{true}, 2},
        {{false}, -2},
        {{false, true}, 1},
        {{false, false, false}, -4},
        {std::vector<bool>(60, true), 50},
        {std::vector<bool>(60, false), -50},
    };
    for (const auto& c : cases) {
        session().chartView().zoom = 1;
        for (bool in : c.clicks) in ? session().zoomIn() : session().zoomOut();
        EXPECT_EQ(session().chartView().zoom, c.zoom);
    }
}

TEST_F(SessionTest, ScrollingFollowsThePageFormulas) {
    rig.start();  // chart 638 wide: 600 samples per page at zoom 1
    for (int i = 0; i < 5000; ++i) session().history().append(1.0f, 0, false);
    const struct {
        int offset;
        ScrollRequest request;
        int thumb;
        int expectedOffset;
        int expectedThumb;
    } cases[] = {
        {4000, ScrollRequest::PageLeft, 0, 4400, 0},
        {3000, ScrollRequest::PageLeft, 0, 3600, 799},
        {3000, ScrollRequest::LineLeft, 0, 3600, 799},
        {3000, ScrollRequest::PageRight, 0, 2400, 1999},
        {500, ScrollRequest::LineRight, 0, 0, 4399},
        {0, ScrollRequest::ThumbTrack, 1000, 3400, 999},
    };
    for (const auto& c : cases) {
        session().chartView().scrollOffset = c.offset;
        window().scrollBar = scrollBarState(session().chartView(), 638, 5000);
        session().scroll(c.request, c.thumb);
        EXPECT_EQ(session().chartView().scrollOffset, c.expectedOffset) << c.offset;
        EXPECT_EQ(window().scrollPosition, c.expectedThumb) << c.offset;
    }
}

TEST_F(SessionTest, ScrollBarFollowsTheNewestSampleAtOffsetZero) {
    rig.startOpen();
    for (int i = 0; i < 700; ++i) session().history().append(1.0f, 0, false);
    rig.send(kVolts);  // 701 samples, page 600: thumb at 701 - 600 = 101
    EXPECT_EQ(window().scrollBar.maximum, 700);
    EXPECT_EQ(window().scrollBar.page, 600);
    EXPECT_EQ(window().scrollPosition, 101);
}

TEST_F(SessionTest, TagEditsSetAndClearTheFlagAndReachTheSavedLog) {
    rig.startOpen();
    rig.send(kVolts);
    rig.send(kVolts);
    const struct {
        std::size_t row;
        std::optional<std::u16string> text;
        TagEditOutcome outcome;
        std::string tag;
        bool tagged;
    } cases[] = {
        {0, u"probe \u00b5 moved", TagEditOutcome::Changed, "probe \xb5 moved", true},
        {1, u"a,b", TagEditOutcome::Changed, "a,b", true},
        {1, u"", TagEditOutcome::Changed, "", false},
        {1, std::nullopt, TagEditOutcome::Unchanged, "", false},
        {1, u"\u03a9", TagEditOutcome::Refused, "", false},
        {1, u"x", TagEditOutcome::Changed, "x", true},
    };
    for (const auto& c : cases) {
        const int before = window().chartInvalidations;
        const TagEditOutcome outcome = c.text
                                           ? session().editTag(c.row, std::u16string_view(*c.text))
                                           : session().editTag(c.row, std::nullopt);
        EXPECT_EQ(outcome, c.outcome);
        EXPECT_EQ(session().readingList().row(c.row).tag, c.tag);
        EXPECT_EQ(session().history().slot(static_cast<std::uint32_t>(c.row)).tagged(), c.tagged);
        EXPECT_EQ(window().chartInvalidations > before, c.outcome == TagEditOutcome::Changed);
    }
    session().saveIfChanged();
    const auto files = rig.logFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(readFileBytes(files[0]),
              kVoltsLine + ",probe \xb5 moved\r\n" + kVoltsLine + ",x\r\n");
}

TEST_F(SessionTest, EveryWayOfEndingSavesExactlyOnce) {
    const struct {
        const char* name;
        std::function<void(SessionTest&)> end;
        std::size_t files;
    } cases[] = {
        {"session end, then close twice",
         [](SessionTest& t) {
             t.session().saveIfChanged();
             t.session().saveIfChanged();
             t.session().shutDown({});
             t.session().saveIfChanged();
         },
         1},
        {"the window's ending twice",
         [](SessionTest& t) {
             t.session().end({});
             t.session().end({});
         },
         1},
        {"destroyed without closing", [](SessionTest&) {}, 0},
        {"an ending after the shutdown",
         [](SessionTest& t) {
             t.session().shutDown({});
             t.session().end({});
         },
         0},
        // A session end that was called off: what came after is saved too.
        {"session end, new reading, close",
         [](SessionTest& t) {
             t.session().saveIfChanged();
             t.rig.clock.set({2021, 3, 7, 14, 6, 0});
             t.rig.send(kVolts);
             t.session().saveIfChanged();
         },
         2},
    };
    for (const auto& c : cases) {
        for (const fs::path& f : rig.logFiles()) fs::remove(f);
        // Each case is a first run: nothing left to recover from the one before.
        fs::remove(rig.journalFile());
        rig.clock.set({2021, 3, 7, 14, 5, 9});
        rig.device = FakeSerialDevice{};
        rig.startOpen();
        rig.send(kVolts);
        c.end(*this);
        rig.session.reset();
        EXPECT_EQ(rig.logFiles().size(), c.files) << c.name;
    }
}

TEST_F(SessionTest, ShutDownKeepsThePlacementAndClosesThePort) {
    rig.store([](Settings& s) { s.logFile = "/nowhere/earlier.log"; });
    rig.startOpen();
    session().end({120, 130, 700, 500});
    EXPECT_FALSE(rig.device.isOpen());
    const Settings saved = rig.stored();
    EXPECT_EQ(saved.window, (WindowRect{120, 130, 700, 500}));
    // An empty list writes no log and leaves the setting on the earlier one.
    EXPECT_TRUE(rig.logFiles().empty());
    EXPECT_EQ(saved.logFile, "/nowhere/earlier.log");
    session().shutDown({0, 0, 1, 1});
    EXPECT_EQ(rig.stored().window, (WindowRect{120, 130, 700, 500}));
    // The next start places the normal rectangle, maximised as it ended.
    for (const bool maximized : {true, false}) {
        rig.start();
        session().end({120, 130, 700, 500}, maximized);
        rig.start();
        EXPECT_EQ(window().placed, (WindowRect{120, 130, 700, 500}));
        EXPECT_EQ(window().placedMaximized, maximized);
    }
}

TEST_F(SessionTest, TickBlinksTheArrowWhileOverRange) {
    rig.startOpen();
    rig.send(makeReading(9, 0, 0, 42000));
    session().faceState().arrowVisible = false;
    session().faceState().blinkCountdown = 0;
    std::vector<bool> phases;
    for (int t = 0; t < 8; ++t) {
        rig.ticks(1);
        phases.push_back(session().faceState().arrowVisible);
    }
    EXPECT_EQ(phases, (std::vector<bool>{true, true, true, true, false, false, false, false}));
    rig.send(kVolts);
    EXPECT_FALSE(session().faceState().overRangeArrow);
    EXPECT_FALSE(session().faceState().arrowVisible);
}

// The ticks a window sleeps through show nothing, and the one after them shows
// what fell due: the clock's new second, the arrow's toggle, the sprite gone.
TEST_F(SessionTest, QuietTicksShowNothingAndTheTickAfterThemIsDue) {
    enum class Then { nothing, anotherFrame, halfAFrame, arrowDueIn2, drag, noHandle };
    const struct {
        const char* what;
        int frames;  // sent, then `ticks` ticks
        int ticks;
        Then then;
        int untilNextSecondMs;
        int quiet;
        bool secondTurns;  // in the sleep
    } cases[] = {
        {"a steady reading", 1, 25, Then::nothing, 1000, 19, true},
        {"the second nearly over", 1, 25, Then::nothing, 101, 2, true},
        {"the link's activity running out", 2, 10, Then::nothing, 1000, 13, false},
        {"the arrow blinking", 1, 25, Then::arrowDueIn2, 1000, 2, false},
        {"frames back to back", 2, 0, Then::nothing, 1000, 0, false},
        {"a slow meter's frame", 1, 10, Then::anotherFrame, 1000, 19, true},
        {"half a frame in", 1, 10, Then::halfAFrame, 1000, 0, false},
        {"dragging", 1, 25, Then::drag, 1000, 0, false},
        {"no input handle", 1, 25, Then::noHandle, 1000, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir caseDir;
        SessionRig r{caseDir.path()};
        r.device.handle = 7;
        r.startOpen();
        for (int i = 0; i < c.frames; ++i)
            r.send(c.then == Then::arrowDueIn2 ? makeReading(9, 0, 0, 42000) : kVolts);
        r.ticks(c.ticks);
        if (c.then == Then::anotherFrame) r.send(kVolts);
        if (c.then == Then::halfAFrame) {
            const auto frame = packFrame(kVolts);
            r.device.feed({frame.begin(), frame.begin() + 7});
            r.ticks(1);
        }
        if (c.then == Then::arrowDueIn2) r.session->faceState().blinkCountdown = 2;
        if (c.then == Then::drag) r.session->chartPressed({10, 10}, {0, 0, 100, 100});
        if (c.then == Then::noHandle) r.device.handle = -1;
        const int quiet = r.session->quietTicks(std::chrono::milliseconds(c.untilNextSecondMs));
        EXPECT_EQ(quiet, c.quiet);
        r.window.recordCalls = true;
        for (int i = 0; i < quiet; ++i) r.session->quietTick();
        EXPECT_EQ(r.window.calls, Calls{});
        if (quiet == 0) continue;
        if (c.secondTurns) r.clock.set({2021, 3, 7, 14, 5, 10});
        r.ticks(1);
        EXPECT_NE(std::count(r.window.calls.begin(), r.window.calls.end(), "invalidateFace"), 0);
    }
}

TEST_F(SessionTest, SuspendClosesThePortAndResumeReopensItSixtyTicksLater) {
    rig.startOpen();
    session().powerEvent(4);
    EXPECT_FALSE(rig.device.isOpen());
    EXPECT_TRUE(session().meterPort().suspended);
    rig.ticks(200);
    EXPECT_FALSE(rig.device.isOpen());
    session().powerEvent(7);
    rig.ticks(59);
    EXPECT_FALSE(rig.device.isOpen());
    rig.ticks(1);
    EXPECT_TRUE(rig.device.isOpen());
    EXPECT_FALSE(session().meterPort().suspended);
}

TEST_F(SessionTest, DeviceChangeLooksForTheMeterOnlyWhileThePortIsClosed) {
    for (bool open : {true, false}) {
        rig.device = FakeSerialDevice{};
        rig.device.failAllOpens = !open;
        rig.store([](Settings& s) { s.port = 3; });
        rig.start();
        rig.ticks(10);
        ASSERT_EQ(rig.device.isOpen(), open);
        session().deviceChange();
        EXPECT_EQ(session().detection().generation(), open ? 0u : 1u) << open;
    }
}

// A run that dies (the session destroyed without saving) leaves its rows in
// the journal; the next start shows them, saves them at once and empties it.
TEST_F(SessionTest, NextStartRecoversWhatARunThatDiedHadNotSaved) {
    const MeterReading other = makeReading(1, 0, 3, 346);
    const std::string otherLine = " 3/07/2021  2:05:09PM    3.46 VDC";
    const std::string laterLine = " 3/07/2021  2:06:00PM    3.46 VDC";
    const auto tag = [](SessionTest& t, std::size_t row, std::u16string_view text) {
        t.session().editTag(row, text);
    };
    // What a save killed at `step` leaves: the temporary file (whole from step
    // 1, when the journal counts it), then the name it was given.
    const auto dieSaving = [](SessionTest& t, int step) {
        const fs::path temp = t.rig.binFolder() / "zintavo.COM3.2021-03-07.14.05.journal.tmp";
        const fs::path log = t.rig.binFolder() / "zintavo.COM3.2021-03-07.14.05.log";
        const std::string rows = formatLog(t.session().readingList());
        writeFileBytes(temp, step == 0 ? rows.substr(0, 10) : rows);
        std::string records = step == 0 ? "" : "S " + temp.string() + "\r\n";
        if (step >= 2) records += "M " + log.string() + "\r\n";
        if (step >= 2) fs::create_hard_link(temp, log);
        if (step >= 3) fs::remove(temp);
        // The run dies here; on Windows its journal is locked until then.
        t.rig.session.reset();
        writeFileBytes(t.rig.journalFile(), readFileBytes(t.rig.journalFile()) + records);
    };
    // Five readings in the journal of a run that died (another port's after `port`).
    const auto diedWithMoreThanARing = [&](std::string port) {
        return [&, port](SessionTest& t) {
            t.rig.send(kVolts);
            std::string more = port;
            for (int i = 0; i < 4; ++i) more += "R " + otherLine + "\r\n";
            t.rig.session.reset();
            writeFileBytes(t.rig.journalFile(), readFileBytes(t.rig.journalFile()) + more);
        };
    };
    const auto killedSaving = [&](int step) {
        return [&, step](SessionTest& t) {
            t.rig.send(kVolts);
            dieSaving(t, step);
        };
    };
    const struct {
        const char* name;
        std::uint32_t capacity;
        std::function<void(SessionTest&)> run;
        std::vector<ReadingRow> rows;  // after the next start
        std::size_t files;             // logs on disk after the next start
        std::string log = {};          // the last log, when there is one at the first start
        std::size_t problems = 0;      // reported by the next start
        std::optional<std::size_t> rowsAtStart = {};  // shown before the first tick
    } cases[] = {
        {"nothing logged", 100, [](SessionTest&) {}, {}, 0},
        {"readings and tags",
         100,
         [&](SessionTest& t) {
             t.rig.send(kVolts);
             t.rig.send(other);
             tag(t, 1, u"probe, moved");
             tag(t, 0, u"gone");
             tag(t, 0, u"");
         },
         {{"", kVoltsLine}, {"probe, moved", otherLine}},
         1},
        {"closed cleanly",
         100,
         [](SessionTest& t) {
             t.rig.send(kVolts);
             t.session().saveIfChanged();
         },
         {{"", kVoltsLine}},
         1},
        {"saved at a session end, then more",
         100,
         [&](SessionTest& t) {
             t.rig.send(kVolts);
             t.session().saveIfChanged();
             t.rig.clock.set({2021, 3, 7, 14, 6, 0});
             t.rig.send(other);
             tag(t, 0, u"early");
         },
         {{"early", kVoltsLine}, {"", laterLine}},
         2},
        {"cleared, then one more",
         100,
         [&](SessionTest& t) {
             t.rig.send(kVolts);
             t.rig.send(kVolts);
             t.session().saveIfChanged();
             t.rig.clock.set({2021, 3, 7, 14, 6, 0});
             t.session().clear();
             t.rig.send(other);
         },
         {{"", laterLine}},
         2},
        {"cleared with nothing after",
         100,
         [](SessionTest& t) {
             t.rig.send(kVolts);
             t.session().clear();
         },
         {},
         0},
        {"damaged journal: only its reading lines and tags of its rows",
         100,
         [&](SessionTest& t) {
             t.rig.send(kVolts);
             t.rig.session.reset();
             writeFileBytes(t.rig.journalFile(), readFileBytes(t.rig.journalFile()) +
                                                     "R not a reading line\r\nT 3 never\r\n");
         },
         {{"", kVoltsLine}},
         1,
         {},
         1},
        {"journal without its start: its readings go to a log of their own",
         100,
         [&](SessionTest& t) {
             t.rig.send(kVolts);
             t.rig.send(other);
             t.rig.session.reset();
             const std::string journal = readFileBytes(t.rig.journalFile());
             writeFileBytes(t.rig.journalFile(), journal.substr(journal.find("\r\n") + 2));
         },
         {},
         1,
         {},
         1},
        {"killed writing a save: rows back", 100, killedSaving(0), {{"", kVoltsLine}}, 1},
        {"killed with the save whole: named", 100, killedSaving(1), {{"", kVoltsLine}}, 1},
        {"killed while the save got its name", 100, killedSaving(2), {{"", kVoltsLine}}, 1},
        {"killed after the save had its name", 100, killedSaving(3), {{"", kVoltsLine}}, 1},
        {"a journal of more than a ring: a log a ring, after the window shows",
         2,
         diedWithMoreThanARing(""),
         {{"", otherLine}},
         3,
         {},
         0,
         0},
        {"another port's journal of more than a ring: its own logs, a ring at a time",
         2,
         diedWithMoreThanARing("P 5\r\n"),
         {},
         3,
         {},
         0,
         0},
        {"closed while the journal went back in: the rest goes into logs first",
         2,
         [&](SessionTest& t) {
             diedWithMoreThanARing("")(t);
             t.rig.start();
             t.rig.ticks(1);
             EXPECT_TRUE(t.session().saveIfChanged());
             t.session().shutDown({});
             EXPECT_TRUE(t.session().listSaved());
             t.rig.session.reset();
             EXPECT_FALSE(fs::exists(t.rig.journalFile()));
         },
         {{"", otherLine}},
         4},
        // The piece's log holds the first two rows; the third is only in the journal.
        {"killed as a ring of a replay got its name",
         2,
         [&](SessionTest& t) {
             t.rig.send(kVolts);
             const fs::path log = t.rig.binFolder() / "zintavo.COM3.2021-03-07.14.05.log";
             writeFileBytes(log, kVoltsLine + "\r\n" + otherLine + "\r\n");
             const std::string temp = (t.rig.binFolder() / "gone.journal.tmp").string();
             const std::string record = "R " + otherLine + "\r\n";
             t.rig.session.reset();
             writeFileBytes(t.rig.journalFile(), readFileBytes(t.rig.journalFile()) + record +
                                                     "K 2 1\r\nS " + temp + "\r\nM " +
                                                     log.string() + "\r\n" + record);
         },
         {{"", otherLine}},
         2},
        // A run that died just after a full ring was saved shows that log again.
        {"after a full ring",
         2,
         [&](SessionTest& t) {
             for (int i = 0; i < 3; ++i) t.rig.send(other);
         },
         {{"", otherLine}},
         2},
        {"exactly full twice",
         2,
         [&](SessionTest& t) {
             for (int i = 0; i < 4; ++i) t.rig.send(other);
         },
         {{"", otherLine}, {"", otherLine}},
         2},
        // Both starts load the same last lines, so the rows the journal names are
        // the rows the user saw.
        {"over a log longer than the ring",
         2,
         [&](SessionTest& t) {
             tag(t, 0, u"third");
             t.rig.send(other);
             tag(t, 2, u"new");
             tag(t, 1, u"x,y");
         },
         {{"third", " 3/07/2021  2:03:00PM    3.00 VDC"},
          {"x,y", " 3/07/2021  2:04:00PM    4.00 VDC"},
          {"new", otherLine}},
         2,
         " 3/07/2021  2:01:00PM    1.00 VDC\r\n 3/07/2021  2:02:00PM    2.00 VDC\r\n"
         " 3/07/2021  2:03:00PM    3.00 VDC\r\n 3/07/2021  2:04:00PM    4.00 VDC\r\n"},
    };
    for (const auto& c : cases) {
        for (const fs::path& f : rig.logFiles()) fs::remove(f);
        // A journal being written out leaves the window the next name.
        for (const std::string& journal : journalPathsIn(rig.paths.dataFolder)) fs::remove(journal);
        rig.problems.clear();
        const fs::path lastLog = rig.binFolder() / "last.log";
        if (!c.log.empty()) writeFileBytes(lastLog, c.log);
        rig.store([&](Settings& s) {
            s.logFile = c.log.empty() ? std::string() : lastLog.string();
            s.listCount = c.capacity;
        });
        rig.clock.set({2021, 3, 7, 14, 5, 9});
        rig.device = FakeSerialDevice{};
        rig.startOpen();
        c.run(*this);
        rig.session.reset();
        rig.clock.set({2021, 3, 7, 14, 7, 0});
        rig.start();
        // The journal goes into the list on the ticks after the window shows.
        if (c.rowsAtStart) {
            EXPECT_EQ(window().rows, *c.rowsAtStart) << c.name;
        }
        rig.ticks(8);

        const ReadingList& list = session().readingList();
        ASSERT_EQ(list.rowCount(), c.rows.size()) << c.name;
        EXPECT_EQ(window().rows, c.rows.size()) << c.name;
        ASSERT_EQ(session().history().count(), std::min<std::size_t>(c.rows.size(), c.capacity))
            << c.name;
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            EXPECT_EQ(list.row(i), c.rows[i]) << c.name << " row " << i;
            // Rows and slots pair up while the ring has not wrapped.
            if (c.rows.size() > c.capacity) continue;
            EXPECT_EQ(session().history().slot(static_cast<std::uint32_t>(i)).tagged(),
                      !c.rows[i].tag.empty())
                << c.name << " row " << i;
        }
        EXPECT_EQ(rig.logFiles().size(), c.files) << c.name;
        EXPECT_EQ(rig.problems.size(), c.problems) << c.name;
        for (const auto& entry : fs::directory_iterator(rig.binFolder()))
            EXPECT_NE(entry.path().extension(), ".tmp") << c.name;
        MemoryJournalFile journal(readFileBytes(rig.journalFile()));
        EXPECT_FALSE(scanJournal(journal).holdsRecords()) << c.name;
        // The log that holds the rows is named in the stored settings at once.
        EXPECT_EQ(rig.stored().logFile, session().settings().logFile) << c.name;
        rig.session.reset();
    }
}

// A second window on the same desk: its own device and window, the same
// settings store and folders as the rig's.
struct SecondWindow {
    explicit SecondWindow(SessionRig& rig)
        : session(SessionServices{.settingsStore = rig.settingsStore,
                                  .device = device,
                                  .ports = rig.ports,
                                  .threads = rig.threads,
                                  .journalFiles = rig.journalFiles,
                                  .clock = rig.clock,
                                  .paths = rig.paths,
                                  .beep = {},
                                  .reportProblem = {},
                                  .portLabel = {},
                                  .probeInterval = std::chrono::milliseconds(1),
                                  .syncFile = {}},
                  window) {
        window.session = &session;
        session.start();
        session.panelsResized(350, 237, 638, 177);
        session.portChosen(2);  // COM5
    }
    void send(const MeterReading& r) {
        const auto frame = packFrame(r);
        device.feed({frame.begin(), frame.end()});
        session.tick({}, {});
    }
    FakeSerialDevice device;
    RecordingWindow window;
    MeterSession session;
};

// Two windows at once: each keeps its own journal; a start recovers only the
// journals of runs that died, puts back only its own port's, and writes out
// another port's as a log of that port, each reading once.
TEST_F(SessionTest, TwoWindowsNeverLoseOrMixTheirReadings) {
    const MeterReading fromB = makeReading(1, 0, 3, 999);  // 9.99 VDC
    rig.startOpen();                                       // window A, COM3
    auto b = std::make_unique<SecondWindow>(rig);
    ASSERT_EQ(b->session.settings().port, 5u);
    for (int i = 0; i < 3; ++i) rig.send(kVolts);
    for (int i = 0; i < 2; ++i) b->send(fromB);
    EXPECT_EQ(rig.journalFile().filename(), "journal.txt");
    ASSERT_TRUE(fs::exists(journalPath(rig.paths.dataFolder, 2)));

    rig.session.reset();  // A dies; B runs on
    rig.clock.set({2021, 3, 7, 14, 6, 0});
    rig.startOpen();  // A again, on COM3: its three readings come back, B's stay with B
    EXPECT_EQ(session().readingList().rowCount(), 3u);
    ASSERT_EQ(rig.logFiles().size(), 1u);
    EXPECT_EQ(readFileBytes(rig.logFiles()[0]),
              kVoltsLine + "\r\n" + kVoltsLine + "\r\n" + kVoltsLine + "\r\n");
    b->send(fromB);

    b.reset();  // B dies too
    rig.session.reset();
    rig.clock.set({2021, 3, 7, 14, 7, 0});
    rig.startOpen();
    // B's three readings went into a COM5 log of their own; A's list has none of them.
    for (std::size_t i = 0; i < session().readingList().rowCount(); ++i)
        EXPECT_EQ(session().readingList().row(i).text, kVoltsLine);
    const fs::path bLog = rig.binFolder() / "zintavo.COM5.2021-03-07.14.07.log";
    const std::string bLine = " 3/07/2021  2:05:09PM    9.99 VDC\r\n";
    EXPECT_EQ(readFileBytes(bLog), bLine + bLine + " 3/07/2021  2:06:00PM    9.99 VDC\r\n");
    EXPECT_EQ(journalPathsIn(rig.paths.dataFolder).size(), 1u) << "the orphans are gone";
}

// A save that fails everywhere is no success: it is reported, the journal
// keeps the list, and the next start with room puts every row back.
TEST_F(SessionTest, AFailedSaveAtCloseKeepsTheJournalForTheNextStart) {
    const fs::path data = rig.paths.dataFolder;
    writeFileBytes(dir.path() / "blocker", "x");
    rig.paths.executablePath = (dir.path() / "blocker" / "zintavo").string();
    rig.startOpen();
    rig.send(kVolts);
    rig.send(kVolts);
    // The data folder goes away under the running program; its journal stays open.
    fs::rename(data, dir.path() / "moved");
    writeFileBytes(data, "x");
    EXPECT_FALSE(session().saveIfChanged());
    EXPECT_FALSE(session().listSaved());
    session().shutDown({});
    EXPECT_EQ(rig.beeps, 1);
    ASSERT_EQ(rig.problems.size(), 1u);
    EXPECT_NE(rig.problems[0].find("2 readings could not be saved"), std::string::npos)
        << rig.problems[0];
    rig.session.reset();

    fs::remove(data);
    fs::rename(dir.path() / "moved", data);
    rig.paths.executablePath = (rig.binFolder() / "zintavo").string();
    rig.startOpen();
    EXPECT_EQ(session().readingList().rowCount(), 2u);
    ASSERT_EQ(rig.logFiles().size(), 1u);
    EXPECT_EQ(readFileBytes(rig.logFiles()[0]), kVoltsLine + "\r\n" + kVoltsLine + "\r\n");
}

// Folders that cannot be written: the journal takes the next free name, then
// the last resort folder, and so does the log; what went there is reported by
// its name and the run does not end as a success.
TEST_F(SessionTest, WithoutItsFoldersTheProgramStillLogsAndSaves) {
    fs::path root;  // each case's own folder
    const auto lastResort = [&] { return root / "private-tmp"; };
    const struct {
        const char* name;
        std::function<void()> block;
        const char* logFolder;  // where the readings went, under the case's folder
        const char* journal;    // the run's journal ("": none)
        std::size_t problems;
    } cases[] = {
        {"no data folder, no last resort", [&] { writeFileBytes(root / "data", "not a folder"); },
         "bin", "", 1},
        {"journal.txt a folder: the next name",
         [&] { fs::create_directories(root / "data" / "journal.txt"); }, "bin",
         "data/journal-2.txt", 0},
        {"no folder takes them but the last resort",
         [&] {
             writeFileBytes(root / "data", "not a folder");
             writeFileBytes(root / "blocker", "x");
             rig.paths.executablePath = (root / "blocker" / "zintavo").string();
             rig.paths.lastResortFolder = [&](bool create) {
                 if (create) fs::create_directories(lastResort());
                 return fs::is_directory(lastResort()) ? lastResort().string() : std::string();
             };
         },
         "private-tmp", "private-tmp/journal.txt", 2},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        root = dir.path() / std::to_string(++n);
        fs::create_directories(root / "bin");
        rig.paths = UserPaths{(root / "bin" / "zintavo").string(), (root / "data").string(),
                              (root / "cfg").string()};
        rig.problems.clear();
        rig.store([](Settings& st) { st.logFile.clear(); });
        c.block();
        rig.startOpen();
        rig.send(kVolts);
        if (*c.journal) {
            EXPECT_TRUE(fs::is_regular_file(root / c.journal));
#ifndef _WIN32  // Windows locks a live journal against other readers
            EXPECT_EQ(readFileBytes(root / c.journal), "B 0 \r\nP 3\r\nR " + kVoltsLine + "\r\n");
#endif
        }
        EXPECT_TRUE(session().saveIfChanged());
        const fs::path log = session().settings().logFile;
        EXPECT_EQ(log.parent_path(), root / c.logFolder);
        EXPECT_EQ(readFileBytes(log), kVoltsLine + "\r\n");
        const bool outOfPlace = c.logFolder == std::string("private-tmp");
        EXPECT_EQ(session().listSaved(), !outOfPlace);
        ASSERT_EQ(rig.problems.size(), c.problems);
        if (outOfPlace) {
            EXPECT_NE(rig.problems.back().find(log.string()), std::string::npos);
        }
        rig.session.reset();
    }
}

}  // namespace

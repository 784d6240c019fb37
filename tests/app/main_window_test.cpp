#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <filesystem>
#include <vector>

#include "app/reading_list_model.h"
#include "app/reading_list_view.h"
#include "app/scroll_bar_adapter.h"
#include "app/settings_memory_backend.h"
#include "app/settings_store.h"
#include "app/surface_panel.h"
#include "app/system_notifications.h"
#include "history/recovery_journal.h"
#include "history/temp_dir.h"
#include "link/fake_serial_device.h"
#include "link/fake_thread_starter.h"
#include "link/frame_codec.h"

namespace fs = std::filesystem;

QT_BEGIN_NAMESPACE
// Readable rectangles in failure messages.
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}
QT_END_NAMESPACE

namespace {

MeterReading makeReading(std::uint8_t function, std::uint8_t subfunction, std::uint8_t range,
                         std::uint16_t count) {
    MeterReading r;
    r.setFunction(function);
    r.setSubfunction(subfunction);
    r.setRange(range);
    r.setCount(count);
    return r;
}

const MeterReading kVolts = makeReading(1, 0, 3, 345);  // 3.45 VDC

class MainWindowTest : public ::testing::Test {
  public:
    TempDir dir;
    SettingsMemoryBackend store;
    FakeSerialDevice device;
    FakeSerialPorts ports;
    DeferredThreadStarter threads;
    FixedClock clock{{2021, 3, 7, 14, 5, 9}};
    int beeps = 0;
    QPoint cursor;
    std::unique_ptr<MainWindow> window;

    MainWindowTest() {
        fs::create_directories(dir.path() / "bin");
        ports.ports = {3, 5};
    }

    UserPaths paths() const {
        return {(dir.path() / "bin" / "zintavo").string(), (dir.path() / "data").string(),
                (dir.path() / "cfg").string()};
    }

    void saveStored(const std::function<void(Settings&)>& change) {
        Settings s;
        loadSettings(s, store);
        change(s);
        saveSettings(s, store);
    }

    void start() {
        window = std::make_unique<MainWindow>(WindowServices{
            .settingsStore = store,
            .device = device,
            .ports = ports,
            .threads = threads,
            .clock = clock,
            .paths = paths(),
            .beep = [this] { ++beeps; },
            .portLabel = {},
            .cursorPos = [this] { return cursor; },
            .probeInterval = std::chrono::milliseconds(1),
        });
        // The tests drive the ticks themselves.
        window->timer().stop();
        window->show();
    }

    void ticks(int n) {
        for (int i = 0; i < n; ++i) window->tick();
    }

    // Starts with a saved port and lets it open.
    void startOpen() {
        saveStored([](Settings& s) { s.port = 3; });
        start();
        ticks(10);
        ASSERT_TRUE(device.isOpen());
    }

    void send(const MeterReading& r) {
        const auto frame = packFrame(r);
        device.feed({frame.begin(), frame.end()});
        window->tick();
    }

    std::vector<fs::path> logFiles() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(dir.path() / "bin"))
            if (entry.path().extension() == ".log") found.push_back(entry.path());
        return found;
    }

    int currentRow() const { return window->listView().currentIndex().row(); }

    fs::path journalFile() const { return RecoveryJournal::pathIn(paths().dataFolder); }

    void tag(int row, const QString& text) {
        window->listModel().setData(window->listModel().index(row, ReadingListModel::TagColumn),
                                    text);
    }
};

TEST_F(MainWindowTest, SavedPortOpensOnTheTenthTickAndNoPortStartsDetection) {
    struct Case {
        std::uint32_t port;
        bool detectionStarted;
        int firstOpenTick;  // 0: no open within 30 ticks
    };
    const std::vector<Case> cases{{3, false, 10}, {200, false, 10}, {0, true, 0}};
    for (const Case& c : cases) {
        device = FakeSerialDevice{};
        saveStored([&](Settings& s) { s.port = c.port; });
        start();
        EXPECT_EQ(window->detection().generation() > 0, c.detectionStarted) << c.port;
        int openedAt = 0;
        for (int t = 1; t <= 30 && openedAt == 0; ++t) {
            window->tick();
            if (!device.opens.empty()) openedAt = t;
        }
        EXPECT_EQ(openedAt, c.firstOpenTick) << c.port;
        if (openedAt != 0) {
            EXPECT_EQ(device.opens.front().port, c.port);
        }
        window.reset();
    }
}

TEST_F(MainWindowTest, StartUpBuildsTheWindowFromTheSettings) {
    saveStored([](Settings& s) { s.port = 5; });
    start();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vorrelind - Zintavo"));
    ASSERT_EQ(window->portCombo().count(), 3);
    EXPECT_EQ(window->portCombo().itemText(0), QString());
    EXPECT_EQ(window->portCombo().itemText(1), QStringLiteral("COM3"));
    EXPECT_EQ(window->portCombo().currentText(), QStringLiteral("COM5"));
    EXPECT_EQ(window->facePanel().size(), QSize(350, 237));
    // The saved size is the outer one, frame included.
    EXPECT_EQ(window->frameGeometry().size(), QSize(658, 480));
    EXPECT_TRUE(window->timer().interval() == MainWindow::kTickMs);
    EXPECT_FALSE(window->clearButton().autoDefault());
}

TEST_F(MainWindowTest, LayoutFollowsTheClientSize) {
    start();
    struct Case {
        QSize client;
        QRect chart;
        QRect list;
        QRect scrollBar;
        QRect zoomIn;
        QRect zoomOut;
    };
    const std::vector<Case> cases{
        {{650, 440},
         {2, 237, 638, 177},
         {357, 28, 284, 206},
         {1, 424, 613, 17},
         {615, 424, 17, 16},
         {632, 424, 17, 16}},
        {{1000, 700},
         {2, 237, 988, 437},
         {357, 28, 634, 206},
         {1, 684, 963, 17},
         {965, 684, 17, 16},
         {982, 684, 17, 16}},
    };
    for (const Case& c : cases) {
        window->resize(c.client);
        EXPECT_EQ(window->chartPanel().geometry(), c.chart);
        EXPECT_EQ(window->listView().geometry(), c.list);
        EXPECT_EQ(window->scrollBar().geometry(), c.scrollBar);
        EXPECT_EQ(window->zoomInButton().geometry(), c.zoomIn);
        EXPECT_EQ(window->zoomOutButton().geometry(), c.zoomOut);
    }
}

TEST_F(MainWindowTest, ReadingsThatAreLoggedBecomeRowsAndSamples) {
    struct Case {
        const char* name;
        MeterReading reading;
        bool logged;
    };
    MeterReading held = kVolts;
    held.setHold(true);
    const std::vector<Case> cases{
        {"dc volts", kVolts, true},
        {"held", held, false},
        {"ohms over range", makeReading(3, 0, 0, 42000), false},
        {"ohms just in range", makeReading(3, 0, 0, 41999), true},
        {"no reading yet", makeReading(10, 0, 0, 0), false},
    };
    startOpen();
    std::size_t rows = 0;
    for (const Case& c : cases) {
        send(c.reading);
        if (c.logged) ++rows;
        EXPECT_EQ(window->readingList().rowCount(), rows) << c.name;
        EXPECT_EQ(window->history().count(), rows) << c.name;
        EXPECT_EQ(window->listModel().rowCount(), static_cast<int>(rows)) << c.name;
    }
    EXPECT_EQ(window->readingList().row(0).text, " 3/07/2021  2:05:09PM    3.45 VDC");
    EXPECT_EQ(window->listModel().data(window->listModel().index(0, 0)).toString(),
              QStringLiteral(" 3/07/2021  2:05:09PM    3.45 VDC"));
    EXPECT_FLOAT_EQ(window->history().atAge(2).value, 3.45f);
    // The view follows: the newest row is selected and the chart shows the newest sample.
    EXPECT_EQ(currentRow(), 1);
    EXPECT_EQ(window->chartView().scrollOffset, 0);
    EXPECT_EQ(window->chartView().firstMarker, 0);
}

TEST_F(MainWindowTest, TwoFramesInOneTickGiveTwoRows) {
    startOpen();
    const auto a = packFrame(kVolts);
    const auto b = packFrame(makeReading(1, 0, 3, 346));
    device.feed({a.begin(), a.end()});
    device.feed({b.begin(), b.end()});
    window->tick();
    ASSERT_EQ(window->readingList().rowCount(), 2u);
    EXPECT_FLOAT_EQ(window->history().atAge(1).value, 3.46f);
    EXPECT_FLOAT_EQ(window->history().atAge(2).value, 3.45f);
}

TEST_F(MainWindowTest, ClearEmptiesTheLogButKeepsTheView) {
    startOpen();
    send(kVolts);
    send(kVolts);
    window->faceState().maxValue = 3.45f;
    window->faceState().minValue = 1.0f;
    window->zoomInButton().click();
    window->chartView().scrollOffset = 7;
    window->chartView().firstMarker = 2;
    window->clearButton().click();
    EXPECT_EQ(window->readingList().rowCount(), 0u);
    EXPECT_EQ(window->listModel().rowCount(), 0);
    EXPECT_EQ(window->history().count(), 0u);
    EXPECT_EQ(window->faceState().maxValue, 0.0f);
    EXPECT_EQ(window->faceState().minValue, 0.0f);
    EXPECT_EQ(window->chartView().zoom, 2);
    EXPECT_EQ(window->chartView().scrollOffset, 7);
    EXPECT_EQ(window->chartView().firstMarker, 2);
    EXPECT_TRUE(logFiles().empty());  // Clear saves nothing
}

TEST_F(MainWindowTest, HoldStopsTheListFollowingAndKeepsMarkersOnTheirSamples) {
    startOpen();
    send(kVolts);
    send(kVolts);
    ASSERT_EQ(currentRow(), 1);
    window->holdButton().click();
    EXPECT_TRUE(window->chartView().held);
    window->chartView().firstMarker = 5;
    window->chartView().secondMarker = 0;
    send(kVolts);
    EXPECT_EQ(window->readingList().rowCount(), 3u);
    EXPECT_EQ(currentRow(), 1);
    EXPECT_EQ(window->chartView().firstMarker, 6);
    EXPECT_EQ(window->chartView().secondMarker, 0);
    window->holdButton().click();
    EXPECT_FALSE(window->chartView().held);
    send(kVolts);
    EXPECT_EQ(currentRow(), 3);
    EXPECT_EQ(window->chartView().firstMarker, 0);
}

TEST_F(MainWindowTest, ClickOnTheChartHoldsTheViewOnTheSelection) {
    startOpen();
    for (int i = 0; i < 5; ++i) send(kVolts);
    window->resize(650, 440);
    const QPoint chartRight = window->chartPanel().mapToGlobal(QPoint(638, 50));
    cursor = chartRight - QPoint(3, 0);  // zoom 1: three samples back from the right edge
    QTest::mousePress(&window->chartPanel(), Qt::LeftButton, {}, QPoint(635, 50));
    EXPECT_TRUE(window->chartView().dragging);
    EXPECT_EQ(window->chartView().firstMarker, 3);
    cursor = chartRight;
    window->tick();
    EXPECT_EQ(window->chartView().secondMarker, 0);
    cursor = chartRight - QPoint(1, 0);
    window->tick();
    EXPECT_EQ(window->chartView().secondMarker, 1);
    const QStringList lines = window->statsText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4) << window->statsText().toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("2:05:09 - 2:05:09"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Total:\t10.3"))) << lines[1].toStdString();
    EXPECT_EQ(lines[2], QStringLiteral("Time:\t0:00:03"));
    EXPECT_EQ(lines[3], QStringLiteral("Avg:\t3.450000"));
    EXPECT_EQ(window->chartPanel().toolTip(), window->statsText());
    QTest::mouseRelease(&window->chartPanel(), Qt::LeftButton, {}, QPoint(637, 50));
    EXPECT_FALSE(window->chartView().dragging);
    EXPECT_TRUE(window->chartView().held);
    EXPECT_TRUE(window->holdButton().isChecked());
    EXPECT_EQ(currentRow(), 5 - 3);
}

TEST_F(MainWindowTest, ZoomButtonsStepThroughTheLevels) {
    start();
    struct Case {
        std::vector<bool> clicks;  // true: "+", false: "-"
        int zoom;
    };
    const std::vector<Case> cases{
        {{true}, 2},
        {{false}, -2},
        {{false, true}, 1},
        {{false, false, false}, -4},
        {std::vector<bool>(60, true), 50},
        {std::vector<bool>(60, false), -50},
    };
    for (const Case& c : cases) {
        window->chartView().zoom = 1;
        for (bool in : c.clicks) (in ? window->zoomInButton() : window->zoomOutButton()).click();
        EXPECT_EQ(window->chartView().zoom, c.zoom);
    }
}

TEST_F(MainWindowTest, ScrollBarMovesTheChartByThePageFormulas) {
    start();
    window->resize(650, 440);  // chart 638 wide: 600 samples per page at zoom 1
    for (int i = 0; i < 5000; ++i) window->history().append(1.0f, 0, false);
    struct Case {
        int offset;
        QAbstractSlider::SliderAction action;
        int expectedOffset;
        int expectedThumb;
    };
    const std::vector<Case> cases{
        {4000, QAbstractSlider::SliderPageStepSub, 4400, 0},
        {3000, QAbstractSlider::SliderPageStepSub, 3600, 799},
        {3000, QAbstractSlider::SliderSingleStepSub, 3600, 799},
        {3000, QAbstractSlider::SliderPageStepAdd, 2400, 1999},
        {500, QAbstractSlider::SliderSingleStepAdd, 0, 4399},
    };
    for (const Case& c : cases) {
        window->chartView().scrollOffset = c.offset;
        window->scrollBarAdapter().apply(scrollBarState(window->chartView(), 638, 5000));
        window->scrollBar().triggerAction(c.action);
        EXPECT_EQ(window->chartView().scrollOffset, c.expectedOffset) << c.offset;
        EXPECT_EQ(window->scrollBar().value(), c.expectedThumb) << c.offset;
    }
}

TEST_F(MainWindowTest, ScrollBarFollowsTheNewestSampleAtOffsetZero) {
    startOpen();
    window->resize(650, 440);
    for (int i = 0; i < 700; ++i) window->history().append(1.0f, 0, false);
    send(kVolts);  // 701 samples, page 600: thumb at 701 - 600 = 101
    EXPECT_EQ(window->scrollBar().maximum(), 101);
    EXPECT_EQ(window->scrollBar().value(), 101);
    EXPECT_EQ(window->scrollBar().pageStep(), 600);
}

TEST_F(MainWindowTest, TagEditSetsAndClearsTheFlagAndReachesTheSavedLog) {
    startOpen();
    send(kVolts);
    send(kVolts);
    window->show();
    ReadingListView& view = window->listView();
    view.setFocus();
    view.setCurrentIndex(window->listModel().index(0, 0));
    QTest::keyClick(&view, Qt::Key_F2);
    auto* editor = view.findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->maxLength(), 200);
    QTest::keyClicks(editor, QStringLiteral("probe "));
    editor->insert(QString::fromUtf8("\xCE\xA9 moved"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the editor commits through the event loop
    EXPECT_EQ(window->readingList().row(0).tag, "probe  moved");
    EXPECT_TRUE(window->history().atAge(2).tagged());
    EXPECT_FALSE(window->history().atAge(1).tagged());

    struct Case {
        QString text;
        std::string tag;
        bool tagged;
    };
    const std::vector<Case> cases{{QStringLiteral("a,b"), "a,b", true},
                                  {QString(), "", false},
                                  {QStringLiteral("x"), "x", true}};
    for (const Case& c : cases) {
        window->listModel().setData(window->listModel().index(1, ReadingListModel::TagColumn),
                                    c.text);
        EXPECT_EQ(window->readingList().row(1).tag, c.tag);
        EXPECT_EQ(window->history().atAge(1).tagged(), c.tagged);
    }
    window->closeAndSave();
    const auto files = logFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(readFileBytes(files[0]),
              " 3/07/2021  2:05:09PM    3.45 VDC,probe  moved\r\n"
              " 3/07/2021  2:05:09PM    3.45 VDC,x\r\n");
}

TEST_F(MainWindowTest, EscapeSavesAndClosesFromAnyControlButFirstCancelsAnEdit) {
    startOpen();
    send(kVolts);
    window->show();
    ReadingListView& view = window->listView();
    view.setFocus();
    view.setCurrentIndex(window->listModel().index(0, 0));
    QTest::keyClick(&view, Qt::Key_F2);
    auto* editor = view.findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("dropped"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->readingList().row(0).tag, "");
    EXPECT_TRUE(logFiles().empty());

    // An open drop-down only closes.
    window->portCombo().showPopup();
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(window->isVisible());

    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(logFiles().size(), 1u);
    Settings saved;
    loadSettings(saved, store);
    EXPECT_EQ(fs::path(saved.logFile), logFiles()[0]);
}

TEST_F(MainWindowTest, EscapeFromEachControlCloses) {
    const std::vector<std::function<QWidget&(MainWindow&)>> controls{
        [](MainWindow& w) -> QWidget& { return w.clearButton(); },
        [](MainWindow& w) -> QWidget& { return w.holdButton(); },
        [](MainWindow& w) -> QWidget& { return w.portCombo(); },
        [](MainWindow& w) -> QWidget& { return w.scrollBar(); },
    };
    for (const auto& control : controls) {
        start();
        window->show();
        QWidget& target = control(*window);
        target.setFocus();
        QTest::keyClick(&target, Qt::Key_Escape);
        EXPECT_FALSE(window->isVisible()) << target.metaObject()->className();
        window.reset();
    }
}

TEST_F(MainWindowTest, EnterPressesNothing) {
    startOpen();
    send(kVolts);
    window->show();
    for (QWidget* target :
         std::vector<QWidget*>{&window->clearButton(), &window->listView(), window.get()}) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter);
    }
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->readingList().rowCount(), 1u);
}

TEST_F(MainWindowTest, EveryWayOfEndingSavesExactlyOnce) {
    struct Case {
        const char* name;
        std::function<void(MainWindowTest&)> end;
        std::size_t files;
    };
    const std::vector<Case> cases{
        {"session end, then close twice",
         [](MainWindowTest& t) {
             t.window->saveLogOnce();
             t.window->closeAndSave();
             t.window->closeAndSave();
         },
         1},
        {"close, then quit",
         [](MainWindowTest& t) {
             t.window->closeAndSave();
             t.window->saveLogOnce();
         },
         1},
        {"destroyed without closing", [](MainWindowTest&) {}, 0},
        // A session end that was called off: what came after is saved too.
        {"session end, new reading, close",
         [](MainWindowTest& t) {
             t.window->saveLogOnce();
             t.clock.set({2021, 3, 7, 14, 6, 0});
             t.send(kVolts);
             t.window->closeAndSave();
         },
         2},
    };
    for (const Case& c : cases) {
        for (const fs::path& f : logFiles()) fs::remove(f);
        // Each case is a first run: nothing left to recover from the one before.
        fs::remove(journalFile());
        clock.set({2021, 3, 7, 14, 5, 9});
        device = FakeSerialDevice{};
        startOpen();
        send(kVolts);
        c.end(*this);
        window.reset();
        EXPECT_EQ(logFiles().size(), c.files) << c.name;
    }
}

TEST_F(MainWindowTest, StartUpLoadsTheLastLogAndChoosingAPortDoesNotReloadIt) {
    const fs::path log = dir.path() / "previous.log";
    writeFileBytes(
        log, " 3/07/2021  2:05:09PM    3.45 VDC\r\n 3/07/2021  2:05:10PM   -0.12 VDC,probe\r\n");
    saveStored([&](Settings& s) { s.logFile = log.string(); });
    start();
    ASSERT_EQ(window->readingList().rowCount(), 2u);
    EXPECT_EQ(window->history().count(), 2u);
    EXPECT_TRUE(window->history().atAge(1).tagged());
    EXPECT_EQ(window->listModel().rowCount(), 2);
    window->portCombo().setCurrentIndex(2);
    Q_EMIT window->portCombo().activated(2);
    EXPECT_EQ(window->settings().port, 5u);
    EXPECT_EQ(window->readingList().rowCount(), 2u);
    EXPECT_EQ(window->history().count(), 2u);
}

TEST_F(MainWindowTest, ClosingWithAnEmptyListWritesNoLog) {
    saveStored([](Settings& s) { s.logFile = "/nowhere/earlier.log"; });
    start();
    window->closeAndSave();
    EXPECT_TRUE(logFiles().empty());
    Settings saved;
    loadSettings(saved, store);
    EXPECT_EQ(saved.logFile, "/nowhere/earlier.log");
}

TEST_F(MainWindowTest, PlacementIsSavedAndAMinimisedWindowKeepsItsNormalRectangle) {
    start();
    window->move(120, 130);
    window->resize(700, 500);
    const QRect frame = window->frameGeometry();
    window->showMinimized();
    window->closeAndSave();
    Settings saved;
    loadSettings(saved, store);
    EXPECT_EQ(saved.window, (WindowRect{frame.x(), frame.y(), frame.width(), frame.height()}));
    EXPECT_EQ(frame.topLeft(), QPoint(120, 130));
}

TEST_F(MainWindowTest, TickBlinksTheArrowAndInvalidatesTheFace) {
    start();
    window->faceState().overRangeArrow = true;
    window->faceState().arrowVisible = false;
    window->faceState().blinkCountdown = 0;
    std::vector<bool> phases;
    for (int t = 0; t < 8; ++t) {
        window->tick();
        phases.push_back(window->faceState().arrowVisible);
    }
    EXPECT_EQ(phases, (std::vector<bool>{true, true, true, true, false, false, false, false}));
}

TEST_F(MainWindowTest, SuspendClosesThePortAndResumeReopensItSixtyTicksLater) {
    startOpen();
    fs::create_directories(dir.path() / "dev");
    SystemNotifications notifications(QString::fromStdString((dir.path() / "dev").string()),
                                      QString::fromStdString(paths().portFolder()), {});
    window->listenTo(notifications);
    Q_EMIT notifications.powerEvent(4);
    EXPECT_FALSE(device.isOpen());
    EXPECT_TRUE(window->meterPort().suspended);
    ticks(200);
    EXPECT_FALSE(device.isOpen());
    Q_EMIT notifications.powerEvent(7);
    ticks(59);
    EXPECT_FALSE(device.isOpen());
    window->tick();
    EXPECT_TRUE(device.isOpen());
    EXPECT_FALSE(window->meterPort().suspended);
}

TEST_F(MainWindowTest, DeviceChangeLooksForTheMeterOnlyWhileThePortIsClosed) {
    struct Case {
        bool open;
        std::uint32_t detectionsAfter;
    };
    for (const Case& c : std::vector<Case>{{true, 0}, {false, 1}}) {
        device = FakeSerialDevice{};
        device.failAllOpens = !c.open;
        saveStored([](Settings& s) { s.port = 3; });
        start();
        ticks(10);
        ASSERT_EQ(device.isOpen(), c.open);
        SystemNotifications notifications(QString::fromStdString(dir.path().string()),
                                          QString::fromStdString(paths().portFolder()), {});
        window->listenTo(notifications);
        Q_EMIT notifications.deviceChange();
        EXPECT_EQ(window->detection().generation(), c.detectionsAfter) << c.open;
        window.reset();
    }
}

// A run that dies (the window destroyed without closing) leaves its rows in
// the journal; the next start shows them, saves them at once and empties it.
TEST_F(MainWindowTest, NextStartRecoversWhatARunThatDiedHadNotSaved) {
    const MeterReading other = makeReading(1, 0, 3, 346);
    const std::string line = " 3/07/2021  2:05:09PM    3.45 VDC";
    const std::string otherLine = " 3/07/2021  2:05:09PM    3.46 VDC";
    const std::string laterLine = " 3/07/2021  2:06:00PM    3.46 VDC";
    struct Case {
        const char* name;
        std::function<void(MainWindowTest&)> run;
        std::vector<ReadingRow> rows;  // after the next start
        std::size_t files;             // logs on disk after the next start
    };
    const std::vector<Case> cases{
        {"nothing logged", [](MainWindowTest&) {}, {}, 0},
        {"readings and tags",
         [&](MainWindowTest& t) {
             t.send(kVolts);
             t.send(other);
             t.tag(1, QStringLiteral("probe, moved"));
             t.tag(0, QStringLiteral("gone"));
             t.tag(0, QString());
         },
         {{"", line}, {"probe, moved", otherLine}},
         1},
        {"closed cleanly",
         [](MainWindowTest& t) {
             t.send(kVolts);
             t.window->closeAndSave();
         },
         {{"", line}},
         1},
        {"saved at a session end, then more",
         [&](MainWindowTest& t) {
             t.send(kVolts);
             t.window->saveLogOnce();
             t.clock.set({2021, 3, 7, 14, 6, 0});
             t.send(other);
             t.tag(0, QStringLiteral("early"));
         },
         {{"early", line}, {"", laterLine}},
         2},
        {"cleared, then one more",
         [&](MainWindowTest& t) {
             t.send(kVolts);
             t.send(kVolts);
             t.window->saveLogOnce();
             t.clock.set({2021, 3, 7, 14, 6, 0});
             t.window->clearButton().click();
             t.send(other);
         },
         {{"", laterLine}},
         2},
        {"cleared with nothing after",
         [](MainWindowTest& t) {
             t.send(kVolts);
             t.window->clearButton().click();
         },
         {},
         0},
    };
    for (const Case& c : cases) {
        for (const fs::path& f : logFiles()) fs::remove(f);
        fs::remove(journalFile());
        saveStored([](Settings& s) { s.logFile.clear(); });
        clock.set({2021, 3, 7, 14, 5, 9});
        device = FakeSerialDevice{};
        startOpen();
        c.run(*this);
        window.reset();
        clock.set({2021, 3, 7, 14, 7, 0});
        start();

        const ReadingList& list = window->readingList();
        ASSERT_EQ(list.rowCount(), c.rows.size()) << c.name;
        EXPECT_EQ(window->listModel().rowCount(), static_cast<int>(c.rows.size())) << c.name;
        ASSERT_EQ(window->history().count(), c.rows.size()) << c.name;
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            EXPECT_EQ(list.row(i), c.rows[i]) << c.name << " row " << i;
            EXPECT_EQ(window->history().slot(static_cast<std::uint32_t>(i)).tagged(),
                      !c.rows[i].tag.empty())
                << c.name << " row " << i;
        }
        EXPECT_EQ(logFiles().size(), c.files) << c.name;
        EXPECT_TRUE(parseJournal(readFileBytes(journalFile())).records.empty()) << c.name;
        // The log that holds the rows is named in the stored settings at once.
        Settings stored;
        loadSettings(stored, store);
        EXPECT_EQ(stored.logFile, window->settings().logFile) << c.name;
        window.reset();
    }
}

TEST_F(MainWindowTest, WithoutAJournalTheProgramStillLogsAndSaves) {
    writeFileBytes(dir.path() / "data", "not a folder");
    startOpen();
    send(kVolts);
    window->closeAndSave();
    ASSERT_EQ(logFiles().size(), 1u);
    EXPECT_EQ(readFileBytes(logFiles()[0]), " 3/07/2021  2:05:09PM    3.45 VDC\r\n");
    EXPECT_EQ(beeps, 0);
}

}  // namespace

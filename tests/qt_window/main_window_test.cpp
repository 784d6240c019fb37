#include "qt_window/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <filesystem>
#include <vector>

#include "link/frame_codec.h"
#include "qt/qt_canvas.h"
#include "qt_window/reading_list_view.h"
#include "qt_window/scroll_bar_adapter.h"
#include "qt_window/surface_panel.h"
#include "qt_window/system_notifications.h"
#include "settings/maximized_setting.h"
#include "settings/settings_memory_backend.h"
#include "settings/settings_store.h"
#include "support/fake_serial_device.h"
#include "support/fake_thread_starter.h"
#include "support/platform_journal_files.h"
#include "support/reading_builder.h"
#include "support/temp_dir.h"
#include "window_layout/window_layout.h"

namespace fs = std::filesystem;

QT_BEGIN_NAMESPACE
// Readable rectangles in failure messages.
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}
QT_END_NAMESPACE

namespace {

const MeterReading kVolts = makeReading(1, 0, 3, 345);  // 3.45 VDC

// The Qt window over a session on fakes. What the session decides is tested
// with the session; these tests check that the widgets show it and that the
// user's actions reach it.
class MainWindowTest : public ::testing::Test {
  public:
    TempDir dir;
    SettingsMemoryBackend store;
    FakeSerialDevice device;
    FakeSerialPorts ports;
    DeferredThreadStarter threads;
    PlatformJournalFiles journalFiles;
    FixedClock clock{{2021, 3, 7, 14, 5, 9}};
    QPoint cursor;
    std::unique_ptr<MainWindow> window;

    MainWindowTest() {
        fs::create_directories(dir.path() / "bin");
        ports.ports = {3, 5};
    }

    void saveStored(const std::function<void(Settings&)>& change) {
        Settings s;
        loadSettings(s, store);
        change(s);
        saveSettings(s, store);
    }

    void start() {
        window = std::make_unique<MainWindow>(WindowServices{
            .session =
                {
                    .settingsStore = store,
                    .device = device,
                    .ports = ports,
                    .threads = threads,
                    .journalFiles = journalFiles,
                    .clock = clock,
                    .paths = {(dir.path() / "bin" / "zintavo").string(),
                              (dir.path() / "data").string(), (dir.path() / "cfg").string()},
                    .beep = {},
                    .reportProblem = {},
                    .portLabel = {},
                    .probeInterval = std::chrono::milliseconds(1),
                    .syncFile = {},
                },
            .cursorPos = [this] { return cursor; },
        });
        // The tests drive the ticks themselves.
        window->timer().stop();
        window->show();
    }

    MeterSession& session() { return window->session(); }

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

    int currentRow() const { return window->listView().currentRow(); }

    // The tooltip the list shows for a row.
    QString tooltipOf(int row) {
        ReadingListView& view = window->listView();
        const QPoint at = view.rowRect(row).center();
        QHelpEvent help(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
        QApplication::sendEvent(view.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }
};

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
    // Never so small that a control is cut.
    EXPECT_EQ(window->minimumSize(), QSize(627, 343));
    // The open drop-down is wide enough for its longest entry.
    window->portCombo().addItem(QStringLiteral("COM7 (pts/6) and a long device name"));
    window->portCombo().showPopup();
    EXPECT_GE(window->portCombo().view()->width(),
              window->portCombo().view()->fontMetrics().horizontalAdvance(
                  QStringLiteral("COM7 (pts/6) and a long device name")));
    window->portCombo().hidePopup();
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

TEST_F(MainWindowTest, LoggedReadingsReachTheListAndTheButtonsReachTheSession) {
    startOpen();
    MeterReading held = kVolts;
    held.setHold(true);
    send(kVolts);
    send(held);
    send(kVolts);
    EXPECT_EQ(window->listView().rowCount(), 2);
    EXPECT_EQ(window->listView().logLine(0), QStringLiteral(" 3/07/2021  2:05:09PM    3.45 VDC"));
    // The view follows: the newest row is selected.
    EXPECT_EQ(currentRow(), 1);

    window->zoomInButton().click();
    EXPECT_EQ(session().chartView().zoom, 2);
    window->zoomOutButton().click();
    window->zoomOutButton().click();
    EXPECT_EQ(session().chartView().zoom, -2);
    window->clearButton().click();
    EXPECT_EQ(session().readingList().rowCount(), 0u);
    EXPECT_EQ(window->listView().rowCount(), 0);
    EXPECT_TRUE(logFiles().empty());  // Clear saves nothing
}

TEST_F(MainWindowTest, HoldStopsTheListFollowingAndKeepsMarkersOnTheirSamples) {
    startOpen();
    send(kVolts);
    send(kVolts);
    ASSERT_EQ(currentRow(), 1);
    window->holdButton().click();
    EXPECT_TRUE(session().chartView().held);
    session().chartView().firstMarker = 5;
    session().chartView().secondMarker = 0;
    send(kVolts);
    EXPECT_EQ(session().readingList().rowCount(), 3u);
    EXPECT_EQ(currentRow(), 1);
    EXPECT_EQ(session().chartView().firstMarker, 6);
    EXPECT_EQ(session().chartView().secondMarker, 0);
    window->holdButton().click();
    EXPECT_FALSE(session().chartView().held);
    send(kVolts);
    EXPECT_EQ(currentRow(), 3);
    EXPECT_EQ(session().chartView().firstMarker, 0);
}

TEST_F(MainWindowTest, ClickOnTheChartHoldsTheViewOnTheSelection) {
    startOpen();
    for (int i = 0; i < 5; ++i) send(kVolts);
    window->resize(650, 440);
    const QPoint chartRight = window->chartPanel().mapToGlobal(QPoint(638, 50));
    cursor = chartRight - QPoint(3, 0);  // zoom 1: three samples back from the right edge
    QTest::mousePress(&window->chartPanel(), Qt::LeftButton, {}, QPoint(635, 50));
    EXPECT_TRUE(session().chartView().dragging);
    EXPECT_EQ(session().chartView().firstMarker, 3);
    cursor = chartRight;
    window->tick();
    EXPECT_EQ(session().chartView().secondMarker, 0);
    cursor = chartRight - QPoint(1, 0);
    window->tick();
    EXPECT_EQ(session().chartView().secondMarker, 1);
    const QStringList lines = window->statsText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4) << window->statsText().toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("2:05:09 - 2:05:09"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Total:\t10.3"))) << lines[1].toStdString();
    EXPECT_EQ(lines[2], QStringLiteral("Time:\t0:00:03"));
    EXPECT_EQ(lines[3], QStringLiteral("Avg:\t3.450000"));
    EXPECT_EQ(window->chartPanel().toolTip(), window->statsText());
    QTest::mouseRelease(&window->chartPanel(), Qt::LeftButton, {}, QPoint(637, 50));
    EXPECT_FALSE(session().chartView().dragging);
    EXPECT_TRUE(session().chartView().held);
    EXPECT_TRUE(window->holdButton().isChecked());
    EXPECT_EQ(currentRow(), 5 - 3);
}

TEST_F(MainWindowTest, ScrollBarMovesTheChartByThePageFormulas) {
    start();
    window->resize(650, 440);  // chart 638 wide: 600 samples per page at zoom 1
    for (int i = 0; i < 5000; ++i) session().history().append(1.0f, 0, false);
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
        session().chartView().scrollOffset = c.offset;
        window->scrollBarAdapter().apply(scrollBarState(session().chartView(), 638, 5000));
        window->scrollBar().triggerAction(c.action);
        EXPECT_EQ(session().chartView().scrollOffset, c.expectedOffset) << c.offset;
        EXPECT_EQ(window->scrollBar().value(), c.expectedThumb) << c.offset;
    }
}

TEST_F(MainWindowTest, ScrollBarFollowsTheNewestSampleAtOffsetZero) {
    startOpen();
    window->resize(650, 440);
    for (int i = 0; i < 700; ++i) session().history().append(1.0f, 0, false);
    send(kVolts);  // 701 samples, page 600: thumb at 701 - 600 = 101
    EXPECT_EQ(window->scrollBar().maximum(), 101);
    EXPECT_EQ(window->scrollBar().value(), 101);
    EXPECT_EQ(window->scrollBar().pageStep(), 600);
}

// A reading repaints only the part of the chart its tick changed, a drag the
// whole chart at once: what the screen shows of the chart is still the whole
// new picture, trace, scale and selection lines.
TEST_F(MainWindowTest, TheChartOnScreenIsTheChartDrawn) {
    startOpen();
    const auto expectShownAsDrawn = [this](int step) {
        QApplication::processEvents();
        const QRect chart = window->chartPanel().geometry();
        const QImage shown =
            window->screen()
                ->grabWindow(window->winId(), chart.x(), chart.y(), chart.width(), chart.height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        QtCanvas drawn(chart.width(), chart.height());
        session().renderChart(drawn);
        EXPECT_EQ(shown, drawn.image()) << step;
    };
    for (const int count : {345, 3000, 10, 10, 2500, 345, 4000, 1, 600, 600, 3999, 0, 2000}) {
        send(makeReading(1, 0, 3, count));
        expectShownAsDrawn(count);
    }
    cursor = window->chartPanel().mapToGlobal(QPoint(600, 50));
    QTest::mousePress(&window->chartPanel(), Qt::LeftButton, {}, QPoint(600, 50));
    for (const int x : {610, 620, 590}) {
        cursor = window->chartPanel().mapToGlobal(QPoint(x, 50));
        window->tick();
        expectShownAsDrawn(x);
    }
}

TEST_F(MainWindowTest, TagEditSetsAndClearsTheFlagAndReachesTheSavedLog) {
    startOpen();
    send(kVolts);
    send(kVolts);
    window->show();
    ReadingListView& view = window->listView();
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Home);
    // The user's selection holds the view; a typed letter searches nothing.
    EXPECT_TRUE(window->holdButton().isChecked());
    QTest::keyClick(&view, Qt::Key_B);
    EXPECT_EQ(currentRow(), 0);
    QTest::keyClick(&view, Qt::Key_F2);
    QLineEdit* editor = view.editor();
    ASSERT_NE(editor, nullptr);
    // At the default size the editor spans the row's free width, not the tag column.
    EXPECT_GE(editor->width(), 200);
    QTest::keyClicks(editor, QStringLiteral("probe "));
    // With Hold let go, readings while the editor is open leave it on its row.
    window->holdButton().click();
    send(kVolts);
    EXPECT_EQ(view.editor(), editor);
    EXPECT_EQ(currentRow(), 0);
    editor->insert(QString::fromUtf8("\xCE\xA9 moved"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the editor commits through the event loop
    EXPECT_EQ(session().readingList().row(0).tag, "probe  moved");
    EXPECT_TRUE(session().history().atAge(3).tagged());
    EXPECT_FALSE(session().history().atAge(2).tagged());

    // A double-click edits too.
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, view.rowRect(1).center());
    ASSERT_TRUE(view.editing());
    view.editor()->setText(QStringLiteral("x"));
    QTest::keyClick(view.editor(), Qt::Key_Return);
    EXPECT_EQ(session().readingList().row(1).tag, "x");
    // A tagged row shows its whole tag on hovering; Ctrl+C copies its log line.
    EXPECT_EQ(tooltipOf(0), QStringLiteral("probe  moved"));
    QTest::keySequence(&view, QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral(" 3/07/2021  2:05:09PM    3.45 VDC,x"));
    window->closeAndSave();
    const auto files = logFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(readFileBytes(files[0]),
              " 3/07/2021  2:05:09PM    3.45 VDC,probe  moved\r\n"
              " 3/07/2021  2:05:09PM    3.45 VDC,x\r\n"
              " 3/07/2021  2:05:09PM    3.45 VDC\r\n");
}

TEST_F(MainWindowTest, EscapeSavesAndClosesFromAnyControlButFirstCancelsAnEdit) {
    startOpen();
    send(kVolts);
    window->show();
    ReadingListView& view = window->listView();
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Home);
    QTest::keyClick(&view, Qt::Key_F2);
    QLineEdit* editor = view.editor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("dropped"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(session().readingList().row(0).tag, "");
    EXPECT_TRUE(logFiles().empty());

    // An open drop-down only closes.
    window->portCombo().showPopup();
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(window->isVisible());

    // During a drag over the chart Escape ends the drag; the release after it
    // is no click.
    window->resize(650, 440);
    cursor = window->chartPanel().mapToGlobal(QPoint(600, 50));
    QTest::mousePress(&window->chartPanel(), Qt::LeftButton, {}, QPoint(600, 50));
    ticks(1);
    ASSERT_TRUE(session().chartView().dragging);
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(session().chartView().dragging);
    QTest::mouseRelease(&window->chartPanel(), Qt::LeftButton, {}, QPoint(600, 50));
    EXPECT_FALSE(session().chartView().held);
    EXPECT_TRUE(window->isVisible());

    // After an edit, a drag and its tooltip, the first Escape saves and closes.
    window->chartPanel().setToolTip(QStringLiteral("statistics"));
    QToolTip::showText(cursor, QStringLiteral("statistics"), &window->chartPanel());
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
    EXPECT_EQ(session().readingList().rowCount(), 1u);
}

TEST_F(MainWindowTest, EveryWayOfEndingSavesExactlyOnce) {
    const std::vector<std::pair<const char*, std::function<void(MainWindowTest&)>>> endings{
        {"session end, then close twice",
         [](MainWindowTest& t) {
             t.session().saveIfChanged();
             t.window->closeAndSave();
             t.window->closeAndSave();
         }},
        {"close, then quit",
         [](MainWindowTest& t) {
             t.window->closeAndSave();
             t.session().saveIfChanged();
         }},
    };
    for (const auto& [name, end] : endings) {
        for (const fs::path& f : logFiles()) fs::remove(f);
        device = FakeSerialDevice{};
        startOpen();
        send(kVolts);
        end(*this);
        window.reset();
        EXPECT_EQ(logFiles().size(), 1u) << name;
        fs::remove_all(dir.path() / "data");  // no journal left for the next start
    }
}

// A minimised or maximised window keeps its normal rectangle as Window; a
// maximised one starts maximised again.
TEST_F(MainWindowTest, PlacementIsSavedAndAMinimisedWindowKeepsItsNormalRectangle) {
    for (const bool maximise : {false, true}) {
        start();
        window->show();
        window->move(120, 130);
        window->resize(700, 500);
        const QRect frame = window->frameGeometry();
        maximise ? window->showMaximized() : window->showMinimized();
        window->closeAndSave();
        Settings saved;
        loadSettings(saved, store);
        EXPECT_EQ(saved.window, (WindowRect{frame.x(), frame.y(), frame.width(), frame.height()}));
        EXPECT_EQ(frame.topLeft(), QPoint(120, 130));
        EXPECT_EQ(loadMaximized(store), maximise);
        start();
        window->show();
        EXPECT_EQ(window->isMaximized(), maximise);
    }
}

TEST_F(MainWindowTest, SystemNotificationsReachTheSession) {
    startOpen();
    fs::create_directories(dir.path() / "dev");
    SystemNotifications notifications(QString::fromStdString((dir.path() / "dev").string()),
                                      QString::fromStdString((dir.path() / "ports").string()), {});
    window->listenTo(notifications);
    Q_EMIT notifications.powerEvent(4);
    EXPECT_FALSE(device.isOpen());
    EXPECT_TRUE(session().meterPort().suspended);
    Q_EMIT notifications.deviceChange();
    EXPECT_EQ(session().detection().generation(), 1u);
}

}  // namespace

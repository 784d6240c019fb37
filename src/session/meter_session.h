#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/chart_renderer.h"
#include "chart/chart_selection.h"
#include "chart/chart_view.h"
#include "chart/selection_statistics.h"
#include "drawing/canvas.h"
#include "face/face_look.h"
#include "face/face_tick.h"
#include "face/meter_face_state.h"
#include "history/journal_file.h"
#include "history/log_writer.h"
#include "history/reading_list.h"
#include "history/recovery_journal.h"
#include "history/sample_history.h"
#include "history/tag_edit.h"
#include "link/listed_ports.h"
#include "link/meter_link.h"
#include "link/meter_port.h"
#include "link/port_detection.h"
#include "link/port_list.h"
#include "link/serial_device.h"
#include "link/serial_ports.h"
#include "link/thread_starter.h"
#include "session/orphan_journal.h"
#include "session/session_window.h"
#include "settings/settings.h"
#include "settings/settings_backend.h"
#include "settings/user_paths.h"
#include "time/clock.h"

// What the session takes from the machine it runs on. The programs pass the
// real adapters; tests pass fakes and temporary folders.
struct SessionServices {
    SettingsBackend& settingsStore;
    SerialDevice& device;  // the main link's port
    SerialPorts& ports;    // port enumeration and the probes' devices
    ThreadStarter& threads;
    JournalFiles& journalFiles;  // each window's recovery journal, locked while it runs
    const Clock& clock;
    UserPaths paths;
    std::function<void()> beep;
    // Where a lost save or journal is reported for a user or an administrator
    // to find (standard error, the system log); the window shows nothing.
    std::function<void(std::string_view)> reportProblem;
    // Device name shown beside a port's number in the list ("" for none).
    std::function<std::string(std::uint32_t)> portLabel;
    std::chrono::milliseconds probeInterval{100};
    // Hands a saved log to the disk before it takes its name (empty: the
    // system's cache decides when).
    std::function<bool(const std::string&)> syncFile;
};

// The program without its window: owns every record (settings, history ring,
// reading list, chart view, face state, the meter port, link and detection,
// log writer, journal, selection statistics) and every ordering rule (start-up,
// tick, reading, clear, tag edits, saving on every ending). A window forwards
// its events here and shows what the session tells it through SessionWindow.
class MeterSession final : private ReadingListener, private LinkOwner {
  public:
    static constexpr std::chrono::milliseconds kTick{50};

    MeterSession(SessionServices services, SessionWindow& window);
    ~MeterSession();
    MeterSession(const MeterSession&) = delete;
    MeterSession& operator=(const MeterSession&) = delete;

    // Start-up, in this order: settings, the history's size, the port list,
    // the timer, the link (open scheduled or detection started), the window's
    // placement, the last log and the journal of a run that died.
    void start();

    // The window's layout changed: the sizes of the two panels in pixels.
    void panelsResized(int faceWidth, int faceHeight, int chartWidth, int chartHeight);

    // One 50 ms tick: detection, the link (every frame handled as it arrives),
    // the face's bookkeeping and blinking, then the drag. `cursor` and `chart`
    // are in screen coordinates; they matter only while a drag is in progress.
    void tick(ScreenPoint cursor, const ScreenRect& chart);
    // How many of the ticks that follow this one would show and do nothing
    // but count down, so long as nothing arrives on inputHandle() and the
    // user does nothing: a window may sleep through them and run them late,
    // at once, through quietTick before the next tick. `untilNextSecond` is
    // what is left of the clock's second; the tick after it shows the clock.
    int quietTicks(std::chrono::milliseconds untilNextSecond) const;
    // A tick that quietTicks let pass, run late: the clock line stays as it is
    // (the second has not turned in it).
    void quietTick();
    // See SerialDevice::inputHandle: -1 when the port is closed or none is known.
    int inputHandle() const { return port_.inputHandle(); }

    // The user's actions.
    void clear();
    void toggleHold();
    void zoomIn();
    void zoomOut();
    void scroll(ScrollRequest request, int thumb);
    // A list row became selected. The list reports the session's own
    // selections (SessionWindow::selectRow) too; any other is the user's, and
    // holds the view as a click on the chart does.
    void listRowSelected(int row);
    // The chart's button went down or up; a release over the chart is a click.
    void chartPressed(ScreenPoint cursor, const ScreenRect& chart);
    void chartReleased(ScreenPoint cursor, const ScreenRect& chart, bool inside);
    // A drag over the chart is under way (the button went down on the chart).
    bool dragging() const { return view_.dragging; }
    // Ends a drag without a click: the selection stays, the view is not held.
    // Nothing happens when no drag is under way.
    void cancelDrag();
    // Index of the chosen entry of the port list.
    void portChosen(int index);
    // A row's tag editor opened or closed (finished or cancelled). While it is
    // open new readings neither select nor scroll, so the row stays the one
    // being edited.
    void tagEditOpened();
    void tagEditClosed();
    // A finished tag edit (nothing: cancelled); see onTagEditEnd.
    TagEditOutcome editTag(std::size_t row, std::optional<std::u16string_view> text);

    // The system's notifications.
    void powerEvent(unsigned eventCode);
    void deviceChange();

    // Saves the list unless it has not changed since the last successful save.
    // Every ending calls it (close, session end, quit); only the first with
    // news writes. False when the list could not be saved.
    bool saveIfChanged();
    // After the last save: stores the window's normal rectangle, whether it
    // is maximised, and every setting and closes the port. The journal goes only when the list as
    // it is now has been saved; otherwise the next start puts it back. Later calls do nothing.
    void shutDown(const WindowRect& normalFrame, bool maximized = false);
    // The window's ending (the close box, Escape, the end of the desktop
    // session): saves the list, then shuts down with the window's normal
    // rectangle and whether it is maximised. Nothing happens once the session
    // has shut down.
    void end(const WindowRect& normalFrame, bool maximized = false);
    // The list as it is now is on disk where the user keeps logs, and so was
    // every list this run saved (the program may end with success).
    bool listSaved() const { return savedAtChange_ == listChanges_ && !savedOutOfPlace_; }

    // The panels, drawn from the records.
    void renderFace(Canvas& canvas) const;
    void renderChart(Canvas& canvas);

    // The records, for the windows, the tools and the tests.
    const Settings& settings() const { return settings_; }
    Settings& settings() { return settings_; }
    const ReadingList& readingList() const { return list_; }
    SampleHistory& history() { return *history_; }
    const SampleHistory& history() const { return *history_; }
    ChartView& chartView() { return view_; }
    const ChartView& chartView() const { return view_; }
    MeterFaceState& faceState() { return face_; }
    MeterPort& meterPort() { return port_; }
    PortDetection& detection() { return detection_; }
    bool started() const { return started_; }

  private:
    // ReadingListener: a valid frame arrived on the main link.
    void onMeterReading(MeterReading& reading) override;
    // LinkOwner
    void writeSettings() override;
    void showDetectedPort() override;
    void reportPortHeld(std::uint32_t port) override;

    void addReadingLine(std::string line);
    // New readings select the newest row unless the user has hold of the
    // view: Hold, a tag being edited, or a drag over the chart.
    bool followsNewReadings() const;
    // Selects a row for the session's own reasons (not the user's choice).
    void selectRow(std::size_t row);
    // A full ring is written out and cleared. When the log cannot be written
    // anywhere, every row is kept and the ring wraps; the save is tried again
    // the next time the ring fills.
    void saveAndClearWhenFull();
    // The journal a run that died left goes into the list one ring at a time,
    // a tick each, so that the window shows at once whatever it holds. When
    // all is in, the list is saved. True while more waits and can be read.
    bool replayPiece();
    // tick() and quietTick(): whether the clock is read (the second may have turned).
    void runTick(ScreenPoint cursor, const ScreenRect& chart, bool readsClock);
    // One ring of the first journal left to write out goes to a log.
    void writeOutOrphans();
    // While records wait, a save covers only the rows in the list; the
    // journal keeps the rest and learns which log took the rows (emptied
    // afterwards: `empties`).
    bool savePiece(bool empties);
    // Empties the list, the ring, MIN/MAX and the chart's scale.
    void clearHistory();
    void updateFace();
    // The list's new rows in one go (count, then the newest selected when the
    // view follows) and the scroll bar when it changed: once a tick however
    // many readings arrived in it.
    void showListChanges();
    void updateScrollBar();
    // Asks the window to redraw the parts of the face that now look different,
    // and the clock line when `now` is past the second it shows.
    void showFaceChanges(const LocalDateTime& now);
    // The same, the clock line left as it is.
    void showFaceChanges();
    // Saves the list to a new log; on success the journal starts afresh.
    bool saveLogNow();
    // The journal starts afresh from the list as it is now.
    void restartJournal();
    void checkJournal();

    SessionServices services_;
    SessionWindow& window_;
    Settings settings_;
    std::unique_ptr<SampleHistory> history_;
    ReadingList list_;
    ChartView view_;
    MeterFaceState face_;
    ListedPorts listedPorts_;
    PortList portList_;
    MeterPort port_;
    PortDetection detection_;
    MeterLink link_;
    LogWriter logWriter_;
    RecoveryJournal journal_;
    // Where putting back the journal of a run that died stands, its records
    // read from the file as they go in (nothing: no record waits there).
    std::optional<JournalReplayPosition> replay_;
    // The journals of other runs that died, written out after the window shows.
    std::vector<OrphanJournal> orphans_;
    // The journal's number for the list's first row (tags name rows by it).
    std::int64_t firstJournalRow_ = 0;
    ChartRenderer chartRenderer_;
    SelectionStatistics statistics_;
    RowLabelSource rowLabel_;  // the chart's tag texts, from the list

    FaceLook shownLook_;             // the face as the window was last asked to show it
    LocalDateTime shownTime_;        // the clock it shows
    std::size_t shownRows_ = 0;      // the rows the window's list was told of
    ScrollBarState shownScrollBar_;  // the scroll bar it was last told of
    bool scrollBarStale_ = false;    // readings arrived: the bar may have changed
    bool chartStale_ = false;        // readings arrived: the chart is redrawn this tick
    bool readingsArrived_ = false;   // rows of new readings (not of a replay) this tick
    // Frames at most this many ticks apart come back to back (at the line's
    // limit a frame takes more than a tick to send).
    static constexpr std::uint32_t kBackToBackTicks = 2;
    std::uint32_t ticks_ = 0;      // ticks run, wrapping
    std::uint32_t frameTick_ = 0;  // the tick of the last valid frame
    std::uint32_t frameGap_ = 0;   // ticks between the last two
    int faceWidth_ = 0;
    int faceHeight_ = 0;
    int chartWidth_ = 0;
    int chartHeight_ = 0;
    bool started_ = false;
    bool shutDown_ = false;
    bool journalReported_ = false;
    bool selectingRow_ = false;     // inside selectRow: the list's report is not the user's
    bool followingNewest_ = false;  // ... and it selects the newest row for the view that follows
    bool tagEditOpen_ = false;
    bool savedOutOfPlace_ = false;  // a save went to the last resort folder
    // Changes to the list, counted so that each save knows whether it has news.
    std::uint64_t listChanges_ = 1;
    std::uint64_t savedAtChange_ = 0;
};

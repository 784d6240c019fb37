#include "receive_loop_harness.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "drawing/recording_canvas.h"
#include "fuzz_bytes.h"
#include "history/log_reader.h"
#include "history/logged_reading.h"
#include "link/frame_codec.h"
#include "session/meter_session.h"
#include "settings/settings_memory_backend.h"
#include "settings/settings_store.h"
#include "support/fake_serial_device.h"
#include "support/fake_thread_starter.h"
#include "support/platform_journal_files.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kPortNumber = 3;
constexpr std::uint32_t kMaxCapacity = 16;
constexpr int kChartWidth = 600;
constexpr ScreenRect kChartOnScreen{100, 300, 100 + kChartWidth, 420};

enum class Step : std::uint8_t {
    rawBytes,
    frame,
    tick,
    failure,
    reopen,
    clock,
    hold,
    repaint,
    clear,
    tagEdit,
    scroll,
    selectRow,
};
constexpr std::uint8_t kSteps = 16;  // the spare codes do nothing

// The session on a fake line, in a window that checks what it is told: every
// reading the logging rule takes becomes the newest row, every full ring is
// saved as exactly the rows since the last save or Clear.
class Rig final : public SessionWindow {
  public:
    Rig(std::uint32_t capacity, const fs::path& scratch, bool writable)
        : capacity_(capacity), writable_(writable) {
        // A file where the folders should be makes every save fail.
        const fs::path home = writable ? scratch : scratch / "blocked";
        if (!writable) std::ofstream(scratch / "blocked") << "x";
        Settings stored;
        stored.port = kPortNumber;
        stored.listCount = capacity;
        saveSettings(stored, store_);
        session = std::make_unique<MeterSession>(
            SessionServices{
                .settingsStore = store_,
                .device = device,
                .ports = ports_,
                .threads = threads_,
                .journalFiles = journalFiles_,
                .clock = clock,
                .paths = {(home / "zintavo").string(), (home / "data").string(),
                          (home / "cfg").string()},
                .beep = [this] { ++beeps; },
                .reportProblem = {},
                .portLabel = {},
                .probeInterval = std::chrono::milliseconds(1),
                .syncFile = {},
            },
            *this);
        session->start();
        session->panelsResized(350, 237, kChartWidth, 120);
        session->meterPort().open(kPortNumber, 2400);
    }

    // SessionWindow: the checks.
    // The rows of a tick's readings come at its end, all together.
    void rowsAppended(std::size_t rowCount) override {
        const ReadingList& list = session->readingList();
        report.check(ticking_, "rows come with a tick");
        report.check(rowCount == list.rowCount(), "the window is told every row");
        report.check(rowCount > shadow_.size(), "the window is told of new rows only");
        report.note("logged", static_cast<int>(rowCount - std::min(rowCount, shadow_.size())));
        for (std::size_t i = shadow_.size(); i < rowCount; ++i) shadow_.push_back(list.row(i));
        // The tick's last reading, when the rule logs it, is the newest row.
        MeterReading copy = session->meterPort().reading;
        if (const std::optional<LoggedReading> expected = decideLogging(copy, clock))
            report.check(shadow_.back() == ReadingRow{"", expected->line},
                         "the newest row is the newest logged line");
    }
    void listEmptied() override {
        if (clearing_) {
            shadow_.clear();
            return;
        }
        checkSavedLog();
    }
    void invalidateChart() override {}
    void selectRow(std::size_t row) override {
        const std::size_t rows = session->readingList().rowCount();
        report.check(row < rows, "a selected row exists");
        if (row < rows) session->listRowSelected(static_cast<int>(row));
    }
    void startTicking() override {}
    void placeWindow(const WindowRect&, bool, bool) override {}
    void showPortList(const PortList&) override {}
    void selectPortEntry(int) override {}
    void scrollToRow(std::size_t) override {}
    void showScrollBar(const ScrollBarState&) override {}
    void setScrollPosition(int) override {}
    void setHoldChecked(bool) override {}
    void invalidateFace(const FaceRect&) override {}
    void redrawChartNow() override {}
    void showStatistics(std::string_view) override {}

    // The Clear button.
    void clear() {
        clearing_ = true;
        session->clear();
        clearing_ = false;
    }

    // A finished edit of a row's tag; a kept tag goes into the saved log.
    void editTag(std::size_t row, std::u16string_view text) {
        const int failedBefore = beeps;
        if (session->editTag(row, text) != TagEditOutcome::Changed) return;
        shadow_[row].tag = session->readingList().row(row).tag;
        report.check(beeps == failedBefore, "a tag edit saves nothing");
        report.note("tag edit");
    }

    void tick() {
        MeterPort& port = session->meterPort();
        const bool wasOpen = port.isOpen();
        const int beepsBefore = beeps;
        ticking_ = true;
        session->tick({}, kChartOnScreen);
        ticking_ = false;
        report.check(session->readingList().rowCount() == shadow_.size(),
                     "the list holds every logged line");
        report.note("closed on failure", wasOpen && !port.isOpen() ? 1 : 0);
        report.note("failed save", beeps - beepsBefore);
        const SampleHistory& history = session->history();
        report.check(port.rxCount < MeterPort::kCutLength, "the frame buffer is cut in time");
        report.check(history.count() <= capacity_, "the ring holds at most its capacity");
        report.check(history.position() < capacity_, "a full ring never stays full");
        if (writable_) report.check(beeps == 0, "a writable folder takes every save");
    }

  private:
    SettingsMemoryBackend store_;
    FakeSerialPorts ports_;
    DeferredThreadStarter threads_;
    PlatformJournalFiles journalFiles_;

  public:
    FakeSerialDevice device;
    FixedClock clock{LocalDateTime{2021, 3, 7, 14, 5, 9}};
    int beeps = 0;
    FuzzReport report;
    std::unique_ptr<MeterSession> session;  // last: it uses everything above

  private:
    // The saved file must read back as exactly the rows of the full ring.
    void checkSavedLog() {
        const std::string saved = session->settings().logFile;
        ReadingList loaded;
        SampleHistory loadedHistory(capacity_);
        loadLog(saved, loaded, loadedHistory);
        // The window had not yet been told of the tick's rows before the save.
        report.check(loaded.rowCount() == capacity_,
                     "a save happens exactly when the ring is full");
        report.note("logged", static_cast<int>(loaded.rowCount() -
                                               std::min(loaded.rowCount(), shadow_.size())));
        bool same = loaded.rowCount() >= shadow_.size();
        for (std::size_t i = 0; same && i < shadow_.size(); ++i) same = loaded.row(i) == shadow_[i];
        report.check(same, "a saved log reads back as the rows written");
        report.note("saved");
        std::error_code ec;
        fs::remove(saved, ec);
        shadow_.clear();
    }

    std::uint32_t capacity_;
    bool writable_;
    std::vector<ReadingRow> shadow_;
    bool clearing_ = false;
    bool ticking_ = false;
};

LocalDateTime fuzzedTime(FuzzBytes& in) {
    LocalDateTime t;
    t.year = static_cast<int>(in.inRange(1980, 2099));
    t.month = static_cast<int>(in.inRange(1, 12));
    t.day = static_cast<int>(in.inRange(1, 31));
    t.hour = static_cast<int>(in.inRange(0, 23));
    t.minute = static_cast<int>(in.inRange(0, 59));
    t.second = static_cast<int>(in.inRange(0, 59));
    return t;
}

std::u16string fuzzedTag(FuzzBytes& in) {
    std::u16string text(in.inRange(0, 40), u' ');
    for (char16_t& c : text) c = static_cast<char16_t>(in.byte() | in.byte() << 8);
    return text;
}

void repaint(Rig& rig, FuzzBytes& in) {
    RecordingCanvas face;
    rig.session->renderFace(face);
    RecordingCanvas chart(static_cast<int>(in.inRange(0, 2100)),
                          static_cast<int>(in.inRange(0, 400)));
    rig.session->renderChart(chart);
}

}  // namespace

FuzzReport fuzzReceiveLoop(std::span<const std::uint8_t> data, const fs::path& scratch) {
    FuzzBytes in(data);
    const std::uint32_t capacity = in.inRange(1, kMaxCapacity);
    const bool writable = in.flag();
    Rig rig(capacity, scratch, writable);
    MeterSession& session = *rig.session;
    ChartView& view = session.chartView();

    while (!in.empty()) {
        switch (static_cast<Step>(in.byte() % kSteps)) {
            case Step::rawBytes: {
                const std::span<const std::uint8_t> bytes = in.take(in.byte());
                rig.device.arrivals.emplace_back(bytes.begin(), bytes.end());
                break;
            }
            case Step::frame: {
                MeterReading reading;
                for (std::uint8_t& b : reading.bytes) b = in.byte();
                const auto frame = packFrame(reading);
                rig.device.arrivals.emplace_back(frame.begin(), frame.end());
                break;
            }
            case Step::tick:
                rig.tick();
                break;
            case Step::failure:
                rig.device.failed = in.flag();
                rig.device.readsFail = in.flag();
                break;
            case Step::reopen:
                session.meterPort().open(kPortNumber, 0);
                break;
            case Step::clock:
                rig.clock.set(fuzzedTime(in));
                break;
            case Step::hold:
                view.held = in.flag();
                view.firstMarker = in.i32();
                view.secondMarker = in.i32();
                break;
            case Step::repaint:
                repaint(rig, in);
                rig.report.note("repaint");
                break;
            case Step::clear:
                rig.clear();
                break;
            case Step::tagEdit: {
                const std::size_t rows = session.readingList().rowCount();
                const std::size_t row = in.inRange(0, 255);
                const std::u16string text = fuzzedTag(in);
                if (row < rows) rig.editTag(row, text);
                break;
            }
            case Step::scroll: {
                const auto request = static_cast<ScrollRequest>(in.inRange(0, 8));
                const std::int32_t thumb = in.i32();
                if (in.flag()) session.zoomIn();
                if (in.flag()) session.zoomOut();
                session.scroll(request, thumb);
                break;
            }
            case Step::selectRow: {
                const auto rows = static_cast<int>(session.readingList().rowCount());
                const std::int32_t row = in.i32();
                if (row >= 0 && row < rows) session.listRowSelected(row);
                // A click on the chart holds the view on the first marker's row.
                session.chartReleased({}, kChartOnScreen, true);
                break;
            }
            default:
                break;
        }
        if (!rig.report.ok()) break;
    }
    rig.device.failed = false;
    rig.device.readsFail = false;
    session.meterPort().open(kPortNumber, 0);
    rig.tick();
    return rig.report;
}

#include "receive_loop_harness.h"

#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "app/settings.h"
#include "app/user_paths.h"
#include "chart/chart_renderer.h"
#include "chart/chart_view.h"
#include "face/meter_face.h"
#include "face/recording_canvas.h"
#include "fake_serial_device.h"
#include "fuzz_bytes.h"
#include "history/clear_history.h"
#include "history/log_reader.h"
#include "history/log_writer.h"
#include "history/reading_list.h"
#include "history/sample_history.h"
#include "history/tag_edit.h"
#include "link/frame_codec.h"
#include "link/meter_port.h"
#include "reading/logged_reading.h"
#include "reading/reading_handler.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kPortNumber = 3;
constexpr std::uint32_t kMaxCapacity = 16;
constexpr int kChartWidth = 600;

struct SilentHooks final : ReadingHandlerHooks {
    void revealNewRow(std::size_t) override {}
    void updateScrollBar() override {}
    void invalidatePanels() override {}
};

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

// The main window's share of the link, with a shadow of every line that
// should be in the list since the last save.
class Rig final : public ReadingListener {
  public:
    Rig(std::uint32_t capacity, const fs::path& scratch, bool writable)
        : history(capacity), capacity_(capacity), writable_(writable) {
        // A file where the folder should be makes every save fail.
        paths.executablePath = (scratch / (writable ? "zintavo" : "blocked/zintavo")).string();
        if (!writable) std::ofstream(scratch / "blocked") << "x";
        settings.port = kPortNumber;
    }

    void onMeterReading() override {
        MeterReading copy = port.reading;
        MeterFaceState scratchFace;
        const std::optional<LoggedReading> expected = decideLogging(copy, scratchFace, clock);
        if (expected) shadow_.push_back({"", expected->line});
        const int beepsBefore = beeps;

        handler.onMeterReading(port.reading, port.linkActivity);

        report.check(port.reading == copy, "the handler rewrites the stored reading as decided");
        report.note("logged", expected ? 1 : 0);
        report.note("failed save", beeps - beepsBefore);
        if (!settings.logFile.empty()) checkSavedLog();
        report.check(list.rowCount() == shadow_.size(), "the list holds every logged line");
        if (list.rowCount() > 0 && !shadow_.empty())
            report.check(list.row(list.rowCount() - 1) == shadow_.back(),
                         "the newest row is the newest logged line");
    }

    // The list's Clear button.
    void clear() {
        clearHistory(list, history, face, view);
        shadow_.clear();
    }

    // A finished edit of a row's tag; a kept tag goes into the saved log.
    void editTag(std::size_t row, std::u16string_view text) {
        if (onTagEditEnd(list, history, row, text) != TagEditOutcome::Changed) return;
        shadow_[row].tag = list.row(row).tag;
        report.note("tag edit");
    }

    void afterTick() {
        report.check(port.rxCount < MeterPort::kCutLength, "the frame buffer is cut in time");
        report.check(history.count() <= capacity_, "the ring holds at most its capacity");
        report.check(history.position() < capacity_, "a full ring never stays full");
        if (writable_) report.check(beeps == 0, "a writable folder takes every save");
    }

    FakeSerialDevice device;
    MeterPort port{device, this};
    UserPaths paths;
    FixedClock clock{LocalDateTime{2021, 3, 7, 14, 5, 9}};
    int beeps = 0;
    LogWriter writer{paths, clock, [this] { ++beeps; }};
    MeterFaceState face;
    ReadingList list;
    SampleHistory history;
    ChartView view;
    Settings settings;
    SilentHooks hooks;
    ReadingHandler handler{{face, list, history, view, settings, clock, writer, hooks}};
    ChartRenderer chart;
    FuzzReport report;

  private:
    // The saved file must read back as exactly the rows of the full ring.
    void checkSavedLog() {
        ReadingList loaded;
        SampleHistory loadedHistory(capacity_);
        loadLog(settings.logFile, loaded, loadedHistory);
        report.check(shadow_.size() == capacity_, "a save happens exactly when the ring is full");
        bool same = loaded.rowCount() == shadow_.size();
        for (std::size_t i = 0; same && i < shadow_.size(); ++i) same = loaded.row(i) == shadow_[i];
        report.check(same, "a saved log reads back as the rows written");
        report.note("saved");
        std::error_code ec;
        fs::remove(settings.logFile, ec);
        settings.logFile.clear();
        shadow_.clear();
    }

    std::uint32_t capacity_;
    bool writable_;
    std::vector<ReadingRow> shadow_;
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
    drawMeterFace(face, rig.port.reading, rig.face, rig.view, rig.settings, rig.clock);
    RecordingCanvas chart(static_cast<int>(in.inRange(0, 2100)),
                          static_cast<int>(in.inRange(0, 400)));
    rig.chart.drawChart(chart, rig.view, rig.history, rig.face, rig.settings, {});
}

}  // namespace

FuzzReport fuzzReceiveLoop(std::span<const std::uint8_t> data, const fs::path& scratch) {
    FuzzBytes in(data);
    const std::uint32_t capacity = in.inRange(1, kMaxCapacity);
    const bool writable = in.flag();
    Rig rig(capacity, scratch, writable);
    rig.port.open(kPortNumber, 2400);

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
            case Step::tick: {
                const bool wasOpen = rig.port.isOpen();
                rig.port.receive();
                rig.report.note("closed on failure", wasOpen && !rig.port.isOpen() ? 1 : 0);
                rig.afterTick();
                break;
            }
            case Step::failure:
                rig.device.failed = in.flag();
                rig.device.readsFail = in.flag();
                break;
            case Step::reopen:
                rig.port.open(kPortNumber, 0);
                break;
            case Step::clock:
                rig.clock.set(fuzzedTime(in));
                break;
            case Step::hold:
                rig.view.held = in.flag();
                rig.view.firstMarker = in.i32();
                rig.view.secondMarker = in.i32();
                break;
            case Step::repaint:
                repaint(rig, in);
                rig.report.note("repaint");
                break;
            case Step::clear:
                rig.clear();
                break;
            case Step::tagEdit: {
                const std::size_t rows = rig.list.rowCount();
                const std::size_t row = in.inRange(0, 255);
                const std::u16string text = fuzzedTag(in);
                if (row < rows) rig.editTag(row, text);
                break;
            }
            case Step::scroll: {
                const auto request = static_cast<ScrollRequest>(in.inRange(0, 8));
                const std::int32_t thumb = in.i32();
                if (in.flag()) zoomIn(rig.view);
                if (in.flag()) zoomOut(rig.view);
                scrollChart(rig.view, request, thumb, kChartWidth,
                            static_cast<int>(rig.history.count()));
                break;
            }
            case Step::selectRow: {
                const auto rows = static_cast<int>(rig.list.rowCount());
                revealListRow(rig.view, in.i32(), rows, kChartWidth,
                              static_cast<int>(rig.history.count()));
                if (const std::optional<int> row = holdOnSelection(rig.view, rows))
                    rig.report.check(*row >= 0 && *row < rows, "a held selection names a row");
                break;
            }
            default:
                break;
        }
        if (!rig.report.ok()) break;
    }
    rig.device.failed = false;
    rig.device.readsFail = false;
    rig.port.open(kPortNumber, 0);
    rig.port.receive();
    rig.afterTick();
    return rig.report;
}

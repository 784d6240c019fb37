#include "session/meter_session.h"

#include <utility>

#include "face/meter_face.h"
#include "history/log_format.h"
#include "history/log_reader.h"
#include "history/logged_reading.h"
#include "history/windows1252.h"
#include "session/journal_recovery.h"
#include "settings/maximized_setting.h"
#include "settings/settings_store.h"

MeterSession::MeterSession(SessionServices services, SessionWindow& window)
    : services_(std::move(services)),
      window_(window),
      history_(std::make_unique<SampleHistory>()),
      port_(services_.device, this),
      detection_(services_.ports, listedPorts_, services_.threads, services_.probeInterval),
      link_(port_, settings_, detection_, *this),
      logWriter_(services_.paths, services_.clock, services_.beep, services_.reportProblem,
                 services_.syncFile),
      rowLabel_([this](std::size_t row) {
          return row < list_.rowCount() ? windows1252ToUtf16(list_.row(row).tag) : std::u16string();
      }) {}

MeterSession::~MeterSession() = default;

void MeterSession::start() {
    loadSettings(settings_, services_.settingsStore);
    // The ring's size is fixed by the loaded settings for the whole run.
    *history_ = SampleHistory(settings_.listCount);
    listedPorts_.clear();
    services_.ports.enumeratePorts(listedPorts_);
    fillPortList(portList_, listedPorts_, settings_.port, services_.portLabel);
    window_.showPortList(portList_);
    window_.startTicking();
    link_.start();
    window_.placeWindow(settings_.window, loadMaximized(services_.settingsStore),
                        windowStored(services_.settingsStore));

    loadLog(settings_.logFile, list_, *history_);
    // Journals with records mean that runs ended without saving them.
    TakenJournals taken = takeJournals(services_.journalFiles, services_.paths, settings_, list_,
                                       *history_, logWriter_);
    journal_ = std::move(taken.own);
    if (!taken.logFile.empty()) {
        settings_.logFile = taken.logFile;
        writeSettings();
    }
    if (services_.reportProblem)
        for (const std::string& problem : taken.problems) services_.reportProblem(problem);
    orphans_ = std::move(taken.toWriteOut);
    // The journal keeps what is put back until the list holding it is saved.
    if (taken.toReplay) {
        replay_ = replayStart(*taken.toReplay);
        firstJournalRow_ = static_cast<std::int64_t>(taken.toReplay->rowsBefore) -
                           static_cast<std::int64_t>(list_.rowCount());
    } else {
        restartJournal();
    }
    if (list_.rowCount() > 0) {
        shownRows_ = list_.rowCount();
        window_.rowsAppended(shownRows_);
        window_.scrollToRow(shownRows_ - 1);
    }
    updateFace();
    shownLook_ = faceLook(port_.reading, face_, settings_);
    shownTime_ = services_.clock.now();
    updateScrollBar();
    started_ = true;
}

void MeterSession::panelsResized(int faceWidth, int faceHeight, int chartWidth, int chartHeight) {
    faceWidth_ = faceWidth;
    faceHeight_ = faceHeight;
    chartWidth_ = chartWidth;
    chartHeight_ = chartHeight;
    updateScrollBar();
}

void MeterSession::tick(ScreenPoint cursor, const ScreenRect& chart) {
    runTick(cursor, chart, true);
}

void MeterSession::quietTick() {
    runTick({}, {}, false);
}

int MeterSession::quietTicks(std::chrono::milliseconds untilNextSecond) const {
    if (replay_ || !orphans_.empty() || view_.dragging || !link_.listening() ||
        port_.inputHandle() < 0)
        return 0;
    // Bytes came in this tick (the drain leaves the countdown one below its
    // start). The rest of a frame comes before the next tick, and so does the
    // next frame of a meter that sends them back to back; a slower meter
    // leaves time to sleep until its next frame begins.
    if (port_.linkActivity >= MeterPort::kActivityTicks - 1 &&
        (port_.rxCount != 0 || frameGap_ <= kBackToBackTicks))
        return 0;
    // The tick on or after the second's turn draws the clock line.
    auto quiet =
        static_cast<int>((untilNextSecond + kTick - std::chrono::milliseconds(1)) / kTick) - 1;
    // The tick that counts the link's activity down to 0 hides the link sprite.
    if (port_.linkActivity > 0) quiet = std::min(quiet, port_.linkActivity - 1);
    // The arrow toggles on the tick after its countdown has reached 0.
    if (face_.overRangeArrow) quiet = std::min(quiet, static_cast<int>(face_.blinkCountdown));
    return std::max(quiet, 0);
}

void MeterSession::runTick(ScreenPoint cursor, const ScreenRect& chart, bool readsClock) {
    ++ticks_;
    replayPiece();
    writeOutOrphans();
    link_.tick();
    showListChanges();
    updateFace();
    if (readsClock) {
        const LocalDateTime now = services_.clock.now();
        faceTick(face_, static_cast<std::uint32_t>(port_.linkActivity), now != shownTime_);
        showFaceChanges(now);
    } else {
        faceTick(face_, static_cast<std::uint32_t>(port_.linkActivity), false);
        showFaceChanges();
    }

    const SelectionUpdate update = updateSelection(view_, statistics_, *history_, cursor, chart);
    // A redraw at once takes the readings' changes with it.
    if (update.redraw) {
        window_.redrawChartNow();
    } else if (chartStale_) {
        window_.invalidateChart();
    }
    chartStale_ = false;
    if (update.textChanged) window_.showStatistics(statistics_.text());
}

void MeterSession::showListChanges() {
    if (list_.rowCount() > shownRows_) {
        shownRows_ = list_.rowCount();
        window_.rowsAppended(shownRows_);
        if (followsNewReadings()) {
            followingNewest_ = true;
            selectRow(shownRows_ - 1);
            followingNewest_ = false;
            // The newest reading is followed without a span marked on the chart.
            if (readingsArrived_) {
                view_.firstMarker = 0;
                view_.secondMarker = 0;
            }
        }
    }
    readingsArrived_ = false;
    if (!scrollBarStale_) return;
    scrollBarStale_ = false;
    const ScrollBarState state =
        scrollBarState(view_, chartWidth_, static_cast<int>(history_->count()));
    if (state != shownScrollBar_) updateScrollBar();
}

void MeterSession::onMeterReading(MeterReading& reading) {
    frameGap_ = ticks_ - frameTick_;
    frameTick_ = ticks_;
    face_.linkSpriteVisible = port_.linkActivity != 0 && !face_.linkSpriteVisible;
    if (std::optional<LoggedReading> logged = decideLogging(reading, services_.clock)) {
        journal_.appendReading(logged->line);
        checkJournal();
        // It follows the records still to be put back: the replay reads it
        // from the journal, unless the journal could not take it.
        if (replay_ && !journal_.broken()) return;
        addReadingLine(std::move(logged->line));
        history_->append(logged->value, logged->timeOfDay, false);
        ++listChanges_;
        scrollBarStale_ = true;
        saveAndClearWhenFull();
        shiftMarkers(view_);
    }
    // MIN and MAX follow every reading; what they look like is shown once a tick.
    updateFace();
    chartStale_ = true;
}

void MeterSession::addReadingLine(std::string line) {
    list_.appendRow({}, std::move(line));
    readingsArrived_ = true;
}

bool MeterSession::followsNewReadings() const {
    return !view_.held && !view_.dragging && !tagEditOpen_;
}

void MeterSession::selectRow(std::size_t row) {
    selectingRow_ = true;
    window_.selectRow(row);
    selectingRow_ = false;
}

void MeterSession::saveAndClearWhenFull() {
    if (!history_->isFull()) return;
    if (!logWriter_.saveLog(list_, settings_, &journal_)) {
        history_->wrap();
        return;
    }
    savedOutOfPlace_ = savedOutOfPlace_ || logWriter_.inLastResort(settings_.logFile);
    // The setting that names the new log is kept at once, so that a later
    // crash cannot point the next start at an older log.
    writeSettings();
    clearHistory();
    restartJournal();
}

bool MeterSession::replayPiece() {
    if (!replay_) return false;
    const ReplayedPiece piece = journal_.replayPiece(*replay_, firstJournalRow_, list_, *history_);
    ++listChanges_;
    scrollBarStale_ = true;
    chartStale_ = true;
    if (piece.full) {
        if (savePiece(true)) clearHistory();
        return true;
    }
    // The rest is tried again on the next tick; it stays in the journal.
    if (piece.unreadable) return false;
    // All is in: the journal starts afresh from the list, saved.
    replay_.reset();
    if (list_.rowCount() > 0) {
        saveLogNow();
    } else {
        restartJournal();
    }
    return false;
}

void MeterSession::writeOutOrphans() {
    if (orphans_.empty()) return;
    std::vector<std::string> problems;
    if (orphans_.front().writeOutPiece(settings_, logWriter_, problems))
        orphans_.erase(orphans_.begin());
    if (services_.reportProblem)
        for (const std::string& problem : problems) services_.reportProblem(problem);
}

bool MeterSession::savePiece(bool empties) {
    const auto rows = static_cast<std::size_t>(firstJournalRow_) + list_.rowCount();
    journal_.savingPiece(rows, empties);
    if (!logWriter_.saveLog(list_, settings_, &journal_)) {
        history_->wrap();
        return false;
    }
    savedOutOfPlace_ = savedOutOfPlace_ || logWriter_.inLastResort(settings_.logFile);
    writeSettings();
    journal_.pieceSaved(rows, empties, settings_.logFile);
    checkJournal();
    if (empties) firstJournalRow_ = static_cast<std::int64_t>(rows);
    return true;
}

void MeterSession::clearHistory() {
    list_.clear();
    history_->reset();
    resetMinMax(face_);
    resetScale(view_);
    shownRows_ = 0;
    window_.listEmptied();
}

void MeterSession::updateFace() {
    if (updateMeterFace(port_.reading, face_, settings_)) resetScale(view_);
}

void MeterSession::updateScrollBar() {
    shownScrollBar_ = scrollBarState(view_, chartWidth_, static_cast<int>(history_->count()));
    window_.showScrollBar(shownScrollBar_);
}

void MeterSession::showFaceChanges(const LocalDateTime& now) {
    showFaceChanges();
    // The clock line shows seconds: it is drawn again when the second has passed.
    if (now != shownTime_) {
        shownTime_ = now;
        window_.invalidateFace(clockLineRect(faceWidth_, faceHeight_));
    }
}

void MeterSession::showFaceChanges() {
    const FaceLook look = faceLook(port_.reading, face_, settings_);
    const FaceChanges changes = faceChanges(shownLook_, look, faceWidth_, faceHeight_);
    for (std::size_t i = 0; i < changes.count; ++i) window_.invalidateFace(changes.rects[i]);
    shownLook_ = look;
}

void MeterSession::clear() {
    if (!replay_) {
        clearHistory();
        restartJournal();
    } else {
        // The records still to be put back stay in the journal; what the list
        // held goes, as a save that emptied it would.
        const auto rows = static_cast<std::size_t>(firstJournalRow_) + list_.rowCount();
        clearHistory();
        journal_.pieceSaved(rows, true, settings_.logFile);
        firstJournalRow_ = static_cast<std::int64_t>(rows);
    }
    ++listChanges_;
    updateScrollBar();
    window_.invalidateChart();
}

void MeterSession::toggleHold() {
    ::toggleHold(view_);
    window_.setHoldChecked(view_.held);
}

void MeterSession::zoomIn() {
    ::zoomIn(view_);
    window_.invalidateChart();
    updateScrollBar();
}

void MeterSession::zoomOut() {
    ::zoomOut(view_);
    window_.invalidateChart();
    updateScrollBar();
}

void MeterSession::scroll(ScrollRequest request, int thumb) {
    const int position =
        scrollChart(view_, request, thumb, chartWidth_, static_cast<int>(history_->count()));
    window_.invalidateChart();
    window_.setScrollPosition(position);
}

void MeterSession::listRowSelected(int row) {
    if (!selectingRow_ && !view_.held) {
        view_.held = true;
        window_.setHoldChecked(true);
    }
    const int position = revealListRow(view_, row, static_cast<int>(list_.rowCount()), chartWidth_,
                                       static_cast<int>(history_->count()));
    // Following the newest reading keeps the view at the newest sample: the
    // tick shows the scroll bar and the chart as they are then, once each.
    if (followingNewest_ && view_.scrollOffset == 0) {
        scrollBarStale_ = true;
        chartStale_ = true;
        return;
    }
    window_.setScrollPosition(position);
    window_.invalidateChart();
}

void MeterSession::chartPressed(ScreenPoint cursor, const ScreenRect& chart) {
    trackChartButton(view_, true, cursor, chart);
    window_.invalidateChart();
}

void MeterSession::chartReleased(ScreenPoint cursor, const ScreenRect& chart, bool inside) {
    trackChartButton(view_, false, cursor, chart);
    window_.invalidateChart();
    // A release over the chart is a click: hold the view on the selection.
    if (!inside) return;
    const std::optional<int> row = holdOnSelection(view_, static_cast<int>(list_.rowCount()));
    window_.setHoldChecked(true);
    if (row) selectRow(static_cast<std::size_t>(*row));
}

void MeterSession::cancelDrag() {
    if (view_.dragging) chartReleased({}, {}, false);
}

void MeterSession::portChosen(int index) {
    portList_.selected = index;
    // A new port does not reload the log: the list already holds it.
    link_.onPortSelected(readPortFromList(portList_));
    journal_.recordPort(settings_.port);
}

void MeterSession::tagEditOpened() {
    tagEditOpen_ = true;
}

void MeterSession::tagEditClosed() {
    tagEditOpen_ = false;
}

TagEditOutcome MeterSession::editTag(std::size_t row, std::optional<std::u16string_view> text) {
    const TagEditOutcome outcome = onTagEditEnd(list_, *history_, row, text);
    if (outcome != TagEditOutcome::Changed) return outcome;
    journal_.appendTag(static_cast<std::size_t>(firstJournalRow_ + static_cast<std::int64_t>(row)),
                       list_.row(row).tag);
    checkJournal();
    ++listChanges_;
    window_.invalidateChart();
    return outcome;
}

void MeterSession::powerEvent(unsigned eventCode) {
    link_.onPowerEvent(eventCode);
}

void MeterSession::deviceChange() {
    link_.onDeviceChange();
}

bool MeterSession::saveIfChanged() {
    // Several endings may follow one another (session end, then quit); the
    // list is saved again only if it changed in between, or the last try failed.
    if (!started_) return false;
    // What still waits in the journal goes into logs first, a ring at a time
    // as on the ticks, so that the ending leaves every reading in a log.
    while (replayPiece()) {
    }
    if (savedAtChange_ == listChanges_ && !replay_) return true;
    const std::uint64_t changes = listChanges_;
    if (savedAtChange_ != listChanges_ && !saveLogNow()) return false;
    // What the journal could not give back stays in it for the next start:
    // on the disk, and whole, or the ending is no success.
    if (replay_ && !journal_.sync()) return false;
    savedAtChange_ = changes;
    return true;
}

bool MeterSession::saveLogNow() {
    if (replay_) return savePiece(false);
    if (!logWriter_.saveLog(list_, settings_, &journal_)) return false;
    savedOutOfPlace_ = savedOutOfPlace_ || logWriter_.inLastResort(settings_.logFile);
    writeSettings();
    restartJournal();
    return true;
}

void MeterSession::restartJournal() {
    firstJournalRow_ = 0;
    journal_.restart(list_.rowCount(), settings_.logFile, settings_.port, settings_.listCount);
    checkJournal();
}

void MeterSession::checkJournal() {
    if (!journal_.broken() || journalReported_) return;
    journalReported_ = true;
    if (services_.reportProblem)
        services_.reportProblem(
            "the recovery journal could not be written: a crash now "
            "would lose the readings since the last save");
}

void MeterSession::end(const WindowRect& normalFrame, bool maximized) {
    if (shutDown_) return;
    saveIfChanged();
    shutDown(normalFrame, maximized);
}

void MeterSession::shutDown(const WindowRect& normalFrame, bool maximized) {
    if (shutDown_ || !started_) return;
    shutDown_ = true;
    settings_.window = normalFrame;
    writeSettings();
    saveMaximized(maximized, services_.settingsStore);
    port_.close();
    if (savedAtChange_ == listChanges_ && !replay_) journal_.remove();
}

void MeterSession::renderFace(Canvas& canvas) const {
    drawMeterFace(canvas, port_.reading, face_, settings_, services_.clock);
}

void MeterSession::renderChart(Canvas& canvas) {
    chartRenderer_.drawChart(canvas, view_, *history_, {face_.minValue, face_.maxValue}, settings_,
                             rowLabel_);
}

void MeterSession::writeSettings() {
    saveSettings(settings_, services_.settingsStore);
}

void MeterSession::reportPortHeld(std::uint32_t port) {
    if (services_.reportProblem)
        services_.reportProblem("COM" + std::to_string(port) +
                                " is held by another program; it is tried again until it is free");
}

void MeterSession::showDetectedPort() {
    showPortInList(portList_, settings_.port);
    window_.selectPortEntry(portList_.selected);
    journal_.recordPort(settings_.port);
}

#include "log_file_harness.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz_bytes.h"
#include "history/log_format.h"
#include "history/log_reader.h"
#include "history/log_writer.h"
#include "history/reading_list.h"
#include "history/recovery_journal.h"
#include "history/sample_history.h"
#include "history/tag_edit.h"
#include "history/windows1252.h"
#include "support/memory_journal_file.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kMaxCapacity = 64;
constexpr std::size_t kMinLoadedSize = 10;  // shorter files load nothing

bool holdsLineEnd(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

void checkRows(const ReadingList& list, FuzzReport& report) {
    for (std::size_t i = 0; i < list.rowCount(); ++i) {
        const ReadingRow& row = list.row(i);
        report.check(!row.text.empty(), "a row has a reading text");
        report.check(!holdsLineEnd(row.text) && !holdsLineEnd(row.tag), "rows hold no line ends");
        const std::size_t tagged = row.tag.empty() ? 0 : row.tag.size() + 1;
        report.check(row.text.size() + tagged <= kLogLineLimit, "a row fits one log line");
    }
}

void checkRing(const SampleHistory& history, std::size_t rows, std::uint32_t capacity,
               FuzzReport& report) {
    report.check(history.count() == std::min<std::size_t>(rows, capacity),
                 "the ring holds the newest rows");
    report.check(history.position() == rows % capacity, "the ring wraps at its capacity");
    for (std::uint32_t age = 1; age <= history.count(); ++age)
        report.check(std::isfinite(history.atAge(age).value), "loaded values are finite");
}

// Tags every third row with its own text, as a user could type it. While
// rows and slots still pair up one to one, every edit the editor accepts must
// survive the save and load like any other row. Rows the reader would never
// give a tag (too short for the value column, or without a blank after the
// value) are left alone: their tags fold into the text by design.
void tagRows(ReadingList& list, SampleHistory& history, FuzzReport& report) {
    if (list.rowCount() > history.capacity()) return;
    for (std::size_t i = 0; i < list.rowCount(); i += 3) {
        if (!parseLogLine(list.row(i).text + ",").tag) continue;
        const std::u16string text = windows1252ToUtf16(list.row(i).text);
        if (onTagEditEnd(list, history, i, text) == TagEditOutcome::Changed)
            report.note("tag edit");
    }
}

// Saving the loaded list and loading the file again must give the same rows
// and, slot by slot, the same samples (a row whose tag is empty is saved
// without its comma, so only its tag mark may change).
void checkRoundTrip(const ReadingList& list, const SampleHistory& history, const fs::path& scratch,
                    FuzzReport& report) {
    const std::string content = formatLog(list);
    const std::optional<std::string> saved =
        writeNewLogFile((scratch / "again.log").string(), content);
    report.check(saved.has_value(), "the scratch folder takes the saved log");
    if (!saved) return;
    // Control bytes of a damaged log are left out of what is saved, so rows
    // holding them reload without them; every other log must reload unchanged.
    bool controls = false;
    for (std::size_t i = 0; i < list.rowCount(); ++i) {
        const ReadingRow& row = list.row(i);
        controls = controls || hasControlByte(row.text) || hasControlByte(row.tag);
        report.check(!hasControlByte(formatLogLine(row)), "a saved line holds no control byte");
    }
    if (controls) {
        report.note("control bytes left out");
        return;
    }

    ReadingList again;
    auto againHistory = std::make_unique<SampleHistory>(history.capacity());
    const std::size_t rows = loadLog(*saved, again, *againHistory);
    if (content.size() < kMinLoadedSize) {
        report.check(rows == 0, "a tiny log loads nothing");
        return;
    }
    report.check(rows == list.rowCount(), "a saved log reloads every row");
    report.note("reloaded rows", static_cast<int>(rows));
    for (std::size_t i = 0; i < std::min(rows, list.rowCount()); ++i)
        report.check(again.row(i) == list.row(i), "a saved row reloads unchanged");
    report.check(againHistory->position() == history.position(), "the reloaded ring matches");
    for (std::uint32_t slot = 0; slot < history.capacity(); ++slot) {
        const Sample& a = history.slot(slot);
        const Sample& b = againHistory->slot(slot);
        report.check(a.timeOfDay == b.timeOfDay, "a reloaded sample keeps its time");
        report.check(a.value == b.value || (std::isnan(a.value) && std::isnan(b.value)),
                     "a reloaded sample keeps its value");
        if (b.tagged()) report.check(a.tagged(), "only tagged rows reload tagged");
    }
}

// The same bytes read as a recovery journal and replayed onto the loaded
// rows: a journal left behind by a crash is as untrusted as a log.
void checkJournalReplay(std::string_view content, ReadingList list, const SampleHistory& loaded,
                        FuzzReport& report) {
    const RecoveryJournal journal(std::make_unique<MemoryJournalFile>(std::string(content)));
    const JournalContents contents = journal.scan();
    auto history = std::make_unique<SampleHistory>(loaded);
    JournalReplayPosition at = replayStart(contents);
    std::size_t applied = 0;
    std::size_t rows = 0;
    std::size_t pieces = 0;
    // A ring at a time, each emptied as a save would.
    for (bool full = true; full; ++pieces) {
        const std::size_t rowsBefore = list.rowCount();
        const ReplayedPiece piece = journal.replayPiece(at, 0, list, *history);
        full = piece.full;
        applied += piece.applied;
        rows += list.rowCount() - rowsBefore;
        report.check(list.rowCount() - rowsBefore <= piece.applied,
                     "a piece adds at most a row per record it applies");
        report.check(history->count() <= history->capacity(),
                     "a replayed journal keeps the ring in bounds");
        list.clear();
        history->reset();
    }
    report.check(rows <= contents.readings, "a journal puts back no more readings than it holds");
    report.check(pieces <= contents.readings + 1, "each ring but the last takes a reading");
    report.note("journal records applied", static_cast<int>(applied));
}

}  // namespace

FuzzReport fuzzLogFile(std::span<const std::uint8_t> data, const fs::path& scratch) {
    FuzzBytes in(data);
    const std::uint32_t capacity = in.inRange(1, kMaxCapacity);
    const std::string_view content = in.restAsText();
    const fs::path input = scratch / "input.log";
    std::ofstream(input, std::ios::binary)
        .write(content.data(), static_cast<std::streamsize>(content.size()));

    FuzzReport report;
    ReadingList list;
    auto history = std::make_unique<SampleHistory>(capacity);
    const std::size_t rows = loadLog(input.string(), list, *history);

    // The last lines become rows, as many as the ring holds; a log within the
    // bytes the loader reads gives exactly the rows a whole read ends with.
    const std::vector<std::string_view> lines =
        content.size() < kMinLoadedSize ? std::vector<std::string_view>() : cutLogLines(content);
    const std::size_t kept = std::min<std::size_t>(lines.size(), capacity);
    report.check(rows == list.rowCount() && rows <= capacity,
                 "the loader keeps what the ring holds");
    if (content.size() <= std::size_t{capacity} * kLogTailBytesPerLine) {
        report.check(rows == kept, "the last lines become rows");
        for (std::size_t i = 0; i < std::min(rows, kept); ++i)
            report.check(list.row(i).text == parseLogLine(lines[lines.size() - kept + i]).text,
                         "a row is the line it was read from");
    }
    report.note("rows", static_cast<int>(rows));
    checkRows(list, report);
    checkRing(*history, rows, capacity, report);
    checkJournalReplay(content, list, *history, report);
    tagRows(list, *history, report);
    checkRoundTrip(list, *history, scratch, report);
    return report;
}

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/journal_file.h"
#include "history/log_writer.h"
#include "history/reading_list.h"
#include "history/sample_history.h"

// One change to the list kept in the journal.
struct JournalRecord {
    enum class Kind { Reading, Tag };
    Kind kind = Kind::Reading;
    std::size_t row = 0;  // tags: the row's index in the list when it was tagged
    std::string text;     // readings: the row's text; tags: the new tag (empty clears it)
    friend bool operator==(const JournalRecord&, const JournalRecord&) = default;
};

// What a pass over a journal file finds: where its changes start from, the
// port of the program that wrote it, and how many of its records are still
// to be put back. The records themselves stay in the file.
struct JournalContents {
    bool started = false;        // it begins with a complete start record
    std::size_t rowsBefore = 0;  // rows the list held when the journal started
    std::string logFile;         // the log those rows came from
    // The list was empty when its records start (Clear, a full ring): what a
    // start loads from `logFile` is not part of it.
    bool emptied = false;
    std::uint32_t port = 0;   // the port its readings came from (0: not recorded)
    std::size_t skipped = 0;  // whole records that make no sense (damage, not a crash)
    // A save in progress: the whole temporary file that holds every row, and
    // the log name it was being given (empty: none yet).
    std::string savedTemp;
    std::string savedLog;
    // That save holds only the rows numbered below `pieceRows` (readings
    // replayed in pieces: the later ones are still only here), and the list
    // was emptied after it when `pieceEmpties`.
    bool pieceSave = false;
    std::size_t pieceRows = 0;
    bool pieceEmpties = false;
    // Its reading records, the first `savedReadings` of them already in a log:
    // those and every record before them are not put back.
    std::size_t readings = 0;
    std::size_t savedReadings = 0;
    // The readings before its last tag (nothing: it has no tag).
    std::optional<std::size_t> readingsBeforeLastTag;
    // A read failed: what the rest of the file says is not known.
    bool unreadable = false;

    // Readings or tags are left to put back.
    bool holdsRecords() const;
};

// The rows numbered below `rows` are in `log`: the records that made them go,
// and the rest follow the list as it stood after that save (emptied, or
// still holding them).
void applySavedPiece(JournalContents& journal, std::size_t rows, bool emptied, std::string log);

// Reads a journal in one pass. Readings that are not reading lines, tags
// with control characters and records of no known kind are counted as
// skipped. A journal whose start record is lost still counts the records
// that follow.
JournalContents scanJournal(JournalFile& file);

// Where putting a journal back stands: the next record to read, and the
// readings still to pass over because a log already holds them.
struct JournalReplayPosition {
    std::uint64_t offset = 0;
    std::size_t readingsToPass = 0;
};

// The first replayed record of `journal`.
JournalReplayPosition replayStart(const JournalContents& journal);

struct ReplayedPiece {
    bool full = false;  // stopped at a reading that found the ring full
    std::size_t applied = 0;
    std::size_t skipped = 0;  // tags of rows the list does not hold
    bool unreadable = false;  // stopped where the file could not be read
};

// The journals in the per-user data folder: one per running window, named
// journal.txt, journal-2.txt, journal-3.txt, ... ("" when there is no folder).
std::string journalPath(std::string_view dataFolder, int number);
// The journal files there now, in the order of their numbers.
std::vector<std::string> journalPathsIn(std::string_view dataFolder);

// Keeps every change to the reading list since the last save in a file, one
// record per write, so that a crash, a kill or a power cut loses at most the
// change in flight. The file stays locked for this program while it runs; a
// journal without a file does nothing.
class RecoveryJournal final : public SaveSteps {
  public:
    // Bytes set aside per record so that a full list can be journaled on a
    // disk that fills up while the program runs.
    static constexpr std::uint64_t kReservePerRecord = 64;

    // No file: every call does nothing.
    RecoveryJournal() = default;
    // Takes a locked journal file, found at `path`; a torn last record is cut
    // off first so that new records follow whole ones.
    explicit RecoveryJournal(std::unique_ptr<JournalFile> file, std::string path = {});

    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }
    // A write failed since the last restart: the records after it are missing.
    bool broken() const { return broken_; }

    // What its complete records on disk say.
    JournalContents scan() const;
    // Hands every record to the disk; false when they may not all be there.
    bool sync() const;

    // Puts its records from `at` back into the list as logged readings go
    // (the ring fills and never wraps), until a reading finds the ring full
    // (the caller saves and empties it, then goes on) or the records end;
    // `at` moves past what went in. A reading goes at the list's end, a tag
    // on the row the journal numbers `record.row` when the list holds it. The
    // list's first row is the journal's row `firstRow` (nothing: the journal
    // does not say where its rows stand, so its tags cannot be placed).
    ReplayedPiece replayPiece(JournalReplayPosition& at, std::optional<std::int64_t> firstRow,
                              ReadingList& list, SampleHistory& history) const;

    // Empties the journal: the list now holds `rowsBefore` rows, all of them
    // in `logFile` (or none, after a Clear), and readings come from `port`.
    // Disk space is set aside for `reserveRecords` records.
    void restart(std::size_t rowsBefore, std::string_view logFile, std::uint32_t port,
                 std::uint32_t reserveRecords);
    // The readings come from another port from now on.
    void recordPort(std::uint32_t port);
    // A new row with the reading text `text`, appended at the list's end.
    void appendReading(std::string_view text);
    // Row `row` got the tag `tag` (empty: its tag was removed).
    void appendTag(std::size_t row, std::string_view tag);
    // Rows are numbered across the journal: its start's `rowsBefore` rows,
    // then one per reading. A save of the rows below `rows` begins, while
    // later ones stay only here; the list is emptied after it when `empties`.
    void savingPiece(std::size_t rows, bool empties);
    // That save is in `log`.
    void pieceSaved(std::size_t rows, bool empties, std::string_view log);
    // The list is saved and the program ends: the journal goes with it.
    void remove();

    // SaveSteps: the steps of a save of the list, so that a start after a
    // kill finishes the save or puts the rows back, never both.
    std::string tempSuffix() const override;
    void written(const std::string& temp) override;
    void moving(const std::string& log) override;
    void abandoned() override;

  private:
    // Writes one record with a single write. After a failed write nothing is
    // written until the next restart, so that no record follows a torn one.
    void write(std::string_view record);

    std::unique_ptr<JournalFile> file_;
    std::string path_;
    bool broken_ = false;
};

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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

// What a journal file holds: where its changes start from, the port of the
// program that wrote it, and the changes.
struct JournalContents {
    bool started = false;        // it begins with a complete start record
    std::size_t rowsBefore = 0;  // rows the list held when the journal started
    std::string logFile;         // the log those rows came from
    // The list was empty when its records start (Clear, a full ring): what a
    // start loads from `logFile` is not part of it.
    bool emptied = false;
    std::uint32_t port = 0;  // the port its readings came from (0: not recorded)
    std::vector<JournalRecord> records;
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
};

// The rows numbered below `rows` are in `log`: the records that made them go,
// and the rest follow the list as it stood after that save (emptied, or
// still holding them).
void applySavedPiece(JournalContents& journal, std::size_t rows, bool emptied, std::string log);

// Reads journal text. Records end in CR LF; a last record without its line
// end was torn by a crash and is ignored. Readings that are not reading
// lines, tags with control characters and records of no known kind are
// counted as skipped. A journal whose start record is lost still yields the
// records that follow.
JournalContents parseJournal(std::string_view content);

struct JournalReplay {
    std::size_t applied = 0;
    std::size_t skipped = 0;  // the journal's own, and tags of rows it does not hold
};

// Applies a journal to the list and history just loaded from `logFile`, as
// the log loader would have added its rows. A journal that started from
// another log is already in a later log and is skipped; one that started
// from an emptied list (Clear, full ring) first empties what was loaded, so
// the list ends as it was when the program died. A journal without its start
// adds its readings; its tags cannot be placed and are skipped.
JournalReplay replayJournal(const JournalContents& journal, std::string_view logFile,
                            ReadingList& list, SampleHistory& history);

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

    // The complete records on disk.
    JournalContents read() const;

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

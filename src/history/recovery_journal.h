#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

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

// What a journal file holds: where its changes start from, and the changes.
struct JournalContents {
    bool started = false;        // a complete start record was found
    std::size_t rowsBefore = 0;  // rows the list held when the journal started
    std::string logFile;         // the log those rows came from
    std::vector<JournalRecord> records;
};

// Reads journal text. Records end in CR LF; a last record without its line
// end was torn by a crash and is ignored, as are records that make no sense.
JournalContents parseJournal(std::string_view content);

// Applies a journal to the list and history just loaded from `logFile`, as
// the log loader would have added its rows. A journal that started from
// another log is already in a later log and is skipped; one that started
// from an emptied list (Clear, full ring) first empties what was loaded, so
// the list ends as it was when the program died. Returns the records applied.
std::size_t replayJournal(const JournalContents& journal, std::string_view logFile,
                          ReadingList& list, SampleHistory& history);

// Keeps every change to the reading list since the last save in a file, one
// record per write, so that a crash, a kill or a power cut loses at most the
// change in flight. A journal that cannot be opened does nothing.
class RecoveryJournal {
  public:
    // No file: every call does nothing.
    RecoveryJournal() = default;
    // Opens (creating folders as needed) the journal at `path` for appending;
    // a torn last record is cut off first so that new records follow whole ones.
    explicit RecoveryJournal(std::string path);
    ~RecoveryJournal();
    RecoveryJournal(const RecoveryJournal&) = delete;
    RecoveryJournal& operator=(const RecoveryJournal&) = delete;
    RecoveryJournal(RecoveryJournal&& other) noexcept;
    RecoveryJournal& operator=(RecoveryJournal&& other) noexcept;

    // The journal's place in the per-user data folder ("" when there is none).
    static std::string pathIn(std::string_view dataFolder);

    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }

    // The complete records on disk.
    JournalContents read() const;

    // Empties the journal: the list now holds `rowsBefore` rows, all of them
    // in `logFile` (or none, after a Clear). The next record says so first.
    void restart(std::size_t rowsBefore, std::string_view logFile);
    // A new row with the reading text `text`, appended at the list's end.
    void appendReading(std::string_view text);
    // Row `row` got the tag `tag` (empty: its tag was removed).
    void appendTag(std::size_t row, std::string_view tag);

  private:
    // Writes one record (after a pending start record) with a single write.
    // A failed write closes the journal, so that no record follows a torn one.
    void write(std::string_view record);
    void close();

    std::string path_;
    std::FILE* file_ = nullptr;
    std::string pendingStart_;
};

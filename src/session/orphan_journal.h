#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/log_writer.h"
#include "history/reading_list.h"
#include "history/recovery_journal.h"
#include "history/sample_history.h"
#include "settings/settings.h"

// The journal of a run that died whose rows no window shows: written out as
// logs named for its own port, a ring at a time, so that memory stays bounded
// whatever the journal holds. Each ring's save is marked in the journal, so a
// start after a kill neither loses a row nor writes one twice; the journal is
// deleted once the last log is on disk.
class OrphanJournal {
  public:
    OrphanJournal(RecoveryJournal journal, JournalContents contents);

    // Puts back the records of the next ring and saves them (the loaded log
    // first, unless the journal started from an emptied list). True when it is
    // done: written out, or kept for the next start because a save failed.
    // What its damage skipped goes to `problems` when it is done.
    bool writeOutPiece(const Settings& settings, const LogWriter& writer,
                       std::vector<std::string>& problems);

  private:
    // Saves the rows held; with `empties` the list starts again empty.
    bool savePiece(const Settings& settings, const LogWriter& writer, bool empties);

    RecoveryJournal journal_;
    JournalContents contents_;
    ReadingList rows_;
    std::unique_ptr<SampleHistory> ring_;  // made at the first piece
    JournalReplayPosition at_;
    // The journal's number of the first row held; its tags cannot be placed
    // when it lost its start.
    std::int64_t firstRow_ = 0;
    std::size_t applied_ = 0;
    std::size_t skipped_ = 0;
};

// What a start reports of a journal: damaged records skipped, a lost start.
void noteJournalDamage(const std::string& path, const JournalContents& journal, std::size_t applied,
                       std::size_t skipped, std::vector<std::string>& problems);

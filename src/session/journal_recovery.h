#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "history/journal_file.h"
#include "history/log_writer.h"
#include "history/reading_list.h"
#include "history/recovery_journal.h"
#include "history/sample_history.h"
#include "session/orphan_journal.h"
#include "settings/settings.h"
#include "settings/user_paths.h"

// What a start takes over from the journals in the data folder.
struct TakenJournals {
    RecoveryJournal own;  // this window's journal, locked for its whole run
    // This window's journal when it holds what the list lacks: what it says.
    // Its records go into the list after the window shows, as logged readings do.
    std::optional<JournalContents> toReplay;
    // The journals of other ports, or of other logs: written out as logs of
    // their own after the window shows.
    std::vector<OrphanJournal> toWriteOut;
    // The log now shown instead of the one the settings name: a save that
    // died had already put the rows there (empty: none).
    std::string logFile;
    // What the user should hear about: damaged records skipped, a journal
    // that had lost its start.
    std::vector<std::string> problems;
};

// At start-up, after the last log has been loaded into `list` and `history`:
// every journal whose lock is free belongs to a run that died. A save it
// records as whole is finished, and then its rows are in that log; otherwise
// what its saves left is removed. One of this
// window's port that continues the loaded log becomes this window's journal,
// what it says left in `toReplay` for the list; any other is left in
// `toWriteOut`, to become logs of its own named for its port (so is one that
// lost its start record: nothing says which log its rows follow). Journals
// that other running windows hold are left alone, and so are those that
// cannot be read (a later start tries again). Without a journal of its
// own to reuse, this window makes the first free one.
// Journals left in the paths' last resort folder are written out as logs.
// Each journal is read in one pass that keeps no records.
// This window's own goes into the data folder, or into the last resort
// folder when that cannot take it (reported, as is having none at all).
TakenJournals takeJournals(JournalFiles& files, const UserPaths& paths, const Settings& settings,
                           ReadingList& list, SampleHistory& history, const LogWriter& writer);

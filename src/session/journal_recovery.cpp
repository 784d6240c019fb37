#include "session/journal_recovery.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "history/log_reader.h"

namespace {

// Journals beyond this many would mean a folder full of junk: nothing more is made.
constexpr int kMaxJournals = 99;

// The list the dead run had (its last log, then its journal), saved as a log
// named for the run's own port.
bool writeOut(const JournalContents& journal, const Settings& settings, const LogWriter& writer,
              JournalReplay& replay) {
    ReadingList rows;
    const auto ring = std::make_unique<SampleHistory>(settings.listCount);
    if (journal.started && journal.rowsBefore > 0) loadLog(journal.logFile, rows, *ring);
    replay = replayJournal(journal, journal.logFile, rows, *ring);
    Settings named = settings;
    named.port = journal.port;
    return writer.saveLog(rows, named);
}

void noteDamage(const std::string& path, const JournalContents& journal,
                const JournalReplay& replay, std::vector<std::string>& problems) {
    if (!journal.started)
        problems.push_back(path + " had lost its first record: its " +
                           std::to_string(replay.applied) +
                           " readings were saved as a log of their own");
    if (replay.skipped > 0)
        problems.push_back(path + ": " + std::to_string(replay.skipped) +
                           " records that are neither reading lines nor tags of its rows"
                           " were skipped");
}

}  // namespace

TakenJournals takeJournals(JournalFiles& files, const std::string& dataFolder,
                           const Settings& settings, ReadingList& list, SampleHistory& history,
                           const LogWriter& writer) {
    TakenJournals taken;
    if (dataFolder.empty()) return taken;
    std::error_code ec;
    std::filesystem::create_directories(dataFolder, ec);

    bool ownReplayed = false;
    for (const std::string& path : journalPathsIn(dataFolder)) {
        std::unique_ptr<JournalFile> file = files.make();
        if (file->open(path) != JournalFile::Open::locked) continue;
        RecoveryJournal orphan(std::move(file));
        const JournalContents contents = orphan.read();
        if (contents.records.empty()) {
            // Nothing to recover: the first such file is reused, the rest go.
            if (!taken.own.isOpen()) {
                taken.own = std::move(orphan);
            } else {
                orphan.remove();
            }
            continue;
        }
        // A journal written before ports were recorded counts as this port's.
        const bool samePort = contents.port == settings.port || contents.port == 0;
        if (!ownReplayed && contents.started && samePort && contents.logFile == settings.logFile) {
            const JournalReplay replay = replayJournal(contents, settings.logFile, list, history);
            noteDamage(path, contents, replay, taken.problems);
            taken.replayed = replay.applied;
            ownReplayed = true;
            if (taken.own.isOpen()) taken.own.remove();
            taken.own = std::move(orphan);
            continue;
        }
        // Kept (and left for the next start) when the log cannot be written.
        JournalReplay replay;
        const bool written = writeOut(contents, settings, writer, replay);
        noteDamage(path, contents, replay, taken.problems);
        if (written) {
            ++taken.logsWritten;
            orphan.remove();
        }
    }
    for (int number = 1; !taken.own.isOpen() && number <= kMaxJournals; ++number) {
        std::unique_ptr<JournalFile> file = files.make();
        const JournalFile::Open opened = file->open(journalPath(dataFolder, number));
        if (opened == JournalFile::Open::locked) taken.own = RecoveryJournal(std::move(file));
        if (opened == JournalFile::Open::failed) break;
    }
    return taken;
}

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
bool writeOut(const JournalContents& journal, const Settings& settings, const LogWriter& writer) {
    ReadingList rows;
    const auto ring = std::make_unique<SampleHistory>(settings.listCount);
    if (journal.rowsBefore > 0) loadLog(journal.logFile, rows, *ring);
    replayJournal(journal, journal.logFile, rows, *ring);
    Settings named = settings;
    named.port = journal.port;
    return writer.saveLog(rows, named);
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
        if (!contents.started || contents.records.empty()) {
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
        if (!ownReplayed && samePort && contents.logFile == settings.logFile) {
            taken.replayed = replayJournal(contents, settings.logFile, list, history);
            ownReplayed = true;
            if (taken.own.isOpen()) taken.own.remove();
            taken.own = std::move(orphan);
            continue;
        }
        // Kept (and left for the next start) when the log cannot be written.
        if (writeOut(contents, settings, writer)) {
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

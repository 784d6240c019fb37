#include "session/journal_recovery.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "history/log_reader.h"
#include "history/log_writer.h"
#include "settings/user_paths.h"

namespace {

// Journals beyond this many would mean a folder full of junk: nothing more is made.
constexpr int kMaxJournals = 99;

// The list the dead run had (its last log, then its journal), saved as a log
// named for the run's own port.
bool writeOut(const JournalContents& journal, const Settings& settings, const LogWriter& writer,
              JournalReplay& replay, RecoveryJournal& steps) {
    ReadingList rows;
    const auto ring = std::make_unique<SampleHistory>(settings.listCount);
    if (journal.started && journal.rowsBefore > 0) loadLog(journal.logFile, rows, *ring);
    replay = replayJournal(journal, journal.logFile, rows, *ring);
    Settings named = settings;
    named.port = journal.port;
    return writer.saveLog(rows, named, &steps);
}

// The log that holds the rows of a save that died after its temporary file
// was whole, the move finished when it had not been; nothing when the save
// had not got that far and the rows are only in the journal.
std::optional<std::string> finishSave(const JournalContents& journal, std::string_view tempSuffix) {
    namespace fs = std::filesystem;
    if (journal.savedTemp.empty()) return std::nullopt;
    const fs::path temp = pathFromUtf8(journal.savedTemp);
    std::error_code ec;
    const bool tempThere = fs::is_regular_file(temp, ec);
    if (!journal.savedLog.empty()) {
        // The name is the save's own when the temporary file has it too, or
        // has gone: it is removed only once the log has the rows.
        const fs::path log = pathFromUtf8(journal.savedLog);
        if (fs::is_regular_file(log, ec) && (!tempThere || fs::equivalent(temp, log, ec))) {
            if (tempThere) fs::remove(temp, ec);
            return journal.savedLog;
        }
    }
    if (!tempThere) return std::nullopt;
    return moveToFreeName(journal.savedTemp, logNameOfTemp(journal.savedTemp, tempSuffix));
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
        RecoveryJournal orphan(std::move(file), path);
        const JournalContents contents = orphan.read();
        // A journal written before ports were recorded counts as this port's.
        const bool samePort = contents.port == settings.port || contents.port == 0;
        const std::optional<std::string> saved = finishSave(contents, orphan.tempSuffix());
        // What else its saves left holds nothing the journal or a log lacks.
        writer.removeLeftovers(orphan.tempSuffix());
        if (saved) {
            // Its rows are in that log: only a start that did not yet show it changes.
            if (!ownReplayed && samePort &&
                (contents.logFile == settings.logFile || *saved == settings.logFile)) {
                ownReplayed = true;
                if (*saved != settings.logFile) {
                    list.clear();
                    history.reset();
                    loadLog(*saved, list, history);
                    taken.logFile = *saved;
                }
                if (taken.own.isOpen()) taken.own.remove();
                taken.own = std::move(orphan);
            } else {
                ++taken.logsWritten;
                orphan.remove();
            }
            continue;
        }
        if (contents.records.empty()) {
            // Nothing to recover: the first such file is reused, the rest go.
            if (!taken.own.isOpen()) {
                taken.own = std::move(orphan);
            } else {
                orphan.remove();
            }
            continue;
        }
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
        const bool written = writeOut(contents, settings, writer, replay, orphan);
        noteDamage(path, contents, replay, taken.problems);
        if (written) {
            ++taken.logsWritten;
            orphan.remove();
        }
    }
    for (int number = 1; !taken.own.isOpen() && number <= kMaxJournals; ++number) {
        std::unique_ptr<JournalFile> file = files.make();
        const std::string path = journalPath(dataFolder, number);
        const JournalFile::Open opened = file->open(path);
        if (opened == JournalFile::Open::locked) {
            taken.own = RecoveryJournal(std::move(file), path);
            writer.removeLeftovers(taken.own.tempSuffix());
        }
        if (opened == JournalFile::Open::failed) break;
    }
    return taken;
}

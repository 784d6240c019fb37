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
    if (journal.started && !journal.emptied) loadLog(journal.logFile, rows, *ring);
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

namespace {

// What a start needs while it goes through the journals of one folder after another.
struct JournalTakeOver {
    JournalFiles& files;
    const Settings& settings;
    ReadingList& list;
    SampleHistory& history;
    const LogWriter& writer;
    TakenJournals taken;
    bool ownReplayed = false;
};

// The journals in `folder` that no running program holds. With `mayKeep`
// one may become this window's; otherwise each is written out and goes.
void takeFrom(JournalTakeOver& run, const std::string& folder, bool mayKeep) {
    const Settings& settings = run.settings;
    TakenJournals& taken = run.taken;
    bool& ownReplayed = run.ownReplayed;
    for (const std::string& path : journalPathsIn(folder)) {
        std::unique_ptr<JournalFile> file = run.files.make();
        if (file->open(path) != JournalFile::Open::locked) continue;
        RecoveryJournal orphan(std::move(file), path);
        const LogWriter& writer = run.writer;
        JournalContents contents = orphan.read();
        std::string logOfPiece;
        // A journal written before ports were recorded counts as this port's.
        const bool samePort = contents.port == settings.port || contents.port == 0;
        std::optional<std::string> saved = finishSave(contents, orphan.tempSuffix());
        // What else its saves left holds nothing the journal or a log lacks.
        writer.removeLeftovers(orphan.tempSuffix());
        // Its rows are in that log: only a start that did not yet show it changes.
        const bool showsSaved =
            saved && mayKeep && !ownReplayed && samePort &&
            (contents.logFile == settings.logFile || *saved == settings.logFile);
        if (saved && contents.pieceSave) {
            // A piece of a replay: the rows after it are still only in the journal.
            applySavedPiece(contents, contents.pieceRows, contents.pieceEmpties, *saved);
            if (showsSaved && *saved != settings.logFile) {
                run.list.clear();
                run.history.reset();
                loadLog(*saved, run.list, run.history);
                taken.logFile = *saved;
            }
            if (showsSaved) logOfPiece = *saved;
            saved.reset();
        }
        if (saved) {
            if (showsSaved) {
                ownReplayed = true;
                if (*saved != settings.logFile) {
                    run.list.clear();
                    run.history.reset();
                    loadLog(*saved, run.list, run.history);
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
            if (mayKeep && !taken.own.isOpen()) {
                taken.own = std::move(orphan);
            } else {
                orphan.remove();
            }
            continue;
        }
        if (mayKeep && !ownReplayed && contents.started && samePort &&
            (contents.logFile == settings.logFile || contents.logFile == logOfPiece)) {
            // Put back on the ticks after the window shows, a ring at a time.
            if (contents.emptied && run.list.rowCount() > 0) {
                run.list.clear();
                run.history.reset();
            }
            JournalReplay replay;
            replay.skipped = contents.skipped;
            noteDamage(path, contents, replay, taken.problems);
            taken.replayed = contents.records.size();
            taken.toReplay = std::move(contents);
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
}

// This window's journal: the first free name in `folder`. A name that is
// not a regular file (a folder, a FIFO, a link) is passed over.
void makeOwn(JournalTakeOver& run, const std::string& folder) {
    if (folder.empty()) return;
    for (int number = 1; !run.taken.own.isOpen() && number <= kMaxJournals; ++number) {
        std::unique_ptr<JournalFile> file = run.files.make();
        const std::string path = journalPath(folder, number);
        const JournalFile::Open opened = file->open(path);
        if (opened == JournalFile::Open::locked) {
            run.taken.own = RecoveryJournal(std::move(file), path);
            run.writer.removeLeftovers(run.taken.own.tempSuffix());
        }
        std::error_code ec;
        const auto status = std::filesystem::symlink_status(pathFromUtf8(path), ec);
        const bool taken =
            !ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
        if (opened == JournalFile::Open::failed && !taken) break;
    }
}

}  // namespace

TakenJournals takeJournals(JournalFiles& files, const UserPaths& paths, const Settings& settings,
                           ReadingList& list, SampleHistory& history, const LogWriter& writer) {
    JournalTakeOver run{files, settings, list, history, writer, {}, false};
    if (!paths.dataFolder.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(pathFromUtf8(paths.dataFolder), ec);
        takeFrom(run, paths.dataFolder, true);
    }
    // Runs that had no other place left their journals in the last resort folder.
    const auto lastResort = [&paths](bool create) {
        return paths.lastResortFolder ? paths.lastResortFolder(create) : std::string();
    };
    if (const std::string folder = lastResort(false); !folder.empty()) takeFrom(run, folder, false);
    makeOwn(run, paths.dataFolder);
    if (!run.taken.own.isOpen()) {
        makeOwn(run, lastResort(true));
        run.taken.problems.push_back(
            run.taken.own.isOpen()
                ? "the recovery journal is " + run.taken.own.path() +
                      ", in a temporary folder that may be emptied at the next restart: the "
                      "data folder cannot be written"
                : std::string("no recovery journal could be made anywhere: a crash would lose "
                              "the readings since the last save"));
    }
    return std::move(run.taken);
}

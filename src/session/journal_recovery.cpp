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
        JournalContents contents = orphan.scan();
        // Left as it is for a later start when what it holds cannot be told.
        if (contents.unreadable) continue;
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
                orphan.remove();
            }
            continue;
        }
        if (!contents.holdsRecords()) {
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
            noteJournalDamage(path, contents, 0, contents.skipped, taken.problems);
            taken.toReplay = std::move(contents);
            ownReplayed = true;
            if (taken.own.isOpen()) taken.own.remove();
            taken.own = std::move(orphan);
            continue;
        }
        // Written out a ring at a time after the window shows.
        taken.toWriteOut.emplace_back(std::move(orphan), std::move(contents));
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

#include "session/orphan_journal.h"

#include <utility>

#include "history/log_reader.h"

OrphanJournal::OrphanJournal(RecoveryJournal journal, JournalContents contents)
    : journal_(std::move(journal)),
      contents_(std::move(contents)),
      at_(replayStart(contents_)),
      skipped_(contents_.skipped) {}

bool OrphanJournal::writeOutPiece(const Settings& settings, const LogWriter& writer,
                                  std::vector<std::string>& problems) {
    if (!ring_) {
        ring_ = std::make_unique<SampleHistory>(settings.listCount);
        if (contents_.started && !contents_.emptied) loadLog(contents_.logFile, rows_, *ring_);
        firstRow_ = static_cast<std::int64_t>(contents_.rowsBefore) -
                    static_cast<std::int64_t>(rows_.rowCount());
    }
    const ReplayedPiece piece = journal_.replayPiece(
        at_, contents_.started ? std::optional(firstRow_) : std::nullopt, rows_, *ring_);
    applied_ += piece.applied;
    skipped_ += piece.skipped;
    // A full ring goes to a log before the next reading, as a fill would save it.
    if (piece.full) return !savePiece(settings, writer, true);
    // Kept for a later start, with what went to logs marked in it.
    if (piece.unreadable) return true;
    noteJournalDamage(journal_.path(), contents_, applied_, skipped_, problems);
    if (savePiece(settings, writer, false)) journal_.remove();
    return true;
}

bool OrphanJournal::savePiece(const Settings& settings, const LogWriter& writer, bool empties) {
    Settings named = settings;
    named.port = contents_.port;
    const std::int64_t rows = firstRow_ + static_cast<std::int64_t>(rows_.rowCount());
    const auto saved = static_cast<std::size_t>(rows < 0 ? 0 : rows);
    if (empties) journal_.savingPiece(saved, true);
    if (!writer.saveLog(rows_, named, &journal_)) return false;
    if (!empties) return true;
    journal_.pieceSaved(saved, true, named.logFile);
    rows_.clear();
    ring_->reset();
    firstRow_ = rows;
    return true;
}

void noteJournalDamage(const std::string& path, const JournalContents& journal, std::size_t applied,
                       std::size_t skipped, std::vector<std::string>& problems) {
    if (!journal.started)
        problems.push_back(path + " had lost its first record: its " + std::to_string(applied) +
                           " readings were saved as a log of their own");
    if (skipped > 0)
        problems.push_back(path + ": " + std::to_string(skipped) +
                           " records that are neither reading lines nor tags of its rows"
                           " were skipped");
}

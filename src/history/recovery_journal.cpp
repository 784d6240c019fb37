#include "history/recovery_journal.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "history/log_reader.h"
#include "history/reading_line.h"
#include "history/tag_edit.h"
#include "history/windows1252.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLineEnd = "\r\n";
constexpr char kStart = 'B';
constexpr char kPort = 'P';
constexpr char kReading = 'R';
constexpr char kTag = 'T';
constexpr char kSaveWritten = 'S';
constexpr char kSaveMoving = 'M';
constexpr char kPieceSaving = 'K';
constexpr char kPieceSaved = 'D';

// "<number> <rest>"; nothing when the number is missing or too large.
struct NumberedText {
    std::size_t number = 0;
    std::string_view rest;
};
std::optional<NumberedText> splitNumber(std::string_view body) {
    NumberedText result;
    const char* end = body.data() + body.size();
    const auto [next, ec] = std::from_chars(body.data(), end, result.number);
    if (ec != std::errc() || next == end || *next != ' ') return std::nullopt;
    result.rest = std::string_view(next + 1, static_cast<std::size_t>(end - next - 1));
    return result;
}

// "<rows> <0|1>[ <log>]": the body of a piece's records.
struct PieceMark {
    std::size_t rows = 0;
    bool empties = false;
    std::string_view log;
};
std::optional<PieceMark> splitPiece(std::string_view body, bool withLog) {
    const std::optional<NumberedText> numbered = splitNumber(body);
    if (!numbered || numbered->rest.empty()) return std::nullopt;
    const char flag = numbered->rest[0];
    const std::string_view after = numbered->rest.substr(1);
    if ((flag != '0' && flag != '1') || (withLog ? !after.starts_with(' ') : !after.empty()))
        return std::nullopt;
    return PieceMark{numbered->number, flag == '1', withLog ? after.substr(1) : std::string_view()};
}

// The index of the record after the first `readings` readings from `from`.
std::size_t pastReadings(const std::vector<JournalRecord>& records, std::size_t from,
                         std::size_t readings) {
    for (; from < records.size() && readings > 0; ++from)
        if (records[from].kind == JournalRecord::Kind::Reading) --readings;
    return from;
}

void markSaved(JournalContents& journal, std::size_t& firstKept, std::size_t rows, bool emptied,
               std::string log) {
    const std::size_t gone = rows > journal.rowsBefore ? rows - journal.rowsBefore : 0;
    firstKept = pastReadings(journal.records, firstKept, gone);
    journal.started = true;
    journal.rowsBefore = rows;
    journal.emptied = emptied;
    journal.logFile = std::move(log);
    journal.savedTemp.clear();
    journal.savedLog.clear();
    journal.pieceSave = false;
}

std::string record(char kind, std::string_view body) {
    std::string out;
    out.reserve(body.size() + 4);
    out += kind;
    out += ' ';
    out += body;
    out += kLineEnd;
    return out;
}

}  // namespace

JournalContents parseJournal(std::string_view content) {
    JournalContents journal;
    bool first = true;
    std::size_t firstKept = 0;  // records before it are in a saved piece
    for (std::size_t end = content.find(kLineEnd); end != std::string_view::npos;
         content.remove_prefix(end + kLineEnd.size()), end = content.find(kLineEnd)) {
        const std::string_view record = content.substr(0, end);
        const bool isFirst = std::exchange(first, false);
        const bool wellFormed = record.size() >= 2 && record[1] == ' ' &&
                                record.find_first_of("\r\n") == std::string_view::npos;
        const char kind = wellFormed ? record[0] : '\0';
        const std::string_view body = wellFormed ? record.substr(2) : std::string_view();
        bool kept = false;
        if (kind == kStart) {
            // Only the first record says which rows the others follow.
            const std::optional<NumberedText> start = splitNumber(body);
            kept = isFirst && start;
            if (kept) {
                journal.started = true;
                journal.rowsBefore = start->number;
                journal.logFile = std::string(start->rest);
                journal.emptied = start->number == 0;
            }
        } else if (kind == kPort) {
            std::uint32_t port = 0;
            const char* bodyEnd = body.data() + body.size();
            const auto [stop, ec] = std::from_chars(body.data(), bodyEnd, port);
            kept = ec == std::errc() && stop == bodyEnd;
            if (kept) journal.port = port;
        } else if (kind == kReading) {
            kept = isReadingLine(body);
            if (kept)
                journal.records.push_back({JournalRecord::Kind::Reading, 0, std::string(body)});
        } else if (kind == kPieceSaving) {
            const std::optional<PieceMark> piece = splitPiece(body, false);
            kept = piece.has_value();
            if (kept) {
                journal.pieceSave = true;
                journal.pieceRows = piece->rows;
                journal.pieceEmpties = piece->empties;
                journal.savedTemp.clear();
                journal.savedLog.clear();
            }
        } else if (kind == kPieceSaved) {
            const std::optional<PieceMark> piece = splitPiece(body, true);
            kept = piece.has_value();
            if (kept)
                markSaved(journal, firstKept, piece->rows, piece->empties, std::string(piece->log));
        } else if (kind == kSaveWritten) {
            kept = true;
            journal.savedTemp = std::string(body);
            journal.savedLog.clear();
            // An empty name: the save was given up.
            if (body.empty()) journal.pieceSave = false;
        } else if (kind == kSaveMoving) {
            kept = !journal.savedTemp.empty();
            if (kept) journal.savedLog = std::string(body);
        } else if (kind == kTag) {
            const std::optional<NumberedText> tag = splitNumber(body);
            kept = tag && !hasControlByte(tag->rest);
            if (kept)
                journal.records.push_back(
                    {JournalRecord::Kind::Tag, tag->number, std::string(tag->rest)});
        }
        if (!kept) ++journal.skipped;
    }
    journal.records.erase(journal.records.begin(),
                          journal.records.begin() + static_cast<std::ptrdiff_t>(firstKept));
    return journal;
}

void applySavedPiece(JournalContents& journal, std::size_t rows, bool emptied, std::string log) {
    std::size_t firstKept = 0;
    markSaved(journal, firstKept, rows, emptied, std::move(log));
    journal.records.erase(journal.records.begin(),
                          journal.records.begin() + static_cast<std::ptrdiff_t>(firstKept));
}

JournalReplay replayJournal(const JournalContents& journal, std::string_view logFile,
                            ReadingList& list, SampleHistory& history) {
    JournalReplay replay;
    if (journal.started && journal.logFile != logFile) return replay;
    replay.skipped = journal.skipped;
    if (journal.records.empty()) return replay;
    if (journal.started && journal.emptied && list.rowCount() > 0) {
        list.clear();
        history.reset();
    }
    const std::size_t loaded = list.rowCount();
    for (const JournalRecord& record : journal.records) {
        if (record.kind == JournalRecord::Kind::Reading) {
            appendLogLine(record.text, list, history);
            ++replay.applied;
            continue;
        }
        // Rows logged since the start follow the loaded ones. Earlier rows are
        // counted from the end of the log: the loader takes a log's last lines,
        // so a journal started over more of them (a smaller ring now, or an
        // older program that loaded all) still finds its rows.
        std::optional<std::size_t> row;
        if (!journal.started) {
            // Nothing says where its rows stand.
        } else if (record.row >= journal.rowsBefore) {
            if (record.row - journal.rowsBefore < list.rowCount() - loaded)
                row = loaded + (record.row - journal.rowsBefore);
        } else if (journal.rowsBefore - record.row <= loaded) {
            row = loaded - (journal.rowsBefore - record.row);
        }
        if (!row) {
            ++replay.skipped;
            continue;
        }
        setRowTag(list, history, *row, record.text);
        ++replay.applied;
    }
    return replay;
}

std::string journalPath(std::string_view dataFolder, int number) {
    if (dataFolder.empty()) return {};
    const std::string name =
        number <= 1 ? "journal.txt" : "journal-" + std::to_string(number) + ".txt";
    return (fs::path(dataFolder) / name).string();
}

std::vector<std::string> journalPathsIn(std::string_view dataFolder) {
    std::vector<std::pair<int, std::string>> found;
    std::error_code ec;
    if (dataFolder.empty()) return {};
    for (const fs::directory_entry& entry : fs::directory_iterator(dataFolder, ec)) {
        const std::string name = entry.path().filename().string();
        int number = 0;
        if (name == "journal.txt") {
            number = 1;
        } else if (name.starts_with("journal-") && name.ends_with(".txt")) {
            const std::string_view digits(name.data() + 8, name.size() - 12);
            const auto [end, parsed] =
                std::from_chars(digits.data(), digits.data() + digits.size(), number);
            if (parsed != std::errc() || end != digits.data() + digits.size() || number < 2)
                continue;
        } else {
            continue;
        }
        found.emplace_back(number, entry.path().string());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& [number, path] : found) paths.push_back(std::move(path));
    return paths;
}

RecoveryJournal::RecoveryJournal(std::unique_ptr<JournalFile> file, std::string path)
    : file_(std::move(file)), path_(std::move(path)) {
    if (!file_ || !file_->isOpen()) {
        file_.reset();
        return;
    }
    if (const std::optional<std::string> content = file_->read()) {
        const std::size_t end = content->rfind(kLineEnd);
        const std::size_t whole = end == std::string::npos ? 0 : end + kLineEnd.size();
        if (whole < content->size()) file_->truncate(whole);
    }
}

JournalContents RecoveryJournal::read() const {
    if (!file_) return {};
    const std::optional<std::string> content = file_->read();
    return content ? parseJournal(*content) : JournalContents{};
}

void RecoveryJournal::restart(std::size_t rowsBefore, std::string_view logFile, std::uint32_t port,
                              std::uint32_t reserveRecords) {
    if (!file_) return;
    // A journal that failed earlier gets a fresh chance with an empty file.
    broken_ = !file_->truncate(0);
    file_->reserve(std::uint64_t{reserveRecords} * kReservePerRecord + 4096);
    write(record(kStart, std::to_string(rowsBefore) + ' ' + std::string(logFile)) +
          record(kPort, std::to_string(port)));
}

void RecoveryJournal::recordPort(std::uint32_t port) {
    write(record(kPort, std::to_string(port)));
}

void RecoveryJournal::appendReading(std::string_view text) {
    write(record(kReading, text));
}

void RecoveryJournal::appendTag(std::size_t row, std::string_view tag) {
    write(record(kTag, std::to_string(row) + ' ' + std::string(tag)));
}

void RecoveryJournal::savingPiece(std::size_t rows, bool empties) {
    write(record(kPieceSaving, std::to_string(rows) + (empties ? " 1" : " 0")));
}

void RecoveryJournal::pieceSaved(std::size_t rows, bool empties, std::string_view log) {
    write(record(kPieceSaved, std::to_string(rows) + (empties ? " 1 " : " 0 ") + std::string(log)));
}

void RecoveryJournal::remove() {
    if (file_) file_->remove();
    file_.reset();
}

std::string RecoveryJournal::tempSuffix() const {
    const std::string stem = fs::path(path_).stem().string();
    return "." + (stem.empty() ? std::string("save") : stem) + ".tmp";
}

void RecoveryJournal::written(const std::string& temp) {
    write(record(kSaveWritten, temp));
}

void RecoveryJournal::moving(const std::string& log) {
    write(record(kSaveMoving, log));
}

void RecoveryJournal::abandoned() {
    write(record(kSaveWritten, ""));
}

void RecoveryJournal::write(std::string_view bytes) {
    if (!file_ || broken_) return;
    if (!file_->append(bytes)) broken_ = true;
}

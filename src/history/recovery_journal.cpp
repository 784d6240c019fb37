#include "history/recovery_journal.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <limits>
#include <optional>
#include <system_error>
#include <utility>

#include "history/log_format.h"
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

// One record, taken apart; its kind is '\0' when it makes no sense.
struct ParsedRecord {
    char kind = '\0';
    std::size_t number = 0;  // start: rows before; tag: its row; pieces: the rows saved
    bool empties = false;    // pieces
    std::uint32_t port = 0;
    std::string_view text;  // start, saves and pieces: a file name; readings and tags
};

ParsedRecord parseRecord(std::string_view record) {
    ParsedRecord parsed;
    // A CR or LF alone ends no record, and belongs in none.
    const bool wellFormed = record.size() >= 2 && record[1] == ' ' &&
                            record.find('\r') == std::string_view::npos &&
                            record.find('\n') == std::string_view::npos;
    if (!wellFormed) return parsed;
    const char kind = record[0];
    const std::string_view body = record.substr(2);
    bool sense = false;
    if (kind == kStart || kind == kTag) {
        const std::optional<NumberedText> numbered = splitNumber(body);
        sense = numbered && (kind == kStart || !hasControlByte(numbered->rest));
        if (sense) {
            parsed.number = numbered->number;
            parsed.text = numbered->rest;
        }
    } else if (kind == kPort) {
        const char* bodyEnd = body.data() + body.size();
        const auto [stop, ec] = std::from_chars(body.data(), bodyEnd, parsed.port);
        sense = ec == std::errc() && stop == bodyEnd;
    } else if (kind == kReading) {
        sense = isReadingLine(body);
        parsed.text = body;
    } else if (kind == kPieceSaving || kind == kPieceSaved) {
        const std::optional<PieceMark> piece = splitPiece(body, kind == kPieceSaved);
        sense = piece.has_value();
        if (sense) {
            parsed.number = piece->rows;
            parsed.empties = piece->empties;
            parsed.text = piece->log;
        }
    } else if (kind == kSaveWritten || kind == kSaveMoving) {
        sense = true;
        parsed.text = body;
    }
    if (sense) parsed.kind = kind;
    return parsed;
}

// Takes one record into what the journal says; false when it makes no sense there.
bool takeRecord(JournalContents& journal, const ParsedRecord& record, bool isFirst) {
    switch (record.kind) {
        case kStart:
            // Only the first record says which rows the others follow.
            if (!isFirst) return false;
            journal.started = true;
            journal.rowsBefore = record.number;
            journal.logFile = std::string(record.text);
            journal.emptied = record.number == 0;
            return true;
        case kPort:
            journal.port = record.port;
            return true;
        case kReading:
            ++journal.readings;
            return true;
        case kTag:
            journal.readingsBeforeLastTag = journal.readings;
            return true;
        case kPieceSaving:
            journal.pieceSave = true;
            journal.pieceRows = record.number;
            journal.pieceEmpties = record.empties;
            journal.savedTemp.clear();
            journal.savedLog.clear();
            return true;
        case kPieceSaved:
            applySavedPiece(journal, record.number, record.empties, std::string(record.text));
            return true;
        case kSaveWritten:
            journal.savedTemp = std::string(record.text);
            journal.savedLog.clear();
            // An empty name: the save was given up.
            if (record.text.empty()) journal.pieceSave = false;
            return true;
        case kSaveMoving:
            if (journal.savedTemp.empty()) return false;
            journal.savedLog = std::string(record.text);
            return true;
        default:
            return false;
    }
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

// The whole records of a journal file, read a piece at a time from `offset`
// on. Records end in CR LF; a last record without its line end was torn by a
// crash and is never returned. A record too long to be one comes back empty.
class JournalRecordReader {
  public:
    static constexpr std::size_t kPieceBytes = std::size_t{1} << 16;
    static constexpr std::size_t kMaxRecordBytes = std::size_t{1} << 16;

    // No file: no records.
    explicit JournalRecordReader(JournalFile* file, std::uint64_t offset = 0)
        : file_(file), offset_(offset) {}

    // The next record without its line end, valid until the next call;
    // nothing at the end.
    std::optional<std::string_view> next() {
        if (file_ == nullptr) return std::nullopt;
        std::size_t searchFrom = at_;
        for (;;) {
            const std::size_t end = buffer_.find(kLineEnd, searchFrom);
            if (end != std::string::npos) {
                const std::string_view found(buffer_.data() + at_, end - at_);
                offset_ += end + kLineEnd.size() - at_;
                at_ = end + kLineEnd.size();
                if (!std::exchange(overlong_, false)) return found;
                return std::string_view();
            }
            // Keep the unfinished record; a CR at its end may meet its LF in the next piece.
            buffer_.erase(0, at_);
            at_ = 0;
            if (buffer_.size() > kMaxRecordBytes) {
                // No record is this long: what follows up to the next line end is passed over.
                overlong_ = true;
                offset_ += buffer_.size() - 1;
                buffer_.erase(0, buffer_.size() - 1);
            }
            const std::optional<std::string> piece =
                file_->readAt(offset_ + buffer_.size(), kPieceBytes);
            failed_ = !piece;
            if (!piece || piece->empty()) return std::nullopt;
            searchFrom = buffer_.empty() ? 0 : buffer_.size() - 1;
            buffer_ += *piece;
        }
    }

    // Where the record the next call returns begins.
    std::uint64_t offset() const { return offset_; }
    // The records ended because the file could not be read.
    bool failed() const { return failed_; }

  private:
    JournalFile* file_;
    std::uint64_t offset_;  // of buffer_[at_]
    std::string buffer_;
    std::size_t at_ = 0;
    bool overlong_ = false;  // passing over a record too long to hold
    bool failed_ = false;
};

// The readings and tags of a journal, in order, from a position on; records
// of other kinds, damaged ones and those already in a log are passed over.
class JournalReplayReader {
  public:
    JournalReplayReader(JournalFile* file, JournalReplayPosition from)
        : records_(file, from.offset), readingsToPass_(from.readingsToPass) {}

    std::optional<JournalRecord> next() {
        while (const std::optional<std::string_view> text = records_.next()) {
            const ParsedRecord parsed = parseRecord(*text);
            if (parsed.kind != kReading && parsed.kind != kTag) continue;
            // A log holds the readings to pass over, and so the tags before them.
            if (readingsToPass_ > 0) {
                if (parsed.kind == kReading) --readingsToPass_;
                continue;
            }
            if (parsed.kind == kReading)
                return JournalRecord{JournalRecord::Kind::Reading, 0, std::string(parsed.text)};
            return JournalRecord{JournalRecord::Kind::Tag, parsed.number, std::string(parsed.text)};
        }
        return std::nullopt;
    }

    JournalReplayPosition position() const { return {records_.offset(), readingsToPass_}; }
    bool failed() const { return records_.failed(); }

  private:
    JournalRecordReader records_;
    std::size_t readingsToPass_;
};

// The length of the journal's whole records: up to its last CR LF. Read
// backwards a piece at a time, each piece overlapping the next by a byte so
// that a CR LF across two pieces is found.
std::optional<std::uint64_t> wholeLength(JournalFile& file) {
    const std::optional<std::uint64_t> size = file.size();
    if (!size) return std::nullopt;
    std::uint64_t end = *size;
    while (end >= kLineEnd.size()) {
        const std::uint64_t from =
            end > JournalRecordReader::kPieceBytes ? end - JournalRecordReader::kPieceBytes : 0;
        const std::optional<std::string> piece =
            file.readAt(from, static_cast<std::size_t>(end - from));
        if (!piece || piece->size() != end - from) return std::nullopt;
        const std::size_t at = piece->rfind(kLineEnd);
        if (at != std::string::npos) return from + at + kLineEnd.size();
        if (from == 0) break;
        end = from + 1;
    }
    return 0;
}

// Puts one record back; false for a tag that found no row.
bool replayRecord(const JournalRecord& record, std::optional<std::int64_t> firstRow,
                  ReadingList& list, SampleHistory& history) {
    if (record.kind == JournalRecord::Kind::Reading) {
        const LogLine parsed = parseLogLine(record.text);
        history.append(parsed.value, parsed.timeOfDay, false);
        list.appendRow({}, std::string(parsed.text));
        return true;
    }
    // Rows before the list's first are in a log already; the journal counts
    // loaded rows from the end of the log it started over, as the loader
    // takes a log's last lines.
    if (!firstRow ||
        record.row > static_cast<std::size_t>(std::numeric_limits<std::int64_t>::max()))
        return false;
    const std::int64_t row = static_cast<std::int64_t>(record.row) - *firstRow;
    if (row < 0 || static_cast<std::size_t>(row) >= list.rowCount()) return false;
    setRowTag(list, history, static_cast<std::size_t>(row), record.text);
    return true;
}

}  // namespace

bool JournalContents::holdsRecords() const {
    return readings > savedReadings ||
           (readingsBeforeLastTag && *readingsBeforeLastTag >= savedReadings);
}

void applySavedPiece(JournalContents& journal, std::size_t rows, bool emptied, std::string log) {
    // The readings since the journal's start that the save took.
    if (rows > journal.rowsBefore) journal.savedReadings += rows - journal.rowsBefore;
    journal.started = true;
    journal.rowsBefore = rows;
    journal.emptied = emptied;
    journal.logFile = std::move(log);
    journal.savedTemp.clear();
    journal.savedLog.clear();
    journal.pieceSave = false;
}

JournalContents scanJournal(JournalFile& file) {
    JournalContents journal;
    JournalRecordReader records(&file);
    bool first = true;
    while (const std::optional<std::string_view> text = records.next())
        if (!takeRecord(journal, parseRecord(*text), std::exchange(first, false)))
            ++journal.skipped;
    journal.unreadable = records.failed();
    return journal;
}

JournalReplayPosition replayStart(const JournalContents& journal) {
    return {0, journal.savedReadings};
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
    const std::optional<std::uint64_t> whole = wholeLength(*file_);
    if (whole && whole != file_->size()) file_->truncate(*whole);
}

JournalContents RecoveryJournal::scan() const {
    return file_ ? scanJournal(*file_) : JournalContents{};
}

ReplayedPiece RecoveryJournal::replayPiece(JournalReplayPosition& at,
                                           std::optional<std::int64_t> firstRow, ReadingList& list,
                                           SampleHistory& history) const {
    ReplayedPiece piece;
    JournalReplayReader records(file_.get(), at);
    for (;;) {
        const JournalReplayPosition before = records.position();
        const std::optional<JournalRecord> record = records.next();
        if (!record) break;
        // Tags after a full ring's last reading still find their rows in it.
        if (record->kind == JournalRecord::Kind::Reading && history.isFull()) {
            at = before;
            piece.full = true;
            return piece;
        }
        if (replayRecord(*record, firstRow, list, history)) {
            ++piece.applied;
        } else {
            ++piece.skipped;
        }
    }
    at = records.position();
    piece.unreadable = records.failed();
    return piece;
}

bool RecoveryJournal::sync() const {
    return file_ && !broken_ && file_->sync();
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

#include "history/recovery_journal.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "history/log_reader.h"
#include "history/tag_edit.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLineEnd = "\r\n";
constexpr char kStart = 'B';
constexpr char kReading = 'R';
constexpr char kTag = 'T';

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

// A FIFO or a device in the journal's place could block every write.
bool usableFile(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    return !fs::exists(status) || fs::is_regular_file(status);
}

}  // namespace

JournalContents parseJournal(std::string_view content) {
    JournalContents journal;
    bool first = true;
    for (std::size_t end = content.find(kLineEnd); end != std::string_view::npos;
         content.remove_prefix(end + kLineEnd.size()), end = content.find(kLineEnd)) {
        const std::string_view record = content.substr(0, end);
        const bool isFirst = std::exchange(first, false);
        const bool wellFormed = record.size() >= 2 && record[1] == ' ' &&
                                record.find_first_of("\r\n") == std::string_view::npos;
        const char kind = wellFormed ? record[0] : '\0';
        const std::string_view body = wellFormed ? record.substr(2) : std::string_view();
        if (isFirst) {
            // Without its start nothing says which rows the records follow.
            const std::optional<NumberedText> start =
                kind == kStart ? splitNumber(body) : std::nullopt;
            if (!start) return journal;
            journal.started = true;
            journal.rowsBefore = start->number;
            journal.logFile = std::string(start->rest);
        } else if (kind == kReading) {
            journal.records.push_back({JournalRecord::Kind::Reading, 0, std::string(body)});
        } else if (kind == kTag) {
            if (const std::optional<NumberedText> tag = splitNumber(body))
                journal.records.push_back(
                    {JournalRecord::Kind::Tag, tag->number, std::string(tag->rest)});
        }
    }
    return journal;
}

std::size_t replayJournal(const JournalContents& journal, std::string_view logFile,
                          ReadingList& list, SampleHistory& history) {
    if (!journal.started || journal.logFile != logFile || journal.records.empty()) return 0;
    if (journal.rowsBefore == 0 && list.rowCount() > 0) {
        list.clear();
        history.reset();
    }
    const std::size_t loaded = list.rowCount();
    std::size_t applied = 0;
    for (const JournalRecord& record : journal.records) {
        if (record.kind == JournalRecord::Kind::Reading) {
            appendLogLine(record.text, list, history);
            ++applied;
            continue;
        }
        // Rows logged since the start follow the loaded ones. Earlier rows are
        // counted from the end of the log: the loader takes a log's last lines,
        // so a journal started over more of them (a smaller ring now, or an
        // older program that loaded all) still finds its rows.
        std::optional<std::size_t> row;
        if (record.row >= journal.rowsBefore) {
            if (record.row - journal.rowsBefore < list.rowCount() - loaded)
                row = loaded + (record.row - journal.rowsBefore);
        } else if (journal.rowsBefore - record.row <= loaded) {
            row = loaded - (journal.rowsBefore - record.row);
        }
        if (!row) continue;
        setRowTag(list, history, *row, record.text);
        ++applied;
    }
    return applied;
}

RecoveryJournal::RecoveryJournal(std::string path) : path_(std::move(path)) {
    if (path_.empty()) return;
    std::error_code ec;
    const fs::path file(path_);
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
    if (!usableFile(path_)) return;
    if (const std::optional<std::string> content = readRegularFile(path_)) {
        const std::size_t end = content->rfind(kLineEnd);
        const std::size_t whole = end == std::string::npos ? 0 : end + kLineEnd.size();
        if (whole < content->size()) fs::resize_file(file, whole, ec);
    }
    file_ = std::fopen(path_.c_str(), "ab");
}

RecoveryJournal::~RecoveryJournal() {
    close();
}

std::string RecoveryJournal::pathIn(std::string_view dataFolder) {
    if (dataFolder.empty()) return {};
    return (fs::path(dataFolder) / "journal.txt").string();
}

JournalContents RecoveryJournal::read() const {
    if (path_.empty()) return {};
    const std::optional<std::string> content = readRegularFile(path_);
    return content ? parseJournal(*content) : JournalContents{};
}

void RecoveryJournal::restart(std::size_t rowsBefore, std::string_view logFile) {
    // A journal that failed earlier gets a fresh chance with an empty file.
    if (path_.empty() || !usableFile(path_)) return;
    close();
    std::FILE* emptied = std::fopen(path_.c_str(), "wb");
    if (!emptied) return;
    std::fclose(emptied);
    file_ = std::fopen(path_.c_str(), "ab");
    pendingStart_ = std::string(1, kStart) + ' ' + std::to_string(rowsBefore) + ' ' +
                    std::string(logFile) + std::string(kLineEnd);
}

void RecoveryJournal::appendReading(std::string_view text) {
    write(std::string(1, kReading) + ' ' + std::string(text) + std::string(kLineEnd));
}

void RecoveryJournal::appendTag(std::size_t row, std::string_view tag) {
    write(std::string(1, kTag) + ' ' + std::to_string(row) + ' ' + std::string(tag) +
          std::string(kLineEnd));
}

void RecoveryJournal::write(std::string_view record) {
    if (!file_) return;
    const std::string bytes = pendingStart_ + std::string(record);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
    if (!written || std::fflush(file_) != 0) {
        close();
        return;
    }
    pendingStart_.clear();
}

void RecoveryJournal::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

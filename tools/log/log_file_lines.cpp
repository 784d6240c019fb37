#include "log_file_lines.h"

#include "history/log_format.h"

LogFileLines::LogFileLines(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}

LogFileLines::~LogFileLines() {
    if (file_ != nullptr) std::fclose(file_);
}

std::optional<std::string_view> LogFileLines::next() {
    while (nextLine_ == lines_.size()) {
        if (!refill()) return std::nullopt;
    }
    return lines_[nextLine_++];
}

bool LogFileLines::refill() {
    if (file_ == nullptr || atEnd_) return false;
    held_.swap(pending_);
    pending_.clear();
    const std::size_t had = held_.size();
    held_.resize(had + kPiece);
    const std::size_t got = std::fread(held_.data() + had, 1, kPiece, file_);
    held_.resize(had + got);
    if (got < kPiece) {
        atEnd_ = true;
        failed_ = std::ferror(file_) != 0;
    }
    if (!atEnd_) {
        // Serve what ends in a line end; the rest waits for the next piece.
        // Without one, a line longer than the reader takes is cut where the
        // reader would cut it.
        const std::size_t lastEnd = held_.find_last_of("\r\n");
        const std::size_t cut = lastEnd != std::string::npos
                                    ? lastEnd + 1
                                    : held_.size() / kLogLineLimit * kLogLineLimit;
        pending_.assign(held_, cut);
        held_.resize(cut);
    }
    lines_ = cutLogLines(held_);
    nextLine_ = 0;
    return true;
}

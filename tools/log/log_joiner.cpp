#include "log_joiner.h"

#include <algorithm>

std::size_t longestOverlap(std::span<const std::string> earlier,
                           std::span<const std::string> later) {
    // Knuth-Morris-Pratt: `later` is the pattern, its longest prefix that
    // ends `earlier` is the match left when `earlier` has been read.
    const std::size_t n = later.size();
    if (n == 0) return 0;
    std::vector<std::size_t> border(n, 0);
    for (std::size_t i = 1, k = 0; i < n; ++i) {
        while (k > 0 && later[i] != later[k]) k = border[k - 1];
        if (later[i] == later[k]) ++k;
        border[i] = k;
    }
    std::size_t matched = 0;
    for (const std::string& line : earlier) {
        while (matched > 0 && (matched == n || line != later[matched]))
            matched = border[matched - 1];
        if (line == later[matched]) ++matched;
    }
    return matched;
}

LogJoiner::LogJoiner(Sink sink, std::size_t carriedLines)
    : sink_(std::move(sink)), carriedLines_(carriedLines), tail_(carriedLines) {}

void LogJoiner::startFile() {
    tailNext_ = 0;
    tailSize_ = 0;
    headSize_ = 0;
    headPassed_ = previousTail_.empty();
}

void LogJoiner::add(std::string_view line) {
    if (carriedLines_ > 0) {
        tail_[tailNext_].assign(line);  // reuses the slot's room
        tailNext_ = (tailNext_ + 1) % carriedLines_;
        tailSize_ = std::min(tailSize_ + 1, carriedLines_);
    }
    if (headPassed_) {
        sink_(line);
        return;
    }
    if (head_.size() == headSize_) head_.emplace_back();
    head_[headSize_++].assign(line);
    // No overlap is longer than the previous file's tail.
    if (headSize_ == previousTail_.size()) passHead();
}

void LogJoiner::passHead() {
    const std::span<const std::string> head(head_.data(), headSize_);
    const std::size_t overlap = longestOverlap(previousTail_, head);
    for (std::size_t i = overlap; i < headSize_; ++i) sink_(head_[i]);
    headPassed_ = true;
}

void LogJoiner::endFile() {
    if (!headPassed_) passHead();
    if (tailSize_ == 0) return;  // a file without readings carries nothing
    previousTail_.resize(tailSize_);
    const std::size_t first = (tailNext_ + carriedLines_ - tailSize_) % carriedLines_;
    for (std::size_t i = 0; i < tailSize_; ++i)
        previousTail_[i].swap(tail_[(first + i) % carriedLines_]);
}

#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "history/sample_history.h"

// Joins the reading lines of saved logs, taken file by file in the order the
// program wrote them, into one run without the rows that each log carries
// over from the one before it: where a file's first lines equal the previous
// file's last lines, the longest such run is passed on once. Whole runs are
// compared, never single lines: two readings of one second with the same
// value are two lines that look alike.
class LogJoiner {
  public:
    // A log carries at most what the program loads of the one before it.
    static constexpr std::size_t kCarriedLines = SampleHistory::kSlots;

    using Sink = std::function<void(std::string_view line)>;
    explicit LogJoiner(Sink sink, std::size_t carriedLines = kCarriedLines);

    void startFile();
    void add(std::string_view line);
    void endFile();

  private:
    void passHead();

    Sink sink_;
    std::size_t carriedLines_;
    std::vector<std::string> previousTail_;  // the last lines of the file before, in order
    std::vector<std::string> tail_;          // a ring of this file's last lines
    std::size_t tailNext_ = 0;
    std::size_t tailSize_ = 0;
    std::vector<std::string> head_;  // this file's first lines, until they are compared
    std::size_t headSize_ = 0;
    bool headPassed_ = true;
};

// The length of the longest run that ends `earlier` and starts `later`.
std::size_t longestOverlap(std::span<const std::string> earlier,
                           std::span<const std::string> later);

#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The lines of a saved log, read a piece at a time so that a log of any size
// takes little memory. They are cut as the program's log reader cuts a whole
// file: runs of up to kLogLineLimit characters between runs of CR and LF.
class LogFileLines {
  public:
    static constexpr std::size_t kPiece = 1 << 20;

    explicit LogFileLines(const std::string& path);
    ~LogFileLines();
    LogFileLines(const LogFileLines&) = delete;
    LogFileLines& operator=(const LogFileLines&) = delete;

    // False when the file could not be opened.
    bool valid() const { return file_ != nullptr; }
    // True once a read has failed; the lines before it were given.
    bool failed() const { return failed_; }

    // The next line, valid until the next call; nothing at the end.
    std::optional<std::string_view> next();

  private:
    bool refill();

    std::FILE* file_ = nullptr;
    bool failed_ = false;
    bool atEnd_ = false;
    std::string held_;     // whole lines (or whole pieces of a long one)
    std::string pending_;  // what follows them: the start of a line
    std::vector<std::string_view> lines_;
    std::size_t nextLine_ = 0;
};

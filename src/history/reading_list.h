#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// One row of the reading list: the user's tag and the reading text, both
// Windows-1252. An empty tag means the row has none.
struct ReadingRow {
    std::string tag;
    std::string text;
    friend bool operator==(const ReadingRow&, const ReadingRow&) = default;
};

// The rows of the reading list in logging order, oldest first. Rows are only
// ever appended; row i belongs to history slot i while the two fill together.
class ReadingList {
  public:
    // Appends a row and returns its index.
    std::size_t appendRow(std::string tag, std::string text);
    std::size_t rowCount() const { return rows_.size(); }
    const ReadingRow& row(std::size_t index) const { return rows_[index]; }
    void setTag(std::size_t index, std::string tag) { rows_[index].tag = std::move(tag); }
    void clear() { rows_.clear(); }

  private:
    std::vector<ReadingRow> rows_;
};

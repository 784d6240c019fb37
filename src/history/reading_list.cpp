#include "history/reading_list.h"

std::size_t ReadingList::appendRow(std::string tag, std::string text) {
    rows_.push_back({std::move(tag), std::move(text)});
    return rows_.size() - 1;
}

#pragma once

#include <algorithm>
#include <string>
#include <utility>

#include "history/journal_file.h"

// A journal file held in memory: journal text read as a program reads its
// file, a piece at a time. With `failing` every read, write and sync fails.
class MemoryJournalFile final : public JournalFile {
  public:
    explicit MemoryJournalFile(std::string text = {}) : content(std::move(text)) {}

    Open open(const std::string&) override {
        return (open_ = !failing) ? Open::locked : Open::failed;
    }
    bool isOpen() const override { return open_; }
    std::optional<std::string> readAt(std::uint64_t offset, std::size_t bytes) override {
        if (failing) return std::nullopt;
        if (offset >= content.size()) return std::string();
        return content.substr(static_cast<std::size_t>(offset), bytes);
    }
    std::optional<std::uint64_t> size() override { return content.size(); }
    bool truncate(std::uint64_t size) override {
        content.resize(std::min<std::size_t>(content.size(), static_cast<std::size_t>(size)));
        return !failing;
    }
    bool append(std::string_view bytes) override {
        if (!failing) content += bytes;
        return !failing;
    }
    void reserve(std::uint64_t) override {}
    bool sync() override { return !failing; }
    void remove() override { close(); }
    void close() override { open_ = false; }

    std::string content;
    bool failing = false;

  private:
    bool open_ = true;
};

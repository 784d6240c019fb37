#pragma once

#include "history/journal_file.h"

// A journal file held with flock(LOCK_EX | LOCK_NB), opened close-on-exec so
// that no child process inherits it.
class PosixJournalFile final : public JournalFile {
  public:
    PosixJournalFile() = default;
    ~PosixJournalFile() override;
    PosixJournalFile(const PosixJournalFile&) = delete;
    PosixJournalFile& operator=(const PosixJournalFile&) = delete;

    Open open(const std::string& path) override;
    bool isOpen() const override { return fd_ >= 0; }
    std::optional<std::string> readAt(std::uint64_t offset, std::size_t bytes) override;
    std::optional<std::uint64_t> size() override;
    bool truncate(std::uint64_t size) override;
    bool append(std::string_view bytes) override;
    void reserve(std::uint64_t bytes) override;
    bool sync() override;
    void remove() override;
    void close() override;

  private:
    int fd_ = -1;
    std::string path_;
};

class PosixJournalFiles final : public JournalFiles {
  public:
    std::unique_ptr<JournalFile> make() override { return std::make_unique<PosixJournalFile>(); }
};

#pragma once

#include "history/journal_file.h"

// A journal file opened without sharing: while it is open no other program
// can open it at all. The handle is not inherited by child processes.
class Win32JournalFile final : public JournalFile {
  public:
    Win32JournalFile() = default;
    ~Win32JournalFile() override;
    Win32JournalFile(const Win32JournalFile&) = delete;
    Win32JournalFile& operator=(const Win32JournalFile&) = delete;

    Open open(const std::string& path) override;
    bool isOpen() const override { return handle_ != nullptr; }
    std::optional<std::string> readAt(std::uint64_t offset, std::size_t bytes) override;
    std::optional<std::uint64_t> size() override;
    bool truncate(std::uint64_t size) override;
    bool append(std::string_view bytes) override;
    void reserve(std::uint64_t bytes) override;
    bool sync() override;
    void remove() override;
    void close() override;

  private:
    void* handle_ = nullptr;
    std::string path_;
};

class Win32JournalFiles final : public JournalFiles {
  public:
    std::unique_ptr<JournalFile> make() override { return std::make_unique<Win32JournalFile>(); }
};

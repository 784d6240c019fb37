#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The file behind one recovery journal. A running program holds its journal
// with an exclusive lock for as long as it runs, so that no other program
// writes to it or takes it for the journal of a run that died.
class JournalFile {
  public:
    enum class Open {
        locked,  // opened (created when missing) and locked for this object
        busy,    // another running program holds it
        failed,  // no such place, not a regular file, or no access
    };

    virtual ~JournalFile() = default;

    // Opens the file at `path` without waiting for its lock. The lock is taken
    // on the file that `path` names once it is held, so that a journal another
    // program has just deleted or replaced is never taken for this one.
    virtual Open open(const std::string& path) = 0;
    virtual bool isOpen() const = 0;
    // Up to `bytes` bytes from `offset`, fewer only where the file ends;
    // nothing when it cannot be read. Journals are read a piece at a time.
    virtual std::optional<std::string> readAt(std::uint64_t offset, std::size_t bytes) = 0;
    // The file's length in bytes; nothing when it cannot be told.
    virtual std::optional<std::uint64_t> size() = 0;
    // Cuts the file to `size` bytes; the next append writes from there.
    virtual bool truncate(std::uint64_t size) = 0;
    // Appends with one write, handed to the system before this returns.
    virtual bool append(std::string_view bytes) = 0;
    // Sets disk space aside for the file to grow to `bytes` without changing
    // its content, so that appends cannot fail when the disk fills later.
    virtual void reserve(std::uint64_t bytes) = 0;
    // Hands what was appended to the disk; false when it may not be there.
    virtual bool sync() = 0;
    // Deletes the file and lets go of it.
    virtual void remove() = 0;
    virtual void close() = 0;
};

// Makes journal files; the platform decides how they are locked.
class JournalFiles {
  public:
    virtual ~JournalFiles() = default;
    virtual std::unique_ptr<JournalFile> make() = 0;
};

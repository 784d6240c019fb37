#include "posix/posix_journal_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

PosixJournalFile::~PosixJournalFile() {
    close();
}

JournalFile::Open PosixJournalFile::open(const std::string& path) {
    close();
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) return Open::failed;
    struct stat held {};
    if (fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
        ::close(fd);
        return Open::failed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? Open::busy : Open::failed;
    }
    // The holder before us may have deleted or replaced the file while we
    // waited for nothing: the lock counts only if the path still names it.
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0 || named.st_dev != held.st_dev ||
        named.st_ino != held.st_ino) {
        ::close(fd);
        return Open::busy;
    }
    // Writes go to the end, wherever a truncate left it.
    fcntl(fd, F_SETFL, O_APPEND);
    fd_ = fd;
    path_ = path;
    return Open::locked;
}

std::optional<std::string> PosixJournalFile::readAt(std::uint64_t offset, std::size_t bytes) {
    if (fd_ < 0) return std::nullopt;
    std::string content(bytes, '\0');
    std::size_t got = 0;
    while (got < bytes) {
        const ssize_t n =
            ::pread(fd_, content.data() + got, bytes - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    content.resize(got);
    return content;
}

std::optional<std::uint64_t> PosixJournalFile::size() {
    struct stat held {};
    if (fd_ < 0 || fstat(fd_, &held) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(held.st_size);
}

bool PosixJournalFile::truncate(std::uint64_t size) {
    return fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
}

bool PosixJournalFile::append(std::string_view bytes) {
    if (fd_ < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void PosixJournalFile::reserve(std::uint64_t bytes) {
    if (fd_ < 0) return;
#ifdef FALLOC_FL_KEEP_SIZE
    // Blocks set aside past the end, the file's size unchanged; a filesystem
    // without it gets no reserve (the journal still works, only unguarded).
    ::fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes));
#else
    (void)bytes;
#endif
}

bool PosixJournalFile::sync() {
    return fd_ >= 0 && ::fsync(fd_) == 0;
}

void PosixJournalFile::remove() {
    if (fd_ < 0) return;
    ::unlink(path_.c_str());
    close();
}

void PosixJournalFile::close() {
    if (fd_ < 0) return;
    ::close(fd_);  // gives up the lock
    fd_ = -1;
    path_.clear();
}

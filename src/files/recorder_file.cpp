#include "files/recorder_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qs40 {

bool RecorderFile::open(const std::string& path) {
    close();
    written_ = 0;
    error_ = 0;
    // Non-blocking only for the open, so that a named pipe nobody reads fails instead of
    // hanging the window.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) {
        error_ = errno;
        return false;
    }
    UniqueFd owned(fd);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0) {
        error_ = errno;
        return false;
    }
    fd_ = std::move(owned);
    return true;
}

bool RecorderFile::write(std::span<const std::uint8_t> bytes) {
    if (!fd_.valid()) {
        error_ = EBADF;
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error_ = errno;
            return false;
        }
        if (n == 0) { // nothing taken and no reason given: treat as a full disk
            error_ = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
        written_ += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool RecorderFile::close() {
    if (!fd_.valid())
        return true;
    bool ok = true;
    struct stat st {};
    // Only a regular file can be flushed; a device or a pipe has nothing to sync.
    if (::fstat(fd_.get(), &st) == 0 && S_ISREG(st.st_mode) && ::fsync(fd_.get()) != 0) {
        error_ = errno;
        ok = false;
    }
    if (!fd_.close()) {
        error_ = errno;
        ok = false;
    }
    return ok;
}

} // namespace qs40

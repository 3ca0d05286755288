#include "files/file_read.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qs40 {
namespace {

OpenedFile refused(FileReadStatus status, int error) {
    OpenedFile r;
    r.status = status;
    r.error = error;
    return r;
}

bool isMissing(int error) {
    return error == ENOENT || error == ENOTDIR;
}

// What a file of this kind gives: nothing for a regular file.
OpenedFile judgeKind(mode_t mode) {
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return refused(FileReadStatus::Failed, EISDIR);
    return refused(FileReadStatus::NotRegularFile, 0);
}

} // namespace

OpenedFile openRegularFile(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        const int error = errno;
        return refused(isMissing(error) ? FileReadStatus::Missing : FileReadStatus::Failed, error);
    }
    if (OpenedFile kind = judgeKind(st.st_mode); kind.status != FileReadStatus::Read)
        return kind;
    // The file may have been swapped for a named pipe since: O_NONBLOCK keeps that open from
    // waiting, and the kind is checked again on what was opened.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid()) {
        const int error = errno;
        return refused(isMissing(error) ? FileReadStatus::Missing : FileReadStatus::Failed, error);
    }
    if (::fstat(fd.get(), &st) != 0)
        return refused(FileReadStatus::Failed, errno);
    if (OpenedFile kind = judgeKind(st.st_mode); kind.status != FileReadStatus::Read)
        return kind;
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags != -1)
        ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    OpenedFile r;
    r.fd = std::move(fd);
    return r;
}

OpenedStream openRegularFileStream(const std::filesystem::path& path) {
    OpenedFile opened = openRegularFile(path);
    OpenedStream r;
    r.status = opened.status;
    r.error = opened.error;
    if (opened.status != FileReadStatus::Read)
        return r;
    r.file = streamOf(std::move(opened.fd), "rb");
    if (!r.file) {
        r.status = FileReadStatus::Failed;
        r.error = errno;
    }
    return r;
}

FileRead readFilePrefix(const std::filesystem::path& path, std::size_t limit) {
    OpenedFile opened = openRegularFile(path);
    FileRead r;
    if (opened.status != FileReadStatus::Read) {
        r.status = opened.status;
        r.error = opened.error;
        return r;
    }
    const int fd = opened.fd.get();
    struct stat st {};
    std::size_t want = limit;
    if (::fstat(fd, &st) == 0 && st.st_size >= 0 && static_cast<std::size_t>(st.st_size) < limit)
        want = static_cast<std::size_t>(st.st_size) + 1; // +1 sees a file that grew
    r.bytes.resize(want);
    std::size_t got = 0;
    while (got < want) {
        const ssize_t n = ::read(fd, r.bytes.data() + got, want - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            r.status = FileReadStatus::Failed;
            r.error = error;
            r.bytes.clear();
            return r;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    r.bytes.resize(got);
    return r;
}

} // namespace qs40

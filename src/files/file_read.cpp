#include "files/file_read.h"

#include "files/file_handles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qs40 {
namespace {

FileRead failed(FileReadStatus status, int error) {
    FileRead r;
    r.status = status;
    r.error = error;
    return r;
}

} // namespace

FileRead readFilePrefix(const std::filesystem::path& path, std::size_t limit) {
    // O_NONBLOCK keeps a named pipe from blocking the open.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        const int error = errno;
        const bool missing = error == ENOENT || error == ENOTDIR;
        return failed(missing ? FileReadStatus::Missing : FileReadStatus::Failed, error);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return failed(FileReadStatus::Failed, errno);
    if (S_ISDIR(st.st_mode))
        return failed(FileReadStatus::Failed, EISDIR);
    if (!S_ISREG(st.st_mode))
        return failed(FileReadStatus::NotRegularFile, 0);

    FileRead r;
    std::size_t want = limit;
    if (st.st_size >= 0 && static_cast<std::size_t>(st.st_size) < limit)
        want = static_cast<std::size_t>(st.st_size) + 1; // +1 sees a file that grew
    r.bytes.resize(want);
    std::size_t got = 0;
    while (got < want) {
        const ssize_t n = ::read(fd.get(), r.bytes.data() + got, want - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed(FileReadStatus::Failed, errno);
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    r.bytes.resize(got);
    return r;
}

} // namespace qs40

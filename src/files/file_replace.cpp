#include "files/file_replace.h"

#include "files/file_handles.h"
#include "files/temporary_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qs40 {
namespace {

FileWriteResult failure(int error) {
    FileWriteResult r;
    r.error = error;
    r.message = error != 0 ? std::strerror(error) : "Write abandoned";
    return r;
}

// The file a write lands in: the target of a symbolic link, else the path itself.
std::string resolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char buffer[PATH_MAX];
        if (::realpath(path.c_str(), buffer) != nullptr)
            return buffer;
    }
    return path;
}

std::string folderOfPath(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A rename is durable only once the folder entry is on the disk; a folder that cannot be
// synced (some file systems refuse) does not undo a completed write.
void syncFolder(const std::string& folder) {
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

} // namespace

FileWriteResult writeFileReplacing(const std::string& path, const ByteProducer& produce) {
    const std::string target = resolveTarget(path);
    // Removed on every way out below but the one that renames it over the target.
    TemporaryFile temp(target);
    if (!temp.created())
        return failure(temp.error());

    int error = 0;
    const ByteSink sink = [&](std::string_view bytes) {
        if (error != 0)
            return false;
        if (!writeAll(temp.fd(), bytes)) {
            error = errno;
            return false;
        }
        return true;
    };
    const bool produced = produce(sink);
    if (error != 0 || !produced)
        return failure(error); // 0: the producer gave up

    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && ::fchmod(temp.fd(), old.st_mode & 07777) != 0)
        return failure(errno);
    if (::fsync(temp.fd()) != 0)
        return failure(errno);
    if (!temp.commitTo(target))
        return failure(temp.error());
    syncFolder(folderOfPath(target));
    FileWriteResult ok;
    ok.ok = true;
    return ok;
}

FileWriteResult writeFileReplacing(const std::string& path, std::string_view content) {
    return writeFileReplacing(path, [content](const ByteSink& sink) { return sink(content); });
}

} // namespace qs40

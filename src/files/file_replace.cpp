#include "files/file_replace.h"

#include <atomic>
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

// Creates a new, unique temporary file beside `target`; -1 with errno set on failure.
int createTemporary(const std::string& target, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    // Shortened so that the decorated name stays within the folder entry limit.
    const std::string name =
        (slash == std::string::npos ? target : target.substr(slash + 1)).substr(0, 200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = folder + "." + name + ".tmp" + std::to_string(::getpid()) + "_" +
                   std::to_string(counter.fetch_add(1));
        // 0666 lets the process umask decide, as for any newly created file.
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
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
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

FileWriteResult writeFileReplacing(const std::string& path, const ByteProducer& produce) {
    const std::string target = resolveTarget(path);
    std::string tempPath;
    const int fd = createTemporary(target, tempPath);
    if (fd < 0)
        return failure(errno);

    int error = 0;
    bool abandoned = false;
    const ByteSink sink = [&](std::string_view bytes) {
        if (error != 0)
            return false;
        if (!writeAll(fd, bytes)) {
            error = errno;
            return false;
        }
        return true;
    };
    if (!produce(sink) && error == 0)
        abandoned = true;

    struct stat old {};
    if (error == 0 && !abandoned && ::stat(target.c_str(), &old) == 0)
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            error = errno;
    if (error == 0 && !abandoned && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0 && !abandoned)
        error = errno;
    if (error == 0 && !abandoned && ::rename(tempPath.c_str(), target.c_str()) != 0)
        error = errno;

    if (error != 0 || abandoned) {
        ::unlink(tempPath.c_str());
        return failure(error);
    }
    syncFolder(folderOfPath(target));
    FileWriteResult ok;
    ok.ok = true;
    return ok;
}

FileWriteResult writeFileReplacing(const std::string& path, std::string_view content) {
    return writeFileReplacing(path, [content](const ByteSink& sink) { return sink(content); });
}

} // namespace qs40

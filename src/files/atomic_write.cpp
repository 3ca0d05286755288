#include "files/atomic_write.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qs40 {
namespace {

namespace fs = std::filesystem;

std::string reason(int err) {
    return std::strerror(err);
}

std::string failure(const char* what, const fs::path& path, int err) {
    return std::string(what) + " \"" + path.string() + "\": " + reason(err) + ".";
}

// A symbolic link is replaced through its target, so that a linked configuration file keeps
// its link.
fs::path resolveTarget(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec)))
        return path;
    const fs::path resolved = fs::weakly_canonical(path, ec);
    return ec ? path : resolved;
}

// A name for the temporary file that no other writer of this process or another one picks.
fs::path temporaryName(const fs::path& folder, const fs::path& fileName, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const std::string name = "." + fileName.string() + ".tmp" + std::to_string(::getpid()) + "_" +
                             std::to_string(counter.fetch_add(1)) + "_" + std::to_string(attempt);
    return folder / name;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size, int& err) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Makes the rename itself durable. Some file systems refuse fsync on a folder; the file is in
// place by then, so that is not a failure of the write.
void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool writeFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes,
                         std::string& error) {
    const fs::path target = resolveTarget(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        error = failure("Cannot create file", path, EISDIR);
        return false;
    }

    // O_EXCL with a fresh name; the mode 0666 lets the umask decide, as for any new file.
    fs::path temp;
    int fd = -1;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = temporaryName(folder, target.filename(), attempt);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        error = failure("Cannot create file", path, errno);
        return false;
    }

    int err = 0;
    bool ok = writeAll(fd, bytes.data(), bytes.size(), err);
    if (ok && exists && ::fchmod(fd, existing.st_mode & 07777) != 0) {
        err = errno;
        ok = false;
    }
    if (ok && ::fsync(fd) != 0) {
        err = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        err = errno;
        ok = false;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        error = failure("Cannot write file", path, err);
        return false;
    }
    syncFolder(folder);
    error.clear();
    return true;
}

bool writeFileAtomically(const fs::path& path, std::string_view text, std::string& error) {
    return writeFileAtomically(
        path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, error);
}

} // namespace qs40

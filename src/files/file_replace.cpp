#include "files/file_replace.h"

#include "files/file_handles.h"
#include "files/temporary_file.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qs40 {
namespace {

thread_local FileWriteStepHook tStepHook;

void reached(const std::string& path, FileWriteStep step) {
    if (tStepHook)
        tStepHook(path, step);
}

FileWriteResult failure(FileWriteFailure kind, int error) {
    FileWriteResult r;
    r.failure = kind;
    r.error = error;
    r.message = error != 0 ? std::strerror(error) : "Write abandoned";
    return r;
}

FileWriteResult success() {
    FileWriteResult r;
    r.ok = true;
    return r;
}

std::string folderOfPath(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Where the bytes go, and how.
struct Target {
    bool direct = false; // not a regular file: written in place, never replaced
    std::string path;    // the file itself, with symbolic links followed
    int error = 0;       // set when the path cannot be used at all
};

// The name at the end of a chain of symbolic links whose last one names nothing yet: the file
// that writing through the link creates, as an ordinary open would.
Target endOfDanglingLinks(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return {false, path, 0};
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n < 0)
            return {false, {}, errno};
        link.resize(static_cast<std::size_t>(n));
        path = link.starts_with('/') ? link : folderOfPath(path) + "/" + link;
    }
    return {false, {}, ELOOP};
}

Target findTarget(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        const int error = errno;
        if (error != ENOENT)
            return {false, {}, error};
        return endOfDanglingLinks(path);
    }
    if (!S_ISREG(st.st_mode))
        return {true, path, 0};
    struct stat link {};
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char buffer[PATH_MAX];
        if (::realpath(path.c_str(), buffer) == nullptr)
            return {false, {}, errno};
        return {false, buffer, 0};
    }
    return {false, path, 0};
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

// Runs the producer into the descriptor; the errno of a failed write, else 0; -1 when the
// producer gave up.
int produceInto(int fd, const ByteProducer& produce) {
    int error = 0;
    const ByteSink sink = [&](std::string_view bytes) {
        if (error != 0)
            return false;
        if (!writeAll(fd, bytes)) {
            error = errno;
            return false;
        }
        return true;
    };
    const bool produced = produce(sink);
    if (error != 0)
        return error;
    return produced ? 0 : -1;
}

FileWriteResult producerFailure(int outcome) {
    return outcome < 0 ? failure(FileWriteFailure::Abandoned, 0)
                       : failure(FileWriteFailure::Write, outcome);
}

// A named pipe whose reader goes away raises SIGPIPE, which would end the program: while it
// lives, the signal is held for this thread and one that the writes raised is taken back.
class HeldBrokenPipe {
public:
    HeldBrokenPipe() {
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, &old_);
        sigset_t pending;
        sigpending(&pending);
        pendingBefore_ = sigismember(&pending, SIGPIPE) == 1;
    }
    ~HeldBrokenPipe() {
        if (!pendingBefore_) {
            sigset_t pipe;
            sigemptyset(&pipe);
            sigaddset(&pipe, SIGPIPE);
            const timespec now{0, 0};
            while (sigtimedwait(&pipe, nullptr, &now) == -1 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    HeldBrokenPipe(const HeldBrokenPipe&) = delete;
    HeldBrokenPipe& operator=(const HeldBrokenPipe&) = delete;

private:
    sigset_t old_{};
    bool pendingBefore_ = false;
};

// A device or a named pipe takes the bytes where it is: replacing it would put a plain file in
// its place.
FileWriteResult writeInPlace(const std::string& path, const Target& target,
                             const ByteProducer& produce) {
    // O_NONBLOCK: a named pipe without a reader fails with ENXIO instead of waiting for one.
    UniqueFd fd(::open(target.path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid())
        return failure(FileWriteFailure::Open, errno);
    // Once open, the writes wait for the reader like any other.
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags != -1)
        ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    reached(path, FileWriteStep::Opened);
    int outcome = 0;
    {
        const HeldBrokenPipe held;
        outcome = produceInto(fd.get(), produce);
    }
    if (outcome != 0)
        return producerFailure(outcome);
    reached(path, FileWriteStep::Written);
    if (!fd.close())
        return failure(FileWriteFailure::Write, errno);
    return success();
}

// A rename is durable only once the folder entry is on the disk; a folder that cannot be
// synced (some file systems refuse) does not undo a completed write.
void syncFolder(const std::string& folder) {
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

FileWriteResult replaceRegularFile(const std::string& path, const std::string& target,
                                   const ByteProducer& produce) {
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    // A file that may not be written is not replaced either, though its folder would allow it.
    if (existed && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return failure(FileWriteFailure::Open, errno);
    // Removed on every way out below but the one that renames it over the target.
    TemporaryFile temp(target);
    if (!temp.created())
        return failure(FileWriteFailure::Open, temp.error());
    reached(path, FileWriteStep::Opened);

    if (const int outcome = produceInto(temp.fd(), produce); outcome != 0)
        return producerFailure(outcome);
    reached(path, FileWriteStep::Written);
    if (existed && ::fchmod(temp.fd(), old.st_mode & 07777) != 0)
        return failure(FileWriteFailure::Write, errno);
    if (::fsync(temp.fd()) != 0 || !temp.close())
        return failure(FileWriteFailure::Write, errno);
    reached(path, FileWriteStep::Synced);
    // The target cannot be taken (a folder in its place, a protected folder entry).
    if (!temp.commitTo(target))
        return failure(FileWriteFailure::Open, temp.error());
    reached(path, FileWriteStep::Replaced);
    syncFolder(folderOfPath(target));
    reached(path, FileWriteStep::Done);
    return success();
}

} // namespace

FileWriteResult writeFileReplacing(const std::string& path, const ByteProducer& produce) {
    const Target target = findTarget(path);
    if (target.error != 0)
        return failure(FileWriteFailure::Open, target.error);
    if (target.direct)
        return writeInPlace(path, target, produce);
    return replaceRegularFile(path, target.path, produce);
}

FileWriteResult writeFileReplacing(const std::string& path, std::string_view content) {
    return writeFileReplacing(path, [content](const ByteSink& sink) { return sink(content); });
}

ScopedFileWriteStepHook::ScopedFileWriteStepHook(FileWriteStepHook hook)
    : previous_(std::exchange(tStepHook, std::move(hook))) {}

ScopedFileWriteStepHook::~ScopedFileWriteStepHook() {
    tStepHook = std::move(previous_);
}

} // namespace qs40

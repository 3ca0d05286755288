// Files that are not regular files, made in a scratch folder for the tests of the file layer:
// named pipes, device nodes (root only; elsewhere the system's own nodes, which a user cannot
// replace), and running a step as a user whom the permission bits bind.
#pragma once

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <optional>
#include <string>

namespace qs40::testing {

inline bool runningAsRoot() {
    return ::geteuid() == 0;
}

inline bool makeFifo(const std::string& path) {
    return ::mkfifo(path.c_str(), 0666) == 0;
}

// A character device node at `path` (root), or the system's node of that name (others): a test
// writes to it without any risk, since only root could replace the system's node. Nothing when
// neither is there.
inline std::optional<std::string> makeCharDevice(const std::string& path, const char* systemNode,
                                                 unsigned major, unsigned minor) {
    if (runningAsRoot())
        return ::mknod(path.c_str(), S_IFCHR | 0666, ::makedev(major, minor)) == 0
                   ? std::optional(path)
                   : std::nullopt;
    struct stat st {};
    if (::stat(systemNode, &st) == 0 && S_ISCHR(st.st_mode))
        return systemNode;
    return std::nullopt;
}

// Like /dev/full: every write fails with ENOSPC, as on a full disk.
inline std::optional<std::string> makeFullDevice(const std::string& path) {
    return makeCharDevice(path, "/dev/full", 1, 7);
}

// Like /dev/null: takes every byte.
inline std::optional<std::string> makeNullDevice(const std::string& path) {
    return makeCharDevice(path, "/dev/null", 1, 3);
}

// The kind of what lies at the path itself (a link is not followed): S_IFREG, S_IFLNK, ...;
// 0 when nothing is there.
inline mode_t kindAt(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

// Runs `step` as a user whom the permission bits bind and returns what it returns: as root in a
// child process that has become "nobody" (the folder must let that user in), otherwise here.
inline std::string runUnprivileged(const std::function<std::string()>& step) {
    if (!runningAsRoot())
        return step();
    int pipe[2];
    if (::pipe(pipe) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipe[0]);
        ::close(pipe[1]);
        return "fork failed";
    }
    if (child == 0) {
        ::close(pipe[0]);
        std::string result = "could not drop privileges";
        if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0)
            result = step();
        std::size_t done = 0;
        while (done < result.size()) {
            const ssize_t n = ::write(pipe[1], result.data() + done, result.size() - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string result;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(n));
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return result;
}

// Lets any user into the folder, for runUnprivileged.
inline void openToEveryone(const std::filesystem::path& folder) {
    std::filesystem::permissions(folder, std::filesystem::perms::all);
}

} // namespace qs40::testing

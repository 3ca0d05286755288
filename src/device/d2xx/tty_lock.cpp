#include "device/d2xx/tty_lock.h"

#include "os/unique_fd.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>

namespace qs40 {

bool holdTty(int fd) {
    // A file system without locks (ENOLCK, say) leaves only TIOCEXCL to keep others out.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return false;
    ::ioctl(fd, TIOCEXCL);
    return true;
}

void releaseTty(int fd) {
    ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
}

bool openFailedAsHeld(int error) {
    return error == EBUSY;
}

bool ttyHeldElsewhere(const std::string& path) {
    const UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd)
        return openFailedAsHeld(errno);
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK;
    ::flock(fd.get(), LOCK_UN);
    return false;
}

} // namespace qs40

// A pseudo-terminal pair for serial-port tests: the backend opens the slave, the test plays
// the instrument on the master.
#pragma once

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace qs40::testing {

class PtyPair {
public:
    PtyPair() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            throw std::runtime_error("no pseudo-terminal");
        char name[128];
        if (ptsname_r(master_, name, sizeof name) != 0)
            throw std::runtime_error("ptsname_r failed");
        slavePath_ = name;
    }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& slavePath() const { return slavePath_; }

    void closeMaster() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

    void send(const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno != EINTR)
                throw std::runtime_error("write to the master failed");
            if (n > 0)
                done += static_cast<std::size_t>(n);
        }
    }

    // Reads until count bytes arrived or nothing came for a generous while.
    std::vector<std::uint8_t> receive(std::size_t count) {
        std::vector<std::uint8_t> out;
        while (out.size() < count) {
            pollfd fd{master_, POLLIN, 0};
            if (::poll(&fd, 1, 5000) <= 0)
                break;
            std::uint8_t chunk[4096];
            const ssize_t n = ::read(master_, chunk, std::min(sizeof chunk, count - out.size()));
            if (n <= 0)
                break;
            out.insert(out.end(), chunk, chunk + n);
        }
        return out;
    }

    // True once no one holds the slave open any more, which the master sees as a hang-up.
    bool slaveHungUp() {
        pollfd fd{master_, POLLIN, 0};
        return ::poll(&fd, 1, 5000) > 0 && (fd.revents & POLLHUP) != 0;
    }

private:
    int master_ = -1;
    std::string slavePath_;
};

} // namespace qs40::testing

#include "sim/pty_server.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace qs40::sim {

namespace {
constexpr std::size_t kMaxPending = 65536;
} // namespace

PtyServer::PtyServer(InstrumentConfig config, std::shared_ptr<const InputSignals> signals)
    : instrument_(config, std::move(signals)), start_(std::chrono::steady_clock::now()) {}

PtyServer::~PtyServer() {
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

SimTime PtyServer::elapsed() const {
    return std::chrono::duration_cast<SimTime>(std::chrono::steady_clock::now() - start_);
}

bool PtyServer::open(std::string& error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ::ptsname(master_);
    if (!name) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios tio{};
    if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0) {
        error = std::string("cannot open ") + slavePath_ + ": " + std::strerror(errno);
        return false;
    }
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B2000000);
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0) {
        error = std::string("cannot set raw mode: ") + std::strerror(errno);
        return false;
    }
    return true;
}

void PtyServer::serveOnce(std::chrono::milliseconds wait) {
    pollfd p{master_, static_cast<short>(POLLIN | (pending_.empty() ? 0 : POLLOUT)), 0};
    ::poll(&p, 1, static_cast<int>(wait.count()));

    std::uint8_t in[4096];
    for (;;) {
        const ssize_t n = ::read(master_, in, sizeof in);
        if (n <= 0)
            break;
        instrument_.receive({in, static_cast<std::size_t>(n)}, elapsed());
    }

    const SimTime now = elapsed();
    instrument_.advance(now);
    if (pending_.size() < kMaxPending) {
        const std::size_t room = kMaxPending - pending_.size();
        const std::size_t n = std::min(room, instrument_.readable(now));
        const std::size_t at = pending_.size();
        pending_.resize(at + n);
        pending_.resize(at + instrument_.take(pending_.data() + at, n, now));
    }
    while (!pending_.empty()) {
        const ssize_t n = ::write(master_, pending_.data(), pending_.size());
        if (n <= 0)
            break; // the terminal is full: nobody is reading
        pending_.erase(pending_.begin(), pending_.begin() + n);
    }
}

} // namespace qs40::sim

#include "device/d2xx/tty_port.h"

#include "device/d2xx/event.h"
#include "device/d2xx/tty_lock.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/serial.h>
#include <linux/usbdevice_fs.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace qs40 {
namespace {

using Clock = std::chrono::steady_clock;

// The reader stops taking bytes from the kernel while this many wait to be read; the kernel
// then throttles the sender.
constexpr std::size_t kRxCapacity = 1 << 20;
constexpr std::size_t kReadChunk = 4096;

// Flow-control modes of FT_SetFlowControl.
constexpr std::uint16_t kFlowRtsCts = 0x0100;
constexpr std::uint16_t kFlowXonXoff = 0x0400;
// Data characteristics of FT_SetDataCharacteristics.
constexpr std::uint8_t kBits7 = 7;
constexpr std::uint8_t kStopBits2 = 2;
constexpr std::uint8_t kParityOdd = 1, kParityMark = 3, kParitySpace = 4; // even is 2
// The ftdi_sio latency timer is 16 ms unless the port is in low-latency mode (1 ms).
constexpr int kDefaultLatencyMs = 16;

constexpr short kGone = POLLHUP | POLLERR | POLLNVAL;

bool speedFor(std::uint32_t baud, speed_t& speed) {
    static constexpr std::pair<std::uint32_t, speed_t> kSpeeds[] = {
        {300, B300},         {600, B600},         {1200, B1200},       {2400, B2400},
        {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
        {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},
        {500000, B500000},   {576000, B576000},   {921600, B921600},   {1000000, B1000000},
        {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000},
        {3000000, B3000000},
    };
    for (const auto& [rate, code] : kSpeeds) {
        if (rate == baud) {
            speed = code;
            return true;
        }
    }
    return false;
}

void makeRaw(termios& t) {
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CRTSCTS | CSTOPB | PARENB | PARODD | CMSPAR | CSIZE);
    t.c_cflag |= CS8;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    // With VMIN 0 an empty non-blocking read returns 0 like a hang-up; with 1 it fails with
    // EAGAIN, and 0 means the device is gone.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
}

// Requests a terminal driver does not know fail with these.
bool unknownRequest(int error) {
    return error == ENOTTY || error == EINVAL;
}

} // namespace

// Counts a call as using the descriptor, or refuses it: with the shutdown's status once the
// shutdown has begun, with FT_IO_ERROR once the device is lost (unless the call still has
// something to give then, as a read has).
class TtyPort::CallGuard {
public:
    explicit CallGuard(TtyPort& port, bool refuseLost = true) : port_(port) {
        {
            std::lock_guard lock(port_.mutex_);
            if (port_.closing_) {
                status_ = port_.endStatus_;
                return;
            }
            ++port_.busy_;
            admitted_ = true;
        }
        if (refuseLost && port_.checkLost())
            status_ = FT_IO_ERROR;
    }
    ~CallGuard() {
        if (!admitted_)
            return;
        std::lock_guard lock(port_.mutex_);
        if (--port_.busy_ == 0)
            port_.changed_.notify_all();
    }
    CallGuard(const CallGuard&) = delete;
    CallGuard& operator=(const CallGuard&) = delete;
    FtStatus status() const { return status_; }

private:
    TtyPort& port_;
    bool admitted_ = false;
    FtStatus status_ = FT_OK;
};

FtStatus TtyPort::open(const std::string& path, const std::string& usbNode,
                       std::shared_ptr<TtyPort>& port, bool& inUse) {
    inUse = false;
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        const int error = errno;
        inUse = openFailedAsHeld(error);
        return (error == ENOENT || error == ENODEV || error == ENXIO) ? FT_DEVICE_NOT_FOUND
                                                                      : FT_DEVICE_NOT_OPENED;
    }
    termios t{};
    if (!isatty(fd.get()) || tcgetattr(fd.get(), &t) != 0)
        return FT_DEVICE_NOT_OPENED;
    // Like the D2XX driver, one opener at a time; taken before anything is changed, so that
    // the holder's settings stay as they are.
    if (!holdTty(fd.get())) {
        inUse = true;
        return FT_DEVICE_NOT_OPENED;
    }
    makeRaw(t);
    UniqueFd wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (tcsetattr(fd.get(), TCSANOW, &t) != 0 || !wakeFd) {
        const FtStatus status = wakeFd ? FT_DEVICE_NOT_OPENED : FT_INSUFFICIENT_RESOURCES;
        releaseTty(fd.get());
        return status;
    }
    tcflush(fd.get(), TCIOFLUSH);

    std::shared_ptr<TtyPort> created(new TtyPort(std::move(fd), std::move(wakeFd), usbNode));
    created->reader_ = std::thread([raw = created.get()] { raw->readerLoop(); });
    port = std::move(created);
    return FT_OK;
}

TtyPort::TtyPort(UniqueFd fd, UniqueFd wakeFd, std::string usbNode)
    : fd_(std::move(fd)), wakeFd_(std::move(wakeFd)), usbNode_(std::move(usbNode)) {}

TtyPort::~TtyPort() {
    shutdown(FT_INVALID_HANDLE);
}

void TtyPort::shutdown(FtStatus endStatus) {
    std::call_once(shutdownOnce_, [&] {
        {
            std::unique_lock lock(mutex_);
            closing_ = true;
            endStatus_ = endStatus;
            event_ = nullptr;
            const std::uint64_t one = 1;
            [[maybe_unused]] const auto written = ::write(wakeFd_.get(), &one, sizeof one);
            changed_.notify_all();
            changed_.wait(lock, [this] { return busy_ == 0; });
        }
        if (reader_.joinable())
            reader_.join();
        // Pending output would hold close() for the driver's closing wait.
        tcflush(fd_.get(), TCIOFLUSH);
        releaseTty(fd_.get());
        fd_.reset();
        wakeFd_.reset();
    });
}

bool TtyPort::holdsDevice() {
    const CallGuard guard(*this);
    return guard.status() == FT_OK;
}

void TtyPort::readerLoop() {
    std::uint8_t chunk[kReadChunk];
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return closing_ || rx_.size() < kRxCapacity; });
            if (closing_)
                return;
        }
        pollfd fds[2] = {{fd_.get(), POLLIN, 0}, {wakeFd_.get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            markLost();
            return;
        }
        if (fds[1].revents != 0)
            return;
        if (fds[0].revents == 0)
            continue;
        // Bytes that arrived before a hang-up are still read; read() gives 0 only after them.
        // The read happens under the lock so that a purge never sees bytes in flight.
        std::unique_lock lock(mutex_);
        const ssize_t n = ::read(fd_.get(), chunk, sizeof chunk);
        const int error = errno;
        if (n > 0) {
            rx_.insert(rx_.end(), chunk, chunk + n);
            rxSinceStatus_ = true;
            if (event_ != nullptr && (eventMask_ & FT_EVENT_RXCHAR) != 0)
                event_->set();
            changed_.notify_all();
            continue;
        }
        if (n < 0 && (error == EAGAIN || error == EINTR) && (fds[0].revents & kGone) == 0)
            continue;
        lost_ = true;
        changed_.notify_all();
        return;
    }
}

void TtyPort::markLost() {
    std::lock_guard lock(mutex_);
    lost_ = true;
    changed_.notify_all();
}

// The reader notices a hang-up only when it next wakes; a call looks for itself so that a
// probe right after the loss already fails.
bool TtyPort::checkLost() {
    if (lost_)
        return true;
    pollfd fd{fd_.get(), 0, 0};
    termios t{};
    if ((::poll(&fd, 1, 0) > 0 && (fd.revents & kGone) != 0) || tcgetattr(fd_.get(), &t) != 0) {
        markLost();
        return true;
    }
    return false;
}

template <class Change> FtStatus TtyPort::changeAttributes(Change change) {
    const CallGuard guard(*this);
    if (guard.status() != FT_OK)
        return guard.status();
    std::lock_guard lock(attributesMutex_);
    termios t{};
    if (tcgetattr(fd_.get(), &t) != 0) {
        markLost();
        return FT_IO_ERROR;
    }
    if (const FtStatus status = change(t); status != FT_OK)
        return status;
    if (tcsetattr(fd_.get(), TCSANOW, &t) != 0)
        return checkLost() ? FT_IO_ERROR : FT_INVALID_PARAMETER;
    return FT_OK;
}

FtStatus TtyPort::resetDevice() {
    const CallGuard guard(*this);
    if (guard.status() != FT_OK)
        return guard.status();
    std::lock_guard lock(mutex_);
    rx_.clear();
    changed_.notify_all();
    return tcflush(fd_.get(), TCIOFLUSH) == 0 ? FT_OK : FT_IO_ERROR;
}

FtStatus TtyPort::setBaudRate(std::uint32_t baud) {
    return changeAttributes([baud](termios& t) -> FtStatus {
        speed_t speed{};
        if (!speedFor(baud, speed))
            return FT_INVALID_BAUD_RATE;
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
        return FT_OK;
    });
}

FtStatus TtyPort::setDataCharacteristics(std::uint8_t bits, std::uint8_t stopBits,
                                         std::uint8_t parity) {
    return changeAttributes([=](termios& t) -> FtStatus {
        if ((bits != FT_BITS_8 && bits != kBits7) ||
            (stopBits != FT_STOP_BITS_1 && stopBits != kStopBits2) || parity > kParitySpace)
            return FT_INVALID_PARAMETER;
        t.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR);
        t.c_cflag |= bits == FT_BITS_8 ? CS8 : CS7;
        if (stopBits == kStopBits2)
            t.c_cflag |= CSTOPB;
        if (parity != FT_PARITY_NONE)
            t.c_cflag |= PARENB;
        if (parity == kParityOdd || parity == kParityMark)
            t.c_cflag |= PARODD;
        if (parity == kParityMark || parity == kParitySpace)
            t.c_cflag |= CMSPAR;
        return FT_OK;
    });
}

FtStatus TtyPort::setFlowControl(std::uint16_t mode, std::uint8_t xon, std::uint8_t xoff) {
    return changeAttributes([=](termios& t) -> FtStatus {
        if (mode != FT_FLOW_NONE && mode != kFlowRtsCts && mode != kFlowXonXoff)
            return FT_INVALID_PARAMETER;
        t.c_cflag &= ~CRTSCTS;
        t.c_iflag &= ~(IXON | IXOFF | IXANY);
        if (mode == kFlowRtsCts)
            t.c_cflag |= CRTSCTS;
        if (mode == kFlowXonXoff) {
            t.c_iflag |= IXON | IXOFF;
            t.c_cc[VSTART] = xon;
            t.c_cc[VSTOP] = xoff;
        }
        return FT_OK;
    });
}

FtStatus TtyPort::setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
    const CallGuard guard(*this);
    if (guard.status() != FT_OK)
        return guard.status();
    std::lock_guard lock(mutex_);
    readTimeoutMs_ = readMs;
    writeTimeoutMs_ = writeMs;
    return FT_OK;
}

FtStatus TtyPort::purge(std::uint32_t mask) {
    const CallGuard guard(*this);
    if (guard.status() != FT_OK)
        return guard.status();
    if ((mask & (FT_PURGE_RX | FT_PURGE_TX)) == 0)
        return FT_INVALID_PARAMETER;
    const int queue = (mask & FT_PURGE_RX) == 0   ? TCOFLUSH
                      : (mask & FT_PURGE_TX) == 0 ? TCIFLUSH
                                                  : TCIOFLUSH;
    std::lock_guard lock(mutex_);
    if ((mask & FT_PURGE_RX) != 0) {
        rx_.clear();
        changed_.notify_all();
    }
    return tcflush(fd_.get(), queue) == 0 ? FT_OK : FT_IO_ERROR;
}

FtStatus TtyPort::setLatencyTimer(std::uint8_t ms) {
    const CallGuard guard(*this);
    if (guard.status() != FT_OK)
        return guard.status();
    std::lock_guard lock(attributesMutex_);
    serial_struct serial{};
    if (ioctl(fd_.get(), TIOCGSERIAL, &serial) != 0)
        return unknownRequest(errno) ? FT_NOT_SUPPORTED : FT_IO_ERROR;
    if (ms < kDefaultLatencyMs)
        serial.flags |= ASYNC_LOW_LATENCY;
    else
        serial.flags &= ~ASYNC_LOW_LATENCY;
    if (ioctl(fd_.get(), TIOCSSERIAL, &serial) != 0)
        return unknownRequest(errno) ? FT_NOT_SUPPORTED : FT_IO_ERROR;
    return FT_OK;
}

FtStatus TtyPort::setEventNotification(std::uint32_t mask, Event* event) {
    const CallGuard guard(*this);
    if (guard.status() != FT_OK)
        return guard.status();
    std::lock_guard lock(mutex_);
    eventMask_ = mask;
    event_ = event;
    // Bytes already there would otherwise wait for the next arrival.
    std::uint32_t waiting = 0;
    queueStatusLocked(waiting);
    if (event_ != nullptr && (eventMask_ & FT_EVENT_RXCHAR) != 0 && waiting != 0)
        event_->set();
    return FT_OK;
}

// Bytes still in the kernel's queue have arrived too, though the reader has not taken them.
FtStatus TtyPort::queueStatusLocked(std::uint32_t& rxBytes) {
    int pending = 0;
    if (ioctl(fd_.get(), FIONREAD, &pending) != 0)
        pending = 0;
    rxBytes = static_cast<std::uint32_t>(rx_.size() + static_cast<std::size_t>(pending));
    return FT_OK;
}

FtStatus TtyPort::getQueueStatus(std::uint32_t& rxBytes) {
    rxBytes = 0;
    const CallGuard guard(*this);
    if (guard.status() != FT_OK)
        return guard.status();
    // Under the lock, as the reader moves bytes from the kernel's queue into ours.
    std::lock_guard lock(mutex_);
    return queueStatusLocked(rxBytes);
}

FtStatus TtyPort::getStatus(std::uint32_t& rxBytes, std::uint32_t& txBytes, std::uint32_t& events) {
    rxBytes = txBytes = events = 0;
    const CallGuard guard(*this);
    if (guard.status() != FT_OK)
        return guard.status();
    int outgoing = 0;
    if (ioctl(fd_.get(), TIOCOUTQ, &outgoing) == 0)
        txBytes = static_cast<std::uint32_t>(outgoing);
    std::lock_guard lock(mutex_);
    queueStatusLocked(rxBytes);
    if (rxSinceStatus_ || rxBytes > rx_.size())
        events = FT_EVENT_RXCHAR;
    rxSinceStatus_ = false;
    return FT_OK;
}

// Bytes queued before the loss of the device are still read; then the loss shows.
FtStatus TtyPort::read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesRead) {
    bytesRead = 0;
    const CallGuard guard(*this, false);
    if (guard.status() != FT_OK)
        return guard.status();
    if (length != 0 && buffer == nullptr)
        return FT_INVALID_PARAMETER;
    std::unique_lock lock(mutex_);
    const auto ready = [&] { return closing_ || lost_ || rx_.size() >= length; };
    if (readTimeoutMs_ == 0)
        changed_.wait(lock, ready);
    else
        changed_.wait_for(lock, std::chrono::milliseconds(readTimeoutMs_), ready);
    if (closing_)
        return endStatus_;
    if (rx_.empty() && lost_)
        return FT_IO_ERROR;
    const std::size_t n = std::min<std::size_t>(length, rx_.size());
    std::copy_n(rx_.begin(), n, buffer);
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(n));
    bytesRead = static_cast<std::uint32_t>(n);
    changed_.notify_all();
    return FT_OK;
}

FtStatus TtyPort::write(const std::uint8_t* buffer, std::uint32_t length,
                        std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    const CallGuard guard(*this);
    if (guard.status() != FT_OK)
        return guard.status();
    if (length == 0)
        return FT_OK;
    if (buffer == nullptr)
        return FT_INVALID_PARAMETER;
    std::lock_guard writer(writeMutex_);
    std::uint32_t timeoutMs;
    {
        std::lock_guard lock(mutex_);
        timeoutMs = writeTimeoutMs_;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (bytesWritten < length) {
        const ssize_t n = ::write(fd_.get(), buffer + bytesWritten, length - bytesWritten);
        if (n > 0) {
            bytesWritten += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            markLost();
            bytesWritten = 0;
            return FT_IO_ERROR;
        }
        int waitMs = -1; // no limit
        if (timeoutMs != 0) {
            waitMs = remainingMs(deadline);
            if (waitMs == 0)
                break;
        }
        pollfd fds[2] = {{fd_.get(), POLLOUT, 0}, {wakeFd_.get(), POLLIN, 0}};
        const bool failed = ::poll(fds, 2, waitMs) < 0 && errno != EINTR;
        if (fds[1].revents != 0) {
            bytesWritten = 0;
            std::lock_guard lock(mutex_);
            return endStatus_;
        }
        if (failed || (fds[0].revents & kGone) != 0) {
            markLost();
            bytesWritten = 0;
            return FT_IO_ERROR;
        }
    }
    return FT_OK;
}

FtStatus TtyPort::resetPort() {
    const CallGuard guard(*this);
    if (guard.status() != FT_OK)
        return guard.status();
    if (usbNode_.empty())
        return FT_OK;
    // Needs write access to the node (the udev rule that gives the user the instrument gives
    // that too).
    const UniqueFd usb(::open(usbNode_.c_str(), O_WRONLY | O_CLOEXEC));
    if (!usb || ioctl(usb.get(), USBDEVFS_RESET, 0) != 0)
        return FT_IO_ERROR;
    return FT_OK;
}

} // namespace qs40

#include "device/d2xx/tty_port.h"

#include "device/d2xx/event.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/serial.h>
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

} // namespace

// Counts a call as using the descriptor, or refuses it once shutdown has begun.
class TtyPort::CallGuard {
public:
    explicit CallGuard(TtyPort& port) : port_(port) {
        std::lock_guard lock(port_.mutex_);
        admitted_ = !port_.closing_;
        if (admitted_)
            ++port_.busy_;
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
    explicit operator bool() const { return admitted_; }

private:
    TtyPort& port_;
    bool admitted_ = false;
};

FtStatus TtyPort::open(const std::string& path, const TtyPortSettings* settings,
                       std::shared_ptr<TtyPort>& port) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return (errno == ENOENT || errno == ENODEV || errno == ENXIO) ? FT_DEVICE_NOT_FOUND
                                                                      : FT_DEVICE_NOT_OPENED;
    termios t{};
    if (!isatty(fd) || tcgetattr(fd, &t) != 0) {
        ::close(fd);
        return FT_DEVICE_NOT_OPENED;
    }
    // Like the D2XX driver, one opener at a time; root is not held back by this.
    ioctl(fd, TIOCEXCL);
    if (settings != nullptr && settings->hasAttributes)
        t = settings->attributes;
    else
        makeRaw(t);
    if (tcsetattr(fd, TCSANOW, &t) != 0) {
        ioctl(fd, TIOCNXCL);
        ::close(fd);
        return FT_DEVICE_NOT_OPENED;
    }
    tcflush(fd, TCIOFLUSH);
    const int wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
        ioctl(fd, TIOCNXCL);
        ::close(fd);
        return FT_INSUFFICIENT_RESOURCES;
    }

    std::shared_ptr<TtyPort> created(new TtyPort(fd, wakeFd));
    created->attributes_ = t;
    if (settings != nullptr) {
        created->readTimeoutMs_ = settings->readTimeoutMs;
        created->writeTimeoutMs_ = settings->writeTimeoutMs;
        created->eventMask_ = settings->eventMask;
        created->event_ = settings->event;
        if (settings->latencyMs >= 0)
            created->applyLatency(settings->latencyMs);
    }
    created->reader_ = std::thread([raw = created.get()] { raw->readerLoop(); });
    port = std::move(created);
    return FT_OK;
}

TtyPort::TtyPort(int fd, int wakeFd) : fd_(fd), wakeFd_(wakeFd) {}

TtyPort::~TtyPort() {
    shutdown();
}

void TtyPort::shutdown() {
    std::call_once(shutdownOnce_, [this] {
        {
            std::unique_lock lock(mutex_);
            closing_ = true;
            event_ = nullptr;
            const std::uint64_t one = 1;
            [[maybe_unused]] const auto written = ::write(wakeFd_, &one, sizeof one);
            changed_.notify_all();
            changed_.wait(lock, [this] { return busy_ == 0; });
        }
        if (reader_.joinable())
            reader_.join();
        // Pending output would hold close() for the driver's closing wait.
        tcflush(fd_, TCIOFLUSH);
        ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        ::close(wakeFd_);
    });
}

TtyPortSettings TtyPort::settings() const {
    TtyPortSettings s;
    {
        std::lock_guard lock(attributesMutex_);
        s.attributes = attributes_;
        s.hasAttributes = true;
        s.latencyMs = latencyMs_;
    }
    std::lock_guard lock(mutex_);
    s.readTimeoutMs = readTimeoutMs_;
    s.writeTimeoutMs = writeTimeoutMs_;
    s.eventMask = eventMask_;
    s.event = event_;
    return s;
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
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
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
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
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

// The reader notices a hang-up only when it next wakes; a status call looks for itself so that
// a probe right after the loss already fails.
bool TtyPort::checkLost() {
    if (lost_)
        return true;
    pollfd fd{fd_, 0, 0};
    termios t{};
    if ((::poll(&fd, 1, 0) > 0 && (fd.revents & kGone) != 0) || tcgetattr(fd_, &t) != 0) {
        markLost();
        return true;
    }
    return false;
}

template <class Change> FtStatus TtyPort::changeAttributes(Change change) {
    CallGuard guard(*this);
    if (!guard)
        return FT_INVALID_HANDLE;
    std::lock_guard lock(attributesMutex_);
    termios t{};
    if (tcgetattr(fd_, &t) != 0) {
        markLost();
        return FT_IO_ERROR;
    }
    if (const FtStatus status = change(t); status != FT_OK)
        return status;
    if (tcsetattr(fd_, TCSANOW, &t) != 0) {
        if (checkLost())
            return FT_IO_ERROR;
        return FT_INVALID_PARAMETER;
    }
    attributes_ = t;
    return FT_OK;
}

FtStatus TtyPort::resetDevice() {
    CallGuard guard(*this);
    if (!guard)
        return FT_INVALID_HANDLE;
    if (checkLost())
        return FT_IO_ERROR;
    std::lock_guard lock(mutex_);
    rx_.clear();
    changed_.notify_all();
    return tcflush(fd_, TCIOFLUSH) == 0 ? FT_OK : FT_IO_ERROR;
}

FtStatus TtyPort::setBaudRate(std::uint32_t baud) {
    speed_t speed{};
    if (!speedFor(baud, speed))
        return FT_INVALID_BAUD_RATE;
    return changeAttributes([speed](termios& t) -> FtStatus {
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
        return FT_OK;
    });
}

FtStatus TtyPort::setDataCharacteristics(std::uint8_t bits, std::uint8_t stopBits,
                                         std::uint8_t parity) {
    if ((bits != FT_BITS_8 && bits != kBits7) ||
        (stopBits != FT_STOP_BITS_1 && stopBits != kStopBits2) || parity > kParitySpace)
        return FT_INVALID_PARAMETER;
    return changeAttributes([=](termios& t) -> FtStatus {
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
    if (mode != FT_FLOW_NONE && mode != kFlowRtsCts && mode != kFlowXonXoff)
        return FT_INVALID_PARAMETER;
    return changeAttributes([=](termios& t) -> FtStatus {
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
    CallGuard guard(*this);
    if (!guard)
        return FT_INVALID_HANDLE;
    std::lock_guard lock(mutex_);
    readTimeoutMs_ = readMs;
    writeTimeoutMs_ = writeMs;
    return FT_OK;
}

FtStatus TtyPort::purge(std::uint32_t mask) {
    CallGuard guard(*this);
    if (!guard)
        return FT_INVALID_HANDLE;
    if ((mask & (FT_PURGE_RX | FT_PURGE_TX)) == 0)
        return FT_INVALID_PARAMETER;
    if (checkLost())
        return FT_IO_ERROR;
    const int queue = (mask & FT_PURGE_RX) == 0   ? TCOFLUSH
                      : (mask & FT_PURGE_TX) == 0 ? TCIFLUSH
                                                  : TCIOFLUSH;
    std::lock_guard lock(mutex_);
    if ((mask & FT_PURGE_RX) != 0) {
        rx_.clear();
        changed_.notify_all();
    }
    return tcflush(fd_, queue) == 0 ? FT_OK : FT_IO_ERROR;
}

// On a USB serial port (ftdi_sio) low-latency mode lowers the latency timer to 1 ms; other
// terminals do not know the request, which is not an error.
FtStatus TtyPort::applyLatency(int ms) {
    std::lock_guard lock(attributesMutex_);
    latencyMs_ = ms;
    serial_struct serial{};
    if (ioctl(fd_, TIOCGSERIAL, &serial) != 0)
        return FT_OK;
    if (ms < kDefaultLatencyMs)
        serial.flags |= ASYNC_LOW_LATENCY;
    else
        serial.flags &= ~ASYNC_LOW_LATENCY;
    ioctl(fd_, TIOCSSERIAL, &serial);
    return FT_OK;
}

FtStatus TtyPort::setLatencyTimer(std::uint8_t ms) {
    CallGuard guard(*this);
    if (!guard)
        return FT_INVALID_HANDLE;
    return applyLatency(ms);
}

FtStatus TtyPort::setEventNotification(std::uint32_t mask, Event* event) {
    CallGuard guard(*this);
    if (!guard)
        return FT_INVALID_HANDLE;
    std::lock_guard lock(mutex_);
    eventMask_ = mask;
    event_ = event;
    // Bytes already queued would otherwise wait for the next arrival.
    if (event_ != nullptr && (eventMask_ & FT_EVENT_RXCHAR) != 0 && !rx_.empty())
        event_->set();
    return FT_OK;
}

FtStatus TtyPort::getQueueStatus(std::uint32_t& rxBytes) {
    rxBytes = 0;
    CallGuard guard(*this);
    if (!guard)
        return FT_INVALID_HANDLE;
    if (checkLost())
        return FT_IO_ERROR;
    // Under the lock, as the reader moves bytes from the kernel's queue into ours.
    std::lock_guard lock(mutex_);
    int pending = 0;
    if (ioctl(fd_, FIONREAD, &pending) != 0)
        pending = 0;
    rxBytes = static_cast<std::uint32_t>(rx_.size() + static_cast<std::size_t>(pending));
    return FT_OK;
}

FtStatus TtyPort::getStatus(std::uint32_t& rxBytes, std::uint32_t& txBytes, std::uint32_t& events) {
    txBytes = 0;
    events = 0;
    const FtStatus status = getQueueStatus(rxBytes);
    if (status != FT_OK)
        return status;
    CallGuard guard(*this);
    if (!guard)
        return FT_INVALID_HANDLE;
    int outgoing = 0;
    if (ioctl(fd_, TIOCOUTQ, &outgoing) == 0)
        txBytes = static_cast<std::uint32_t>(outgoing);
    std::lock_guard lock(mutex_);
    // Bytes still in the kernel's queue have arrived too, though the reader has not taken them.
    if (rxSinceStatus_ || rxBytes > rx_.size())
        events = FT_EVENT_RXCHAR;
    rxSinceStatus_ = false;
    return FT_OK;
}

// Waits until length bytes are queued, the read time-out passes or the device is lost, then
// returns what is queued (up to length). A time-out of 0 does not wait.
FtStatus TtyPort::read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesRead) {
    bytesRead = 0;
    CallGuard guard(*this);
    if (!guard)
        return FT_INVALID_HANDLE;
    if (length == 0)
        return FT_OK;
    if (buffer == nullptr)
        return FT_INVALID_PARAMETER;
    std::unique_lock lock(mutex_);
    const auto deadline = Clock::now() + std::chrono::milliseconds(readTimeoutMs_);
    changed_.wait_until(lock, deadline, [&] { return closing_ || lost_ || rx_.size() >= length; });
    if (closing_)
        return FT_INVALID_HANDLE;
    if (rx_.empty() && lost_)
        return FT_IO_ERROR;
    const std::size_t n = std::min<std::size_t>(length, rx_.size());
    std::copy_n(rx_.begin(), n, buffer);
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(n));
    bytesRead = static_cast<std::uint32_t>(n);
    changed_.notify_all();
    return FT_OK;
}

// Writes until everything is taken or the write time-out passes; a short count with FT_OK
// means the time-out, and the caller may go on with the rest.
FtStatus TtyPort::write(const std::uint8_t* buffer, std::uint32_t length,
                        std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    CallGuard guard(*this);
    if (!guard)
        return FT_INVALID_HANDLE;
    if (length == 0)
        return FT_OK;
    if (buffer == nullptr)
        return FT_INVALID_PARAMETER;
    std::lock_guard writer(writeMutex_);
    if (checkLost())
        return FT_IO_ERROR;
    std::uint32_t timeoutMs;
    {
        std::lock_guard lock(mutex_);
        timeoutMs = writeTimeoutMs_;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (bytesWritten < length) {
        const ssize_t n = ::write(fd_, buffer + bytesWritten, length - bytesWritten);
        if (n > 0) {
            bytesWritten += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            markLost();
            return FT_IO_ERROR;
        }
        const int waitMs = remainingMs(deadline);
        if (waitMs == 0)
            break;
        pollfd fds[2] = {{fd_, POLLOUT, 0}, {wakeFd_, POLLIN, 0}};
        if (::poll(fds, 2, waitMs) < 0 && errno != EINTR) {
            markLost();
            return FT_IO_ERROR;
        }
        if (fds[1].revents != 0)
            return FT_INVALID_HANDLE;
        if ((fds[0].revents & kGone) != 0) {
            markLost();
            return FT_IO_ERROR;
        }
    }
    return FT_OK;
}

} // namespace qs40

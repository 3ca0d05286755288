// One open serial device of the serial-port backend: the descriptor, its termios settings, the
// read and write time-outs, and a reader thread that moves received bytes into a queue and
// signals the notification event, so that no byte is lost between two reads.
//
// Every call is safe from any thread. After shutdown() every call returns FT_INVALID_HANDLE;
// shutdown wakes calls that are waiting and returns once none uses the descriptor any more.
// A device that went away (hang-up, unplug, I/O error) makes the status calls, reads (once
// the queue is empty) and writes return FT_IO_ERROR.
#pragma once

#include "device/d2xx/d2xx.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <termios.h>
#include <thread>

namespace qs40 {

// What a re-opened port takes over from the port it replaces.
struct TtyPortSettings {
    termios attributes{};
    bool hasAttributes = false;
    std::uint32_t readTimeoutMs = 500;
    std::uint32_t writeTimeoutMs = 500;
    std::uint32_t eventMask = 0;
    Event* event = nullptr;
    int latencyMs = -1; // not set
};

class TtyPort {
public:
    // Opens the tty at path in raw mode, 8N1 without flow control. FT_DEVICE_NOT_FOUND when the
    // node is missing, FT_DEVICE_NOT_OPENED when it cannot be opened or is not a terminal.
    static FtStatus open(const std::string& path, const TtyPortSettings* settings,
                         std::shared_ptr<TtyPort>& port);

    TtyPort(const TtyPort&) = delete;
    TtyPort& operator=(const TtyPort&) = delete;
    ~TtyPort();

    void shutdown();
    TtyPortSettings settings() const;

    FtStatus resetDevice();
    FtStatus setBaudRate(std::uint32_t baud);
    FtStatus setDataCharacteristics(std::uint8_t bits, std::uint8_t stopBits, std::uint8_t parity);
    FtStatus setFlowControl(std::uint16_t mode, std::uint8_t xon, std::uint8_t xoff);
    FtStatus setTimeouts(std::uint32_t readMs, std::uint32_t writeMs);
    FtStatus purge(std::uint32_t mask);
    FtStatus setLatencyTimer(std::uint8_t ms);
    FtStatus setEventNotification(std::uint32_t mask, Event* event);
    FtStatus getQueueStatus(std::uint32_t& rxBytes);
    FtStatus getStatus(std::uint32_t& rxBytes, std::uint32_t& txBytes, std::uint32_t& events);
    FtStatus read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesRead);
    FtStatus write(const std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesWritten);

private:
    class CallGuard;

    TtyPort(int fd, int wakeFd);
    void readerLoop();
    void markLost();
    bool checkLost();
    template <class Change> FtStatus changeAttributes(Change change);
    FtStatus applyLatency(int ms);

    const int fd_;
    const int wakeFd_; // eventfd, readable once shutdown begins: wakes every poll()

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::uint8_t> rx_;
    bool closing_ = false;
    std::atomic<bool> lost_ = false;
    int busy_ = 0;
    std::uint32_t readTimeoutMs_ = 500;
    std::uint32_t writeTimeoutMs_ = 500;
    std::uint32_t eventMask_ = 0;
    Event* event_ = nullptr;
    bool rxSinceStatus_ = false;

    mutable std::mutex attributesMutex_; // serialises read-modify-write of the termios settings
    termios attributes_{};               // as last applied
    int latencyMs_ = -1;
    std::mutex writeMutex_; // one writer at a time, so packets never interleave
    std::once_flag shutdownOnce_;
    std::thread reader_;
};

} // namespace qs40

// One open serial device of the serial-port backend: the descriptor, its termios settings, the
// read and write time-outs, and a reader thread that moves received bytes into a queue and
// signals the notification event, so that no byte is lost between two reads.
//
// Every call is safe from any thread and keeps the promises of d2xx.h. After shutdown() every
// call returns the status shutdown was given; shutdown wakes calls that are waiting and returns
// once none uses the descriptor any more. A device that went away (hang-up, unplug, I/O error)
// makes every call return FT_IO_ERROR (reads once the queue is empty).
#pragma once

#include "device/d2xx/d2xx.h"
#include "os/unique_fd.h"

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

class TtyPort {
public:
    // Opens the tty at path in raw mode, 8N1 without flow control, and holds it for this
    // port alone (tty_lock.h) until the shutdown. usbNode: the USB device behind it
    // (/dev/bus/usb/BBB/DDD), empty when there is none or it is unknown.
    // FT_DEVICE_NOT_FOUND when the node is missing, FT_DEVICE_NOT_OPENED when it cannot be
    // opened, is not a terminal, or is held by another (then with inUse set).
    static FtStatus open(const std::string& path, const std::string& usbNode,
                         std::shared_ptr<TtyPort>& port, bool& inUse);

    TtyPort(const TtyPort&) = delete;
    TtyPort& operator=(const TtyPort&) = delete;
    ~TtyPort();

    void shutdown(FtStatus endStatus);
    bool holdsDevice();

    FtStatus resetDevice();
    FtStatus setBaudRate(std::uint32_t baud);
    FtStatus setDataCharacteristics(std::uint8_t bits, std::uint8_t stopBits, std::uint8_t parity);
    FtStatus setFlowControl(std::uint16_t mode, std::uint8_t xon, std::uint8_t xoff);
    FtStatus setTimeouts(std::uint32_t readMs, std::uint32_t writeMs);
    FtStatus purge(std::uint32_t mask);
    // The serial driver knows only low-latency mode (1 ms on ftdi_sio) or its own default:
    // below 16 ms asks for low latency. FT_NOT_SUPPORTED from a terminal that has no such mode
    // (a pseudo-terminal, say), which then keeps its own latency.
    FtStatus setLatencyTimer(std::uint8_t ms);
    FtStatus setEventNotification(std::uint32_t mask, Event* event);
    FtStatus getQueueStatus(std::uint32_t& rxBytes);
    FtStatus getStatus(std::uint32_t& rxBytes, std::uint32_t& txBytes, std::uint32_t& events);
    FtStatus read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesRead);
    FtStatus write(const std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesWritten);
    // Resets the USB device behind the tty (USBDEVFS_RESET), which hangs the tty up; it comes
    // back to be found by the next open. A terminal without USB device is hung up by the
    // shutdown that follows (closing it drops the modem lines). FT_IO_ERROR when the USB
    // device could not be reset (gone, or no write access to its node).
    FtStatus resetPort();

private:
    class CallGuard;

    TtyPort(UniqueFd fd, UniqueFd wakeFd, std::string usbNode);
    void readerLoop();
    void markLost();
    bool checkLost();
    template <class Change> FtStatus changeAttributes(Change change);
    FtStatus queueStatusLocked(std::uint32_t& rxBytes); // under mutex_

    UniqueFd fd_;
    UniqueFd wakeFd_; // eventfd, readable once shutdown begins: wakes every poll()
    const std::string usbNode_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::uint8_t> rx_;
    bool closing_ = false;
    FtStatus endStatus_ = FT_INVALID_HANDLE; // what calls return once closing_ is set
    std::atomic<bool> lost_ = false;
    int busy_ = 0;
    std::uint32_t readTimeoutMs_ = 0;
    std::uint32_t writeTimeoutMs_ = 0;
    std::uint32_t eventMask_ = 0;
    Event* event_ = nullptr;
    bool rxSinceStatus_ = false;

    std::mutex attributesMutex_; // serialises read-modify-write of the termios settings
    std::mutex writeMutex_;      // one writer at a time, so packets never interleave
    std::once_flag shutdownOnce_;
    std::thread reader_;
};

} // namespace qs40

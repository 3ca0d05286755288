// One open channel of the libftdi1 backend: the channel's device (ftdi_bus.h), the reader
// thread that fills the receive queue, and the D2XX calls on it.
//
// Every call is safe from any thread and keeps the promises of d2xx.h. After shutdown() every
// call returns the status shutdown was given; a device that went away makes the calls (reads
// once the queue is empty) return FT_IO_ERROR.
#pragma once

#include "device/d2xx/d2xx.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace qs40 {

class FtdiDevice;

class FtdiPort {
public:
    // Takes the opened channel and starts reading from it.
    explicit FtdiPort(std::unique_ptr<FtdiDevice> device);
    FtdiPort(const FtdiPort&) = delete;
    FtdiPort& operator=(const FtdiPort&) = delete;
    ~FtdiPort();

    // Stops the reader and releases the channel.
    void shutdown(FtStatus endStatus);
    bool holdsDevice() const;

    FtStatus resetDevice();
    FtStatus setBaudRate(std::uint32_t baud);
    FtStatus setDataCharacteristics(std::uint8_t bits, std::uint8_t stopBits, std::uint8_t parity);
    FtStatus setFlowControl(std::uint16_t mode, std::uint8_t xon, std::uint8_t xoff);
    FtStatus setTimeouts(std::uint32_t readMs, std::uint32_t writeMs);
    FtStatus purge(std::uint32_t mask);
    // libftdi1 knows no 0 ms latency: 0 sets the chip's shortest, 1 ms.
    FtStatus setLatencyTimer(std::uint8_t ms);
    FtStatus setEventNotification(std::uint32_t mask, Event* event);
    FtStatus getQueueStatus(std::uint32_t& rxBytes);
    FtStatus getStatus(std::uint32_t& rxBytes, std::uint32_t& txBytes, std::uint32_t& events);
    FtStatus read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesRead);
    FtStatus write(const std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesWritten);
    // Resets the device's USB port (libusb_reset_device).
    FtStatus resetPort();

private:
    struct Parts;

    // FT_OK while calls may go on: not shut down, device not lost.
    FtStatus refusal() const;
    template <class Call> FtStatus control(Call call);

    std::unique_ptr<Parts> parts_;
    std::mutex controlMutex_; // one settings request at a time, never during the shutdown
    std::mutex writeMutex_;   // one writer at a time, so packets never interleave
    bool closed_ = false;     // written with both mutexes held
    std::atomic<bool> closing_ = false;
    std::atomic<FtStatus> endStatus_ = FT_INVALID_HANDLE; // set before closing_
    std::atomic<std::uint32_t> readTimeoutMs_ = 0;
    std::atomic<std::uint32_t> writeTimeoutMs_ = 0;
    std::once_flag shutdownOnce_;
};

} // namespace qs40

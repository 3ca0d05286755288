// One open channel of the libftdi1 backend: its libftdi1 context, the reader thread that fills
// the receive queue, and the D2XX calls on it.
//
// The chip's settings go through libftdi1; the data moves in libusb bulk transfers of our own,
// so that the reader, a writer and the settings calls never share the context's buffers, and a
// write that times out knows how much went out. The kernel's ftdi_sio driver is detached while
// the channel is open and attached again when it closes, so /dev/ttyUSBn comes back.
//
// Every call is safe from any thread. After shutdown() every call returns FT_INVALID_HANDLE;
// a device that went away makes the calls (reads once the queue is empty) return FT_IO_ERROR.
#pragma once

#include "device/d2xx/d2xx.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

struct ftdi_context;

namespace qs40 {

class FtdiPort {
public:
    // FT_DEVICE_NOT_FOUND when no attached channel has that location; otherwise the status of
    // opening it (FT_DEVICE_NOT_OPENED when it is in use or not permitted).
    static FtStatus open(std::uint32_t location, std::shared_ptr<FtdiPort>& port);

    FtdiPort(const FtdiPort&) = delete;
    FtdiPort& operator=(const FtdiPort&) = delete;
    ~FtdiPort();

    void shutdown();

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
    // Resets the device's USB port; when the device comes back as a new device, the handle
    // only closes any more, and the device is to be opened again.
    FtStatus resetPort();

private:
    struct Parts;

    explicit FtdiPort(ftdi_context* context);
    template <class Call> FtStatus control(Call call);

    std::unique_ptr<Parts> parts_;
    std::mutex controlMutex_; // one settings call at a time, never during the close
    std::mutex writeMutex_;   // one writer at a time, so packets never interleave
    bool closed_ = false;     // written with both mutexes held
    std::atomic<bool> closing_ = false;
    std::atomic<std::uint32_t> readTimeoutMs_ = 0;
    std::atomic<std::uint32_t> writeTimeoutMs_ = 0;
    std::once_flag shutdownOnce_;
};

} // namespace qs40

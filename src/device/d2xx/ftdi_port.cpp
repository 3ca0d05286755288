#include "device/d2xx/ftdi_port.h"

#include "device/d2xx/ftdi_bus.h"
#include "device/d2xx/ftdi_reader.h"
#include "device/d2xx/ftdi_translation.h"
#include "device/d2xx/receive_queue.h"

#include <algorithm>
#include <chrono>
#include <libusb.h>
#include <optional>

namespace qs40 {
namespace {

using Clock = std::chrono::steady_clock;

// A write waits in steps of this long, so that a close never waits for a whole write time-out.
constexpr unsigned kWriteStepMs = 100;
// The fastest FTDI chips run at 12 Mbaud.
constexpr std::uint32_t kFastestBaud = 12000000;

std::optional<std::chrono::milliseconds> timeoutOrNone(std::uint32_t ms) {
    if (ms == 0)
        return std::nullopt;
    return std::chrono::milliseconds(ms);
}

} // namespace

struct FtdiPort::Parts {
    explicit Parts(std::unique_ptr<FtdiDevice> opened)
        : device(std::move(opened)), reader(device->bulkIn(), device->maxPacketSize(), queue) {}

    std::unique_ptr<FtdiDevice> device; // null once released
    ReceiveQueue queue;
    FtdiReader reader;
};

FtdiPort::FtdiPort(std::unique_ptr<FtdiDevice> device)
    : parts_(std::make_unique<Parts>(std::move(device))) {
    parts_->reader.start();
}

FtdiPort::~FtdiPort() {
    shutdown(FT_INVALID_HANDLE);
}

void FtdiPort::shutdown(FtStatus endStatus) {
    std::call_once(shutdownOnce_, [&] {
        endStatus_ = endStatus;
        closing_ = true;
        parts_->queue.close();
        parts_->reader.stop();
        std::scoped_lock lock(controlMutex_, writeMutex_);
        closed_ = true;
        parts_->device.reset();
    });
}

FtStatus FtdiPort::refusal() const {
    if (closing_)
        return endStatus_;
    if (parts_->queue.lost())
        return FT_IO_ERROR;
    return FT_OK;
}

bool FtdiPort::holdsDevice() const {
    return refusal() == FT_OK;
}

template <class Call> FtStatus FtdiPort::control(Call call) {
    std::lock_guard lock(controlMutex_);
    if (closed_)
        return endStatus_;
    if (parts_->queue.lost())
        return FT_IO_ERROR;
    return call(*parts_->device);
}

// FT_ResetDevice: the chip's reset, which also empties its buffers; ours follow.
FtStatus FtdiPort::resetDevice() {
    FtdiReader::Pause pause(parts_->reader);
    return control([this](FtdiDevice& device) -> FtStatus {
        const FtStatus status = controlStatus(device.resetChip());
        parts_->queue.clear();
        return status;
    });
}

FtStatus FtdiPort::setBaudRate(std::uint32_t baud) {
    return control([baud](FtdiDevice& device) -> FtStatus {
        if (baud == 0 || baud > kFastestBaud)
            return FT_INVALID_BAUD_RATE;
        return baudRateStatus(device.setBaudRate(static_cast<int>(baud)));
    });
}

FtStatus FtdiPort::setDataCharacteristics(std::uint8_t bits, std::uint8_t stopBits,
                                          std::uint8_t parity) {
    return control([=](FtdiDevice& device) -> FtStatus {
        const auto line = ftdiLineProperty(bits, stopBits, parity);
        if (!line)
            return FT_INVALID_PARAMETER;
        return controlStatus(device.setLineProperty(*line));
    });
}

FtStatus FtdiPort::setFlowControl(std::uint16_t mode, std::uint8_t xon, std::uint8_t xoff) {
    return control([=](FtdiDevice& device) -> FtStatus {
        bool xonXoff = false;
        const auto flow = ftdiFlowControl(mode, xonXoff);
        if (!flow)
            return FT_INVALID_PARAMETER;
        return controlStatus(xonXoff ? device.setXonXoff(xon, xoff) : device.setFlowControl(*flow));
    });
}

FtStatus FtdiPort::setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
    if (const FtStatus status = refusal(); status != FT_OK)
        return status;
    readTimeoutMs_ = readMs;
    writeTimeoutMs_ = writeMs;
    return FT_OK;
}

// A purge of the receive side holds the reader, so that no byte from before the purge is still
// on its way into the queue once it returns.
FtStatus FtdiPort::purge(std::uint32_t mask) {
    if (const FtStatus status = refusal(); status != FT_OK)
        return status;
    const bool rx = (mask & FT_PURGE_RX) != 0;
    const bool tx = (mask & FT_PURGE_TX) != 0;
    if (!rx && !tx)
        return FT_INVALID_PARAMETER;
    std::optional<FtdiReader::Pause> pause;
    if (rx)
        pause.emplace(parts_->reader);
    return control([&](FtdiDevice& device) -> FtStatus {
        const int result = device.flush(rx, tx);
        if (rx)
            parts_->queue.clear();
        return controlStatus(result);
    });
}

FtStatus FtdiPort::setLatencyTimer(std::uint8_t ms) {
    return control([ms](FtdiDevice& device) -> FtStatus {
        return controlStatus(device.setLatencyTimer(ftdiLatency(ms)));
    });
}

FtStatus FtdiPort::setEventNotification(std::uint32_t mask, Event* event) {
    if (const FtStatus status = refusal(); status != FT_OK)
        return status;
    parts_->queue.setNotification(mask, event);
    return FT_OK;
}

FtStatus FtdiPort::getQueueStatus(std::uint32_t& rxBytes) {
    rxBytes = 0;
    if (const FtStatus status = refusal(); status != FT_OK)
        return status;
    rxBytes = static_cast<std::uint32_t>(parts_->queue.size());
    return FT_OK;
}

// Bytes written have left for the chip by the time the write returns: nothing waits on our side.
FtStatus FtdiPort::getStatus(std::uint32_t& rxBytes, std::uint32_t& txBytes,
                             std::uint32_t& events) {
    txBytes = 0;
    events = 0;
    const FtStatus status = getQueueStatus(rxBytes);
    if (status != FT_OK)
        return status;
    if (parts_->queue.takeArrival())
        events = FT_EVENT_RXCHAR;
    return FT_OK;
}

FtStatus FtdiPort::read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesRead) {
    bytesRead = 0;
    if (closing_)
        return endStatus_;
    if (length != 0 && buffer == nullptr)
        return FT_INVALID_PARAMETER;
    switch (parts_->queue.read(buffer, length, timeoutOrNone(readTimeoutMs_), bytesRead)) {
    case ReceiveQueue::ReadEnd::Data:
        return FT_OK;
    case ReceiveQueue::ReadEnd::Closed:
        return endStatus_;
    case ReceiveQueue::ReadEnd::Lost:
        break;
    }
    return FT_IO_ERROR;
}

FtStatus FtdiPort::write(const std::uint8_t* buffer, std::uint32_t length,
                         std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    if (const FtStatus status = refusal(); status != FT_OK)
        return status;
    if (length == 0)
        return FT_OK;
    if (buffer == nullptr)
        return FT_INVALID_PARAMETER;
    std::lock_guard lock(writeMutex_);
    if (closed_)
        return endStatus_;
    const std::uint32_t timeoutMs = writeTimeoutMs_;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (bytesWritten < length) {
        if (closing_)
            return endStatus_;
        unsigned stepMs = kWriteStepMs;
        if (timeoutMs != 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                break;
            stepMs = static_cast<unsigned>(std::min<long long>(left.count(), kWriteStepMs));
        }
        int sent = 0;
        const int result = parts_->device->bulkOut(
            buffer + bytesWritten, static_cast<int>(length - bytesWritten), sent, stepMs);
        bytesWritten += static_cast<std::uint32_t>(std::max(sent, 0));
        if (result == LIBUSB_SUCCESS || result == LIBUSB_ERROR_TIMEOUT)
            continue;
        if (result == LIBUSB_ERROR_NO_DEVICE)
            parts_->queue.markLost();
        bytesWritten = 0;
        return bulkOutStatus(result);
    }
    return FT_OK;
}

FtStatus FtdiPort::resetPort() {
    FtdiReader::Pause pause(parts_->reader);
    std::scoped_lock lock(controlMutex_, writeMutex_);
    if (closed_)
        return endStatus_;
    if (parts_->queue.lost())
        return FT_IO_ERROR;
    bool lost = false;
    const FtStatus status = portResetStatus(parts_->device->resetPort(), lost);
    if (lost)
        parts_->queue.markLost();
    return status;
}

} // namespace qs40

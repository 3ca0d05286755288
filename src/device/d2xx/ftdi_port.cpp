#include "device/d2xx/ftdi_port.h"

#include "device/d2xx/ftdi_devices.h"
#include "device/d2xx/ftdi_reader.h"
#include "device/d2xx/ftdi_translation.h"
#include "device/d2xx/receive_queue.h"

#include <algorithm>
#include <chrono>
#include <ftdi.h>
#include <libusb.h>
#include <optional>

namespace qs40 {
namespace {

using Clock = std::chrono::steady_clock;

// Settings requests are answered at once; this bounds a chip that does not answer.
constexpr int kControlTimeoutMs = 1000;
// A write waits in steps of this long, so that a close never waits for a whole write time-out.
constexpr unsigned kWriteStepMs = 100;
// The fastest FTDI chips run at 12 Mbaud.
constexpr std::uint32_t kFastestBaud = 12000000;

class LibusbBulkIn final : public BulkIn {
public:
    LibusbBulkIn(libusb_device_handle* handle, unsigned char endpoint)
        : handle_(handle), endpoint_(endpoint) {}
    int transfer(std::uint8_t* buffer, int length, int& transferred, unsigned timeoutMs) override {
        return libusb_bulk_transfer(handle_, endpoint_, buffer, length, &transferred, timeoutMs);
    }
    void clearHalt() override { libusb_clear_halt(handle_, endpoint_); }

private:
    libusb_device_handle* const handle_;
    const unsigned char endpoint_;
};

std::optional<std::chrono::milliseconds> timeoutOrNone(std::uint32_t ms) {
    if (ms == 0)
        return std::nullopt;
    return std::chrono::milliseconds(ms);
}

} // namespace

// libftdi1 calls the chip's bulk-out endpoint in_ep and its bulk-in endpoint out_ep.
struct FtdiPort::Parts {
    explicit Parts(ftdi_context* opened)
        : context(opened), bulkIn(opened->usb_dev, static_cast<unsigned char>(opened->out_ep)),
          reader(bulkIn, opened->max_packet_size, queue) {}

    ftdi_context* context;
    ReceiveQueue queue;
    LibusbBulkIn bulkIn;
    FtdiReader reader;
};

FtStatus FtdiPort::open(std::uint32_t location, std::shared_ptr<FtdiPort>& port) {
    ftdi_context* context = ftdi_new();
    if (context == nullptr)
        return FT_INSUFFICIENT_RESOURCES;
    FtStatus status = FT_DEVICE_NOT_FOUND;
    const bool listed = forEachFtdiChannel(context, [&](libusb_device* device, unsigned channel,
                                                        std::uint32_t candidate) {
        if (candidate != location)
            return false;
        context->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
        if (ftdi_set_interface(context, static_cast<ftdi_interface>(INTERFACE_A + channel)) != 0) {
            status = FT_DEVICE_NOT_OPENED;
            return true;
        }
        status = openStatus(ftdi_usb_open_dev(context, device));
        return true;
    });
    if (!listed)
        status = FT_OTHER_ERROR;
    if (status != FT_OK) {
        ftdi_free(context);
        return status;
    }
    context->usb_read_timeout = kControlTimeoutMs;
    context->usb_write_timeout = kControlTimeoutMs;
    std::shared_ptr<FtdiPort> created(new FtdiPort(context));
    created->parts_->reader.start();
    port = std::move(created);
    return FT_OK;
}

FtdiPort::FtdiPort(ftdi_context* context) : parts_(std::make_unique<Parts>(context)) {}

FtdiPort::~FtdiPort() {
    shutdown();
}

void FtdiPort::shutdown() {
    std::call_once(shutdownOnce_, [this] {
        closing_ = true;
        parts_->queue.close();
        parts_->reader.stop();
        std::scoped_lock lock(controlMutex_, writeMutex_);
        closed_ = true;
        // Releasing the interface gives the channel back to ftdi_sio.
        ftdi_usb_close(parts_->context);
        ftdi_free(parts_->context);
        parts_->context = nullptr;
    });
}

template <class Call> FtStatus FtdiPort::control(Call call) {
    std::lock_guard lock(controlMutex_);
    if (closed_)
        return FT_INVALID_HANDLE;
    if (parts_->queue.lost())
        return FT_IO_ERROR;
    return call(parts_->context);
}

// FT_ResetDevice: the chip's reset, which also empties its buffers; ours follow.
FtStatus FtdiPort::resetDevice() {
    FtdiReader::Pause pause(parts_->reader);
    return control([this](ftdi_context* context) {
        const FtStatus status = controlStatus(ftdi_usb_reset(context));
        parts_->queue.clear();
        return status;
    });
}

FtStatus FtdiPort::setBaudRate(std::uint32_t baud) {
    if (baud == 0 || baud > kFastestBaud)
        return FT_INVALID_BAUD_RATE;
    return control([baud](ftdi_context* context) {
        return baudRateStatus(ftdi_set_baudrate(context, static_cast<int>(baud)));
    });
}

FtStatus FtdiPort::setDataCharacteristics(std::uint8_t bits, std::uint8_t stopBits,
                                          std::uint8_t parity) {
    const auto line = ftdiLineProperty(bits, stopBits, parity);
    if (!line)
        return FT_INVALID_PARAMETER;
    return control([&line](ftdi_context* context) {
        return controlStatus(ftdi_set_line_property(context,
                                                    static_cast<ftdi_bits_type>(line->bits),
                                                    static_cast<ftdi_stopbits_type>(line->stopBits),
                                                    static_cast<ftdi_parity_type>(line->parity)));
    });
}

FtStatus FtdiPort::setFlowControl(std::uint16_t mode, std::uint8_t xon, std::uint8_t xoff) {
    bool xonXoff = false;
    const auto flow = ftdiFlowControl(mode, xonXoff);
    if (!flow)
        return FT_INVALID_PARAMETER;
    return control([&](ftdi_context* context) {
        if (xonXoff)
            return controlStatus(ftdi_setflowctrl_xonxoff(context, xon, xoff));
        return controlStatus(ftdi_setflowctrl(context, *flow));
    });
}

FtStatus FtdiPort::setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
    if (closing_)
        return FT_INVALID_HANDLE;
    readTimeoutMs_ = readMs;
    writeTimeoutMs_ = writeMs;
    return FT_OK;
}

// A purge of the receive side holds the reader, so that no byte from before the purge is still
// on its way into the queue once it returns.
FtStatus FtdiPort::purge(std::uint32_t mask) {
    const bool rx = (mask & FT_PURGE_RX) != 0;
    const bool tx = (mask & FT_PURGE_TX) != 0;
    if (!rx && !tx)
        return FT_INVALID_PARAMETER;
    std::optional<FtdiReader::Pause> pause;
    if (rx)
        pause.emplace(parts_->reader);
    return control([&](ftdi_context* context) {
        const int result = !tx   ? ftdi_tciflush(context)
                           : !rx ? ftdi_tcoflush(context)
                                 : ftdi_tcioflush(context);
        if (rx)
            parts_->queue.clear();
        return controlStatus(result);
    });
}

FtStatus FtdiPort::setLatencyTimer(std::uint8_t ms) {
    return control([ms](ftdi_context* context) {
        return controlStatus(ftdi_set_latency_timer(context, ftdiLatency(ms)));
    });
}

FtStatus FtdiPort::setEventNotification(std::uint32_t mask, Event* event) {
    if (closing_)
        return FT_INVALID_HANDLE;
    parts_->queue.setNotification(mask, event);
    return FT_OK;
}

FtStatus FtdiPort::getQueueStatus(std::uint32_t& rxBytes) {
    rxBytes = 0;
    if (closing_)
        return FT_INVALID_HANDLE;
    if (parts_->queue.lost())
        return FT_IO_ERROR;
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

// Waits until length bytes are queued, the read time-out passes (0: no limit) or the device is
// lost, then returns what is queued, up to length.
FtStatus FtdiPort::read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesRead) {
    bytesRead = 0;
    if (closing_)
        return FT_INVALID_HANDLE;
    if (length == 0)
        return FT_OK;
    if (buffer == nullptr)
        return FT_INVALID_PARAMETER;
    switch (parts_->queue.read(buffer, length, timeoutOrNone(readTimeoutMs_), bytesRead)) {
    case ReceiveQueue::ReadEnd::Data:
        return FT_OK;
    case ReceiveQueue::ReadEnd::Closed:
        return FT_INVALID_HANDLE;
    case ReceiveQueue::ReadEnd::Lost:
        break;
    }
    return FT_IO_ERROR;
}

// Writes until everything is taken or the write time-out (0: no limit) passes; a short count
// with FT_OK means the time-out, and the caller may go on with the rest.
FtStatus FtdiPort::write(const std::uint8_t* buffer, std::uint32_t length,
                         std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    if (length == 0)
        return closing_ ? FT_INVALID_HANDLE : FT_OK;
    if (buffer == nullptr)
        return FT_INVALID_PARAMETER;
    std::lock_guard lock(writeMutex_);
    if (closed_ || closing_)
        return FT_INVALID_HANDLE;
    if (parts_->queue.lost())
        return FT_IO_ERROR;
    libusb_device_handle* const usb = parts_->context->usb_dev;
    const auto endpoint = static_cast<unsigned char>(parts_->context->in_ep);
    const std::uint32_t timeoutMs = writeTimeoutMs_;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (bytesWritten < length) {
        if (closing_)
            return FT_INVALID_HANDLE;
        unsigned stepMs = kWriteStepMs;
        if (timeoutMs != 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                break;
            stepMs = static_cast<unsigned>(std::min<long long>(left.count(), kWriteStepMs));
        }
        int sent = 0;
        // libusb takes a non-const buffer for both directions; an out transfer only reads it.
        const int result =
            libusb_bulk_transfer(usb, endpoint, const_cast<std::uint8_t*>(buffer + bytesWritten),
                                 static_cast<int>(length - bytesWritten), &sent, stepMs);
        bytesWritten += static_cast<std::uint32_t>(std::max(sent, 0));
        if (result == LIBUSB_SUCCESS || result == LIBUSB_ERROR_TIMEOUT)
            continue;
        if (result == LIBUSB_ERROR_NO_DEVICE)
            parts_->queue.markLost();
        return bulkOutStatus(result);
    }
    return FT_OK;
}

// Tried on a lost device too: the recovery resets the port of a device that stopped answering,
// which may well be there still.
FtStatus FtdiPort::resetPort() {
    FtdiReader::Pause pause(parts_->reader);
    std::scoped_lock lock(controlMutex_, writeMutex_);
    if (closed_)
        return FT_INVALID_HANDLE;
    bool lost = false;
    const FtStatus status = portResetStatus(libusb_reset_device(parts_->context->usb_dev), lost);
    if (lost)
        parts_->queue.markLost();
    return status;
}

} // namespace qs40

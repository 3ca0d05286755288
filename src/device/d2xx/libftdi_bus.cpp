#include "device/d2xx/libftdi_bus.h"

#include "device/d2xx/ftdi_context.h"
#include "device/d2xx/ftdi_devices.h"

#include <ftdi.h>
#include <libusb.h>

namespace qs40 {
namespace {

// Settings requests are answered at once; this bounds a chip that does not answer.
constexpr int kControlTimeoutMs = 1000;

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

// libftdi1 calls the chip's bulk-out endpoint in_ep and its bulk-in endpoint out_ep. The data
// moves in libusb transfers of our own, so that the reader, a writer and the settings requests
// never share the context's buffers, and a write that times out knows how much went out.
class LibftdiDevice final : public FtdiDevice {
public:
    explicit LibftdiDevice(FtdiContextPtr context)
        : context_(std::move(context)),
          bulkIn_(context_->usb_dev, static_cast<unsigned char>(context_->out_ep)) {}

    BulkIn& bulkIn() override { return bulkIn_; }
    std::size_t maxPacketSize() const override { return context_->max_packet_size; }
    int bulkOut(const std::uint8_t* data, int length, int& sent, unsigned timeoutMs) override {
        // libusb takes a non-const buffer for both directions; an out transfer only reads it.
        return libusb_bulk_transfer(context_->usb_dev, static_cast<unsigned char>(context_->in_ep),
                                    const_cast<std::uint8_t*>(data), length, &sent, timeoutMs);
    }
    int resetChip() override { return ftdi_usb_reset(context_.get()); }
    int setBaudRate(int baud) override { return ftdi_set_baudrate(context_.get(), baud); }
    int setLineProperty(const FtdiLineProperty& line) override {
        return ftdi_set_line_property(context_.get(), static_cast<ftdi_bits_type>(line.bits),
                                      static_cast<ftdi_stopbits_type>(line.stopBits),
                                      static_cast<ftdi_parity_type>(line.parity));
    }
    int setFlowControl(int flow) override { return ftdi_setflowctrl(context_.get(), flow); }
    int setXonXoff(std::uint8_t xon, std::uint8_t xoff) override {
        return ftdi_setflowctrl_xonxoff(context_.get(), xon, xoff);
    }
    int setLatencyTimer(std::uint8_t ms) override {
        return ftdi_set_latency_timer(context_.get(), ms);
    }
    int flush(bool rx, bool tx) override {
        return !tx   ? ftdi_tciflush(context_.get())
               : !rx ? ftdi_tcoflush(context_.get())
                     : ftdi_tcioflush(context_.get());
    }
    int resetPort() override { return libusb_reset_device(context_->usb_dev); }

private:
    FtdiContextPtr context_;
    LibusbBulkIn bulkIn_;
};

class LibftdiBus final : public FtdiBus {
public:
    explicit LibftdiBus(std::string sysRoot) : sysRoot_(std::move(sysRoot)) {}

    FtStatus list(std::vector<FtdiChannel>& channels) override {
        return listFtdiChannels(sysRoot_, channels);
    }

    FtStatus open(std::uint32_t location, std::unique_ptr<FtdiDevice>& device,
                  bool& inUse) override {
        inUse = false;
        FtdiContextPtr context = newFtdiContext();
        if (!context)
            return FT_INSUFFICIENT_RESOURCES;
        FtStatus status = FT_DEVICE_NOT_FOUND;
        const bool listed = forEachFtdiChannel(
            context.get(), [&](libusb_device* usb, unsigned channel, std::uint32_t candidate) {
                if (candidate != location)
                    return false;
                context->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
                const auto interface = static_cast<ftdi_interface>(INTERFACE_A + channel);
                if (ftdi_set_interface(context.get(), interface) != 0) {
                    status = FT_DEVICE_NOT_OPENED;
                    return true;
                }
                const int result = ftdi_usb_open_dev(context.get(), usb);
                status = openStatus(result);
                inUse = openFoundInUse(result);
                return true;
            });
        if (!listed)
            status = FT_OTHER_ERROR;
        if (status != FT_OK)
            return status;
        context->usb_read_timeout = kControlTimeoutMs;
        context->usb_write_timeout = kControlTimeoutMs;
        device = std::make_unique<LibftdiDevice>(std::move(context));
        return FT_OK;
    }

private:
    const std::string sysRoot_;
};

} // namespace

std::unique_ptr<FtdiBus> libftdiBus(std::string sysRoot) {
    return std::make_unique<LibftdiBus>(std::move(sysRoot));
}

} // namespace qs40

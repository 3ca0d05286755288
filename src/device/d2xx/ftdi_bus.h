// What the libftdi1 backend needs of the USB side, so that tests can play the chip: the bus
// that lists and opens FTDI channels, and one open channel with the chip's settings requests,
// its bulk endpoints and its USB port. The real ones go through libftdi1 and libusb
// (libftdi_bus.h).
//
// Results are what libftdi1 gives for the settings requests (negative: failed) and what libusb
// gives for the transfers and the port reset; ftdi_translation.h makes D2XX statuses of them.
#pragma once

#include "device/d2xx/d2xx.h"
#include "device/d2xx/ftdi_reader.h"
#include "device/d2xx/ftdi_translation.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qs40 {

// One serial channel of an attached chip; a dual chip has two.
struct FtdiChannel {
    std::uint32_t location = 0;
    std::string description; // at most 63 characters; empty when the device has none
};

// One open channel. Destroying it releases the channel (and gives it back to ftdi_sio).
class FtdiDevice {
public:
    virtual ~FtdiDevice() = default;

    virtual BulkIn& bulkIn() = 0;
    // The bulk-in endpoint's packet size; every packet starts with two modem-status bytes.
    virtual std::size_t maxPacketSize() const = 0;
    // As libusb_bulk_transfer on the bulk-out endpoint: the bytes sent even on a time-out.
    virtual int bulkOut(const std::uint8_t* data, int length, int& sent, unsigned timeoutMs) = 0;

    virtual int resetChip() = 0; // ftdi_usb_reset
    virtual int setBaudRate(int baud) = 0;
    virtual int setLineProperty(const FtdiLineProperty& line) = 0;
    virtual int setFlowControl(int flow) = 0; // ftdi_setflowctrl
    virtual int setXonXoff(std::uint8_t xon, std::uint8_t xoff) = 0;
    virtual int setLatencyTimer(std::uint8_t ms) = 0;
    virtual int flush(bool rx, bool tx) = 0; // ftdi_tciflush, ftdi_tcoflush, ftdi_tcioflush
    virtual int resetPort() = 0;             // libusb_reset_device
};

class FtdiBus {
public:
    virtual ~FtdiBus() = default;
    // Every channel in the order of their locations.
    virtual FtStatus list(std::vector<FtdiChannel>& channels) = 0;
    // FT_DEVICE_NOT_FOUND when no attached channel has that location; otherwise the status of
    // opening it (FT_DEVICE_NOT_OPENED when it is in use, then with inUse set, or not
    // permitted).
    virtual FtStatus open(std::uint32_t location, std::unique_ptr<FtdiDevice>& device,
                          bool& inUse) = 0;
};

} // namespace qs40

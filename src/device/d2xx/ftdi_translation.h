// What the D2XX calls become in libftdi1 and libusb terms, and what their results mean as
// D2XX statuses. Kept apart from the calls themselves so that it can be checked without a
// device. The int values are libusb's error codes and libftdi1's constants.
#pragma once

#include "device/d2xx/d2xx.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qs40 {

// The chip starts every bulk-in packet with two modem-status bytes. Appends the payload of a
// transfer that received `received` as packets of maxPacket bytes (the last may be shorter).
inline constexpr std::size_t kFtdiStatusBytes = 2;
void appendPayload(std::span<const std::uint8_t> received, std::size_t maxPacket,
                   std::vector<std::uint8_t>& payload);

// What the reader does after a bulk-in transfer ended with a libusb result.
enum class TransferOutcome {
    Keep,      // the bytes received (if any) count; go on
    ClearHalt, // the endpoint stalled: clear it, then go on
    Retry,     // a transfer error: try again after a pause; repeated, the device is lost
    Lost,      // the device is gone
};
TransferOutcome bulkInOutcome(int libusbResult);

// A bulk-out transfer that failed other than by its time-out.
FtStatus bulkOutStatus(int libusbResult);
// The result of ftdi_usb_open_dev, and whether it says that another program has the channel.
FtStatus openStatus(int ftdiResult);
bool openFoundInUse(int ftdiResult);
// The result of ftdi_set_baudrate.
FtStatus baudRateStatus(int ftdiResult);
// The result of any other libftdi1 call that talks to the chip.
FtStatus controlStatus(int ftdiResult);
// The result of libusb_reset_device; `lost` is set when the handle no longer reaches the device
// (it came back as a new device, or never did).
FtStatus portResetStatus(int libusbResult, bool& lost);

// ftdi_set_line_property's arguments (ftdi_bits_type, ftdi_stopbits_type, ftdi_parity_type).
struct FtdiLineProperty {
    int bits;
    int stopBits;
    int parity;
};
std::optional<FtdiLineProperty> ftdiLineProperty(std::uint8_t bits, std::uint8_t stopBits,
                                                 std::uint8_t parity);

// ftdi_setflowctrl's argument for a D2XX flow-control mode; XON/XOFF is its own call
// (ftdi_setflowctrl_xonxoff), reported by `xonXoff`.
std::optional<int> ftdiFlowControl(std::uint16_t mode, bool& xonXoff);

// libftdi1 refuses a latency timer of 0 ms; 1 ms is the chip's shortest.
std::uint8_t ftdiLatency(std::uint8_t ms);

} // namespace qs40

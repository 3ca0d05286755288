// The libftdi1 backend of the D2XX interface (`--device ftdi`): every attached FTDI chip that
// libftdi1 drives, reached over libusb without the kernel's serial driver. Each serial channel
// is one device, described by the USB product string, at the location usb_listing.h packs from
// the USB topology (the same location the serial-port backend gives the same channel).
//
// Handles as port_table_d2xx.h says, with the promises of d2xx.h. libftdi1 knows no 0 ms
// latency: 0 sets the chip's shortest, 1 ms. The port reset is libusb_reset_device.
//
// Opening a channel sets the kernel's serial driver aside, which would hang up a program that
// has the channel's /dev/ttyUSBn open: a channel whose terminal another program holds
// (tty_lock.h), like one whose interface another program claimed, is refused with
// FT_DEVICE_NOT_OPENED, and lastOpenRefusal() names it in use.
#pragma once

#include "device/d2xx/d2xx.h"
#include "device/d2xx/ftdi_bus.h"
#include "device/d2xx/port_table_d2xx.h"
#include "device/d2xx/tty_enumeration.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qs40 {

class FtdiPort;
extern template class PortTableD2xx<FtdiPort, std::uint32_t>;

class FtdiD2xx final : public PortTableD2xx<FtdiPort, std::uint32_t> {
public:
    // The chips attached; sysRoot: where the product strings and the terminals of the channels
    // are looked up without opening the devices.
    explicit FtdiD2xx(std::string sysRoot = "/sys");
    // The chips of another bus (tests play one); ttys: where the terminals of its channels are
    // looked for, none when the bus has no terminals.
    explicit FtdiD2xx(std::unique_ptr<FtdiBus> bus, std::optional<TtyRoots> ttys = std::nullopt);
    ~FtdiD2xx() override;
    FtdiD2xx(const FtdiD2xx&) = delete;
    FtdiD2xx& operator=(const FtdiD2xx&) = delete;

    FtStatus listDeviceCount(std::uint32_t& count) override;
    FtStatus listLocation(std::uint32_t index, std::uint32_t& location) override;
    FtStatus listDescription(std::uint32_t index, std::string& description) override;
    FtStatus openByLocation(std::uint32_t location, FtHandle& handle) override;

private:
    // Lists the devices afresh (outside the lock: it talks to USB) and keeps the list.
    FtStatus relist(std::uint32_t* count);
    // The kept channel at index, listing first when nothing was listed yet.
    FtStatus listed(std::uint32_t index, FtdiChannel& channel);

    // The terminal of the channel at location when another program holds it.
    std::optional<std::string> heldTerminal(std::uint32_t location) const;

    const std::unique_ptr<FtdiBus> bus_;
    const std::optional<TtyRoots> ttys_;

    std::vector<FtdiChannel> listed_;
    bool hasList_ = false;
};

} // namespace qs40

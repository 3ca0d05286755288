// The serial-port backend of the D2XX interface (`--device tty:PATH`, or every /dev/ttyUSBn):
// termios at the requested baud rate in raw mode, time-outs with poll(), a reader thread that
// queues received bytes and signals the notification event.
//
// Handles as port_table_d2xx.h says, with the promises of d2xx.h. A device is held by its
// location and by its tty path: a second open of either is refused while a handle holds it.
// Between programs the terminal is held as tty_lock.h says: a terminal that another program
// holds is refused with FT_DEVICE_NOT_OPENED, and lastOpenRefusal() names it in use.
// The latency timer becomes low-latency mode on a USB serial port and is FT_NOT_SUPPORTED on
// other terminals. The port reset resets the USB device behind the tty (USBDEVFS_RESET); a
// terminal without one is hung up instead (tty_port.h).
#pragma once

#include "device/d2xx/d2xx.h"
#include "device/d2xx/port_table_d2xx.h"
#include "device/d2xx/tty_enumeration.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qs40 {

class TtyPort;
extern template class PortTableD2xx<TtyPort, TtyDevice>;

class TtyD2xx final : public PortTableD2xx<TtyPort, TtyDevice> {
public:
    // One device at path, listed as "Digital Oscilloscope ZR40" with location 1.
    static std::unique_ptr<TtyD2xx> forPath(std::string path, TtyRoots roots = {});
    // Every <dev>/ttyUSBn, described by the USB product string from sysfs (see tty_enumeration.h
    // for the location identifiers).
    static std::unique_ptr<TtyD2xx> scanning(TtyRoots roots = {});

    FtStatus listDeviceCount(std::uint32_t& count) override;
    FtStatus listLocation(std::uint32_t index, std::uint32_t& location) override;
    FtStatus listDescription(std::uint32_t index, std::string& description) override;
    FtStatus openByLocation(std::uint32_t location, FtHandle& handle) override;

private:
    TtyD2xx(std::optional<std::string> path, TtyRoots roots);
    std::vector<TtyDevice> enumerate() const;
    // The kept device at index, listing first when nothing was listed yet.
    FtStatus listed(std::uint32_t index, TtyDevice& device);

    const std::optional<std::string> path_;
    const TtyRoots roots_;

    std::vector<TtyDevice> listed_;
    bool hasList_ = false;
};

} // namespace qs40

// The serial-port backend of the D2XX interface (`--device tty:PATH`, or every /dev/ttyUSBn):
// termios at the requested baud rate in raw mode, time-outs with poll(), a reader thread that
// queues received bytes and signals the notification event.
//
// Handles as port_table_d2xx.h says; a close while another thread reads wakes that read, which
// then returns FT_INVALID_HANDLE. A device that went away gives FT_IO_ERROR.
//
// Opening a device that this backend already holds under another handle closes that handle
// first: the recovery after a lost connection opens the instrument again without closing the
// old handle, and two handles reading one tty would split its bytes between them.
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

    ~TtyD2xx() override;

    FtStatus listDeviceCount(std::uint32_t& count) override;
    FtStatus listLocation(std::uint32_t index, std::uint32_t& location) override;
    FtStatus listDescription(std::uint32_t index, std::string& description) override;
    FtStatus openByLocation(std::uint32_t location, FtHandle& handle) override;
    FtStatus close(FtHandle handle) override;

    // Resets the USB device (USBDEVFS_RESET) when the tty belongs to one that may be reset;
    // the tty then hangs up and comes back, to be found by the next open. Otherwise closes and
    // re-opens the descriptor under the same handle, keeping its settings.
    FtStatus resetPort(FtHandle handle) override;

private:
    TtyD2xx(std::optional<std::string> path, TtyRoots roots);
    std::vector<TtyDevice> enumerate() const;

    const std::optional<std::string> path_;
    const TtyRoots roots_;

    std::vector<TtyDevice> listed_;
    bool hasList_ = false;
};

} // namespace qs40

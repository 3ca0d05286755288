// The serial-port backend of the D2XX interface (`--device tty:PATH`, or every /dev/ttyUSBn):
// termios at the requested baud rate in raw mode, time-outs with poll(), a reader thread that
// queues received bytes and signals the notification event.
//
// Handles are numbers looked up in a table under a mutex. A call on an unknown or closed
// handle returns FT_INVALID_HANDLE; a close while another thread reads wakes that read, which
// then returns FT_INVALID_HANDLE. A device that went away gives FT_IO_ERROR.
//
// Opening a device that this backend already holds under another handle closes that handle
// first: the recovery after a lost connection opens the instrument again without closing the
// old handle, and two handles reading one tty would split its bytes between them.
#pragma once

#include "device/d2xx.h"
#include "device/tty_enumeration.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qs40 {

class TtyPort;

class TtyD2xx final : public D2xx {
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

    FtStatus resetDevice(FtHandle handle) override;
    FtStatus setBaudRate(FtHandle handle, std::uint32_t baud) override;
    FtStatus setDataCharacteristics(FtHandle handle, std::uint8_t bits, std::uint8_t stopBits,
                                    std::uint8_t parity) override;
    FtStatus setFlowControl(FtHandle handle, std::uint16_t mode, std::uint8_t xon,
                            std::uint8_t xoff) override;
    FtStatus setTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) override;
    FtStatus purge(FtHandle handle, std::uint32_t mask) override;
    FtStatus setLatencyTimer(FtHandle handle, std::uint8_t ms) override;
    FtStatus setEventNotification(FtHandle handle, std::uint32_t mask, Event* event) override;

    FtStatus getQueueStatus(FtHandle handle, std::uint32_t& rxBytes) override;
    FtStatus getStatus(FtHandle handle, std::uint32_t& rxBytes, std::uint32_t& txBytes,
                       std::uint32_t& events) override;
    FtStatus read(FtHandle handle, std::uint8_t* buffer, std::uint32_t length,
                  std::uint32_t& bytesRead) override;
    FtStatus write(FtHandle handle, const std::uint8_t* buffer, std::uint32_t length,
                   std::uint32_t& bytesWritten) override;
    // Resets the USB device (USBDEVFS_RESET) when the tty belongs to one that may be reset;
    // the tty then hangs up and comes back, to be found by the next open. Otherwise closes and
    // re-opens the descriptor under the same handle, keeping its settings.
    FtStatus resetPort(FtHandle handle) override;

private:
    struct Entry {
        std::shared_ptr<TtyPort> port;
        TtyDevice device;
    };

    TtyD2xx(std::optional<std::string> path, TtyRoots roots);
    std::vector<TtyDevice> enumerate() const;
    std::shared_ptr<TtyPort> find(FtHandle handle) const;
    FtHandle nextHandle(); // under mutex_

    const std::optional<std::string> path_;
    const TtyRoots roots_;

    mutable std::mutex mutex_;
    std::vector<TtyDevice> listed_;
    bool hasList_ = false;
    std::map<FtHandle, Entry> open_;
    FtHandle lastHandle_ = kNoHandle;
};

} // namespace qs40

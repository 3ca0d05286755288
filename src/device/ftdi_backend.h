// The libftdi1 backend of the D2XX interface (`--device ftdi`): every attached FTDI chip that
// libftdi1 drives, reached over libusb without the kernel's serial driver. Each serial channel
// is one device, described by the USB product string, at the location usb_listing.h packs from
// the USB topology (the same location the serial-port backend gives the same channel).
//
// Handles are numbers looked up in a table under a mutex. A call on an unknown or closed
// handle returns FT_INVALID_HANDLE; a close while another thread reads wakes that read, which
// then returns FT_INVALID_HANDLE. A device that went away gives FT_IO_ERROR.
//
// Opening a location that this backend already holds under another handle closes that handle
// first: the recovery after a lost connection opens the instrument again without closing the
// old handle, and the USB interface can be claimed only once.
#pragma once

#include "device/d2xx.h"
#include "device/ftdi_devices.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qs40 {

class FtdiPort;

class FtdiD2xx final : public D2xx {
public:
    // sysRoot: where the product strings are looked up without opening the devices.
    explicit FtdiD2xx(std::string sysRoot = "/sys");
    ~FtdiD2xx() override;
    FtdiD2xx(const FtdiD2xx&) = delete;
    FtdiD2xx& operator=(const FtdiD2xx&) = delete;

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
    // libftdi1 knows no 0 ms latency; 0 sets the chip's shortest, 1 ms.
    FtStatus setLatencyTimer(FtHandle handle, std::uint8_t ms) override;
    FtStatus setEventNotification(FtHandle handle, std::uint32_t mask, Event* event) override;

    FtStatus getQueueStatus(FtHandle handle, std::uint32_t& rxBytes) override;
    FtStatus getStatus(FtHandle handle, std::uint32_t& rxBytes, std::uint32_t& txBytes,
                       std::uint32_t& events) override;
    // Time-outs of 0 wait without limit.
    FtStatus read(FtHandle handle, std::uint8_t* buffer, std::uint32_t length,
                  std::uint32_t& bytesRead) override;
    FtStatus write(FtHandle handle, const std::uint8_t* buffer, std::uint32_t length,
                   std::uint32_t& bytesWritten) override;
    // Resets the device's USB port (libusb_reset_device). The handle stays open; when the
    // device came back as a new one it gives FT_IO_ERROR until it is closed, and the next open
    // finds the device again at its location.
    FtStatus resetPort(FtHandle handle) override;

private:
    struct Entry {
        std::shared_ptr<FtdiPort> port;
        std::uint32_t location = 0;
    };

    std::shared_ptr<FtdiPort> find(FtHandle handle) const;
    // Lists the devices afresh (outside the lock: it talks to USB) and keeps the list.
    FtStatus relist(std::uint32_t* count);
    // The kept channel at index, listing first when nothing was listed yet.
    FtStatus listed(std::uint32_t index, FtdiChannel& channel);
    FtHandle nextHandle(); // under mutex_

    const std::string sysRoot_;

    mutable std::mutex mutex_;
    std::vector<FtdiChannel> listed_;
    bool hasList_ = false;
    std::map<FtHandle, Entry> open_;
    FtHandle lastHandle_ = kNoHandle;
};

} // namespace qs40

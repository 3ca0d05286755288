// What the hardware backends of the D2XX interface share: handles are numbers looked up in a
// table under a mutex, each naming a port, and every per-handle call goes to that port.
// A call on an unknown or closed handle returns FT_INVALID_HANDLE with its outputs zeroed.
//
// Port is the backend's port class; Info is what the backend keeps beside each port. A port
// offers the per-handle calls and these:
//   void shutdown(FtStatus endStatus)  releases the device; waiting calls and every later call
//                                      return endStatus; returns once no call uses the device
//   bool holdsDevice()                 false once shut down or once its device is lost
//   FtStatus resetPort()               the port reset, before the port is shut down
// A port reset leaves the handle in the table with its port shut down (FT_IO_ERROR from every
// call but close), as d2xx.h promises. The per-handle calls are defined in
// port_table_d2xx_impl.h, which a backend's source file includes to instantiate the table for
// its port (so that its header need not show the port).
#pragma once

#include "device/d2xx/d2xx.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace qs40 {

template <class Port, class Info> class PortTableD2xx : public D2xx {
public:
    // Shuts down every port still open.
    ~PortTableD2xx() override;

    OpenRefusal lastOpenRefusal() const override;
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
    FtStatus resetPort(FtHandle handle) override;

protected:
    // Opens a device: `sameDevice` tells the Info of a port on the device to be opened, `open`
    // opens it, saying in its OpenRefusal why it could not. FT_DEVICE_NOT_OPENED while an open
    // handle holds the device; handles whose device was lost are shut down first, so that they
    // let go of it. One open at a time, so that two never take the same device.
    using PortOpener = std::function<FtStatus(std::shared_ptr<Port>&, OpenRefusal&)>;
    FtStatus openPort(const std::function<bool(const Info&)>& sameDevice, const PortOpener& open,
                      Info info, FtHandle& handle);
    // An open that failed before openPort: returns status, with nothing more to say about it.
    FtStatus failOpen(FtStatus status);

    mutable std::mutex mutex_; // guards the table and what a backend keeps beside it

private:
    struct Entry {
        std::shared_ptr<Port> port;
        Info info;
    };

    std::shared_ptr<Port> find(FtHandle handle) const;
    // openPort under openMutex_.
    FtStatus openPortLocked(const std::function<bool(const Info&)>& sameDevice,
                            const PortOpener& open, Info info, FtHandle& handle,
                            OpenRefusal& refusal);
    // A handle not in use; call under mutex_.
    FtHandle nextHandle();

    std::mutex openMutex_;
    std::map<FtHandle, Entry> open_;
    FtHandle lastHandle_ = kNoHandle;
    OpenRefusal lastRefusal_; // under mutex_
};

} // namespace qs40

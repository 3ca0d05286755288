// What the hardware backends of the D2XX interface share: handles are numbers looked up in a
// table under a mutex, each naming an open port, and every per-handle call goes to that port.
// A call on an unknown or closed handle returns FT_INVALID_HANDLE with its outputs zeroed.
// Port is the backend's port class; Info is what the backend keeps beside each open port.
// The per-handle calls are defined in port_table_d2xx_impl.h, which a backend's source file
// includes to instantiate the table for its port (so that its header need not show the port).
#pragma once

#include "device/d2xx/d2xx.h"

#include <map>
#include <memory>
#include <mutex>

namespace qs40 {

template <class Port, class Info> class PortTableD2xx : public D2xx {
public:
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

protected:
    struct Entry {
        std::shared_ptr<Port> port;
        Info info;
    };

    std::shared_ptr<Port> find(FtHandle handle) const {
        std::lock_guard lock(mutex_);
        const auto it = open_.find(handle);
        return it == open_.end() ? nullptr : it->second.port;
    }
    // A handle not in use; call under mutex_.
    FtHandle nextHandle() {
        do {
            ++lastHandle_;
        } while (lastHandle_ == kNoHandle || open_.count(lastHandle_) != 0);
        return lastHandle_;
    }

    mutable std::mutex mutex_;
    std::map<FtHandle, Entry> open_;

private:
    FtHandle lastHandle_ = kNoHandle;
};

} // namespace qs40

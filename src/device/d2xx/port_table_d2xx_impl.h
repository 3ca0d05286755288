// The calls of PortTableD2xx: include in the one source file that instantiates the table for
// a backend's port.
#pragma once

#include "device/d2xx/port_table_d2xx.h"

#include <vector>

namespace qs40 {

template <class Port, class Info> PortTableD2xx<Port, Info>::~PortTableD2xx() {
    std::map<FtHandle, Entry> open;
    {
        std::lock_guard lock(mutex_);
        open.swap(open_);
    }
    for (auto& [handle, entry] : open)
        entry.port->shutdown(FT_INVALID_HANDLE);
}

template <class Port, class Info>
std::shared_ptr<Port> PortTableD2xx<Port, Info>::find(FtHandle handle) const {
    std::lock_guard lock(mutex_);
    const auto it = open_.find(handle);
    return it == open_.end() ? nullptr : it->second.port;
}

template <class Port, class Info> FtHandle PortTableD2xx<Port, Info>::nextHandle() {
    do {
        ++lastHandle_;
    } while (lastHandle_ == kNoHandle || open_.count(lastHandle_) != 0);
    return lastHandle_;
}

template <class Port, class Info> OpenRefusal PortTableD2xx<Port, Info>::lastOpenRefusal() const {
    std::lock_guard lock(mutex_);
    return lastRefusal_;
}

template <class Port, class Info>
FtStatus PortTableD2xx<Port, Info>::openPort(const std::function<bool(const Info&)>& sameDevice,
                                             const PortOpener& open, Info info, FtHandle& handle) {
    handle = kNoHandle;
    std::lock_guard opening(openMutex_);
    OpenRefusal refusal;
    const FtStatus status = openPortLocked(sameDevice, open, std::move(info), handle, refusal);
    std::lock_guard lock(mutex_);
    lastRefusal_ = status == FT_OK ? OpenRefusal{} : std::move(refusal);
    return status;
}

template <class Port, class Info> FtStatus PortTableD2xx<Port, Info>::failOpen(FtStatus status) {
    std::lock_guard lock(mutex_);
    lastRefusal_ = {};
    return status;
}

template <class Port, class Info>
FtStatus
PortTableD2xx<Port, Info>::openPortLocked(const std::function<bool(const Info&)>& sameDevice,
                                          const PortOpener& open, Info info, FtHandle& handle,
                                          OpenRefusal& refusal) {
    std::vector<std::shared_ptr<Port>> onDevice;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [h, entry] : open_) {
            if (sameDevice(entry.info))
                onDevice.push_back(entry.port);
        }
    }
    // Outside the table's lock: a port may have to wait for calls in progress.
    for (const auto& port : onDevice) {
        if (port->holdsDevice())
            return FT_DEVICE_NOT_OPENED;
        port->shutdown(FT_IO_ERROR);
    }
    std::shared_ptr<Port> port;
    if (const FtStatus status = open(port, refusal); status != FT_OK)
        return status;
    std::lock_guard lock(mutex_);
    handle = nextHandle();
    open_.emplace(handle, Entry{std::move(port), std::move(info)});
    return FT_OK;
}

template <class Port, class Info> FtStatus PortTableD2xx<Port, Info>::close(FtHandle handle) {
    std::shared_ptr<Port> port;
    {
        std::lock_guard lock(mutex_);
        const auto it = open_.find(handle);
        if (it == open_.end())
            return FT_INVALID_HANDLE;
        port = std::move(it->second.port);
        open_.erase(it);
    }
    port->shutdown(FT_INVALID_HANDLE);
    return FT_OK;
}

// The handle stays in the table, its port shut down, until it is closed.
template <class Port, class Info> FtStatus PortTableD2xx<Port, Info>::resetPort(FtHandle handle) {
    const auto port = find(handle);
    if (!port)
        return FT_INVALID_HANDLE;
    const FtStatus status = port->resetPort();
    port->shutdown(FT_IO_ERROR);
    return status;
}

template <class Port, class Info> FtStatus PortTableD2xx<Port, Info>::resetDevice(FtHandle handle) {
    const auto port = find(handle);
    return port ? port->resetDevice() : FT_INVALID_HANDLE;
}

template <class Port, class Info>
FtStatus PortTableD2xx<Port, Info>::setBaudRate(FtHandle handle, std::uint32_t baud) {
    const auto port = find(handle);
    return port ? port->setBaudRate(baud) : FT_INVALID_HANDLE;
}

template <class Port, class Info>
FtStatus PortTableD2xx<Port, Info>::setDataCharacteristics(FtHandle handle, std::uint8_t bits,
                                                           std::uint8_t stopBits,
                                                           std::uint8_t parity) {
    const auto port = find(handle);
    return port ? port->setDataCharacteristics(bits, stopBits, parity) : FT_INVALID_HANDLE;
}

template <class Port, class Info>
FtStatus PortTableD2xx<Port, Info>::setFlowControl(FtHandle handle, std::uint16_t mode,
                                                   std::uint8_t xon, std::uint8_t xoff) {
    const auto port = find(handle);
    return port ? port->setFlowControl(mode, xon, xoff) : FT_INVALID_HANDLE;
}

template <class Port, class Info>
FtStatus PortTableD2xx<Port, Info>::setTimeouts(FtHandle handle, std::uint32_t readMs,
                                                std::uint32_t writeMs) {
    const auto port = find(handle);
    return port ? port->setTimeouts(readMs, writeMs) : FT_INVALID_HANDLE;
}

template <class Port, class Info>
FtStatus PortTableD2xx<Port, Info>::purge(FtHandle handle, std::uint32_t mask) {
    const auto port = find(handle);
    return port ? port->purge(mask) : FT_INVALID_HANDLE;
}

template <class Port, class Info>
FtStatus PortTableD2xx<Port, Info>::setLatencyTimer(FtHandle handle, std::uint8_t ms) {
    const auto port = find(handle);
    return port ? port->setLatencyTimer(ms) : FT_INVALID_HANDLE;
}

template <class Port, class Info>
FtStatus PortTableD2xx<Port, Info>::setEventNotification(FtHandle handle, std::uint32_t mask,
                                                         Event* event) {
    const auto port = find(handle);
    return port ? port->setEventNotification(mask, event) : FT_INVALID_HANDLE;
}

template <class Port, class Info>
FtStatus PortTableD2xx<Port, Info>::getQueueStatus(FtHandle handle, std::uint32_t& rxBytes) {
    rxBytes = 0;
    const auto port = find(handle);
    return port ? port->getQueueStatus(rxBytes) : FT_INVALID_HANDLE;
}

template <class Port, class Info>
FtStatus PortTableD2xx<Port, Info>::getStatus(FtHandle handle, std::uint32_t& rxBytes,
                                              std::uint32_t& txBytes, std::uint32_t& events) {
    rxBytes = txBytes = events = 0;
    const auto port = find(handle);
    return port ? port->getStatus(rxBytes, txBytes, events) : FT_INVALID_HANDLE;
}

template <class Port, class Info>
FtStatus PortTableD2xx<Port, Info>::read(FtHandle handle, std::uint8_t* buffer,
                                         std::uint32_t length, std::uint32_t& bytesRead) {
    bytesRead = 0;
    const auto port = find(handle);
    return port ? port->read(buffer, length, bytesRead) : FT_INVALID_HANDLE;
}

template <class Port, class Info>
FtStatus PortTableD2xx<Port, Info>::write(FtHandle handle, const std::uint8_t* buffer,
                                          std::uint32_t length, std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    const auto port = find(handle);
    return port ? port->write(buffer, length, bytesWritten) : FT_INVALID_HANDLE;
}

} // namespace qs40

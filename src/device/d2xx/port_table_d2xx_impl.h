// The per-handle calls of PortTableD2xx: include in the one source file that instantiates
// the table for a backend's port.
#pragma once

#include "device/d2xx/port_table_d2xx.h"

namespace qs40 {

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

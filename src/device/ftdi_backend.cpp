#include "device/ftdi_backend.h"

#include "device/ftdi_port.h"

namespace qs40 {

FtdiD2xx::FtdiD2xx(std::string sysRoot) : sysRoot_(std::move(sysRoot)) {}

FtdiD2xx::~FtdiD2xx() {
    std::map<FtHandle, Entry> open;
    {
        std::lock_guard lock(mutex_);
        open.swap(open_);
    }
    for (auto& [handle, entry] : open)
        entry.port->shutdown();
}

std::shared_ptr<FtdiPort> FtdiD2xx::find(FtHandle handle) const {
    std::lock_guard lock(mutex_);
    const auto it = open_.find(handle);
    return it == open_.end() ? nullptr : it->second.port;
}

FtHandle FtdiD2xx::nextHandle() {
    do {
        ++lastHandle_;
    } while (lastHandle_ == kNoHandle || open_.count(lastHandle_) != 0);
    return lastHandle_;
}

FtStatus FtdiD2xx::relist(std::uint32_t* count) {
    std::vector<FtdiChannel> channels;
    const FtStatus status = listFtdiChannels(sysRoot_, channels);
    std::lock_guard lock(mutex_);
    listed_ = std::move(channels);
    hasList_ = status == FT_OK;
    if (count != nullptr)
        *count = static_cast<std::uint32_t>(listed_.size());
    return status;
}

FtStatus FtdiD2xx::listed(std::uint32_t index, FtdiChannel& channel) {
    bool hasList = false;
    {
        std::lock_guard lock(mutex_);
        hasList = hasList_;
    }
    if (!hasList) {
        if (const FtStatus status = relist(nullptr); status != FT_OK)
            return status;
    }
    std::lock_guard lock(mutex_);
    if (index >= listed_.size())
        return FT_DEVICE_NOT_FOUND;
    channel = listed_[index];
    return FT_OK;
}

FtStatus FtdiD2xx::listDeviceCount(std::uint32_t& count) {
    count = 0;
    return relist(&count);
}

FtStatus FtdiD2xx::listLocation(std::uint32_t index, std::uint32_t& location) {
    FtdiChannel channel;
    const FtStatus status = listed(index, channel);
    if (status == FT_OK)
        location = channel.location;
    return status;
}

FtStatus FtdiD2xx::listDescription(std::uint32_t index, std::string& description) {
    FtdiChannel channel;
    const FtStatus status = listed(index, channel);
    if (status == FT_OK)
        description = std::move(channel.description);
    return status;
}

FtStatus FtdiD2xx::openByLocation(std::uint32_t location, FtHandle& handle) {
    std::vector<std::shared_ptr<FtdiPort>> superseded;
    {
        std::lock_guard lock(mutex_);
        for (auto it = open_.begin(); it != open_.end();) {
            if (it->second.location == location) {
                superseded.push_back(std::move(it->second.port));
                it = open_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& port : superseded)
        port->shutdown();

    std::shared_ptr<FtdiPort> port;
    const FtStatus status = FtdiPort::open(location, port);
    if (status != FT_OK)
        return status;
    std::lock_guard lock(mutex_);
    handle = nextHandle();
    open_.emplace(handle, Entry{std::move(port), location});
    return FT_OK;
}

FtStatus FtdiD2xx::close(FtHandle handle) {
    std::shared_ptr<FtdiPort> port;
    {
        std::lock_guard lock(mutex_);
        const auto it = open_.find(handle);
        if (it == open_.end())
            return FT_INVALID_HANDLE;
        port = std::move(it->second.port);
        open_.erase(it);
    }
    port->shutdown();
    return FT_OK;
}

FtStatus FtdiD2xx::resetDevice(FtHandle handle) {
    const auto port = find(handle);
    return port ? port->resetDevice() : FT_INVALID_HANDLE;
}

FtStatus FtdiD2xx::setBaudRate(FtHandle handle, std::uint32_t baud) {
    const auto port = find(handle);
    return port ? port->setBaudRate(baud) : FT_INVALID_HANDLE;
}

FtStatus FtdiD2xx::setDataCharacteristics(FtHandle handle, std::uint8_t bits, std::uint8_t stopBits,
                                          std::uint8_t parity) {
    const auto port = find(handle);
    return port ? port->setDataCharacteristics(bits, stopBits, parity) : FT_INVALID_HANDLE;
}

FtStatus FtdiD2xx::setFlowControl(FtHandle handle, std::uint16_t mode, std::uint8_t xon,
                                  std::uint8_t xoff) {
    const auto port = find(handle);
    return port ? port->setFlowControl(mode, xon, xoff) : FT_INVALID_HANDLE;
}

FtStatus FtdiD2xx::setTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) {
    const auto port = find(handle);
    return port ? port->setTimeouts(readMs, writeMs) : FT_INVALID_HANDLE;
}

FtStatus FtdiD2xx::purge(FtHandle handle, std::uint32_t mask) {
    const auto port = find(handle);
    return port ? port->purge(mask) : FT_INVALID_HANDLE;
}

FtStatus FtdiD2xx::setLatencyTimer(FtHandle handle, std::uint8_t ms) {
    const auto port = find(handle);
    return port ? port->setLatencyTimer(ms) : FT_INVALID_HANDLE;
}

FtStatus FtdiD2xx::setEventNotification(FtHandle handle, std::uint32_t mask, Event* event) {
    const auto port = find(handle);
    return port ? port->setEventNotification(mask, event) : FT_INVALID_HANDLE;
}

FtStatus FtdiD2xx::getQueueStatus(FtHandle handle, std::uint32_t& rxBytes) {
    rxBytes = 0;
    const auto port = find(handle);
    return port ? port->getQueueStatus(rxBytes) : FT_INVALID_HANDLE;
}

FtStatus FtdiD2xx::getStatus(FtHandle handle, std::uint32_t& rxBytes, std::uint32_t& txBytes,
                             std::uint32_t& events) {
    rxBytes = txBytes = events = 0;
    const auto port = find(handle);
    return port ? port->getStatus(rxBytes, txBytes, events) : FT_INVALID_HANDLE;
}

FtStatus FtdiD2xx::read(FtHandle handle, std::uint8_t* buffer, std::uint32_t length,
                        std::uint32_t& bytesRead) {
    bytesRead = 0;
    const auto port = find(handle);
    return port ? port->read(buffer, length, bytesRead) : FT_INVALID_HANDLE;
}

FtStatus FtdiD2xx::write(FtHandle handle, const std::uint8_t* buffer, std::uint32_t length,
                         std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    const auto port = find(handle);
    return port ? port->write(buffer, length, bytesWritten) : FT_INVALID_HANDLE;
}

FtStatus FtdiD2xx::resetPort(FtHandle handle) {
    const auto port = find(handle);
    return port ? port->resetPort() : FT_INVALID_HANDLE;
}

} // namespace qs40

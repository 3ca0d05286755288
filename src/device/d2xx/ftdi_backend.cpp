#include "device/d2xx/ftdi_backend.h"

#include "device/d2xx/ftdi_port.h"
#include "device/d2xx/port_table_d2xx_impl.h"

namespace qs40 {

template class PortTableD2xx<FtdiPort, std::uint32_t>;

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
            if (it->second.info == location) {
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

FtStatus FtdiD2xx::resetPort(FtHandle handle) {
    const auto port = find(handle);
    return port ? port->resetPort() : FT_INVALID_HANDLE;
}

} // namespace qs40

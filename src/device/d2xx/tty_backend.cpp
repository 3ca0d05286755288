#include "device/d2xx/tty_backend.h"

#include "device/d2xx/port_table_d2xx_impl.h"
#include "device/d2xx/tty_port.h"

namespace qs40 {

template class PortTableD2xx<TtyPort, TtyDevice>;

namespace {

const TtyDevice* findLocation(const std::vector<TtyDevice>& devices, std::uint32_t location) {
    for (const auto& device : devices) {
        if (device.location == location)
            return &device;
    }
    return nullptr;
}

} // namespace

std::unique_ptr<TtyD2xx> TtyD2xx::forPath(std::string path, TtyRoots roots) {
    return std::unique_ptr<TtyD2xx>(new TtyD2xx(std::move(path), std::move(roots)));
}

std::unique_ptr<TtyD2xx> TtyD2xx::scanning(TtyRoots roots) {
    return std::unique_ptr<TtyD2xx>(new TtyD2xx(std::nullopt, std::move(roots)));
}

TtyD2xx::TtyD2xx(std::optional<std::string> path, TtyRoots roots)
    : path_(std::move(path)), roots_(std::move(roots)) {}

std::vector<TtyDevice> TtyD2xx::enumerate() const {
    return path_ ? explicitTty(roots_, *path_) : scanTtyUsb(roots_);
}

FtStatus TtyD2xx::listDeviceCount(std::uint32_t& count) {
    auto devices = enumerate();
    std::lock_guard lock(mutex_);
    listed_ = std::move(devices);
    hasList_ = true;
    count = static_cast<std::uint32_t>(listed_.size());
    return FT_OK;
}

FtStatus TtyD2xx::listed(std::uint32_t index, TtyDevice& device) {
    std::lock_guard lock(mutex_);
    if (!hasList_) {
        listed_ = enumerate();
        hasList_ = true;
    }
    if (index >= listed_.size())
        return FT_DEVICE_NOT_FOUND;
    device = listed_[index];
    return FT_OK;
}

FtStatus TtyD2xx::listLocation(std::uint32_t index, std::uint32_t& location) {
    location = 0;
    TtyDevice device;
    const FtStatus status = listed(index, device);
    if (status == FT_OK)
        location = device.location;
    return status;
}

FtStatus TtyD2xx::listDescription(std::uint32_t index, std::string& description) {
    description.clear();
    TtyDevice device;
    const FtStatus status = listed(index, device);
    if (status == FT_OK)
        description = std::move(device.description);
    return status;
}

FtStatus TtyD2xx::openByLocation(std::uint32_t location, FtHandle& handle) {
    handle = kNoHandle;
    std::optional<TtyDevice> device;
    {
        std::lock_guard lock(mutex_);
        if (const TtyDevice* listed = findLocation(listed_, location))
            device = *listed;
    }
    if (!device) {
        const auto devices = enumerate();
        if (const TtyDevice* found = findLocation(devices, location))
            device = *found;
    }
    if (!device)
        return failOpen(FT_DEVICE_NOT_FOUND);
    const auto sameDevice = [&](const TtyDevice& held) {
        return held.location == location || held.path == device->path;
    };
    const auto open = [&](std::shared_ptr<TtyPort>& port, OpenRefusal& refusal) {
        bool inUse = false;
        const FtStatus status = TtyPort::open(device->path, device->usbNode, port, inUse);
        if (inUse)
            refusal = {OpenRefusal::Reason::InUse, device->path};
        return status;
    };
    return openPort(sameDevice, open, *device, handle);
}

} // namespace qs40

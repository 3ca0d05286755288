#include "device/d2xx/tty_backend.h"

#include "device/d2xx/port_table_d2xx_impl.h"
#include "device/d2xx/tty_port.h"

#include <fcntl.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace qs40 {

template class PortTableD2xx<TtyPort, TtyDevice>;

namespace {

// Resets the USB device behind a tty. Needs write access to its node (the udev rule that
// gives the user the instrument gives that too); false when that is not possible.
bool resetUsbDevice(const std::string& usbNode) {
    if (usbNode.empty())
        return false;
    const int fd = ::open(usbNode.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool done = ioctl(fd, USBDEVFS_RESET, 0) == 0;
    ::close(fd);
    return done;
}

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

TtyD2xx::~TtyD2xx() {
    std::map<FtHandle, Entry> open;
    {
        std::lock_guard lock(mutex_);
        open.swap(open_);
    }
    for (auto& [handle, entry] : open)
        entry.port->shutdown();
}

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

FtStatus TtyD2xx::listLocation(std::uint32_t index, std::uint32_t& location) {
    std::lock_guard lock(mutex_);
    if (!hasList_) {
        listed_ = enumerate();
        hasList_ = true;
    }
    if (index >= listed_.size())
        return FT_DEVICE_NOT_FOUND;
    location = listed_[index].location;
    return FT_OK;
}

FtStatus TtyD2xx::listDescription(std::uint32_t index, std::string& description) {
    std::lock_guard lock(mutex_);
    if (!hasList_) {
        listed_ = enumerate();
        hasList_ = true;
    }
    if (index >= listed_.size())
        return FT_DEVICE_NOT_FOUND;
    description = listed_[index].description;
    return FT_OK;
}

FtStatus TtyD2xx::openByLocation(std::uint32_t location, FtHandle& handle) {
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
        return FT_DEVICE_NOT_FOUND;

    std::vector<std::shared_ptr<TtyPort>> superseded;
    {
        std::lock_guard lock(mutex_);
        for (auto it = open_.begin(); it != open_.end();) {
            if (it->second.info.location == location || it->second.info.path == device->path) {
                superseded.push_back(std::move(it->second.port));
                it = open_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& port : superseded)
        port->shutdown();

    std::shared_ptr<TtyPort> port;
    const FtStatus status = TtyPort::open(device->path, nullptr, port);
    if (status != FT_OK)
        return status;
    std::lock_guard lock(mutex_);
    handle = nextHandle();
    open_.emplace(handle, Entry{std::move(port), std::move(*device)});
    return FT_OK;
}

FtStatus TtyD2xx::close(FtHandle handle) {
    std::shared_ptr<TtyPort> port;
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

FtStatus TtyD2xx::resetPort(FtHandle handle) {
    std::shared_ptr<TtyPort> old;
    TtyDevice device;
    {
        std::lock_guard lock(mutex_);
        const auto it = open_.find(handle);
        if (it == open_.end())
            return FT_INVALID_HANDLE;
        old = it->second.port;
        device = it->second.info;
    }
    if (resetUsbDevice(device.usbNode))
        return FT_OK;

    const TtyPortSettings settings = old->settings();
    old->shutdown();
    std::shared_ptr<TtyPort> renewed;
    const FtStatus status = TtyPort::open(device.path, &settings, renewed);

    std::lock_guard lock(mutex_);
    const auto it = open_.find(handle);
    const bool stillOurs = it != open_.end() && it->second.port == old;
    if (!stillOurs) {
        // Closed or superseded meanwhile; the new descriptor has no owner.
        if (renewed)
            renewed->shutdown();
        return FT_INVALID_HANDLE;
    }
    if (status != FT_OK) {
        open_.erase(it);
        return status == FT_DEVICE_NOT_FOUND ? FT_DEVICE_NOT_FOUND : FT_IO_ERROR;
    }
    it->second.port = std::move(renewed);
    return FT_OK;
}

} // namespace qs40

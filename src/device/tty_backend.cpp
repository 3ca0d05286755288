#include "device/tty_backend.h"

#include "device/tty_port.h"

#include <fcntl.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace qs40 {
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

std::shared_ptr<TtyPort> TtyD2xx::find(FtHandle handle) const {
    std::lock_guard lock(mutex_);
    const auto it = open_.find(handle);
    return it == open_.end() ? nullptr : it->second.port;
}

FtHandle TtyD2xx::nextHandle() {
    do {
        ++lastHandle_;
    } while (lastHandle_ == kNoHandle || open_.count(lastHandle_) != 0);
    return lastHandle_;
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
            if (it->second.device.location == location || it->second.device.path == device->path) {
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
        device = it->second.device;
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

FtStatus TtyD2xx::resetDevice(FtHandle handle) {
    const auto port = find(handle);
    return port ? port->resetDevice() : FT_INVALID_HANDLE;
}

FtStatus TtyD2xx::setBaudRate(FtHandle handle, std::uint32_t baud) {
    const auto port = find(handle);
    return port ? port->setBaudRate(baud) : FT_INVALID_HANDLE;
}

FtStatus TtyD2xx::setDataCharacteristics(FtHandle handle, std::uint8_t bits, std::uint8_t stopBits,
                                         std::uint8_t parity) {
    const auto port = find(handle);
    return port ? port->setDataCharacteristics(bits, stopBits, parity) : FT_INVALID_HANDLE;
}

FtStatus TtyD2xx::setFlowControl(FtHandle handle, std::uint16_t mode, std::uint8_t xon,
                                 std::uint8_t xoff) {
    const auto port = find(handle);
    return port ? port->setFlowControl(mode, xon, xoff) : FT_INVALID_HANDLE;
}

FtStatus TtyD2xx::setTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) {
    const auto port = find(handle);
    return port ? port->setTimeouts(readMs, writeMs) : FT_INVALID_HANDLE;
}

FtStatus TtyD2xx::purge(FtHandle handle, std::uint32_t mask) {
    const auto port = find(handle);
    return port ? port->purge(mask) : FT_INVALID_HANDLE;
}

FtStatus TtyD2xx::setLatencyTimer(FtHandle handle, std::uint8_t ms) {
    const auto port = find(handle);
    return port ? port->setLatencyTimer(ms) : FT_INVALID_HANDLE;
}

FtStatus TtyD2xx::setEventNotification(FtHandle handle, std::uint32_t mask, Event* event) {
    const auto port = find(handle);
    return port ? port->setEventNotification(mask, event) : FT_INVALID_HANDLE;
}

FtStatus TtyD2xx::getQueueStatus(FtHandle handle, std::uint32_t& rxBytes) {
    const auto port = find(handle);
    return port ? port->getQueueStatus(rxBytes) : FT_INVALID_HANDLE;
}

FtStatus TtyD2xx::getStatus(FtHandle handle, std::uint32_t& rxBytes, std::uint32_t& txBytes,
                            std::uint32_t& events) {
    const auto port = find(handle);
    return port ? port->getStatus(rxBytes, txBytes, events) : FT_INVALID_HANDLE;
}

FtStatus TtyD2xx::read(FtHandle handle, std::uint8_t* buffer, std::uint32_t length,
                       std::uint32_t& bytesRead) {
    bytesRead = 0;
    const auto port = find(handle);
    return port ? port->read(buffer, length, bytesRead) : FT_INVALID_HANDLE;
}

FtStatus TtyD2xx::write(FtHandle handle, const std::uint8_t* buffer, std::uint32_t length,
                        std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    const auto port = find(handle);
    return port ? port->write(buffer, length, bytesWritten) : FT_INVALID_HANDLE;
}

} // namespace qs40

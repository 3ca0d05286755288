#include "device/d2xx/ftdi_backend.h"

#include "device/d2xx/ftdi_port.h"
#include "device/d2xx/libftdi_bus.h"
#include "device/d2xx/port_table_d2xx_impl.h"
#include "device/d2xx/tty_lock.h"

namespace qs40 {

template class PortTableD2xx<FtdiPort, std::uint32_t>;

FtdiD2xx::FtdiD2xx(std::string sysRoot)
    : FtdiD2xx(libftdiBus(sysRoot), TtyRoots{"/dev", sysRoot}) {}

FtdiD2xx::FtdiD2xx(std::unique_ptr<FtdiBus> bus, std::optional<TtyRoots> ttys)
    : bus_(std::move(bus)), ttys_(std::move(ttys)) {}

FtdiD2xx::~FtdiD2xx() = default;

FtStatus FtdiD2xx::relist(std::uint32_t* count) {
    std::vector<FtdiChannel> channels;
    const FtStatus status = bus_->list(channels);
    std::lock_guard lock(mutex_);
    listed_ = status == FT_OK ? std::move(channels) : std::vector<FtdiChannel>{};
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
    const FtStatus status = relist(&count);
    if (status != FT_OK)
        count = 0;
    return status;
}

FtStatus FtdiD2xx::listLocation(std::uint32_t index, std::uint32_t& location) {
    location = 0;
    FtdiChannel channel;
    const FtStatus status = listed(index, channel);
    if (status == FT_OK)
        location = channel.location;
    return status;
}

FtStatus FtdiD2xx::listDescription(std::uint32_t index, std::string& description) {
    description.clear();
    FtdiChannel channel;
    const FtStatus status = listed(index, channel);
    if (status == FT_OK)
        description = std::move(channel.description);
    return status;
}

std::optional<std::string> FtdiD2xx::heldTerminal(std::uint32_t location) const {
    if (!ttys_)
        return std::nullopt;
    for (const TtyDevice& tty : scanTtyUsb(*ttys_)) {
        if (tty.location == location && ttyHeldElsewhere(tty.path))
            return tty.path;
    }
    return std::nullopt;
}

FtStatus FtdiD2xx::openByLocation(std::uint32_t location, FtHandle& handle) {
    const auto sameDevice = [location](const std::uint32_t& held) { return held == location; };
    const auto open = [&](std::shared_ptr<FtdiPort>& port, OpenRefusal& refusal) -> FtStatus {
        if (auto terminal = heldTerminal(location)) {
            refusal = {OpenRefusal::Reason::InUse, std::move(*terminal)};
            return FT_DEVICE_NOT_OPENED;
        }
        std::unique_ptr<FtdiDevice> device;
        bool inUse = false;
        if (const FtStatus status = bus_->open(location, device, inUse); status != FT_OK) {
            if (inUse)
                refusal.reason = OpenRefusal::Reason::InUse;
            return status;
        }
        port = std::make_shared<FtdiPort>(std::move(device));
        return FT_OK;
    };
    return openPort(sameDevice, open, location, handle);
}

} // namespace qs40

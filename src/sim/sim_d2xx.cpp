#include "sim/sim_d2xx.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "device/d2xx/event.h"

namespace qs40::sim {

namespace {
constexpr auto kTick = std::chrono::milliseconds(1);
constexpr std::uint32_t kFirstLocation = 0x1011;
// Noise before every packet while a garbage fault lasts.
constexpr std::size_t kFaultGarbageBytes = 64;
// A checksum storm spoils every packet until it ends.
constexpr int kStormPackets = std::numeric_limits<int>::max();
} // namespace

SimD2xx::SimD2xx(SimOptions options, std::shared_ptr<const InputSignals> signals)
    : clock_(options.clock), faults_(std::move(options.faults)),
      start_(std::chrono::steady_clock::now()) {
    for (std::size_t i = 0; i < options.devices.size(); ++i) {
        Device d;
        d.kind = options.devices[i];
        d.location = kFirstLocation + static_cast<std::uint32_t>(i);
        switch (d.kind) {
        case AttachedDevice::Zr40:
            d.description = kZr40Description;
            d.instrument = std::make_unique<Instrument>(options.instrument, signals);
            break;
        case AttachedDevice::Foreign:
            d.description = kForeignDescription;
            break;
        case AttachedDevice::OldScope:
            d.description = kOldScopeDescription;
            break;
        }
        devices_.push_back(std::move(d));
    }
    for (std::size_t i = 0; i < devices_.size() && !faultTarget_; ++i) {
        if (devices_[i].instrument)
            faultTarget_ = i;
    }
    if (clock_ == SimClock::Realtime)
        ticker_ = std::thread([this] { tick(); });
}

SimD2xx::~SimD2xx() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (ticker_.joinable())
        ticker_.join();
}

SimTime SimD2xx::clockNow() const {
    if (clock_ == SimClock::Manual)
        return manualNow_;
    return std::chrono::duration_cast<SimTime>(std::chrono::steady_clock::now() - start_);
}

SimTime SimD2xx::now() const {
    std::lock_guard lock(mutex_);
    return clockNow();
}

std::size_t SimD2xx::readable(const Device& d, SimTime t) const {
    return d.instrument ? d.instrument->readable(t) : d.sent.size();
}

std::size_t SimD2xx::take(Device& d, std::uint8_t* dst, std::size_t max, SimTime t) {
    if (d.instrument)
        return d.instrument->take(dst, max, t);
    const std::size_t n = std::min(max, d.sent.size());
    if (dst != nullptr)
        std::copy_n(d.sent.begin(), n, dst);
    d.sent.erase(d.sent.begin(), d.sent.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

void SimD2xx::noteArrivals(Device& d, SimTime t) {
    const std::size_t now = readable(d, t);
    if (now > d.notifiedReadable && d.openBy != kNoHandle) {
        Handle& h = handles_.at(d.openBy);
        h.arrived = true;
        if (h.event)
            h.event->set();
    }
    d.notifiedReadable = now;
}

void SimD2xx::advanceAll(SimTime t) {
    while (const auto event = faults_.due(t)) {
        advanceDevices(event->at);
        inject(*event);
        faults_.pass();
    }
    advanceDevices(t);
}

void SimD2xx::advanceDevices(SimTime t) {
    for (Device& d : devices_) {
        if (!d.plugged || !d.instrument)
            continue;
        d.instrument->advance(t);
        noteArrivals(d, t);
    }
}

void SimD2xx::inject(const FaultEvent& event) {
    if (!faultTarget_)
        return;
    Device& d = devices_[*faultTarget_];
    Instrument& instrument = *d.instrument;
    switch (event.fault) {
    case SimFault::Unplug:
        if (event.begins)
            unplugAt(d, event.at);
        else
            replugAt(d, event.at);
        break;
    case SimFault::PowerFailure:
        instrument.setPowerFailure(event.begins);
        break;
    case SimFault::LostConfiguration:
        if (event.begins)
            instrument.loseConfiguration();
        break;
    case SimFault::ChecksumStorm:
        instrument.corruptNextPackets(event.begins ? kStormPackets : 0);
        break;
    case SimFault::Garbage:
        instrument.setGarbageBetweenPackets(event.begins ? kFaultGarbageBytes : 0);
        break;
    }
}

void SimD2xx::sync() {
    if (clock_ == SimClock::Realtime)
        advanceAll(clockNow());
}

void SimD2xx::tick() {
    Lock lock(mutex_);
    while (!stop_) {
        changed_.wait_for(lock, kTick);
        if (stop_)
            break;
        advanceAll(clockNow());
        changed_.notify_all();
    }
}

void SimD2xx::advance(SimTime dt) {
    {
        std::lock_guard lock(mutex_);
        if (clock_ != SimClock::Manual)
            return;
        manualNow_ += dt;
        advanceAll(manualNow_);
    }
    changed_.notify_all();
}

SimD2xx::Device* SimD2xx::pluggedAt(std::uint32_t index) {
    for (Device& d : devices_) {
        if (!d.plugged)
            continue;
        if (index-- == 0)
            return &d;
    }
    return nullptr;
}

FtStatus SimD2xx::lookup(FtHandle handle, Handle** h, Device** d) {
    const auto it = handles_.find(handle);
    if (it == handles_.end())
        return FT_INVALID_HANDLE;
    Device& dev = devices_[it->second.device];
    if (!dev.plugged || dev.generation != it->second.generation)
        return FT_IO_ERROR;
    *h = &it->second;
    *d = &dev;
    return FT_OK;
}

template <class F> FtStatus SimD2xx::onHandle(FtHandle handle, F&& f) {
    std::lock_guard lock(mutex_);
    sync();
    Handle* h = nullptr;
    Device* d = nullptr;
    if (const FtStatus status = lookup(handle, &h, &d); status != FT_OK)
        return status;
    return f(*h, *d);
}

FtStatus SimD2xx::listDeviceCount(std::uint32_t& count) {
    std::lock_guard lock(mutex_);
    count = static_cast<std::uint32_t>(
        std::count_if(devices_.begin(), devices_.end(), [](const Device& d) { return d.plugged; }));
    return FT_OK;
}

FtStatus SimD2xx::listLocation(std::uint32_t index, std::uint32_t& location) {
    location = 0;
    std::lock_guard lock(mutex_);
    const Device* d = pluggedAt(index);
    if (!d)
        return FT_DEVICE_NOT_FOUND;
    location = d->location;
    return FT_OK;
}

FtStatus SimD2xx::listDescription(std::uint32_t index, std::string& description) {
    description.clear();
    std::lock_guard lock(mutex_);
    const Device* d = pluggedAt(index);
    if (!d)
        return FT_DEVICE_NOT_FOUND;
    description = d->description.substr(0, kDescriptionBufferSize - 1);
    return FT_OK;
}

FtStatus SimD2xx::openByLocation(std::uint32_t location, FtHandle& handle) {
    handle = kNoHandle;
    std::lock_guard lock(mutex_);
    sync();
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        Device& d = devices_[i];
        if (!d.plugged || d.location != location)
            continue;
        if (d.openBy != kNoHandle)
            return FT_DEVICE_NOT_OPENED;
        if (nextHandle_ == kNoHandle)
            ++nextHandle_;
        handle = nextHandle_++;
        Handle& h = handles_[handle];
        h.device = i;
        h.generation = d.generation;
        d.openBy = handle;
        d.notifiedReadable = readable(d, clockNow());
        return FT_OK;
    }
    return FT_DEVICE_NOT_FOUND;
}

FtStatus SimD2xx::close(FtHandle handle) {
    {
        std::lock_guard lock(mutex_);
        const auto it = handles_.find(handle);
        if (it == handles_.end())
            return FT_INVALID_HANDLE;
        Device& d = devices_[it->second.device];
        if (d.openBy == handle)
            d.openBy = kNoHandle;
        handles_.erase(it);
    }
    changed_.notify_all(); // a read waiting on this handle gives up
    return FT_OK;
}

// The bridge's buffers are emptied; the instrument itself is not reset.
FtStatus SimD2xx::resetDevice(FtHandle handle) {
    return onHandle(handle, [this](Handle&, Device& d) {
        const SimTime t = clockNow();
        take(d, nullptr, readable(d, t), t);
        d.notifiedReadable = 0;
        return FT_OK;
    });
}

FtStatus SimD2xx::setBaudRate(FtHandle handle, std::uint32_t baud) {
    return onHandle(handle, [&](Handle& h, Device&) {
        if (baud == 0)
            return FT_INVALID_BAUD_RATE;
        h.baud = baud;
        return FT_OK;
    });
}

FtStatus SimD2xx::setDataCharacteristics(FtHandle handle, std::uint8_t, std::uint8_t,
                                         std::uint8_t) {
    return onHandle(handle, [](Handle&, Device&) { return FT_OK; });
}

FtStatus SimD2xx::setFlowControl(FtHandle handle, std::uint16_t, std::uint8_t, std::uint8_t) {
    return onHandle(handle, [](Handle&, Device&) { return FT_OK; });
}

FtStatus SimD2xx::setTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) {
    return onHandle(handle, [&](Handle& h, Device&) {
        h.readTimeoutMs = readMs;
        h.writeTimeoutMs = writeMs;
        return FT_OK;
    });
}

FtStatus SimD2xx::purge(FtHandle handle, std::uint32_t mask) {
    return onHandle(handle, [&](Handle&, Device& d) {
        if ((mask & (FT_PURGE_RX | FT_PURGE_TX)) == 0)
            return FT_INVALID_PARAMETER;
        // Receive: what has crossed the line is dropped; bytes still on their way arrive later.
        if (mask & FT_PURGE_RX) {
            const SimTime t = clockNow();
            take(d, nullptr, readable(d, t), t);
            d.notifiedReadable = 0;
        }
        return FT_OK; // writes are delivered at once: nothing to purge on the transmit side
    });
}

FtStatus SimD2xx::setLatencyTimer(FtHandle handle, std::uint8_t ms) {
    return onHandle(handle, [&](Handle& h, Device&) {
        h.latencyMs = ms;
        return FT_OK;
    });
}

FtStatus SimD2xx::setEventNotification(FtHandle handle, std::uint32_t mask, Event* event) {
    return onHandle(handle, [&](Handle& h, Device& d) {
        h.event = (mask & FT_EVENT_RXCHAR) ? event : nullptr;
        if (h.event && readable(d, clockNow()) > 0)
            h.event->set();
        return FT_OK;
    });
}

FtStatus SimD2xx::getQueueStatus(FtHandle handle, std::uint32_t& rxBytes) {
    rxBytes = 0;
    return onHandle(handle, [&](Handle&, Device& d) {
        rxBytes = static_cast<std::uint32_t>(readable(d, clockNow()));
        return FT_OK;
    });
}

FtStatus SimD2xx::getStatus(FtHandle handle, std::uint32_t& rxBytes, std::uint32_t& txBytes,
                            std::uint32_t& events) {
    rxBytes = txBytes = events = 0;
    return onHandle(handle, [&](Handle& h, Device& d) {
        rxBytes = static_cast<std::uint32_t>(readable(d, clockNow()));
        if (std::exchange(h.arrived, false))
            events = FT_EVENT_RXCHAR;
        return FT_OK;
    });
}

FtStatus SimD2xx::read(FtHandle handle, std::uint8_t* buffer, std::uint32_t length,
                       std::uint32_t& bytesRead) {
    bytesRead = 0;
    Lock lock(mutex_);
    sync();
    Handle* h = nullptr;
    Device* d = nullptr;
    FtStatus status = lookup(handle, &h, &d);
    if (status == FT_OK && length != 0 && buffer == nullptr)
        return FT_INVALID_PARAMETER;
    if (status == FT_OK && clock_ == SimClock::Realtime) {
        const auto ready = [&] {
            if (stop_ || lookup(handle, &h, &d) != FT_OK)
                return true;
            return readable(*d, clockNow()) >= length;
        };
        if (h->readTimeoutMs == 0)
            changed_.wait(lock, ready);
        else
            changed_.wait_for(lock, std::chrono::milliseconds(h->readTimeoutMs), ready);
        status = lookup(handle, &h, &d);
    }
    if (status == FT_IO_ERROR) {
        // What arrived before the device went is still read; then the loss shows.
        std::deque<std::uint8_t>& leftover = handles_.at(handle).leftover;
        if (leftover.empty())
            return FT_IO_ERROR;
        const std::size_t n = std::min<std::size_t>(length, leftover.size());
        std::copy_n(leftover.begin(), n, buffer);
        leftover.erase(leftover.begin(), leftover.begin() + static_cast<std::ptrdiff_t>(n));
        bytesRead = static_cast<std::uint32_t>(n);
        return FT_OK;
    }
    if (status != FT_OK)
        return status;
    const SimTime t = clockNow();
    bytesRead = static_cast<std::uint32_t>(take(*d, buffer, length, t));
    d->notifiedReadable = readable(*d, t);
    return FT_OK;
}

FtStatus SimD2xx::write(FtHandle handle, const std::uint8_t* buffer, std::uint32_t length,
                        std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    return onHandle(handle, [&](Handle&, Device& d) {
        if (length != 0 && buffer == nullptr)
            return FT_INVALID_PARAMETER;
        const std::uint32_t n = writeLimit_ ? std::min(length, writeLimit_) : length;
        if (d.instrument)
            d.instrument->receive({buffer, n}, clockNow());
        else
            d.written.insert(d.written.end(), buffer, buffer + n);
        bytesWritten = n;
        return FT_OK;
    });
}

FtStatus SimD2xx::resetPort(FtHandle handle) {
    const FtStatus status = onHandle(handle, [&](Handle&, Device& d) {
        // The device drops off the bus and comes back: every handle on it is finished, and
        // what it had sent is gone.
        const SimTime t = clockNow();
        take(d, nullptr, readable(d, t), t);
        ++d.generation;
        d.openBy = kNoHandle;
        d.notifiedReadable = 0;
        if (d.instrument)
            d.instrument->powerCycle(t);
        return FT_OK;
    });
    changed_.notify_all();
    return status;
}

void SimD2xx::unplug(std::size_t device) {
    {
        std::lock_guard lock(mutex_);
        sync();
        unplugAt(devices_.at(device), clockNow());
    }
    changed_.notify_all();
}

void SimD2xx::replug(std::size_t device) {
    std::lock_guard lock(mutex_);
    sync();
    replugAt(devices_.at(device), clockNow());
}

void SimD2xx::unplugAt(Device& d, SimTime t) {
    if (!d.plugged)
        return;
    if (d.openBy != kNoHandle) {
        // Bytes that crossed the line are in the host's buffers; the rest is lost.
        std::vector<std::uint8_t> bytes(readable(d, t));
        take(d, bytes.data(), bytes.size(), t);
        handles_.at(d.openBy).leftover.assign(bytes.begin(), bytes.end());
    }
    d.plugged = false;
    d.sent.clear();
    ++d.generation;
    d.openBy = kNoHandle;
    d.notifiedReadable = 0;
}

void SimD2xx::replugAt(Device& d, SimTime t) {
    if (d.plugged)
        return;
    d.plugged = true;
    d.written.clear();
    if (d.instrument)
        d.instrument->powerCycle(t);
}

bool SimD2xx::withInstrument(std::size_t device, const std::function<void(Instrument&)>& f) {
    std::lock_guard lock(mutex_);
    sync();
    Device& d = devices_.at(device);
    if (!d.instrument)
        return false;
    f(*d.instrument);
    return true;
}

void SimD2xx::setWriteLimit(std::uint32_t bytes) {
    std::lock_guard lock(mutex_);
    writeLimit_ = bytes;
}

void SimD2xx::sendFrom(std::size_t device, std::span<const std::uint8_t> bytes) {
    {
        std::lock_guard lock(mutex_);
        sync();
        Device& d = devices_.at(device);
        if (!d.plugged || d.instrument)
            return;
        d.sent.insert(d.sent.end(), bytes.begin(), bytes.end());
        noteArrivals(d, clockNow());
    }
    changed_.notify_all();
}

std::vector<std::uint8_t> SimD2xx::takeWritten(std::size_t device) {
    std::lock_guard lock(mutex_);
    return std::exchange(devices_.at(device).written, {});
}

} // namespace qs40::sim

// The D2XX interface over simulated USB devices: the ZR40 instrument model, a foreign FTDI
// device and the older oscilloscope, as the options list them. The two that are not the
// instrument never answer by themselves; a test may play their other end (sendFrom,
// takeWritten).
//
// Keeps the promises of d2xx.h: every call takes one lock; handles are numbers that are never
// reused; unplug() loses the device and resetPort() finishes the handle (FT_IO_ERROR from every
// call but close, reads first giving what arrived before an unplug).
//
// With SimClock::Realtime a background thread moves simulated time with the wall clock and reads
// wait up to the read time-out (0: without limit) for the bytes asked for. With SimClock::Manual
// time moves only in advance(), so a read cannot wait for bytes: it returns at once with what is
// readable, whatever the time-out.
//
// The faults of the options' plan (fault_schedule.h) happen to the first instrument at their
// simulated times, on either clock, as unplug() and the Instrument's fault calls make them.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "device/d2xx/d2xx.h"
#include "sim/fault_schedule.h"
#include "sim/instrument.h"
#include "sim/sim_options.h"

namespace qs40::sim {

class SimD2xx : public D2xx {
public:
    explicit SimD2xx(SimOptions options = {},
                     std::shared_ptr<const InputSignals> signals = nullptr);
    ~SimD2xx() override;
    SimD2xx(const SimD2xx&) = delete;
    SimD2xx& operator=(const SimD2xx&) = delete;

    FtStatus listDeviceCount(std::uint32_t& count) override;
    FtStatus listLocation(std::uint32_t index, std::uint32_t& location) override;
    FtStatus listDescription(std::uint32_t index, std::string& description) override;
    FtStatus openByLocation(std::uint32_t location, FtHandle& handle) override;
    FtStatus close(FtHandle handle) override;
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
    FtStatus resetPort(FtHandle handle) override;

    // Manual clock: moves simulated time on; what the instruments send by then becomes
    // readable. Ignored with the realtime clock.
    void advance(SimTime dt);
    SimTime now() const;

    // Devices are numbered in the options' order, plugged or not.
    std::size_t deviceCount() const { return devices_.size(); }
    std::uint32_t location(std::size_t device) const { return devices_.at(device).location; }
    void unplug(std::size_t device);
    void replug(std::size_t device);
    // Runs f(Instrument&) under the lock; false for a device without an instrument.
    bool withInstrument(std::size_t device, const std::function<void(Instrument&)>& f);
    // Most bytes one write accepts, to exercise short writes; 0 for no limit.
    void setWriteLimit(std::uint32_t bytes);
    // The other end of a device without instrument: bytes it sends now (ignored while it is
    // unplugged), and the bytes written to it since the last call.
    void sendFrom(std::size_t device, std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> takeWritten(std::size_t device);

private:
    struct Device {
        AttachedDevice kind;
        std::uint32_t location;
        std::string description;
        std::unique_ptr<Instrument> instrument; // none for devices that never answer
        std::deque<std::uint8_t> sent;          // by a device without instrument, unread
        std::vector<std::uint8_t> written;      // to a device without instrument
        bool plugged = true;
        std::uint32_t generation = 0; // bumped by unplug and port reset
        FtHandle openBy = kNoHandle;
        std::size_t notifiedReadable = 0;
    };
    struct Handle {
        std::size_t device = 0;
        std::uint32_t generation = 0;
        Event* event = nullptr;
        bool arrived = false;              // bytes arrived since the last getStatus
        std::deque<std::uint8_t> leftover; // received before the device was unplugged
        std::uint32_t readTimeoutMs = 0;
        std::uint32_t writeTimeoutMs = 0;
        std::uint32_t baud = 9600;
        std::uint8_t latencyMs = 16;
    };
    using Lock = std::unique_lock<std::mutex>;

    SimTime clockNow() const;
    void sync(); // realtime: catch the instruments up with the wall clock
    // Under the lock: the instruments up to t, and the faults due by then at their times.
    void advanceAll(SimTime t);
    void advanceDevices(SimTime t);
    void inject(const FaultEvent& event);
    void unplugAt(Device& d, SimTime t);
    void replugAt(Device& d, SimTime t);
    Device* pluggedAt(std::uint32_t index);
    std::size_t readable(const Device& d, SimTime t) const;
    // Takes up to max readable bytes (into dst unless it is null).
    std::size_t take(Device& d, std::uint8_t* dst, std::size_t max, SimTime t);
    // Tells the handle on d of bytes that became readable since it was last told.
    void noteArrivals(Device& d, SimTime t);
    // FT_OK with *h and *d set, FT_INVALID_HANDLE or FT_IO_ERROR.
    FtStatus lookup(FtHandle handle, Handle** h, Device** d);
    template <class F> FtStatus onHandle(FtHandle handle, F&& f);
    void tick();

    const SimClock clock_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Device> devices_;
    FaultSchedule faults_;
    std::optional<std::size_t> faultTarget_; // the first device with an instrument
    std::map<FtHandle, Handle> handles_;
    FtHandle nextHandle_ = 1;
    std::uint32_t writeLimit_ = 0;
    SimTime manualNow_{0};
    std::chrono::steady_clock::time_point start_;
    bool stop_ = false;
    std::thread ticker_;
};

} // namespace qs40::sim

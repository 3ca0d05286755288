// What the GUI thread and the acquisition thread share about the instrument link: single-value
// requests and flags (atomics, set by one side and cleared by the consumer) and the values the
// instrument reports about itself (a small record under a mutex, copied whole by readers).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "device/d2xx/d2xx.h"
#include "device/link/protocol_packet.h"

namespace qs40 {

// Link faults with their recovery codes.
enum class LinkFault : std::uint8_t {
    ConnectionLost = 1,
    FpgaConfigurationFailure = 2,
    PowerFailure = 3,
    FpgaConfigurationLost = 4,
};
inline constexpr int kLinkFaultCount = 4;

// Values taken from the instrument's status packets.
struct InstrumentReport {
    std::int32_t firmwareVersion = -1; // -1 until reported
    std::int32_t fpgaVersion = -1;
    bool versionsValid = false;
    std::uint16_t featureWord = 0; // the instrument's variant code
    std::uint32_t serialNumber = 0;
    std::uint16_t serialPrefix = 0;
    TdcConstants tdc{};
    bool tdcValid = false;
    std::int32_t vcc = 0; // hundredths of a volt
    bool vccValid = false;
    // Frequency meter, kept while acquiring, with the calibration value Time of that moment.
    std::uint8_t freqRange = 0;
    std::uint32_t freqCount1 = 0;
    std::uint32_t freqCount2 = 0;
    std::int32_t freqTime = 0;
};

class InstrumentReportBox {
public:
    InstrumentReport get() const {
        std::lock_guard lock(mutex_);
        return report_;
    }
    template <class F> void update(F&& f) {
        std::lock_guard lock(mutex_);
        f(report_);
    }

private:
    mutable std::mutex mutex_;
    InstrumentReport report_;
};

struct LinkState {
    std::atomic<bool> linkUp{false};
    std::array<std::atomic<bool>, kLinkFaultCount> faults{};
    std::atomic<bool> identityReceived{false};
    std::atomic<bool> statusActivity{false};     // a valid status packet since the last look
    std::atomic<bool> statusReadyRequest{false}; // redraw the activity indicator
    std::atomic<bool> displayRequest{false};
    std::atomic<bool> running{false};
    std::atomic<bool> single{false};
    // Requests to the acquisition thread: send the parameter packet; load the FPGA image.
    std::atomic<bool> sendParametersRequest{false};
    std::atomic<bool> configureRequest{false};
    // The last D2XX status of the open, the probe or a parameter send.
    std::atomic<FtStatus> linkStatus{FT_OK};
    std::atomic<std::uint32_t> checksumErrors{0}; // frame check byte mismatches, running count
    // Sequence number of the last parameter packet built; frames must echo it.
    std::atomic<std::uint8_t> parameterSequence{0};
    // The frequency-meter calibration value Time, published by the GUI thread.
    std::atomic<std::int32_t> freqMeterTime{0};

    // TDC constants to store in the instrument with the next parameter packet.
    std::atomic<bool> tdcWriteRequest{false};
    TdcConstants tdcToWrite() const {
        std::lock_guard lock(tdcMutex_);
        return tdcToWrite_;
    }
    void setTdcToWrite(const TdcConstants& c) {
        std::lock_guard lock(tdcMutex_);
        tdcToWrite_ = c;
    }

    InstrumentReportBox report;

    void raise(LinkFault f) { faults[index(f)].store(true); }
    bool raised(LinkFault f) const { return faults[index(f)].load(); }
    void clearFaults() {
        for (auto& f : faults)
            f.store(false);
    }

private:
    static std::size_t index(LinkFault f) { return static_cast<std::size_t>(f) - 1; }
    mutable std::mutex tdcMutex_;
    TdcConstants tdcToWrite_{};
};

} // namespace qs40

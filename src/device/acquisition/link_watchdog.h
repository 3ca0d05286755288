// The link watchdog, run by the GUI's one-second timer: publishes the per-second counters,
// probes the link, warns of an unstable link and offers recovery from the link faults 1..4.
// What the front panel has to do afterwards (release buttons, apply-and-start) is returned to
// the caller, which owns the controls.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "device/acquisition/acquisition_flags.h"
#include "device/link/link_state.h"
#include "device/link/protocol_session.h"
#include "device/link/usb_link.h"
#include "scope/ui_port.h"

namespace qs40 {

// Frames drawn (F), frames decoded (L) and frame checksum errors (E) of one second.
struct SecondCounters {
    std::uint32_t drawn = 0;
    std::uint32_t decoded = 0;
    std::uint32_t checksumErrors = 0;
};

struct WatchdogOutcome {
    SecondCounters counters; // published by this tick
    // A previous tick was still inside its boxes: this one only published the counters.
    bool skipped = false;
    // Put SpeedButton_Run, SpeedButton_Sngl and SpeedButton_GenOn up (the instrument is closed).
    bool releaseButtons = false;
    // The instrument was opened again: run the apply-and-start operation.
    bool applyAndStart = false;
};

class LinkWatchdog {
public:
    // The pause after the port reset before the instrument is opened again.
    static constexpr std::chrono::milliseconds kResetPause{1000};

    LinkWatchdog(LinkState& link, AcquisitionFlags& flags, UsbLink& usb, Ui& ui);

    void setPause(PauseFunction pause) { pause_ = std::move(pause); }
    // Mark the instance busy while a tick runs its checks, and idle afterwards.
    void setBusyHooks(std::function<void()> busy, std::function<void()> idle) {
        busy_ = std::move(busy);
        idle_ = std::move(idle);
    }

    // One tick: GUI thread, every 1000 ms.
    WatchdogOutcome tick(bool russian);

    // The counters the last tick published ("F/L/E = ").
    SecondCounters shown() const { return shown_; }

private:
    void recover(bool yes, bool russian, WatchdogOutcome& outcome);

    LinkState& link_;
    AcquisitionFlags& flags_;
    UsbLink& usb_;
    Ui& ui_;
    PauseFunction pause_;
    std::function<void()> busy_;
    std::function<void()> idle_;
    SecondCounters shown_;
    bool inTick_ = false; // the boxes of a tick are open
};

} // namespace qs40

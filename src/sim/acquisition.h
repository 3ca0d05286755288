// How the instrument takes a frame: the sample clock (divider x 10 ns), the trigger (source,
// edge, thresholds with hysteresis, count, auto), peak-detect pairs, and the roll stream with its
// moving write pointer. It samples an InputSignals through the analog front end and hands back
// the entries per channel plus the tail values that describe them.
//
// Not modelled yet: AC coupling and the generator output.
#pragma once

#include <cstdint>
#include <optional>

#include "device/protocol_packet.h"
#include "sim/analog_front_end.h"
#include "sim/input_signals.h"
#include "sim/instrument_registers.h"
#include "sim/sample_packer.h"
#include "sim/sim_time.h"

namespace qs40::sim {

struct AcquiredFrame {
    FrameSamples samples;             // recordLength entries per carried channel
    std::uint8_t streamFlags = 0;     // tail byte 0
    std::uint16_t writePointer = 0;   // in entries
    std::uint16_t triggerPointer = 0; // in entries
    std::uint32_t triggerTime = 0;    // 10 ns clock ticks from the crossing to the trigger sample
    std::uint8_t beforeCrossing = 0;  // analog source: code before and at the trigger sample
    std::uint8_t afterCrossing = 0;
    std::uint8_t tdcCount = 0; // digital source: where the edge fell within 10 ns
};

class Acquisition {
public:
    Acquisition(const InputSignals& signals, const AnalogFrontEnd& frontEnd);

    // New settings: the record starts again (a roll stream starts filling again at `now`).
    void restart(const InstrumentSettings& settings, SimTime now);
    // The TDC steps per 10 ns of each digital input and edge (D1 rise, D1 fall, D2 rise, D2 fall).
    void setTdcSteps(const TdcConstants& steps) { tdcSteps_ = steps; }

    // The frame sent at `now`; none when the trigger did not come (normal mode).
    std::optional<AcquiredFrame> take(SimTime now);

    // How long one record takes to fill.
    SimTime recordDuration() const;

private:
    struct Trigger {
        SimTime sampleTime; // time of the first sample past the crossing
        double crossingNs;  // the crossing itself, finer than the clock
    };
    std::optional<Trigger> findTrigger(SimTime from) const;
    // Phase 0: the arming condition; 1: the firing condition. t in seconds.
    bool beyond(int phase, double t) const;
    double refineCrossingNs(SimTime before, SimTime after) const;
    void sample(AcquiredFrame& f, SimTime first) const;
    void sampleRoll(AcquiredFrame& f, SimTime now) const;
    double levelAt(double t) const; // trigger source: code or logic level

    const InputSignals& signals_;
    const AnalogFrontEnd& frontEnd_;
    InstrumentSettings settings_;
    ChannelTransfer transfer_[2]{};
    std::uint8_t channels_ = 0;
    std::int64_t dtNs_ = 10;
    std::size_t entries_ = 0;   // entries per channel
    std::size_t positions_ = 0; // sample positions (entries / 2 with pairs)
    SimTime start_{0};
    SimTime searchFrom_{0};
    TdcConstants tdcSteps_{20, 20, 20, 20};
};

} // namespace qs40::sim

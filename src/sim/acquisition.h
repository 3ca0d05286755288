// How the instrument takes a frame. The ADC and the trigger comparator run on the 100 MHz clock;
// every `divider` ticks one sample goes into a circular record of the record length, so that a
// sample's place in the ring is its index (instant / sample interval) modulo the ring length.
//
// Triggered records: after the pre-trigger samples are in, the comparator (trigger_search.h)
// waits for the N-th edge of the source on the thresholds. The trigger sample P is the last
// sample at or before the clock tick that precedes the crossing; the tail reports its ring place
// (T), the write pointer after the post-trigger samples (W), the ticks C from sample P to the
// tick before the crossing, and for an analog source the ADC codes at that tick and the next
// (b, a), for a digital source the TDC count: the steps of its delay line, rounded, from the
// edge to the next tick. So the host's fine offset, (C + s) x 10 / divider tenths with
// s = (threshold - b) / (a - b) or 1 - TDC count / steps per tick, is where the crossing falls
// after sample P. In auto mode a record without trigger follows when no edge came within
// kAutoTimeout; without a trigger count records run free. Free records start with the
// generator's sweep when it sweeps.
//
// Peak detection: each sample position holds the smallest and the largest value seen over its
// sample period (up to 16 looks spread over it). Without pairs the logic inputs are latched half
// a sample period before the ADC sample of the same index, which is why the host adds half a
// sample to a digital trigger's fine offset when the frame has no pairs.
//
// Roll: the ring fills in real time from the restart; a frame carries the whole ring, the write
// pointer where the next sample goes and the complete flag once every place holds a sample. With
// the free-running roll bit clear the ring stops when it is full.
//
// AC coupling removes the input's mean level. The ADC adds a little noise of its own (uniform,
// in codes), so that the mean of a flat input resolves fractions of a code.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>

#include "device/link/protocol_packet.h"
#include "sim/analog_front_end.h"
#include "sim/input_signals.h"
#include "sim/instrument_registers.h"
#include "sim/sample_packer.h"
#include "sim/sim_time.h"
#include "sim/trigger_search.h"

namespace qs40::sim {

// What really happened in a frame, for checks against what the host makes of it.
struct FrameTruth {
    SimTime sampleInterval{0};
    SimTime triggerSample{0}; // instant of the (analog) sample at the trigger position
    SimTime armedAt{0};       // from when the trigger could fire
    double crossingNs = std::numeric_limits<double>::quiet_NaN(); // NaN: no trigger
};

struct AcquiredFrame {
    FrameSamples samples;             // entries per carried channel, in ring order
    std::uint8_t streamFlags = 0;     // tail byte 0
    std::uint16_t writePointer = 0;   // in entries
    std::uint16_t triggerPointer = 0; // in entries
    std::uint32_t triggerTime = 0;   // C: clock ticks from sample P to the tick before the crossing
    std::uint8_t beforeCrossing = 0; // analog source: ADC codes at that tick and the next
    std::uint8_t afterCrossing = 0;
    std::uint8_t tdcCount = 0; // digital source
    SimTime completeAt{0};     // when the last sample is in: the frame can go out
    FrameTruth truth;
};

class Acquisition {
public:
    static constexpr SimTime kAutoTimeout = std::chrono::milliseconds(100);

    Acquisition(const InputSignals& signals, const AnalogFrontEnd& frontEnd);

    // New settings: the record starts again (a roll stream starts filling again at `now`).
    void restart(const InstrumentSettings& settings, SimTime now);
    // The TDC steps per 10 ns of each digital input and edge (D1 rise, D1 fall, D2 rise, D2 fall).
    void setTdcSteps(const TdcConstants& steps) { tdcSteps_ = steps; }
    // Peak noise of the ADC in codes (uniform); 0 for none.
    void setNoise(double codes) { noise_ = codes; }
    // Free-running records put their trigger position on origin + k x period; 0 for any sample.
    void alignFreeRunning(SimTime origin, SimTime period);

    // A frame is due at `now`: the record that starts then, complete at its completeAt (for a
    // trigger, possibly later than `now`). None when no trigger came yet (normal mode, or auto
    // mode before its time-out): call again later.
    std::optional<AcquiredFrame> take(SimTime now);

    SimTime sampleInterval() const { return dt_; }
    SimTime gridStart() const { return start_; } // the first sample instant after the restart
    SimTime recordDuration() const;

private:
    bool pairs() const { return perPosition_ == 2; }
    int triggerChannel() const { return (settings_.modeBits & 0x04) ? 1 : 0; }
    bool digitalTrigger() const { return (settings_.modeBits & 0x02) != 0; }
    bool fallingEdge() const { return (settings_.modeBits & 0x10) != 0; }

    void updateCoupling();
    int comparatorCode(double ns) const;
    std::uint8_t sampleCode(int ch, double ns) const;
    void samplePosition(std::int64_t index, std::size_t place, FrameSamples& out) const;
    FrameSamples emptyRecord() const;

    std::optional<AcquiredFrame> triggeredFrame(SimTime now);
    AcquiredFrame record(std::int64_t triggerIndex) const;
    std::int64_t freeTriggerIndex(SimTime earliest) const;
    AcquiredFrame rollFrame(SimTime now);

    const InputSignals& signals_;
    const AnalogFrontEnd& frontEnd_;
    InstrumentSettings settings_;
    ChannelTransfer transfer_[2]{};
    double dc_[2]{}; // removed by AC coupling
    std::uint8_t channels_ = 0;
    std::int64_t divider_ = 1;
    SimTime dt_{10};
    std::size_t entries_ = 0;   // entries per channel
    std::size_t positions_ = 0; // sample positions (entries / 2 with pairs)
    int perPosition_ = 1;
    std::int64_t prePositions_ = 0;
    SimTime start_{0};
    SimTime nextRecord_{0}; // records do not overlap
    TdcConstants tdcSteps_{20, 20, 20, 20};
    double noise_ = 0;
    SimTime alignOrigin_{0}, alignPeriod_{0};

    // Triggered acquisition: armed from the first call until its frame is taken.
    bool armed_ = false;
    SimTime armedAt_{0};
    TriggerSearch search_;

    // Roll: the ring and how many positions were written since the restart.
    FrameSamples ring_;
    std::int64_t rollTaken_ = 0;
};

} // namespace qs40::sim

#include "sim/acquisition.h"

#include <algorithm>
#include <cmath>

#include "device/link/protocol_layout.h"
#include "sim/waveform.h"

namespace qs40::sim {

namespace {

constexpr std::int64_t kTickNs = 10;
constexpr int kMaxPairLooks = 16;
// Trigger search: looks per call, and how far ahead of `now` a call may look.
constexpr std::int64_t kSearchLooks = 65536;
constexpr SimTime kMinLookahead = std::chrono::milliseconds(5);
constexpr std::uint64_t kNoiseSeed = 0xAD0C0DEull;

SimTime ceilTo(SimTime t, SimTime step) {
    const std::int64_t n = t.count(), s = step.count();
    return SimTime((n + s - 1) / s * s);
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

std::int64_t floorMod(std::int64_t a, std::int64_t b) {
    return a - floorDiv(a, b) * b;
}

} // namespace

Acquisition::Acquisition(const InputSignals& signals, const AnalogFrontEnd& frontEnd)
    : signals_(signals), frontEnd_(frontEnd) {}

void Acquisition::restart(const InstrumentSettings& s, SimTime now) {
    settings_ = s;
    transfer_[0] = frontEnd_.transfer(0, s.inputA1, s.offsetA1);
    transfer_[1] = frontEnd_.transfer(1, s.inputA2, s.offsetA2);
    channels_ = carriedChannels(s.runBits, s.routingBits);
    divider_ = std::max<std::int64_t>(1, s.divider);
    dt_ = SimTime(kTickNs * divider_);
    // The ring pointers are 16-bit: no record is longer than they can reach.
    entries_ = std::min<std::size_t>(static_cast<std::size_t>(s.recordLength()), 0xFFFF);
    perPosition_ = s.peakPairs() ? 2 : 1;
    positions_ = entries_ / static_cast<std::size_t>(perPosition_);
    prePositions_ =
        std::min<std::int64_t>(s.preTrigger / perPosition_, static_cast<std::int64_t>(positions_));
    start_ = ceilTo(now, dt_);
    nextRecord_ = start_;
    armed_ = false;
    alignPeriod_ = SimTime{0};
    updateCoupling();
    ring_ = emptyRecord();
    rollTaken_ = 0;
}

void Acquisition::alignFreeRunning(SimTime origin, SimTime period) {
    alignOrigin_ = origin;
    alignPeriod_ = period;
}

SimTime Acquisition::recordDuration() const {
    return dt_ * static_cast<std::int64_t>(positions_);
}

void Acquisition::updateCoupling() {
    for (int ch = 0; ch < 2; ++ch) {
        const std::uint8_t input = ch == 0 ? settings_.inputA1 : settings_.inputA2;
        dc_[ch] = AnalogFrontEnd::acCoupled(input) ? signals_.dcLevel(ch) : 0.0;
    }
}

int Acquisition::comparatorCode(double ns) const {
    const int ch = triggerChannel();
    if (digitalTrigger())
        return signals_.digital(ch, ns * 1e-9) ? 1 : 0;
    const ChannelTransfer& k = transfer_[ch];
    const double level = k.zero + (signals_.analog(ch, ns * 1e-9) - dc_[ch]) * k.codesPerVolt;
    return static_cast<int>(std::clamp(std::round(level), 0.0, 255.0));
}

std::uint8_t Acquisition::sampleCode(int ch, double ns) const {
    const ChannelTransfer& k = transfer_[ch];
    double level = k.zero + (signals_.analog(ch, ns * 1e-9) - dc_[ch]) * k.codesPerVolt;
    if (noise_ > 0)
        level += noise_ * noiseValue(kNoiseSeed + ch, static_cast<std::int64_t>(std::floor(ns)));
    return static_cast<std::uint8_t>(std::clamp(std::round(level), 0.0, 254.0));
}

FrameSamples Acquisition::emptyRecord() const {
    FrameSamples f;
    for (int ch = 0; ch < 2; ++ch) {
        if (channels_ & (kChannelA1 << ch))
            f.analog[ch].assign(entries_, static_cast<std::uint8_t>(std::clamp(
                                              std::round(transfer_[ch].zero), 0.0, 254.0)));
        if (channels_ & (kChannelD1 << ch))
            f.digital[ch].assign(entries_, 0);
    }
    return f;
}

// Sample `index` (its instant is index x the sample interval) into ring place `place`.
void Acquisition::samplePosition(std::int64_t index, std::size_t place, FrameSamples& out) const {
    const double t0 = static_cast<double>(index * dt_.count());
    const std::size_t at = place * static_cast<std::size_t>(perPosition_);
    if (!pairs()) {
        for (int ch = 0; ch < 2; ++ch) {
            if (!out.analog[ch].empty())
                out.analog[ch][at] = sampleCode(ch, t0);
            if (!out.digital[ch].empty())
                out.digital[ch][at] =
                    signals_.digital(ch, (t0 - static_cast<double>(dt_.count()) / 2) * 1e-9);
        }
        return;
    }
    const std::int64_t looks = std::min<std::int64_t>(divider_, kMaxPairLooks);
    for (int ch = 0; ch < 2; ++ch) {
        const bool analog = !out.analog[ch].empty(), digital = !out.digital[ch].empty();
        std::uint8_t aLow = 255, aHigh = 0, dLow = 1, dHigh = 0;
        for (std::int64_t i = 0; i < looks && (analog || digital); ++i) {
            const double t = t0 + static_cast<double>(i * divider_ / looks * kTickNs);
            if (analog) {
                const std::uint8_t c = sampleCode(ch, t);
                aLow = std::min(aLow, c);
                aHigh = std::max(aHigh, c);
            }
            if (digital) {
                const std::uint8_t b = signals_.digital(ch, t * 1e-9) ? 1 : 0;
                dLow = std::min(dLow, b);
                dHigh = std::max(dHigh, b);
            }
        }
        if (analog) {
            out.analog[ch][at] = aLow;
            out.analog[ch][at + 1] = aHigh;
        }
        if (digital) {
            out.digital[ch][at] = dLow;
            out.digital[ch][at + 1] = dHigh;
        }
    }
}

// The record whose trigger position holds sample `triggerIndex`, in ring order.
AcquiredFrame Acquisition::record(std::int64_t triggerIndex) const {
    AcquiredFrame f;
    f.samples = emptyRecord();
    const auto m = static_cast<std::int64_t>(positions_);
    const std::int64_t first = triggerIndex - prePositions_;
    for (std::int64_t j = first; j < first + m; ++j)
        samplePosition(j, static_cast<std::size_t>(floorMod(j, m)), f.samples);
    if (m > 0) {
        f.triggerPointer = static_cast<std::uint16_t>(floorMod(triggerIndex, m) * perPosition_);
        f.writePointer = static_cast<std::uint16_t>(floorMod(first, m) * perPosition_);
    }
    f.completeAt = dt_ * (first + m);
    f.truth.sampleInterval = dt_;
    f.truth.triggerSample = dt_ * triggerIndex;
    return f;
}

std::int64_t Acquisition::freeTriggerIndex(SimTime earliest) const {
    SimTime t = ceilTo(earliest, dt_);
    if (alignPeriod_ > SimTime{0}) {
        const SimTime from = std::max(t, alignOrigin_);
        t = alignOrigin_ + ceilTo(from - alignOrigin_, alignPeriod_);
    }
    return t / dt_;
}

std::optional<AcquiredFrame> Acquisition::triggeredFrame(SimTime now) {
    if (!armed_) {
        armed_ = true;
        armedAt_ = ceilTo(std::max(now, nextRecord_), dt_) + dt_ * prePositions_;
        TriggerEdge edge;
        edge.digital = digitalTrigger();
        edge.falling = fallingEdge();
        edge.lower = settings_.thresholds[2 * static_cast<std::size_t>(triggerChannel())];
        edge.upper = settings_.thresholds[2 * static_cast<std::size_t>(triggerChannel()) + 1];
        search_.reset(edge, settings_.triggerCount, armedAt_.count() / kTickNs);
    }
    const bool autoMode = (settings_.modeBits & 0x20) != 0;
    const SimTime deadline = armedAt_ + kAutoTimeout;
    const SimTime lookahead = std::max(2 * recordDuration(), kMinLookahead);
    SimTime until = now + lookahead;
    if (autoMode)
        until = std::min(until, deadline);
    const std::int64_t toTick = until.count() / kTickNs;

    const double detail = signals_.detailSeconds(triggerChannel(), digitalTrigger());
    std::int64_t step = std::max<std::int64_t>(1, (toTick - search_.next()) / kSearchLooks);
    if (detail > 0) {
        step = std::max<std::int64_t>(1, static_cast<std::int64_t>(detail * 1e9) / kTickNs);
        // Fallen too far behind to catch up: nobody watched the gap.
        search_.skipTo(now.count() / kTickNs - step * kSearchLooks / 2);
    }
    const auto hit =
        search_.run([this](double ns) { return comparatorCode(ns); }, toTick, step, kSearchLooks);
    if (!hit) {
        if (!autoMode || until < deadline)
            return std::nullopt;
        armed_ = false;
        AcquiredFrame f = record(freeTriggerIndex(deadline));
        f.streamFlags = tail_bit::kNoTrigger;
        f.truth.armedAt = armedAt_;
        nextRecord_ = f.completeAt;
        return f;
    }
    armed_ = false;
    const std::int64_t before = hit->tickAfter - 1;
    const std::int64_t triggerIndex = floorDiv(before, divider_);
    AcquiredFrame f = record(triggerIndex);
    f.triggerTime = static_cast<std::uint32_t>(before - triggerIndex * divider_);
    f.truth.crossingNs = hit->crossingNs;
    f.truth.armedAt = armedAt_;
    if (digitalTrigger()) {
        const std::size_t edge =
            2 * static_cast<std::size_t>(triggerChannel()) + (fallingEdge() ? 1 : 0);
        const double early =
            (static_cast<double>(hit->tickAfter * kTickNs) - hit->crossingNs) / kTickNs;
        f.tdcCount =
            static_cast<std::uint8_t>(std::clamp(std::round(early * tdcSteps_[edge]), 0.0, 31.0));
    } else {
        f.beforeCrossing =
            static_cast<std::uint8_t>(comparatorCode(static_cast<double>(before * kTickNs)));
        f.afterCrossing = static_cast<std::uint8_t>(
            comparatorCode(static_cast<double>(hit->tickAfter * kTickNs)));
    }
    nextRecord_ = f.completeAt;
    return f;
}

AcquiredFrame Acquisition::rollFrame(SimTime now) {
    const auto m = static_cast<std::int64_t>(positions_);
    std::int64_t taken = now > start_ ? (now - start_) / dt_ : 0;
    if (!(settings_.modeBits & 0x08))
        taken = std::min(taken, m); // a single roll stops when the ring is full
    const std::int64_t first = start_ / dt_;
    for (std::int64_t k = std::max(rollTaken_, taken - m); k < taken; ++k)
        samplePosition(first + k, static_cast<std::size_t>(k % m), ring_);
    rollTaken_ = std::max(rollTaken_, taken);

    AcquiredFrame f;
    f.samples = ring_;
    const bool complete = m > 0 && taken >= m;
    f.streamFlags = static_cast<std::uint8_t>(
        tail_bit::kStream | (complete ? tail_bit::kStreamComplete : 0) | tail_bit::kNoTrigger);
    f.writePointer = static_cast<std::uint16_t>(m > 0 ? (taken % m) * perPosition_ : 0);
    f.triggerPointer = 0;
    f.completeAt = now;
    f.truth.sampleInterval = dt_;
    f.truth.triggerSample = start_ + dt_ * std::max<std::int64_t>(0, taken - m);
    return f;
}

std::optional<AcquiredFrame> Acquisition::take(SimTime now) {
    updateCoupling(); // the generator's mean may have changed with its settings
    if (settings_.roll())
        return rollFrame(now);
    if (settings_.triggerCount > 0)
        return triggeredFrame(now);
    const SimTime earliest = std::max(now, nextRecord_) + dt_ * prePositions_;
    AcquiredFrame f = record(freeTriggerIndex(earliest));
    f.streamFlags = tail_bit::kNoTrigger;
    f.truth.armedAt = earliest;
    nextRecord_ = f.completeAt;
    return f;
}

} // namespace qs40::sim

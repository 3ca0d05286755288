#include "sim/acquisition.h"

#include <algorithm>
#include <cmath>

namespace qs40::sim {

namespace {

constexpr std::int64_t kClockNs = 10;
// Trigger search budget per frame: enough for slow signals at the fastest sample rate.
constexpr std::int64_t kSearchSteps = 65536;
constexpr SimTime kMinSearchSpan = std::chrono::milliseconds(5);

SimTime ceilTo(SimTime t, std::int64_t stepNs) {
    const std::int64_t n = t.count();
    return SimTime((n + stepNs - 1) / stepNs * stepNs);
}

} // namespace

Acquisition::Acquisition(const InputSignals& signals, const AnalogFrontEnd& frontEnd)
    : signals_(signals), frontEnd_(frontEnd) {}

void Acquisition::restart(const InstrumentSettings& s, SimTime now) {
    settings_ = s;
    transfer_[0] = frontEnd_.transfer(0, s.inputA1, s.offsetA1);
    transfer_[1] = frontEnd_.transfer(1, s.inputA2, s.offsetA2);
    channels_ = carriedChannels(s.runBits, s.routingBits);
    dtNs_ = kClockNs * std::max<std::int64_t>(1, s.divider);
    entries_ = static_cast<std::size_t>(s.recordLength());
    positions_ = s.peakPairs() ? entries_ / 2 : entries_;
    start_ = ceilTo(now, dtNs_);
    searchFrom_ = start_;
}

SimTime Acquisition::recordDuration() const {
    return SimTime(dtNs_ * static_cast<std::int64_t>(positions_));
}

double Acquisition::levelAt(double t) const {
    const bool digital = settings_.modeBits & 0x02;
    const int ch = (settings_.modeBits & 0x04) ? 1 : 0;
    return digital ? (signals_.digital(ch, t) ? 1.0 : 0.0)
                   : transfer_[ch].zero + signals_.analog(ch, t) * transfer_[ch].codesPerVolt;
}

// Rising edge: armed below the lower threshold, fires above the upper one; falling the other
// way round. Digital inputs switch between 0 and 1.
bool Acquisition::beyond(int phase, double t) const {
    const bool digital = settings_.modeBits & 0x02;
    const bool falling = settings_.modeBits & 0x10;
    const int ch = (settings_.modeBits & 0x04) ? 1 : 0;
    const double v = levelAt(t);
    if (digital) {
        const bool high = v > 0.5;
        return (phase == 0) == falling ? high : !high;
    }
    const double lower = settings_.thresholds[2 * ch];
    const double upper = settings_.thresholds[2 * ch + 1];
    const bool wantHigh = (phase == 1) != falling;
    return wantHigh ? v > upper : v < lower;
}

double Acquisition::refineCrossingNs(SimTime before, SimTime after) const {
    // The firing condition is false at `before` and true at `after`.
    double lo = static_cast<double>(before.count());
    double hi = static_cast<double>(after.count());
    for (int i = 0; i < 48 && hi - lo > 1e-4; ++i) {
        const double mid = (lo + hi) / 2;
        (beyond(1, mid * 1e-9) ? hi : lo) = mid;
    }
    return hi;
}

std::optional<Acquisition::Trigger> Acquisition::findTrigger(SimTime from) const {
    const std::int64_t span = std::max<std::int64_t>(2 * static_cast<std::int64_t>(positions_),
                                                     kMinSearchSpan.count() / dtNs_);
    const std::int64_t stride = std::max<std::int64_t>(1, span / kSearchSteps);
    const SimTime step(dtNs_ * stride);
    bool armed = false;
    int fired = 0;
    SimTime t = from;
    for (std::int64_t k = 0; k * stride < span; ++k, t += step) {
        if (!armed) {
            armed = beyond(0, seconds(t));
            continue;
        }
        if (!beyond(1, seconds(t)))
            continue;
        if (++fired < settings_.triggerCount) {
            armed = false;
            continue;
        }
        // The first sample past the crossing within the last stride.
        SimTime sampleTime = t;
        for (SimTime u = t - step + SimTime(dtNs_); u < t; u += SimTime(dtNs_)) {
            if (beyond(1, seconds(u))) {
                sampleTime = u;
                break;
            }
        }
        return Trigger{sampleTime, refineCrossingNs(sampleTime - SimTime(dtNs_), sampleTime)};
    }
    return std::nullopt;
}

void Acquisition::sample(AcquiredFrame& f, SimTime first) const {
    const bool pairs = settings_.peakPairs();
    for (int ch = 0; ch < 2; ++ch) {
        const bool analog = channels_ & (kChannelA1 << ch);
        const bool digital = channels_ & (kChannelD1 << ch);
        if (analog)
            f.samples.analog[ch].resize(entries_);
        if (digital)
            f.samples.digital[ch].resize(entries_);
        for (std::size_t k = 0; k < positions_; ++k) {
            const double t = seconds(first + SimTime(dtNs_ * static_cast<std::int64_t>(k)));
            const double half = seconds(SimTime(dtNs_ / 2));
            if (analog) {
                const std::uint8_t a = transfer_[ch].code(signals_.analog(ch, t));
                if (pairs) {
                    const std::uint8_t b = transfer_[ch].code(signals_.analog(ch, t + half));
                    f.samples.analog[ch][2 * k] = std::min(a, b);
                    f.samples.analog[ch][2 * k + 1] = std::max(a, b);
                } else {
                    f.samples.analog[ch][k] = a;
                }
            }
            if (digital) {
                const std::uint8_t a = signals_.digital(ch, t) ? 1 : 0;
                if (pairs) {
                    const std::uint8_t b = signals_.digital(ch, t + half) ? 1 : 0;
                    f.samples.digital[ch][2 * k] = std::min(a, b);
                    f.samples.digital[ch][2 * k + 1] = std::max(a, b);
                } else {
                    f.samples.digital[ch][k] = a;
                }
            }
        }
    }
}

// A roll stream: the circular record fills continuously from the restart; position p holds the
// latest sample whose index is p modulo the record; positions not yet written hold the zero
// level.
void Acquisition::sampleRoll(AcquiredFrame& f, SimTime now) const {
    const std::int64_t m = static_cast<std::int64_t>(positions_);
    const std::int64_t taken = now > start_ ? (now - start_).count() / dtNs_ : 0;
    const int perPosition = settings_.peakPairs() ? 2 : 1;
    AcquiredFrame ring;
    for (int ch = 0; ch < 2; ++ch) {
        if (channels_ & (kChannelA1 << ch))
            ring.samples.analog[ch].resize(entries_);
        if (channels_ & (kChannelD1 << ch))
            ring.samples.digital[ch].resize(entries_);
    }
    for (int ch = 0; ch < 2; ++ch) {
        auto& a = ring.samples.analog[ch];
        auto& d = ring.samples.digital[ch];
        for (std::int64_t p = 0; p < m; ++p) {
            const std::int64_t latest = taken - 1 - ((taken - 1 - p) % m + m) % m;
            const auto at = static_cast<std::size_t>(p * perPosition);
            if (latest < 0) {
                for (int e = 0; e < perPosition; ++e) {
                    if (!a.empty())
                        a[at + e] = transfer_[ch].code(0.0);
                    if (!d.empty())
                        d[at + e] = 0;
                }
                continue;
            }
            const double t = seconds(start_ + SimTime(dtNs_ * latest));
            for (int e = 0; e < perPosition; ++e) {
                const double te = t + e * seconds(SimTime(dtNs_ / 2));
                if (!a.empty())
                    a[at + e] = transfer_[ch].code(signals_.analog(ch, te));
                if (!d.empty())
                    d[at + e] = signals_.digital(ch, te) ? 1 : 0;
            }
        }
    }
    if (settings_.peakPairs()) // a pair holds the smaller sample first
        for (auto* v : {&ring.samples.analog[0], &ring.samples.analog[1], &ring.samples.digital[0],
                        &ring.samples.digital[1]})
            for (std::size_t i = 0; i + 1 < v->size(); i += 2)
                if ((*v)[i] > (*v)[i + 1])
                    std::swap((*v)[i], (*v)[i + 1]);
    f.samples = std::move(ring.samples);
    const bool complete = m > 0 && taken >= m;
    f.streamFlags = static_cast<std::uint8_t>(0x01 | (complete ? 0x02 : 0) | 0x04);
    f.writePointer = static_cast<std::uint16_t>(m > 0 ? (taken % m) * perPosition : 0);
    f.triggerPointer = 0;
}

std::optional<AcquiredFrame> Acquisition::take(SimTime now) {
    AcquiredFrame f;
    if (settings_.roll()) {
        sampleRoll(f, now);
        return f;
    }
    const int perPosition = settings_.peakPairs() ? 2 : 1;
    const std::int64_t prePositions = settings_.preTrigger / perPosition;
    std::optional<Trigger> trigger;
    if (settings_.triggerCount > 0)
        trigger =
            findTrigger(ceilTo(std::max(now, searchFrom_), dtNs_) + SimTime(dtNs_ * prePositions));
    if (!trigger && settings_.triggerCount > 0 && !(settings_.modeBits & 0x20))
        return std::nullopt; // normal mode: wait for the next trigger
    SimTime triggerSample = ceilTo(now, dtNs_) + SimTime(dtNs_ * prePositions);
    if (trigger) {
        triggerSample = trigger->sampleTime;
        const double lateNs =
            static_cast<double>(trigger->sampleTime.count()) - trigger->crossingNs;
        f.triggerTime = static_cast<std::uint32_t>(std::max(0.0, lateNs) / kClockNs);
        const bool digital = settings_.modeBits & 0x02;
        const int ch = (settings_.modeBits & 0x04) ? 1 : 0;
        if (digital) {
            const int edge = 2 * ch + ((settings_.modeBits & 0x10) ? 1 : 0);
            const double phase = std::fmod(trigger->crossingNs, kClockNs) / kClockNs;
            f.tdcCount = static_cast<std::uint8_t>(
                std::min(31.0, std::floor(phase * tdcSteps_[static_cast<std::size_t>(edge)])));
        } else {
            f.beforeCrossing =
                transfer_[ch].code(signals_.analog(ch, seconds(triggerSample - SimTime(dtNs_))));
            f.afterCrossing = transfer_[ch].code(signals_.analog(ch, seconds(triggerSample)));
        }
    } else {
        f.streamFlags = 0x04; // no trigger reference
    }
    const SimTime first = triggerSample - SimTime(dtNs_ * prePositions);
    sample(f, first);
    f.triggerPointer = settings_.preTrigger;
    f.writePointer = static_cast<std::uint16_t>(
        entries_ ? (settings_.preTrigger + settings_.postTrigger) % entries_ : 0);
    searchFrom_ = first + recordDuration();
    return f;
}

} // namespace qs40::sim

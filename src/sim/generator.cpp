#include "sim/generator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "device/link/protocol_codec.h"

namespace qs40::sim {

namespace {

constexpr double kClockHz = 1e8;
constexpr double kTickNs = 10.0;
constexpr std::uint64_t kMask40 = (1ull << 40) - 1;
constexpr std::uint64_t kMask30 = (1ull << 30) - 1;
constexpr double kTwo40 = 1099511627776.0;
constexpr double kTwo30 = 1073741824.0;
constexpr double kTwo26 = 67108864.0;
constexpr double kAmFullScale = 65535.5; // word 2 of a full-amplitude swing
constexpr std::uint64_t kNoiseSeed = 0x6E6F697365ull;

std::uint64_t readLe40(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 4; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

} // namespace

GeneratorSettings GeneratorSettings::decode(const std::array<std::uint8_t, kGeneratorBlockBytes>& b,
                                            std::uint8_t inputA1) {
    GeneratorSettings s;
    s.mode = b[0];
    s.word1 = readLe40(&b[1]);
    const std::uint64_t w2 = readLe40(&b[6]);
    s.word2 = static_cast<std::int64_t>(w2 & (1ull << 39) ? w2 | ~kMask40 : w2);
    s.amplitude = static_cast<std::uint16_t>((b[12] << 2) | (b[11] >> 6));
    s.word3 = static_cast<std::uint32_t>(b[13] | (b[14] << 8) | (b[15] << 16));
    s.outputOff = (inputA1 & 0x08) != 0;
    return s;
}

void Generator::configure(const GeneratorSettings& s, SimTime origin, std::uint32_t divider,
                          std::uint32_t postTrigger) {
    s_ = s;
    origin_ = origin;
    divider_ = std::max<std::uint32_t>(divider, 1);
    post_ = std::max<std::uint32_t>(postTrigger, 1);
    amplitude_ = std::max(0, static_cast<int>(s.amplitude) - 1) * kVoltsPerStep;
    wave_ = static_cast<Waveform>(s.mode & 0x07);
    if (s.outputOff || (s.mode & 0x07) > 4) {
        mode_ = GeneratorMode::Off;
        return;
    }
    switch (s.mode & 0x38) {
    case 0x08:
        mode_ = GeneratorMode::Sweep;
        break;
    case 0x10:
        mode_ = GeneratorMode::Pulse;
        break;
    case 0x18:
        mode_ = GeneratorMode::Fm;
        break;
    case 0x20:
        mode_ = GeneratorMode::Am;
        break;
    case 0x28:
        mode_ = GeneratorMode::Noise;
        break;
    default:
        mode_ = GeneratorMode::Continuous;
        break;
    }
}

double Generator::carrierHz() const {
    return static_cast<double>(s_.word1) * kClockHz / kTwo40;
}

double Generator::modulationHz() const {
    return s_.word3 * kClockHz / kTwo30;
}

double Generator::deviationHz() const {
    return static_cast<double>(s_.word2) * kClockHz / kTwo26;
}

double Generator::amSwingVolts() const {
    return static_cast<double>(s_.word2) / kAmFullScale * 512 * kVoltsPerStep;
}

double Generator::peakVolts() const {
    if (mode_ == GeneratorMode::Off)
        return 0.0;
    return amplitude_ + (mode_ == GeneratorMode::Am ? std::abs(amSwingVolts()) : 0.0);
}

// The accumulators are exact: products wrap modulo 2^64, of which 2^40 and 2^30 are factors.
double Generator::carrierPhase(std::int64_t k, double f) const {
    const std::uint64_t acc = (s_.word1 * static_cast<std::uint64_t>(k)) & kMask40;
    return (static_cast<double>(acc) + static_cast<double>(s_.word1) * f) / kTwo40;
}

double Generator::modulationPhase(std::int64_t k, double f) const {
    const std::uint64_t acc = (std::uint64_t{s_.word3} * static_cast<std::uint64_t>(k)) & kMask30;
    return (static_cast<double>(acc) + s_.word3 * f) / kTwo30;
}

double Generator::sweepPhase(std::int64_t k, double f) const {
    const std::uint64_t w1 = s_.word1;
    const auto w2 = static_cast<std::uint64_t>(s_.word2);
    const std::uint64_t d = divider_, np = post_;
    const auto uk = static_cast<std::uint64_t>(k);
    const std::uint64_t m = uk / (d * np), r = uk % (d * np);
    const std::uint64_t n = r / d, q = r % d;
    const std::uint64_t perSweep = d * (w1 * np + w2 * (np * (np - 1) / 2));
    const std::uint64_t acc =
        (m * perSweep + d * (w1 * n + w2 * (n * (n - 1) / 2)) + q * (w1 + w2 * n)) & kMask40;
    const double step = static_cast<double>(w1) + static_cast<double>(s_.word2) * n;
    return (static_cast<double>(acc) + step * f) / kTwo40;
}

double Generator::volts(double t) const {
    if (mode_ == GeneratorMode::Off)
        return 0.0;
    const double ticks = std::max(0.0, (t * 1e9 - static_cast<double>(origin_.count())) / kTickNs);
    const double whole = std::floor(ticks);
    const auto k = static_cast<std::int64_t>(whole);
    const double f = ticks - whole;
    switch (mode_) {
    case GeneratorMode::Off:
        return 0.0;
    case GeneratorMode::Continuous:
        return amplitude_ * waveShape(wave_, carrierPhase(k, f));
    case GeneratorMode::Sweep:
        return amplitude_ * waveShape(wave_, sweepPhase(k, f));
    case GeneratorMode::Pulse: {
        const double period = static_cast<double>(s_.word1) + 1;
        const double at = std::fmod(ticks, period);
        return at < static_cast<double>(s_.word2) ? amplitude_ : -amplitude_;
    }
    case GeneratorMode::Fm: {
        double phase = carrierPhase(k, f);
        const double fm = modulationHz();
        if (fm > 0) {
            const double m = 2 * std::numbers::pi * modulationPhase(k, f);
            phase += deviationHz() / (2 * std::numbers::pi * fm) * (1 - std::cos(m));
        }
        return amplitude_ * waveShape(wave_, phase);
    }
    case GeneratorMode::Am: {
        const double m = 2 * std::numbers::pi * modulationPhase(k, f);
        return (amplitude_ + amSwingVolts() * std::sin(m)) * waveShape(wave_, carrierPhase(k, f));
    }
    case GeneratorMode::Noise:
        return amplitude_ * bandNoise(kNoiseSeed, t, kNoiseBandwidthHz);
    }
    return 0.0;
}

double Generator::mean() const {
    if (mode_ != GeneratorMode::Pulse)
        return 0.0; // every waveform is symmetric about zero
    const double period = static_cast<double>(s_.word1) + 1;
    const double high = std::clamp(static_cast<double>(s_.word2), 0.0, period) / period;
    return amplitude_ * (2 * high - 1);
}

double Generator::frequency() const {
    switch (mode_) {
    case GeneratorMode::Continuous:
    case GeneratorMode::Fm:
    case GeneratorMode::Am:
        return carrierHz();
    case GeneratorMode::Sweep: // the mean over one sweep
        return (static_cast<double>(s_.word1) +
                static_cast<double>(s_.word2) * (static_cast<double>(post_) - 1) / 2) *
               kClockHz / kTwo40;
    case GeneratorMode::Pulse: {
        const double period = static_cast<double>(s_.word1) + 1;
        return s_.word2 > 0 && static_cast<double>(s_.word2) < period ? kClockHz / period : 0.0;
    }
    case GeneratorMode::Off:
    case GeneratorMode::Noise:
        break;
    }
    return 0.0;
}

double Generator::detailSeconds() const {
    constexpr double kLooksPerPeriod = 16;
    double hz = 0;
    switch (mode_) {
    case GeneratorMode::Off:
        return 0.0;
    case GeneratorMode::Continuous:
    case GeneratorMode::Am:
        hz = carrierHz();
        break;
    case GeneratorMode::Fm:
        hz = carrierHz() + std::abs(deviationHz());
        break;
    case GeneratorMode::Sweep: {
        const double end = static_cast<double>(s_.word1) +
                           static_cast<double>(s_.word2) * static_cast<double>(post_);
        hz = std::max(carrierHz(), std::abs(end) * kClockHz / kTwo40);
        break;
    }
    case GeneratorMode::Pulse: {
        const double period = static_cast<double>(s_.word1) + 1;
        const double high = std::clamp(static_cast<double>(s_.word2), 0.0, period);
        const double shorter = std::min(high, period - high);
        return shorter > 0 ? shorter * kTickNs * 1e-9 / 2 : 0.0;
    }
    case GeneratorMode::Noise:
        return 1 / (4 * kNoiseBandwidthHz);
    }
    return hz > 0 ? 1 / (hz * kLooksPerPeriod) : 0.0;
}

SimTime Generator::sweepPeriod() const {
    if (mode_ != GeneratorMode::Sweep)
        return SimTime{0};
    return SimTime(static_cast<std::int64_t>(divider_ * post_) * 10);
}

} // namespace qs40::sim

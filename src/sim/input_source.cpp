#include "sim/input_source.h"

#include <algorithm>
#include <cmath>

#include "sim/generator.h"
#include "sim/waveform.h"

namespace qs40::sim {

namespace {

constexpr double kLooksPerPeriod = 16;

Waveform shapeOf(SourceKind k) {
    switch (k) {
    case SourceKind::Square:
        return Waveform::Rectangle;
    case SourceKind::Triangle:
        return Waveform::Triangle;
    case SourceKind::RisingSaw:
        return Waveform::RisingSaw;
    case SourceKind::FallingSaw:
        return Waveform::FallingSaw;
    default:
        return Waveform::Sine;
    }
}

bool periodic(SourceKind k) {
    return k == SourceKind::Sine || k == SourceKind::Square || k == SourceKind::Triangle ||
           k == SourceKind::RisingSaw || k == SourceKind::FallingSaw;
}

double cycles(const InputSource& s, double t) {
    return s.frequency * t + s.phase / 360.0;
}

} // namespace

double sourceVolts(const InputSource& s, double t, const Generator* generator, std::uint64_t seed) {
    switch (s.kind) {
    case SourceKind::Off:
        return 0.0;
    case SourceKind::Dc:
        return s.offset;
    case SourceKind::Clock: {
        const double c = cycles(s, t);
        return c - std::floor(c) < s.duty ? s.amplitude : 0.0;
    }
    case SourceKind::Noise:
        return s.offset + s.amplitude * bandNoise(seed, t, s.frequency);
    case SourceKind::Generator:
        return generator ? generator->volts(t) : 0.0;
    default:
        return s.offset + s.amplitude * waveShape(shapeOf(s.kind), cycles(s, t));
    }
}

double sourceMean(const InputSource& s, const Generator* generator) {
    switch (s.kind) {
    case SourceKind::Off:
        return 0.0;
    case SourceKind::Clock:
        return s.amplitude * std::clamp(s.duty, 0.0, 1.0);
    case SourceKind::Generator:
        return generator ? generator->mean() : 0.0;
    default:
        return s.offset;
    }
}

double sourceLow(const InputSource& s, const Generator* generator) {
    switch (s.kind) {
    case SourceKind::Off:
        return 0.0;
    case SourceKind::Dc:
        return s.offset;
    case SourceKind::Clock:
        return s.duty >= 1 ? s.amplitude : std::min(0.0, s.amplitude);
    case SourceKind::Generator:
        return generator ? -generator->peakVolts() : 0.0;
    default:
        return s.offset - std::abs(s.amplitude);
    }
}

double sourceHigh(const InputSource& s, const Generator* generator) {
    switch (s.kind) {
    case SourceKind::Clock:
        return s.duty <= 0 ? 0.0 : std::max(0.0, s.amplitude);
    case SourceKind::Generator:
        return generator ? generator->peakVolts() : 0.0;
    case SourceKind::Off:
    case SourceKind::Dc:
        return sourceLow(s, generator);
    default:
        return s.offset + std::abs(s.amplitude);
    }
}

double sourceFrequency(const InputSource& s, const Generator* generator) {
    if (s.kind == SourceKind::Generator)
        return generator ? generator->frequency() : 0.0;
    if (s.kind == SourceKind::Clock)
        return s.duty > 0 && s.duty < 1 ? std::abs(s.frequency) : 0.0;
    if (periodic(s.kind) && s.amplitude != 0)
        return std::abs(s.frequency);
    return 0.0;
}

double sourceDetailSeconds(const InputSource& s, const Generator* generator) {
    const double hz = std::abs(s.frequency);
    switch (s.kind) {
    case SourceKind::Off:
    case SourceKind::Dc:
        return 0.0;
    case SourceKind::Generator:
        return generator ? generator->detailSeconds() : 0.0;
    case SourceKind::Clock: {
        const double shorter = std::min(s.duty, 1 - s.duty);
        return hz > 0 && shorter > 0 ? shorter / hz / 2 : 0.0;
    }
    case SourceKind::Noise:
        return hz > 0 ? 1 / (4 * hz) : 0.0;
    default:
        return hz > 0 && s.amplitude != 0 ? 1 / (hz * kLooksPerPeriod) : 0.0;
    }
}

} // namespace qs40::sim

#include "sim/input_signals.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qs40::sim {

DemoSignals::DemoSignals()
    : DemoSignals({1000.0, 1.0, 0.0, 0.0}, {1000.0, 0.5, 0.0, std::numbers::pi / 2}, {1000.0, 0.5},
                  {2500.0, 0.25}) {}

DemoSignals::DemoSignals(Sine a1, Sine a2, Square d1, Square d2) : sine_{a1, a2}, square_{d1, d2} {}

double DemoSignals::analog(int channel, double t) const {
    const Sine& s = sine_[channel & 1];
    return s.offset + s.amplitude * std::sin(2 * std::numbers::pi * s.hz * t + s.phase);
}

bool DemoSignals::digital(int channel, double t) const {
    const Square& s = square_[channel & 1];
    const double cycles = s.hz * t;
    return cycles - std::floor(cycles) < s.duty;
}

double DemoSignals::frequency(int meterInput) const {
    switch (meterInput) {
    case 1:
        return sine_[0].hz;
    case 2:
        return sine_[1].hz;
    case 3:
    case 5:
        return square_[0].hz;
    case 4:
    case 6:
        return square_[1].hz;
    default:
        return 0.0;
    }
}

double DemoSignals::dcLevel(int channel) const {
    return sine_[channel & 1].offset;
}

double DemoSignals::detailSeconds(int channel, bool digital) const {
    constexpr double kLooksPerPeriod = 16;
    if (digital) {
        const Square& s = square_[channel & 1];
        const double shorter = std::min(s.duty, 1 - s.duty);
        return s.hz > 0 && shorter > 0 ? shorter / s.hz / 2 : 0.0;
    }
    const Sine& s = sine_[channel & 1];
    return s.hz > 0 ? 1 / (s.hz * kLooksPerPeriod) : 0.0;
}

} // namespace qs40::sim

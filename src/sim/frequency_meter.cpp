#include "sim/frequency_meter.h"

#include <algorithm>
#include <cmath>

namespace qs40::sim {

namespace {
constexpr double kGateSeconds = 0.1;
constexpr double kReferenceHz = 1e8;
constexpr double kLowestHz = 0.5; // a longer period would not fit the 32-bit tick count well
constexpr double kHfPrescaler = 8;
} // namespace

FreqMeterReading readFrequencyMeter(std::uint8_t input, double hz, double clockErrorPpm) {
    FreqMeterReading r;
    r.range = input;
    if (input == 5 || input == 6)
        hz /= kHfPrescaler;
    if (!(hz >= kLowestHz) || !std::isfinite(hz))
        return r;
    const double periods = std::max(1.0, std::floor(hz * kGateSeconds));
    const double ticks = periods / hz * kReferenceHz * (1 + clockErrorPpm * 1e-6);
    r.count1 = static_cast<std::uint32_t>(periods + 1);
    r.count2 = static_cast<std::uint32_t>(std::llround(ticks));
    return r;
}

} // namespace qs40::sim

#include "scope/freq_calibration.h"

#include "scope/arith.h"

#include <algorithm>
#include <cmath>

namespace qs40 {

std::optional<double> uncorrectedFrequency(std::int32_t range, std::int32_t count1,
                                           std::int32_t count2) {
    if (count2 <= 0 || count1 < 1)
        return std::nullopt;
    double f = (static_cast<double>(count1) - 1) * 1e8 / count2;
    if (range == 5 || range == 6)
        f *= 8;
    return f;
}

std::int32_t timeForPpm(double ppm) {
    if (!std::isfinite(ppm))
        return 0;
    const double steps = std::clamp(ppm / kTimeStepPpm, -1e6, 1e6);
    return std::clamp(roundToInt32(steps), -kTimeLimit, kTimeLimit);
}

std::optional<std::int32_t> timeForReference(double referenceHz, double measuredHz) {
    if (!(referenceHz > 0) || !(measuredHz > 0) || !std::isfinite(referenceHz) ||
        !std::isfinite(measuredHz))
        return std::nullopt;
    // reading x (1 + t x 0.2e-6) = reference
    return timeForPpm((referenceHz / measuredHz - 1) * 1e6);
}

bool FreqMeterAverage::take(const std::array<std::int32_t, kHeaderFields>& h) {
    const auto f = uncorrectedFrequency(h[kHdrFmRange], h[kHdrFmCount1], h[kHdrFmCount2]);
    if (!f)
        return false;
    ++count_;
    sum_ += *f;
    return true;
}

std::optional<double> FreqMeterAverage::mean() const {
    if (count_ == 0)
        return std::nullopt;
    return sum_ / count_;
}

} // namespace qs40

#include "device/acquisition/fine_trigger_offset.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "device/link/protocol_layout.h"
#include "display/sinc_interpolator.h"
#include "scope/arith.h"

namespace qs40 {

namespace {

// The analog channel a source names: 0 for A1, 1 for A2 (its thresholds' pair).
int analogChannel(int source) {
    return source == kTrigSourceA2 ? 1 : 0;
}

// The first tenth after the trigger sample at which the interpolated source is past the
// threshold; a whole sample when none is. A point without a value never counts as past it.
std::int32_t sincCrossing(const FineOffsetInputs& in, int channel) {
    const int lower = in.thresholds[static_cast<std::size_t>(2 * channel)];
    const int upper = in.thresholds[static_cast<std::size_t>(2 * channel + 1)];
    for (int t = 0; t < kTenthsPerSample; ++t) {
        const std::int32_t v = sincInterpolate(in.series, in.pre, t, in.length);
        if (v == kNoSample)
            continue;
        if (in.falling ? v < lower : v > upper)
            return t;
    }
    return kTenthsPerSample;
}

// Where the threshold lies between the two codes around the crossing, as a fraction.
double crossingFraction(const FineOffsetInputs& in, int channel) {
    const int lower = in.thresholds[static_cast<std::size_t>(2 * channel)];
    const int upper = in.thresholds[static_cast<std::size_t>(2 * channel + 1)];
    const int b = in.before;
    const int d = std::abs(static_cast<int>(in.after) - b);
    if (d == 0)
        return 0.0;
    return in.falling ? static_cast<double>(b - lower) / d : static_cast<double>(upper - b) / d;
}

// The constants come as D1 rising, D1 falling, D2 rising, D2 falling.
double tdcFraction(const FineOffsetInputs& in) {
    const std::size_t edge = (in.source == kTrigSourceD2 ? 2 : 0) + (in.falling ? 1 : 0);
    const double c = usableTdcConstant(in.tdc[edge]);
    return 1.0 - (in.tdcCount & tail_bit::kTdcCount) / c;
}

} // namespace

std::int32_t fineTriggerOffset(const FineOffsetInputs& in) {
    const double d = in.divider == 0 ? 1.0 : static_cast<double>(in.divider);
    const double c = static_cast<double>(in.triggerTime);
    switch (in.source) {
    case kTrigSourceA1:
    case kTrigSourceA2:
        if (in.divider <= 1)
            return sincCrossing(in, analogChannel(in.source));
        return roundToInt32((c + crossingFraction(in, analogChannel(in.source))) *
                            kTenthsPerSample / d);
    case kTrigSourceD1:
    case kTrigSourceD2: {
        // Rounded first, then the half sample of a frame without pairs (saturating).
        const std::int64_t offset = roundToInt32((c + tdcFraction(in)) * kTenthsPerSample / d);
        return static_cast<std::int32_t>(
            std::min<std::int64_t>(offset + (in.pairs ? 0 : kHalfSampleTenths), INT32_MAX));
    }
    default:
        return 0;
    }
}

} // namespace qs40

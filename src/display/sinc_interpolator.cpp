#include "display/sinc_interpolator.h"

#include "display/sinc_kernel.h"
#include "scope/arith.h"

#include <algorithm>
#include <cstddef>

namespace qs40 {
namespace {

constexpr int kTapsBefore = 8; // taps before the sample at index

// Continues a run of taps with a constant second difference. The state is held in 64 bits: from
// 32-bit samples it stays below 2^59 over 18 taps (each step at most triples it and adds one
// sample), so it is exact where 32-bit state could overflow.
class TapExtrapolator {
public:
    std::int64_t real(std::int64_t v) {
        diff_ = v - last_;
        diff2_ = diff_ - prevDiff_;
        prevDiff_ = diff_;
        last_ = v;
        return v;
    }
    std::int64_t missing() {
        diff_ += diff2_;
        last_ += diff_;
        return last_;
    }

private:
    std::int64_t last_ = 0;
    std::int64_t diff_ = 0;
    std::int64_t prevDiff_ = 0;
    std::int64_t diff2_ = 0;
};

constexpr bool fitsInt32(std::int64_t v) {
    return v >= INT32_MIN && v <= INT32_MAX;
}

// Gathers the taps around index when some lie outside the series or hold no sample. They are
// taken in the direction that meets the real samples first: upwards from the oldest tap once
// eight samples precede index, downwards from the newest one near the start of the series.
void gatherTaps(std::span<const std::int32_t> s, int index, int count,
                std::int64_t (&taps)[kSincTaps]) {
    TapExtrapolator ex;
    auto take = [&](int k) {
        const std::int64_t i = std::int64_t{index} - kTapsBefore + k;
        if (i >= 0 && i < count && s[static_cast<std::size_t>(i)] != kNoSample)
            taps[k] = ex.real(s[static_cast<std::size_t>(i)]);
        else
            taps[k] = ex.missing();
    };
    if (index >= kTapsBefore) {
        for (int k = 0; k < kSincTaps; ++k)
            take(k);
    } else {
        for (int k = kSincTaps - 1; k >= 0; --k)
            take(k);
    }
}

// sum * 10 / 65536, rounded half away from zero. |sum| < 2^31, so this is exact in a double.
std::int32_t scaleSum(std::int64_t sum) {
    return roundToInt32(static_cast<double>(sum) * 10.0 / 65536.0);
}

} // namespace

std::int32_t sincInterpolate(std::span<const std::int32_t> series, int index, int tenths,
                             int count) {
    count = static_cast<int>(
        std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)), series.size()));
    if (index < 0 || index >= count || tenths < 0 || tenths > 9)
        return kNoSample;
    if (tenths == 0)
        return series[static_cast<std::size_t>(index)];
    if (index == count - 1)
        return kNoSample;

    const auto& w = kSincWeights[static_cast<std::size_t>(tenths)];
    std::int64_t sum = 0;

    // Most points of a frame have all their taps inside the series and sampled.
    if (index >= kTapsBefore && count - index > kSincTaps - kTapsBefore) {
        const std::int32_t* t = series.data() + (index - kTapsBefore);
        bool allSampled = true;
        for (int k = 0; k < kSincTaps; ++k) {
            allSampled &= t[k] != kNoSample;
            sum += std::int64_t{t[k]} * w[k];
        }
        if (allSampled)
            return fitsInt32(sum) ? scaleSum(sum) : kNoSample;
        sum = 0;
    }

    std::int64_t taps[kSincTaps];
    gatherTaps(series, index, count, taps);
    // The interpolation is defined in 32-bit arithmetic. Where every tap and the sum fit, the
    // 64-bit result is the same (a 32-bit difference or product wrapping on the way cancels out
    // modulo 2^32); where one would not, the 32-bit result would be wrapped garbage: give none.
    for (int k = 0; k < kSincTaps; ++k) {
        if (!fitsInt32(taps[k]))
            return kNoSample;
        sum += taps[k] * w[k];
    }
    return fitsInt32(sum) ? scaleSum(sum) : kNoSample;
}

std::int32_t sincInterpolate(const std::int32_t* series, int index, int tenths, int count) {
    if (series == nullptr || count <= 0)
        return kNoSample;
    return sincInterpolate(std::span<const std::int32_t>(series, static_cast<std::size_t>(count)),
                           index, tenths, count);
}

} // namespace qs40

// Small arithmetic rules shared by every part of the program.
#pragma once

#include <cmath>
#include <cstdint>

namespace qs40 {

// Rounds half away from zero (2.5 -> 3, -2.5 -> -3).
inline double roundHalfAway(double v) { return std::round(v); }

// Rounds half away from zero into a 32-bit integer, saturating at the type's limits
// (NaN gives 0).
inline std::int32_t roundToInt32(double v) {
    if (std::isnan(v))
        return 0;
    const double r = std::round(v);
    if (r >= 2147483647.0)
        return INT32_MAX;
    if (r <= -2147483648.0)
        return INT32_MIN;
    return static_cast<std::int32_t>(r);
}

// Blends colour c towards colour b: per byte b + (c - b) / k, truncated towards zero.
// Colours are 0x00BBGGRR. k must not be 0.
inline std::uint32_t blendColor(std::uint32_t c, std::uint32_t b, int k) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int cb = static_cast<int>((c >> shift) & 0xFF);
        const int bb = static_cast<int>((b >> shift) & 0xFF);
        const int v = bb + (cb - bb) / k;
        out |= static_cast<std::uint32_t>(v & 0xFF) << shift;
    }
    return out;
}

// The same with a fractional divisor (the activity indicator fades by 20 / (i + 10)). The
// quotient is truncated towards zero; a divisor that would push it beyond a byte's range (or is
// NaN) is held at that range, so no divisor leads to an undefined conversion.
inline std::uint32_t blendColor(std::uint32_t c, std::uint32_t b, double k) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int cb = static_cast<int>((c >> shift) & 0xFF);
        const int bb = static_cast<int>((b >> shift) & 0xFF);
        double q = (cb - bb) / k;
        if (std::isnan(q))
            q = 0;
        q = q < -255.0 ? -255.0 : (q > 255.0 ? 255.0 : q);
        const int v = bb + static_cast<int>(q);
        out |= static_cast<std::uint32_t>(v & 0xFF) << shift;
    }
    return out;
}

} // namespace qs40

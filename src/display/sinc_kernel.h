// The windowed sin(x)/x kernel of the trace interpolator.
#pragma once

#include <array>
#include <cstdint>

namespace qs40 {

// Distance in tenths of a sample from the kernel's centre to either end.
inline constexpr int kSincKernelHalfWidth = 90;
// Taps taken around an interpolation point: eight before the sample below it, nine after.
inline constexpr int kSincTaps = 18;
// The kernel weights of one fraction sum to about this (65536 / 10).
inline constexpr std::int32_t kSincKernelUnity = 6554;

namespace detail {

// One side of the kernel, K[90 + d] for d = 0..89 tenths of a sample.
inline constexpr std::array<std::int32_t, kSincKernelHalfWidth> kSincKernelOneSided = {
    6554, 6442, 6114, 5590,  4904,  4099,  3224,  2329, 1465, 676,  //
    0,    -538, -923, -1152, -1233, -1185, -1034, -808, -541, -262, //
    0,    224,  394,  502,   547,   532,   469,   370,  249,  121,  //
    0,    -104, -182, -231,  -251,  -243,  -213,  -167, -111, -54,  //
    0,    45,   78,   98,    105,   101,   87,    67,   44,   21,   //
    0,    -17,  -29,  -36,   -38,   -36,   -30,   -23,  -15,  -7,   //
    0,    5,    9,    11,    11,    10,    8,     6,    4,    2,    //
    0,    -1,   -2,   -2,    -2,    -2,    -2,    -1,   -1,   0,    //
    0,    0,    0,    0,     0,     0,     0,     0,    0,    0,    //
};

constexpr std::array<std::int32_t, 2 * kSincKernelHalfWidth + 1> mirrorSincKernel() {
    std::array<std::int32_t, 2 * kSincKernelHalfWidth + 1> k{};
    for (int d = 0; d < kSincKernelHalfWidth; ++d) {
        k[kSincKernelHalfWidth + d] = kSincKernelOneSided[d];
        k[kSincKernelHalfWidth - d] = kSincKernelOneSided[d];
    }
    return k; // the two ends (distance 90) stay 0 and are never used
}

} // namespace detail

// K[0..180], indexed by 90 + the signed distance in tenths between a tap and the point.
inline constexpr std::array<std::int32_t, 2 * kSincKernelHalfWidth + 1> kSincKernel =
    detail::mirrorSincKernel();

// The weights of the 18 taps for each fraction a = 0..9: tap k lies 10 * (k - 8) - a tenths
// from the point, so its weight is K[10 * k + 10 - a]. Laid out per fraction so that one
// interpolation reads 18 consecutive weights.
inline constexpr std::array<std::array<std::int32_t, kSincTaps>, 10> kSincWeights = [] {
    std::array<std::array<std::int32_t, kSincTaps>, 10> w{};
    for (int a = 0; a < 10; ++a)
        for (int k = 0; k < kSincTaps; ++k)
            w[a][k] = kSincKernel[10 * k + 10 - a];
    return w;
}();

} // namespace qs40

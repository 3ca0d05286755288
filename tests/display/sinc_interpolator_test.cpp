#include "display/sinc_interpolator.h"
#include "display/sinc_kernel.h"
#include "scope/arith.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace qs40 {
namespace {

using Series = std::vector<std::int32_t>;

constexpr double kTwoPi = 2 * std::numbers::pi;

Series constantSeries(int count, std::int32_t v) {
    return Series(static_cast<std::size_t>(count), v);
}

Series sineSeries(int count, double period, double amplitude = 100) {
    Series s(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        s[static_cast<std::size_t>(i)] =
            static_cast<std::int32_t>(std::lround(128 + amplitude * std::sin(kTwoPi * i / period)));
    return s;
}

// The 18 taps around index, gathered as the interpolator does: real samples where there are
// some, else continued with a constant second difference, in the direction that meets the real
// samples first. T decides the arithmetic.
template <class T> void gatherTaps(const Series& s, int index, int count, T (&t)[18]) {
    T last = 0, d1 = 0, prev = 0, d2 = 0;
    auto take = [&](int k) {
        const int i = index - 8 + k;
        if (i >= 0 && i < count && s[static_cast<std::size_t>(i)] != INT32_MAX) {
            const auto v = static_cast<T>(s[static_cast<std::size_t>(i)]);
            d1 = v - last;
            d2 = d1 - prev;
            prev = d1;
            last = v;
        } else {
            d1 += d2;
            last += d1;
        }
        t[k] = last;
    };
    if (index >= 8) {
        for (int k = 0; k < 18; ++k)
            take(k);
    } else {
        for (int k = 17; k >= 0; --k)
            take(k);
    }
}

std::int32_t weight(int k, int a) {
    return kSincKernel[static_cast<std::size_t>(10 * k + 10 - a)];
}

// A second, literal implementation: 32-bit two's complement arithmetic throughout, done in
// unsigned integers so that wrapping is defined.
std::int32_t reference32(const Series& s, int index, int a, int count) {
    if (index < 0 || index >= count)
        return kNoSample;
    if (a == 0)
        return s[static_cast<std::size_t>(index)];
    if (index == count - 1)
        return kNoSample;
    std::uint32_t t[18];
    gatherTaps(s, index, count, t);
    std::uint32_t sum = 0;
    for (int k = 0; k < 18; ++k)
        sum += t[k] * static_cast<std::uint32_t>(weight(k, a));
    return roundToInt32(static_cast<std::int32_t>(sum) * 10.0 / 65536.0);
}

// True when the 32-bit computation wraps: a tap or the weighted sum, taken exactly, leaves the
// 32-bit range. For 0 <= index < count - 1 and a fraction. Exact in 64 bits: from 32-bit
// samples the taps stay below 2^59, and only taps that fit are multiplied.
bool wraps32(const Series& s, int index, int a, int count) {
    std::int64_t t[18];
    gatherTaps(s, index, count, t);
    std::int64_t sum = 0;
    for (int k = 0; k < 18; ++k) {
        if (t[k] < INT32_MIN || t[k] > INT32_MAX)
            return true;
        sum += t[k] * weight(k, a);
    }
    return sum < INT32_MIN || sum > INT32_MAX;
}

TEST(SincKernel, IsTheMirroredOneSidedTable) {
    EXPECT_EQ(kSincKernel.size(), 181u);
    EXPECT_EQ(kSincKernel[90], 6554);
    EXPECT_EQ(kSincKernel[0], 0);
    EXPECT_EQ(kSincKernel[180], 0);
    for (int d = 0; d <= 90; ++d)
        EXPECT_EQ(kSincKernel[static_cast<std::size_t>(90 + d)],
                  kSincKernel[static_cast<std::size_t>(90 - d)])
            << d;
    const std::pair<int, std::int32_t> spots[] = {
        {1, 6442}, {5, 4099},  {9, 676},  {10, 0},   {11, -538}, {14, -1233}, {24, 547},
        {29, 121}, {34, -251}, {44, 105}, {54, -38}, {59, -7},   {63, 11},    {64, 11},
        {71, -1},  {76, -2},   {78, -1},  {79, 0},   {80, 0},    {89, 0},
    };
    for (const auto& [d, k] : spots) {
        EXPECT_EQ(kSincKernel[static_cast<std::size_t>(90 + d)], k) << d;
        EXPECT_EQ(kSincKernel[static_cast<std::size_t>(90 - d)], k) << d;
    }
}

TEST(SincKernel, WeightsOfEachFractionSumToAboutUnity) {
    for (int a = 0; a < 10; ++a) {
        int sum = 0;
        for (int k = 0; k < kSincTaps; ++k) {
            EXPECT_EQ(kSincWeights[static_cast<std::size_t>(a)][static_cast<std::size_t>(k)],
                      kSincKernel[static_cast<std::size_t>(10 * k + 10 - a)]);
            sum += kSincWeights[static_cast<std::size_t>(a)][static_cast<std::size_t>(k)];
        }
        EXPECT_NEAR(sum, kSincKernelUnity, 2) << a;
    }
}

TEST(SincInterpolator, GivesNoValueOrThePlainEntryAtTheLimits) {
    Series s = sineSeries(40, 13);
    s[5] = kNoSample;
    struct Case {
        int index, tenths, count;
        std::int32_t expected;
    };
    const Case cases[] = {
        {-1, 5, 40, kNoSample},           // before the series
        {40, 5, 40, kNoSample},           // at count
        {41, 0, 40, kNoSample},           // beyond count, even without a fraction
        {0, 5, 0, kNoSample},             // empty series
        {0, 0, -3, kNoSample},            // negative count
        {39, 1, 40, kNoSample},           // a fraction after the last sample
        {39, 0, 40, s[39]},               // the last sample itself
        {5, 0, 40, kNoSample},            // tenths 0 returns the entry even when it holds no sample
        {12, 0, 40, s[12]},               //
        {12, -1, 40, kNoSample},          // tenths outside 0..9
        {12, 10, 40, kNoSample},          //
        {12, INT_MIN, 40, kNoSample},     //
        {INT_MAX, 3, INT_MAX, kNoSample}, // count beyond the series: only its entries are used
    };
    for (const Case& c : cases)
        EXPECT_EQ(sincInterpolate(s, c.index, c.tenths, c.count), c.expected)
            << c.index << " " << c.tenths << " " << c.count;
    EXPECT_EQ(sincInterpolate(nullptr, 3, 5, 40), kNoSample);
    EXPECT_EQ(sincInterpolate(static_cast<const std::int32_t*>(nullptr), 0, 0, 0), kNoSample);
}

TEST(SincInterpolator, ShortSeriesIsReadOnlyAsFarAsItGoes) {
    const Series s = sineSeries(30, 9);
    const std::span<const std::int32_t> view(s);
    EXPECT_EQ(sincInterpolate(view, 29, 5, 1000), kNoSample); // its last entry
    EXPECT_EQ(sincInterpolate(view, 30, 0, 1000), kNoSample);
    for (int a = 0; a < 10; ++a)
        EXPECT_EQ(sincInterpolate(view, 25, a, 1000), sincInterpolate(view, 25, a, 30)) << a;
    // The pointer form reads count entries.
    EXPECT_EQ(sincInterpolate(s.data(), 25, 4, 30), sincInterpolate(view, 25, 4, 30));
}

TEST(SincInterpolator, ImpulseGivesTheKernelScaledAndRounded) {
    Series s(40, 0);
    s[20] = 1000;
    struct Case {
        int index, tenths;
        std::int32_t expected;
    };
    const Case cases[] = {
        {20, 5, 625},  // 1000 * 4099 * 10 / 65536 = 625.46
        {19, 5, 625},  // the same distance from the other side
        {20, 3, 853},  // 1000 * 5590 -> 852.97
        {19, 7, 853},  //
        {20, 1, 983},  // 1000 * 6442 -> 982.97
        {18, 5, -181}, // 1000 * -1185 -> -180.82
        {20, 0, 1000}, //
        {10, 5, 0},    // beyond the window
    };
    for (const Case& c : cases)
        EXPECT_EQ(sincInterpolate(s, c.index, c.tenths, 40), c.expected)
            << c.index << " " << c.tenths;
}

TEST(SincInterpolator, RoundsHalfAwayFromZero) {
    // At tenths 1 the taps k = 1, 6 and 9 weigh -1, 224 and 676.
    Series up(40, 0);
    up[13] = 192; // k = 1
    up[18] = 74;  // k = 6: sum 16384, 2.5 after scaling
    EXPECT_EQ(sincInterpolate(up, 20, 1, 40), 3);
    Series down(40, 0);
    down[13] = 160; // k = 1
    down[21] = -24; // k = 9: sum -16384, -2.5 after scaling
    EXPECT_EQ(sincInterpolate(down, 20, 1, 40), -3);
}

TEST(SincInterpolator, ConstantSeriesIsUnchangedEverywhere) {
    for (const std::int32_t v : {0, 1, 128, 255}) {
        const Series s = constantSeries(40, v);
        for (int index = 0; index < 39; ++index)
            for (int a = 0; a < 10; ++a)
                ASSERT_EQ(sincInterpolate(s, index, a, 40), v) << v << " " << index << " " << a;
    }
}

// A missing entry is continued from the taps gathered before it, from a zero start: once three
// real taps precede it, a constant series stays constant. (Among the first three taps it is
// continued from the zero start; those taps weigh little, see the literal comparison below.)
TEST(SincInterpolator, ConstantSeriesWithGapsIsUnchanged) {
    Series s = constantSeries(60, 200);
    const int gaps[] = {3, 30, 57}; // at most one in any window of 18 taps
    for (const int gap : gaps)
        s[static_cast<std::size_t>(gap)] = kNoSample;
    for (int index = 0; index < 59; ++index) {
        bool gapAmongFirstThree = false;
        for (const int gap : gaps) {
            const int k = gap - index + 8;             // the gap's tap
            const int order = index >= 8 ? k : 17 - k; // its place in the gathering
            gapAmongFirstThree |= k >= 0 && k < 18 && order < 3;
        }
        if (gapAmongFirstThree)
            continue;
        for (int a = 1; a < 10; ++a)
            ASSERT_EQ(sincInterpolate(s, index, a, 60), 200) << index << " " << a;
    }
}

// A single missing entry in a quadratic series, preceded by at least three real taps in the
// order they are gathered, is extrapolated to the value it would have had.
TEST(SincInterpolator, GapInQuadraticSeriesIsFilledExactly) {
    Series q(50);
    for (int i = 0; i < 50; ++i)
        q[static_cast<std::size_t>(i)] = i * i - 3 * i + 7;
    struct Case {
        int index, gap;
    };
    const Case cases[] = {
        {20, 23}, // upwards, gap after the point
        {20, 20}, // the sample at the point itself
        {20, 16}, // before the point
        {3, 4},   // downwards near the start
        {3, 0},   // the first sample
        {40, 47}, // near the end
    };
    for (const Case& c : cases) {
        Series holed = q;
        holed[static_cast<std::size_t>(c.gap)] = kNoSample;
        for (int a = 1; a < 10; ++a)
            EXPECT_EQ(sincInterpolate(holed, c.index, a, 50), sincInterpolate(q, c.index, a, 50))
                << c.index << " " << c.gap << " " << a;
    }
}

// The kernel sum evaluated in floating point, with the missing taps continued by the quadratic
// through the three samples at the nearer end of the series.
double floatingReference(const Series& s, int index, int a) {
    const int count = static_cast<int>(s.size());
    auto at = [&](int i) { return static_cast<double>(s[static_cast<std::size_t>(i)]); };
    auto tap = [&](int i) {
        if (i < 0) {
            const double d1 = at(1) - at(0), d2 = at(2) - 2 * at(1) + at(0);
            return at(0) + i * d1 + i * (i - 1) / 2.0 * d2;
        }
        if (i >= count) {
            const int j = i - (count - 1);
            const double d1 = at(count - 1) - at(count - 2);
            const double d2 = at(count - 1) - 2 * at(count - 2) + at(count - 3);
            return at(count - 1) + j * d1 + j * (j + 1) / 2.0 * d2;
        }
        return at(i);
    };
    double sum = 0;
    for (int k = 0; k < 18; ++k) {
        const int distance = 10 * (k - 8) - a; // tenths from the point to the tap
        sum += tap(index - 8 + k) * kSincKernel[static_cast<std::size_t>(90 + distance)];
    }
    return sum * 10 / 65536;
}

TEST(SincInterpolator, MatchesTheKernelSumInFloatingPoint) {
    const Series s = sineSeries(200, 23.7);
    const std::pair<int, int> points[] = {
        {100, 1}, {100, 5}, {101, 9}, {57, 3}, {150, 7}, // all taps inside
        {0, 5},   {2, 3},   {7, 9},                      // extrapolated below the start
        {198, 5}, {195, 2}, {191, 8},                    // extrapolated past the end
    };
    for (const auto& [index, a] : points) {
        const double expected = floatingReference(s, index, a);
        EXPECT_NEAR(sincInterpolate(s, index, a, 200), expected, 0.5) << index << " " << a;
    }
}

TEST(SincInterpolator, ReproducesASampledSine) {
    // Five samples per period, far above where straight lines between samples are good.
    const double period = 5.3;
    const Series s = sineSeries(400, period);
    double worstSinc = 0, worstLinear = 0;
    for (int index = 20; index < 380; ++index) {
        for (int a = 1; a < 10; ++a) {
            const double x = index + a / 10.0;
            const double truth = 128 + 100 * std::sin(kTwoPi * x / period);
            const double linear =
                s[static_cast<std::size_t>(index)] +
                (s[static_cast<std::size_t>(index + 1)] - s[static_cast<std::size_t>(index)]) * a /
                    10.0;
            worstSinc = std::max(worstSinc, std::abs(sincInterpolate(s, index, a, 400) - truth));
            worstLinear = std::max(worstLinear, std::abs(linear - truth));
        }
    }
    EXPECT_LT(worstSinc, 1.5); // the samples themselves are rounded to codes
    EXPECT_GT(worstLinear, 10 * worstSinc);
}

// The 32-bit computation, literally, for instrument codes with missing entries scattered in.
TEST(SincInterpolator, AgreesWithLiteral32BitArithmeticOnSampleCodes) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> code(0, 255);
    std::uniform_int_distribution<int> hole(0, 19);
    for (const int count : {3, 17, 18, 19, 120}) {
        Series s(static_cast<std::size_t>(count));
        for (auto& v : s)
            v = hole(rng) == 0 ? kNoSample : code(rng);
        for (int index = -1; index <= count; ++index)
            for (int a = 0; a < 10; ++a)
                ASSERT_EQ(sincInterpolate(s, index, a, count), reference32(s, index, a, count))
                    << count << " " << index << " " << a;
    }
}

// Hostile values (from a damaged or crafted file): no undefined behaviour (the sanitizer build
// watches); no value exactly where the 32-bit computation would wrap, and otherwise its value,
// within the range a 32-bit sum scales to. Extreme entries are sprinkled among large ones so
// that both outcomes occur.
TEST(SincInterpolator, HostileValuesGiveNoValueOrThe32BitResult) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<std::int32_t> any(INT32_MIN, INT32_MAX);
    std::uniform_int_distribution<int> kind(0, 19);
    int given = 0, refused = 0;
    for (int round = 0; round < 200; ++round) {
        Series s(64);
        for (auto& v : s) {
            switch (kind(rng)) {
            case 0:
                v = any(rng);
                break;
            case 1:
                v = kNoSample;
                break;
            case 2:
                v = INT32_MIN;
                break;
            default:
                v = any(rng) % 300000;
                break;
            }
        }
        for (int index = 0; index < 64; ++index) {
            for (int a = 1; a < 10; ++a) {
                const std::int32_t r = sincInterpolate(s, index, a, 64);
                if (index == 63) { // a fraction after the last sample
                    ASSERT_EQ(r, kNoSample);
                    continue;
                }
                const bool wraps = wraps32(s, index, a, 64);
                ASSERT_EQ(r == kNoSample, wraps) << round << " " << index << " " << a;
                if (wraps) {
                    ++refused;
                    continue;
                }
                ++given;
                ASSERT_LE(std::abs(r), 327680) << round << " " << index << " " << a;
                ASSERT_EQ(r, reference32(s, index, a, 64)) << round << " " << index << " " << a;
            }
        }
    }
    EXPECT_GT(given, 0);
    EXPECT_GT(refused, 0);
}

TEST(SincInterpolator, SumBeyond32BitsGivesNoValue) {
    // A constant c sums to c * 6552 at tenths 5: 300000 still fits 32 bits, 330000 does not.
    EXPECT_EQ(sincInterpolate(constantSeries(40, 300000), 20, 5, 40), 299927);
    EXPECT_EQ(sincInterpolate(constantSeries(40, 330000), 20, 5, 40), kNoSample);
    // Alternating extremes near the start drive the extrapolated taps out of range.
    Series wild(40, 0);
    for (int i = 0; i < 12; ++i)
        wild[static_cast<std::size_t>(i)] = i % 2 ? INT32_MIN : INT32_MAX - 1;
    EXPECT_EQ(sincInterpolate(wild, 0, 5, 40), kNoSample);
}

} // namespace
} // namespace qs40

#include "display/spectrum.h"

#include "display/fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace qs40 {
namespace {

using Series = std::vector<std::int32_t>;
using Counts = std::vector<std::int32_t>;

constexpr std::int32_t kOneVolt = 1000000; // volts per division in µV
constexpr std::int32_t kNone = INT32_MAX;

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

// A full sample array: a sine of the given amplitude (codes) around code 128, cycles per `period`
// samples, plus optional noise, then entries without a sample.
Series sine(int count, double amplitude, double cycles, int period, int noise = 0,
            unsigned seed = 1) {
    Series s(kSpectrumEntries, kNone);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> jitter(-noise, noise);
    for (int i = 0; i < count; ++i)
        s[at(i)] = static_cast<std::int32_t>(std::lround(
                       128 + amplitude * std::sin(2 * std::numbers::pi * cycles * i / period))) +
                   (noise > 0 ? jitter(rng) : 0);
    return s;
}

SpectrumFrame linearFrame(int valid) {
    return {valid, valid, 0, 0};
}

struct Result {
    Counts counts;
    bool valid;
    int reference;
    double level;
    double frequency;
};

Result run(Spectrum& spectrum, int size, int win, int scale, const Series& series,
           std::int32_t voltsPerDivision, const SpectrumFrame& frame) {
    Counts counts(kSpectrumEntries, -7);
    spectrum.compute(size, win, scale, series, voltsPerDivision, frame, counts);
    return {counts, spectrum.valid(), spectrum.referenceLevel(), spectrum.peakLevel(),
            spectrum.peakFrequency()};
}

Result run(int size, int win, int scale, const Series& series, std::int32_t voltsPerDivision,
           const SpectrumFrame& frame) {
    Spectrum spectrum;
    return run(spectrum, size, win, scale, series, voltsPerDivision, frame);
}

void expectSame(const Result& a, const Result& b) {
    EXPECT_EQ(a.counts, b.counts);
    EXPECT_EQ(a.valid, b.valid);
    EXPECT_EQ(a.reference, b.reference);
    EXPECT_EQ(a.level, b.level);
    EXPECT_EQ(a.frequency, b.frequency);
}

// The spectrum without a picture: flat at the bottom, no peak.
void expectFlat(const Result& r, int bins) {
    EXPECT_FALSE(r.valid);
    for (int k = 0; k < kSpectrumEntries; ++k)
        ASSERT_EQ(r.counts[at(k)], k < bins ? 0 : kNone) << k;
}

// The fifteen steps for a plain frame, written out as directly as they read.
Result literalSpectrum(int size, int win, int scale, const Series& series, std::int32_t vpd,
                       int valid) {
    const int e = (size >= 1 && size <= 5) ? 10 + size : 10;
    const int N = 1 << e;
    const int n = std::min(valid, N);
    Result r{Counts(kSpectrumEntries, kNone), false, 0, 0, 0};
    std::vector<std::complex<double>> X(kFftWorkEntries);
    double sum = 0;
    for (int i = 0; i < n; ++i)
        sum += series[at(i)];
    const double mean = sum / n;
    double S = 0;
    for (int i = 0; i < n; ++i) {
        const double x = static_cast<double>(i) / (n - 1);
        double w = 1;
        if (win == 1)
            w = 0.5 - 0.5 * std::cos(6.2831852 * x);
        else if (win != 0)
            w = 1 - 1.93 * std::cos(6.2831852 * x) + 1.29 * std::cos(12.5663704 * x) -
                0.388 * std::cos(18.8495556 * x) + 0.032 * std::cos(25.1327408 * x);
        S += w;
        X[at(i)] = std::complex<double>(w * (series[at(i)] - mean), 0);
    }
    Fft().forward(e, X);
    double h = 20 * std::log10(vpd * 4.0 * 1e-6 * 0.7071067811865475);
    if (scale == 1)
        h += 13.0102999566;
    if (scale == 2)
        h += 11.2493873661;
    if (scale == 3)
        h += 2.2184874961;
    const double s =
        -20 * std::log10(S) - 20 * std::log10(90.50966799187808) + 10 * std::log10(2) + h;
    r.reference = -120;
    while (h - 0.5 >= r.reference && r.reference < 120)
        r.reference += 5;
    auto P = [&](int k) { return std::norm(X[at(k)]); };
    for (int k = 0; k < N / 2; ++k) {
        int c = 0;
        if (P(k) != 0)
            c = static_cast<int>(std::round(32 * std::log10(P(k)) + 3.2 * (s + 80 - r.reference)));
        r.counts[at(k)] = std::max(c, 0);
    }
    int w = 0;
    for (int k = 1; k < N / 2; ++k)
        if (P(k) > P(w))
            w = k;
    if (P(w) == 0)
        return r;
    const double C = static_cast<double>(n) / N;
    const int J = static_cast<int>(4 / C);
    double D = P(w);
    double M = 0;
    for (int j = 1; j < J && w - j >= 0 && w + j < N / 2; ++j) {
        D += P(w - j) + P(w + j);
        M += j * (P(w + j) - P(w - j));
    }
    r.frequency = (w + M / D) * 2 / N;
    const double G = D * C;
    const double lg = win == 0 ? std::log10(G)
                               : (win == 1 ? std::log10(G * 0.6666666666666666) : std::log10(P(w)));
    r.level = 10 * lg + s;
    r.valid = true;
    return r;
}

TEST(Spectrum, FftExponentForSizeSetting) {
    const int cases[][2] = {{1, 11}, {2, 12},  {3, 13},   {4, 14},       {5, 15},      {0, 10},
                            {6, 10}, {-1, 10}, {100, 10}, {INT_MAX, 10}, {INT_MIN, 10}};
    for (const auto& c : cases)
        EXPECT_EQ(fftExponent(c[0]), c[1]) << c[0];
}

// Every window, scale and size against the steps written out literally, bit for bit.
TEST(Spectrum, FollowsTheStepsForEveryWindowScaleAndSize) {
    Spectrum spectrum; // one object throughout, as in the program
    const Series noisy = sine(40000, 90, 1234.5, 40000, 3, 7);
    struct Case {
        int size, win, scale, valid;
        std::int32_t vpd;
    };
    const Case cases[] = {
        {0, 0, 0, 1024, kOneVolt},  {0, 1, 1, 700, 50000},     {0, 2, 2, 1024, 2000000},
        {1, 2, 3, 2048, 10000},     {2, 1, 0, 1000, kOneVolt}, {3, 0, 1, 8192, 100000},
        {4, 7, 2, 16384, 5000000},  {5, 1, 3, 32768, 20000},   {5, 2, 0, 40000, kOneVolt},
        {2, -3, 0, 4096, kOneVolt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << " win " << c.win << " scale "
                                        << c.scale << " valid " << c.valid);
        const Result r = run(spectrum, c.size, c.win, c.scale, noisy, c.vpd, linearFrame(c.valid));
        expectSame(r, literalSpectrum(c.size, c.win, c.scale, noisy, c.vpd, c.valid));
        EXPECT_TRUE(r.valid);
    }
}

TEST(Spectrum, FullScaleSineReadsItsRmsLevel) {
    // Four divisions peak at 1 V/div: 128 codes, 2.83 V peak, 2 V RMS = 9.03 dBV, on a bin.
    const Result r = run(0, 0, 0, sine(1024, 128, 64, 1024), kOneVolt, linearFrame(1024));
    EXPECT_TRUE(r.valid);
    EXPECT_NEAR(r.level, 20 * std::log10(4 / std::numbers::sqrt2), 0.01);
    EXPECT_EQ(r.reference, 10);
    EXPECT_DOUBLE_EQ(r.frequency, 64.0 * 2 / 1024);
    // The peak lies 9.03 - 10 dB from the top: 256 + 3.2 x (9.03 - 10) counts.
    EXPECT_NEAR(r.counts[64], 256 + 3.2 * (9.03 - 10), 1);
}

TEST(Spectrum, WindowsReadTheLevelAndFrequencyOfASineBetweenBins) {
    // 100 codes at 1 V/div: 3.125 V peak, 6.89 dBV; 4096 points, 100.3 bins.
    const double level = 20 * std::log10(100.0 / 32 / std::numbers::sqrt2);
    for (int win : {1, 2}) {
        const Result r = run(2, win, 0, sine(4096, 100, 100.3, 4096), kOneVolt, linearFrame(4096));
        EXPECT_TRUE(r.valid);
        EXPECT_NEAR(r.level, level, 0.05) << "win " << win;
        EXPECT_NEAR(r.frequency * 4096 / 2, 100.3, 0.05) << "win " << win;
    }
}

TEST(Spectrum, ScalesAddTheirDbmOffsets) {
    const Series s = sine(1024, 128, 64, 1024);
    const Result dbv = run(0, 0, 0, s, kOneVolt, linearFrame(1024));
    const double offsets[] = {0, 13.0102999566, 11.2493873661, 2.2184874961};
    const int references[] = {10, 25, 20, 15};
    for (int scale = 1; scale <= 3; ++scale) {
        const Result r = run(0, 0, scale, s, kOneVolt, linearFrame(1024));
        EXPECT_NEAR(r.level - dbv.level, offsets[scale], 1e-9) << scale;
        EXPECT_EQ(r.reference, references[scale]) << scale;
    }
    // An unknown scale counts in dBV.
    expectSame(run(0, 0, 9, s, kOneVolt, linearFrame(1024)), dbv);
    expectSame(run(0, 0, -1, s, kOneVolt, linearFrame(1024)), dbv);
}

TEST(Spectrum, ReferenceLevelIsTheFirstMultipleOfFiveAboveTheFullScaleLevel) {
    // Full scale h = 20 log10(vpd x 4 x 1e-6 / sqrt 2); the reference is the first multiple of
    // 5 above h - 0.5: 2105983 µV gives h = 15.499997, 2105984 µV h = 15.500001.
    const struct {
        std::int32_t vpd;
        int reference;
    } cases[] = {{1, -110},     {10, -90},     {1000, -50},         {250000, 0},    {kOneVolt, 10},
                 {2105983, 15}, {2105984, 20}, {10 * kOneVolt, 30}, {INT32_MAX, 80}};
    const Series s = sine(1024, 50, 10, 1024);
    for (const auto& c : cases)
        EXPECT_EQ(run(0, 0, 0, s, c.vpd, linearFrame(1024)).reference, c.reference) << c.vpd;
}

TEST(Spectrum, SizeSettingDecidesTheCountsWritten) {
    const Series s = sine(40000, 60, 3000, 40000, 2);
    for (int size : {-1, 0, 1, 2, 3, 4, 5, 6, 100}) {
        const int bins = (size >= 1 && size <= 5 ? 1024 << size : 1024) / 2;
        const Result r = run(size, 1, 0, s, kOneVolt, linearFrame(40000));
        EXPECT_TRUE(r.valid);
        for (int k = 0; k < kSpectrumEntries; ++k) {
            if (k < bins) { // a count, not the mark of an entry without one
                ASSERT_GE(r.counts[at(k)], 0) << "size " << size << " bin " << k;
                ASSERT_NE(r.counts[at(k)], kNone) << "size " << size << " bin " << k;
            } else {
                ASSERT_EQ(r.counts[at(k)], kNone) << "size " << size << " entry " << k;
            }
        }
    }
}

// 1000 samples into 4096 points: C = 1000 / 4096 and J = trunc(4 / C) = 16, so the peak's
// frequency is the power-weighted mean over 15 bins on each side. Checked against the power
// spectrum computed here by the definition.
TEST(Spectrum, PartialFrameInterpolatesOverSixteenNeighbours) {
    const int n = 1000;
    const int size = 4096;
    const Series s = sine(n, 100, 123.37, n);
    const Result r = run(2, 0, 0, s, kOneVolt, linearFrame(n));
    ASSERT_TRUE(r.valid);

    double mean = 0;
    for (int i = 0; i < n; ++i)
        mean += s[at(i)];
    mean /= n;
    std::vector<double> power(size / 2);
    for (int k = 0; k < size / 2; ++k) {
        std::complex<double> sum = 0;
        for (int i = 0; i < n; ++i)
            sum += (s[at(i)] - mean) * std::polar(1.0, -2 * std::numbers::pi * i * k / size);
        power[at(k)] = std::norm(sum);
    }
    const int peak = static_cast<int>(std::max_element(power.begin(), power.end()) - power.begin());
    auto centroid = [&](int j) {
        double d = power[at(peak)];
        double m = 0;
        for (int i = 1; i < j; ++i) {
            d += power[at(peak - i)] + power[at(peak + i)];
            m += i * (power[at(peak + i)] - power[at(peak - i)]);
        }
        return (peak + m / d) * 2 / size;
    };
    EXPECT_NEAR(r.frequency, centroid(16), 1e-10);
    EXPECT_GT(std::abs(r.frequency - centroid(15)), 1e-7);
    EXPECT_GT(std::abs(r.frequency - centroid(17)), 1e-7);
    // Rectangular window: the level is that of the power summed over the 31 bins, times C.
    const double s0 = -20 * std::log10(n) - 20 * std::log10(90.50966799187808) +
                      10 * std::log10(2) + 20 * std::log10(4 * std::numbers::sqrt2 / 2);
    double d = 0;
    for (int i = -15; i <= 15; ++i)
        d += power[at(peak + i)];
    EXPECT_NEAR(r.level, 10 * std::log10(d * n / size) + s0, 1e-9);
}

TEST(Spectrum, PeakInTheFirstBinIsNotInterpolated) {
    // A raised middle half under the Hann window: the windowed sum, bin 0, is the largest.
    const int n = 1024;
    Series s(kSpectrumEntries, kNone);
    for (int i = 0; i < n; ++i)
        s[at(i)] = (i >= n / 4 && i < 3 * n / 4) ? 200 : 100;
    const Result r = run(0, 1, 0, s, kOneVolt, linearFrame(n));
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.frequency, 0.0);
    // Only bin 0 counts: level = 10 log10(P(0) x C x 2/3) + s, C = 1, P(0) = (sum w x)^2.
    double windowed = 0;
    double windowSum = 0;
    for (int i = 0; i < n; ++i) {
        const double w = 0.5 - 0.5 * std::cos(6.2831852 * i / (n - 1));
        windowed += w * (s[at(i)] - 150);
        windowSum += w;
    }
    const double offset = -20 * std::log10(windowSum) - 20 * std::log10(90.50966799187808) +
                          10 * std::log10(2) + 20 * std::log10(4 * std::numbers::sqrt2 / 2);
    EXPECT_NEAR(r.level, 10 * std::log10(windowed * windowed * 0.6666666666666666) + offset, 1e-9);
}

TEST(Spectrum, PeakInTheLastBinIsNotInterpolated) {
    // 511 cycles in 1024 samples, with some noise: the peak is bin N / 2 - 1; its upper
    // neighbour is off the end, so the interpolation stops before using any neighbour.
    const int n = 1024;
    const Result r = run(0, 0, 0, sine(n, 100, 511, n, 2), kOneVolt, linearFrame(n));
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.frequency, 511.0 * 2 / 1024);
    EXPECT_NEAR(r.level, 20 * std::log10(100.0 / 32 / std::numbers::sqrt2), 0.01);
}

TEST(Spectrum, RollFrameUsesTheNewestSamplesNewestFirst) {
    // A ring of 5000 samples whose next write goes to 300: the newest 2000 samples are
    // 299 .. 0, then 4999 .. 3300.
    const Series ring = sine(5000, 80, 333.3, 5000, 5, 3);
    Series newestFirst(kSpectrumEntries, kNone);
    for (int i = 0; i < 2000; ++i)
        newestFirst[at(i)] = ring[at((300 - i - 1 + 5000) % 5000)];
    const Result expected = run(1, 2, 0, newestFirst, kOneVolt, linearFrame(2000));
    ASSERT_TRUE(expected.valid);
    expectSame(run(1, 2, 0, ring, kOneVolt, {5000, 2000, 300, 1}), expected);

    // Ring positions at both ends of the ring.
    for (int position : {0, 5000}) {
        for (int i = 0; i < 2000; ++i)
            newestFirst[at(i)] = ring[at(5000 - i - 1)];
        expectSame(run(1, 2, 0, ring, kOneVolt, {5000, 2000, position, 1}),
                   run(1, 2, 0, newestFirst, kOneVolt, linearFrame(2000)));
    }
}

TEST(Spectrum, SilentChannelHasNoPeakButAReference) {
    Spectrum spectrum;
    const Result before =
        run(spectrum, 2, 1, 0, sine(4096, 50, 10, 4096), kOneVolt, linearFrame(4096));
    ASSERT_TRUE(before.valid);
    const Result r =
        run(spectrum, 2, 1, 0, Series(kSpectrumEntries, 77), 10 * kOneVolt, linearFrame(4096));
    expectFlat(r, 2048);
    EXPECT_EQ(r.reference, 30);
    // The peak readings keep their last values.
    EXPECT_EQ(r.level, before.level);
    EXPECT_EQ(r.frequency, before.frequency);
}

// Frames from files may say anything; each case gives the result of a plainer frame or a flat,
// invalid spectrum.
TEST(Spectrum, ImplausibleFramesGiveDefinedResults) {
    const Series s = sine(40000, 70, 555.5, 40000, 4, 11);
    const Result full = run(0, 1, 0, s, kOneVolt, linearFrame(1024));
    ASSERT_TRUE(full.valid);

    // More valid samples than the array holds: the transform size limits them.
    expectSame(run(0, 1, 0, s, kOneVolt, {40000, 100000, 0, 0}), full);
    expectSame(run(0, 1, 0, s, kOneVolt, {40000, INT32_MAX, 0, 0}), full);

    // Nothing usable: no samples, one sample, a broken ring.
    const SpectrumFrame empty[] = {
        {1024, 0, 0, 0},         {1024, -5, 0, 0},
        {1024, INT32_MIN, 0, 0}, {1024, 1, 0, 0},
        {0, 1024, 0, 1},         {-3, 1024, 0, 1},
        {50000, 1024, 10, 1},    {5000, 1024, -1, 1},
        {5000, 1024, 5001, 1},   {5000, 1024, INT32_MIN, 1},
    };
    for (const SpectrumFrame& f : empty) {
        SCOPED_TRACE(testing::Message() << f.totalSamples << " " << f.validSamples << " "
                                        << f.ringPosition << " " << f.roll);
        const Result r = run(0, 1, 0, s, kOneVolt, f);
        expectFlat(r, 512);
        EXPECT_EQ(r.reference, 10);
    }

    // Two samples are enough for a spectrum.
    EXPECT_TRUE(run(0, 1, 0, s, kOneVolt, linearFrame(2)).valid);

    // A ring shorter than the valid count gives the whole ring once.
    Series newestFirst(kSpectrumEntries, kNone);
    for (int i = 0; i < 600; ++i)
        newestFirst[at(i)] = s[at((100 - i - 1 + 600) % 600)];
    expectSame(run(0, 1, 0, s, kOneVolt, {600, 1024, 100, 1}),
               run(0, 1, 0, newestFirst, kOneVolt, linearFrame(600)));
}

TEST(Spectrum, SamplesStopAtTheFirstEntryWithoutASample) {
    Series s = sine(40000, 70, 555.5, 40000, 4, 12);
    const Result shorter = run(0, 0, 0, s, kOneVolt, linearFrame(700));
    s[700] = kNone;
    expectSame(run(0, 0, 0, s, kOneVolt, linearFrame(1024)), shorter);
    // In a ring, going back from the ring position.
    Series ring = sine(3000, 70, 55.5, 3000, 4, 13);
    ring[2500] = kNone;
    Series newestFirst(kSpectrumEntries, kNone);
    for (int i = 0; i < 599; ++i)
        newestFirst[at(i)] = ring[at((100 - i - 1 + 3000) % 3000)];
    expectSame(run(0, 0, 0, ring, kOneVolt, {3000, 2000, 100, 1}),
               run(0, 0, 0, newestFirst, kOneVolt, linearFrame(599)));
    // A gap at the start leaves nothing.
    ring[99] = kNone;
    expectFlat(run(0, 0, 0, ring, kOneVolt, {3000, 2000, 100, 1}), 512);
}

TEST(Spectrum, ShortArraysAreNotOverrun) {
    const Series s = sine(40000, 70, 55.5, 40000, 4, 14);
    Spectrum spectrum;
    // A series shorter than the valid count: only what it holds is read.
    const Series shortSeries(s.begin(), s.begin() + 500);
    Counts counts(kSpectrumEntries);
    spectrum.compute(0, 0, 0, shortSeries, kOneVolt, linearFrame(1024), counts);
    const Result five = run(0, 0, 0, s, kOneVolt, linearFrame(500));
    EXPECT_EQ(counts, five.counts);
    EXPECT_EQ(spectrum.peakLevel(), five.level);
    // A ring longer than the series is refused.
    spectrum.compute(0, 0, 0, shortSeries, kOneVolt, {600, 500, 10, 1}, counts);
    EXPECT_FALSE(spectrum.valid());
    // A spectrum array shorter than the bins gets what fits.
    Counts few(100, -1);
    spectrum.compute(0, 0, 0, s, kOneVolt, linearFrame(1024), few);
    const Result whole = run(0, 0, 0, s, kOneVolt, linearFrame(1024));
    EXPECT_TRUE(std::equal(few.begin(), few.end(), whole.counts.begin()));
    EXPECT_EQ(spectrum.peakLevel(), whole.level);
}

TEST(Spectrum, VoltsPerDivisionWithoutALevelScale) {
    const Series s = sine(1024, 70, 55.5, 1024);
    for (std::int32_t vpd : {0, -1, -1000000, INT32_MIN}) {
        const Result r = run(0, 0, 0, s, vpd, linearFrame(1024));
        expectFlat(r, 512);
        EXPECT_EQ(r.reference, -120) << vpd;
    }
}

TEST(Spectrum, ExtremeSampleValuesStayFinite) {
    Series s(kSpectrumEntries, kNone);
    for (int i = 0; i < 32768; ++i)
        s[at(i)] = (i % 3 == 0) ? INT32_MIN : INT32_MAX - 1;
    const Result r = run(5, 2, 1, s, INT32_MAX, linearFrame(32768));
    EXPECT_TRUE(r.valid);
    EXPECT_TRUE(std::isfinite(r.level));
    EXPECT_TRUE(std::isfinite(r.frequency));
    for (int k = 0; k < 16384; ++k) {
        ASSERT_GE(r.counts[at(k)], 0) << k;
        ASSERT_NE(r.counts[at(k)], kNone) << k;
    }
}

} // namespace
} // namespace qs40

#include "display/spectrum.h"

#include "display/sinc_interpolator.h"
#include "scope/arith.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace qs40 {
namespace {

// Angles of the window cosines: 2 pi, 4 pi, 6 pi and 8 pi to seven decimals. These decimals, not
// exact multiples of pi, make the window values (and so the levels) what they have always been.
constexpr double kAngle1 = 6.2831852;
constexpr double kAngle2 = 12.5663704;
constexpr double kAngle3 = 18.8495556;
constexpr double kAngle4 = 25.1327408;

// 10 log10(1000 / R): dBm into R ohms from dBV.
constexpr double kDbm50 = 13.0102999566;
constexpr double kDbm75 = 11.2493873661;
constexpr double kDbm600 = 2.2184874961;

constexpr double kSqrtHalf = 0.7071067811865475;
constexpr double kFullScaleCounts = 90.50966799187808; // 64 sqrt 2
constexpr double kHannPowerGain = 0.6666666666666666;

constexpr int kLowestReference = -120;
constexpr int kHighestReference = 120;
constexpr int kReferenceStep = 5;
constexpr double kCountsPerDb = 3.2;
constexpr double kPlotRangeDb = 80;

inline std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

int windowKind(int winCode) {
    return winCode == 0 ? 0 : (winCode == 1 ? 1 : 2);
}

double windowWeight(int kind, double x) {
    switch (kind) {
    case 0:
        return 1;
    case 1:
        return 0.5 - 0.5 * std::cos(kAngle1 * x);
    default:
        return 1 - 1.93 * std::cos(kAngle1 * x) + 1.29 * std::cos(kAngle2 * x) -
               0.388 * std::cos(kAngle3 * x) + 0.032 * std::cos(kAngle4 * x);
    }
}

// The RMS level in dBV (or dBm) of a sine whose peak spans four divisions; voltsPerDivision > 0.
double fullScaleLevel(std::int32_t voltsPerDivision, int scaleCode) {
    double h = 20 * std::log10(static_cast<double>(voltsPerDivision) * 4 * 1e-6 * kSqrtHalf);
    if (scaleCode == 1)
        h += kDbm50;
    else if (scaleCode == 2)
        h += kDbm75;
    else if (scaleCode == 3)
        h += kDbm600;
    return h;
}

// The first multiple of 5 in -120 .. 115 above h - 0.5, or 120.
int referenceLevelFor(double h) {
    int reference = kLowestReference;
    while (h - 0.5 >= reference && reference < kHighestReference)
        reference += kReferenceStep;
    return reference;
}

inline double power(const std::complex<double>& v) {
    return v.real() * v.real() + v.imag() * v.imag();
}

} // namespace

int fftExponent(int sizeCode) {
    return sizeCode >= 1 && sizeCode <= 5 ? 10 + sizeCode : 10;
}

const Spectrum::Window& Spectrum::window(int winCode, int n) {
    const int kind = windowKind(winCode);
    if (window_.kind == kind && window_.length == n)
        return window_;
    window_.kind = kind;
    window_.length = n;
    window_.weights.resize(at(n));
    window_.sum = 0;
    for (int i = 0; i < n; ++i) {
        const double x = static_cast<double>(i) / (n - 1);
        window_.weights[at(i)] = windowWeight(kind, x);
        window_.sum += window_.weights[at(i)];
    }
    return window_;
}

// Puts up to limit samples, in the order the spectrum takes them, into the real parts of the
// work buffer and returns how many it found.
int Spectrum::readSamples(std::span<const std::int32_t> series, const SpectrumFrame& frame,
                          int limit) {
    const int available = static_cast<int>(std::min<std::size_t>(series.size(), kFftWorkEntries));
    int n = std::clamp(frame.validSamples, 0, limit);
    int ring = 0;
    if (frame.roll != 0) {
        ring = frame.totalSamples;
        if (ring < 1 || ring > available || frame.ringPosition < 0 || frame.ringPosition > ring)
            return 0;
        n = std::min(n, ring);
    } else {
        n = std::min(n, available);
    }
    for (int i = 0; i < n; ++i) {
        int index = i;
        if (frame.roll != 0) {
            index = frame.ringPosition - i - 1;
            if (index < 0)
                index += ring;
        }
        const std::int32_t sample = series[at(index)];
        if (sample == kNoSample)
            return i;
        work_[at(i)] = sample;
    }
    return n;
}

void Spectrum::compute(int sizeCode, int winCode, int scaleCode,
                       std::span<const std::int32_t> series, std::int32_t voltsPerDivision,
                       const SpectrumFrame& frame, std::span<std::int32_t> spectrum) {
    if (work_.empty())
        work_.resize(kFftWorkEntries);
    const int exponent = fftExponent(sizeCode);
    const int size = 1 << exponent;
    const int bins = size / 2;

    // Entries from the transform size on are never read, so only the used part is cleared.
    std::fill(spectrum.begin(), spectrum.end(), kNoSample);
    std::fill(work_.begin(), work_.begin() + size, std::complex<double>());
    const int shown = std::min(bins, static_cast<int>(spectrum.size()));
    std::fill(spectrum.begin(), spectrum.begin() + shown, 0);

    valid_ = false;
    if (voltsPerDivision <= 0) {
        referenceLevel_ = kLowestReference;
        return;
    }
    const double h = fullScaleLevel(voltsPerDivision, scaleCode);
    referenceLevel_ = referenceLevelFor(h);

    const int n = readSamples(series, frame, size);
    if (n < 2)
        return;

    // Mean removal and window.
    double sum = 0;
    for (int i = 0; i < n; ++i)
        sum += work_[at(i)].real();
    const double mean = sum / n;
    const Window& w = window(winCode, n);
    for (int i = 0; i < n; ++i)
        work_[at(i)] = {w.weights[at(i)] * (work_[at(i)].real() - mean), 0};

    fft_.forward(exponent, work_);

    // Level of bin k: 10 log10(P(k)) + s.
    const double s =
        -20 * std::log10(w.sum) - 20 * std::log10(kFullScaleCounts) + 10 * std::log10(2) + h;

    // Display counts, and the peak: the bin with the largest power, the lowest one on a tie.
    int peak = 0;
    double largest = 0;
    for (int k = 0; k < bins; ++k) {
        const double p = power(work_[at(k)]);
        if (p > largest) {
            largest = p;
            peak = k;
        }
        if (p != 0 && k < shown) {
            const std::int32_t c = roundToInt32(
                32 * std::log10(p) + kCountsPerDb * (s + kPlotRangeDb - referenceLevel_));
            spectrum[at(k)] = std::max(c, 0);
        }
    }
    if (largest == 0)
        return;

    // The peak's frequency is the power-weighted mean of the bins around it: J - 1 on each side,
    // J = 4 N / n (four bins of an n-point transform), as far as both sides reach.
    const double coverage = static_cast<double>(n) / size;
    const int neighbours = static_cast<int>(4 / coverage);
    double d = largest;
    double moment = 0;
    for (int j = 1; j < neighbours; ++j) {
        if (peak - j < 0 || peak + j >= bins)
            break;
        const double below = power(work_[at(peak - j)]);
        const double above = power(work_[at(peak + j)]);
        d += below + above;
        moment += j * (above - below);
    }
    peakFrequency_ = (peak + moment / d) * 2 / size;

    double e = 0;
    switch (windowKind(winCode)) {
    case 0:
        e = std::log10(d * coverage);
        break;
    case 1:
        e = std::log10(d * coverage * kHannPowerGain);
        break;
    default:
        e = std::log10(largest);
        break;
    }
    peakLevel_ = 10 * e + s;
    valid_ = true;
}

} // namespace qs40

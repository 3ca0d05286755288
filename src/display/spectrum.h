// The power spectrum of one channel's first series for the spectrum view: display counts for the
// trace drawer, and the reference level and spectral peak for the measurement text.
#pragma once

#include "display/fft.h"

#include <complex>
#include <cstdint>
#include <span>
#include <vector>

namespace qs40 {

// Entries of the spectrum array, and complex values of the FFT work buffer.
inline constexpr int kSpectrumEntries = 40000;
inline constexpr int kFftWorkEntries = 40000;

// The frame header fields the spectrum reads.
struct SpectrumFrame {
    std::int32_t totalSamples = 0; // field 6: the ring length of a roll frame
    std::int32_t validSamples = 0; // field 8
    std::int32_t ringPosition = 0; // field 9: where a roll frame writes its next sample
    std::int32_t roll = 0;         // field 10: non-zero for a roll frame
};

// The FFT size for the `Size` setting is 2^fftExponent: 10 + `Size` for 1..5, else 10.
int fftExponent(int sizeCode);

// The spectrum routine and the results it keeps for the measurement text until the next call.
// It lives as long as the program: its work buffer is allocated on the first call and kept.
class Spectrum {
public:
    // Computes the spectrum of series, taken with voltsPerDivision (µV) at capture, for the
    // `Size`, `Win` and `Scale` settings. Every entry of spectrum is set to INT32_MAX, then
    // entries 0 .. N / 2 - 1 (N the FFT size) receive display counts: 3.2 per dB, 0 at the
    // reference level - 80 dB, never negative.
    //
    // The samples used are the first min(valid samples, N) of series, or for a roll frame the
    // newest ones, newest first, going back from the ring position around the ring. Input that
    // an acquired frame never has but a file may is given a defined result instead of being
    // trusted: at most series.size() samples are read; a roll frame whose ring length is not in
    // 1 .. series.size() or whose ring position is outside 0 .. ring length has no samples, and
    // at most ring length samples are taken from a ring; the samples stop at the first entry
    // without a sample (INT32_MAX). Fewer than two samples, or volts per division <= 0 (no level
    // scale), give an invalid spectrum drawn as a flat line at the bottom, like a silent channel;
    // with volts per division <= 0 the reference level is -120. A `Scale` other than 1..3 gives
    // dBV. Spectrum entries beyond spectrum.size() are not written.
    void compute(int sizeCode, int winCode, int scaleCode, std::span<const std::int32_t> series,
                 std::int32_t voltsPerDivision, const SpectrumFrame& frame,
                 std::span<std::int32_t> spectrum);

    // False when the last spectrum had no peak (a silent channel) or could not be computed.
    bool valid() const { return valid_; }
    // dB value of the top edge of the plot, a multiple of 5 in -120 .. 120.
    int referenceLevel() const { return referenceLevel_; }
    // Level of the peak in dBV or dBm; kept from the last valid spectrum.
    double peakLevel() const { return peakLevel_; }
    // Frequency of the peak as a fraction of half the sample rate; kept from the last valid
    // spectrum.
    double peakFrequency() const { return peakFrequency_; }

private:
    // The window of the last call, kept because its cosines cost more than the transform.
    struct Window {
        int kind = -1; // 0 rectangular, 1 Hann, 2 flat top
        int length = 0;
        std::vector<double> weights;
        double sum = 0;
    };

    const Window& window(int winCode, int n);
    int readSamples(std::span<const std::int32_t> series, const SpectrumFrame& frame, int limit);

    Fft fft_;
    std::vector<std::complex<double>> work_;
    Window window_;
    bool valid_ = false;
    int referenceLevel_ = 0;
    double peakLevel_ = 0;
    double peakFrequency_ = 0;
};

} // namespace qs40

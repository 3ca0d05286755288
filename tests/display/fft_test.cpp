#include "display/fft.h"

#include <fftw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

namespace qs40 {
namespace {

using Complex = std::complex<double>;
using Buffer = std::vector<Complex>;

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

Buffer randomBuffer(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    Buffer x(at(n));
    for (Complex& v : x)
        v = Complex(d(rng), d(rng));
    return x;
}

// The plain algorithm, written as directly as it can be: swaps for the permutation, a twiddle
// list allocated per call, stages with the butterfly groups inside the twiddle loop.
void plainFft(int m, Buffer& x) {
    const int n = 1 << m;
    for (int i = 1; i <= n - 2; ++i) {
        const int j = (kBitReverse8[at(i % 256)] * 256 + kBitReverse8[at(i / 256)]) >> (16 - m);
        if (i < j)
            std::swap(x[at(i)], x[at(j)]);
    }
    const auto& step = fftTwiddleSteps();
    std::vector<Complex> list(at(n / 2));
    list[0] = Complex(1, 0);
    for (int f = 2, p = 0; f <= n; f *= 2, ++p) {
        const int half = f / 2;
        const int c = n / f;
        Complex w;
        for (int i = 0; i < half; ++i) {
            if (i % 2 == 1) {
                w = w * step[at(p)];
                list[at(i * c)] = w;
            } else {
                w = list[at(i * c)];
            }
            for (int g = i; g < n; g += f) {
                const Complex t = w * x[at(g + half)];
                x[at(g + half)] = x[at(g)] - t;
                x[at(g)] = x[at(g)] + t;
            }
        }
    }
}

// The DFT by its definition, in long double with exact angles.
Buffer directDft(const Buffer& x) {
    const int n = static_cast<int>(x.size());
    Buffer out(x.size());
    for (int k = 0; k < n; ++k) {
        std::complex<long double> sum = 0;
        for (int j = 0; j < n; ++j) {
            const long double angle =
                -2 * std::numbers::pi_v<long double> * static_cast<long double>((j * k) % n) / n;
            sum += std::complex<long double>(x[at(j)]) *
                   std::complex<long double>(std::cos(angle), std::sin(angle));
        }
        out[at(k)] = Complex(static_cast<double>(sum.real()), static_cast<double>(sum.imag()));
    }
    return out;
}

Buffer fftwForward(const Buffer& x) {
    const int n = static_cast<int>(x.size());
    Buffer in = x;
    Buffer out(x.size());
    fftw_plan plan =
        fftw_plan_dft_1d(n, reinterpret_cast<fftw_complex*>(in.data()),
                         reinterpret_cast<fftw_complex*>(out.data()), FFTW_FORWARD, FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    return out;
}

double largestMagnitude(const Buffer& x) {
    double m = 0;
    for (const Complex& v : x)
        m = std::max(m, std::abs(v));
    return m;
}

// Largest |a - b| relative to the largest bin of b.
double relativeError(const Buffer& a, const Buffer& b) {
    double e = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        e = std::max(e, std::abs(a[i] - b[i]));
    return e / largestMagnitude(b);
}

Buffer transformed(int m, Buffer x) {
    Fft fft;
    EXPECT_TRUE(fft.forward(m, x));
    return x;
}

TEST(Fft, BitReverseTable) {
    const int head[] = {0, 128, 64, 192, 32, 160, 96, 224, 16};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(kBitReverse8[at(i)], head[i]);
    EXPECT_EQ(kBitReverse8[1 + 4 + 64], 128 + 32 + 2);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(kBitReverse8[kBitReverse8[at(i)]], i);
}

TEST(Fft, TwiddleStepsAreTheFormulaInDouble) {
    const auto& t = fftTwiddleSteps();
    EXPECT_EQ(t[0].real(), -1.0);
    EXPECT_NEAR(t[1].real(), 0.0, 1e-16);
    EXPECT_EQ(t[1].imag(), -1.0);
    EXPECT_EQ(t[2].real(), std::cos(std::numbers::pi / 4));
    EXPECT_EQ(t[2].imag(), -std::sin(std::numbers::pi / 4));
    for (int k = 0; k < 16; ++k) {
        const double angle = std::numbers::pi / std::pow(2.0, k);
        EXPECT_EQ(t[at(k)], Complex(std::cos(angle), -std::sin(angle))) << k;
    }
}

// The engine reorders the work but must compute exactly what the plain algorithm computes, with
// either vector width.
class FftWidths : public ::testing::TestWithParam<Fft::Vectors> {};

TEST_P(FftWidths, SameBitsAsThePlainAlgorithm) {
    Fft fft(GetParam()); // one engine for all sizes, growing and shrinking, as the spectrum uses it
    for (int m : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 3, 10}) {
        Buffer x = randomBuffer(1 << m, 100u + static_cast<unsigned>(m));
        Buffer expected = x;
        plainFft(m, expected);
        ASSERT_TRUE(fft.forward(m, x));
        for (std::size_t i = 0; i < x.size(); ++i) {
            ASSERT_EQ(std::memcmp(&x[i], &expected[i], sizeof(Complex)), 0)
                << "m " << m << " bin " << i << ": " << x[i] << " instead of " << expected[i];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fft, FftWidths,
                         ::testing::Values(Fft::Vectors::Widest, Fft::Vectors::Narrow));

TEST(Fft, MatchesTheDirectDft) {
    for (int m = 1; m <= 8; ++m) {
        const Buffer x = randomBuffer(1 << m, 7u * static_cast<unsigned>(m));
        EXPECT_LT(relativeError(transformed(m, x), directDft(x)), 1e-14) << "m " << m;
    }
}

TEST(Fft, KnownTransforms) {
    // A unit impulse at 0 gives all ones; a constant gives n at bin 0; one cycle of exp(2 pi i
    // j / n) gives n at bin 1.
    const int m = 6;
    const int n = 1 << m;
    Buffer impulse(at(n));
    impulse[0] = 1;
    for (const Complex& v : transformed(m, impulse))
        EXPECT_NEAR(std::abs(v - Complex(1, 0)), 0.0, 1e-15);
    const Buffer constant = transformed(m, Buffer(at(n), Complex(1, 0)));
    EXPECT_NEAR(std::abs(constant[0] - Complex(n, 0)), 0.0, 1e-12);
    Buffer cycle(at(n));
    for (int j = 0; j < n; ++j)
        cycle[at(j)] = std::polar(1.0, 2 * std::numbers::pi * j / n);
    const Buffer c = transformed(m, cycle);
    for (int k = 0; k < n; ++k)
        EXPECT_NEAR(std::abs(c[at(k)]), k == 1 ? n : 0.0, 1e-12) << k;
}

TEST(Fft, Parseval) {
    for (int m : {1, 4, 10, 15, 16}) {
        const Buffer x = randomBuffer(1 << m, 31u + static_cast<unsigned>(m));
        double timeEnergy = 0;
        for (const Complex& v : x)
            timeEnergy += std::norm(v);
        double freqEnergy = 0;
        for (const Complex& v : transformed(m, x))
            freqEnergy += std::norm(v);
        EXPECT_NEAR(freqEnergy / (timeEnergy * (1 << m)), 1.0, 1e-12) << "m " << m;
    }
}

TEST(Fft, MatchesFftw) {
    for (int m = kFftMinExponent; m <= kFftMaxExponent; ++m) {
        const Buffer x = randomBuffer(1 << m, 500u + static_cast<unsigned>(m));
        EXPECT_LT(relativeError(transformed(m, x), fftwForward(x)), 1e-12) << "m " << m;
    }
}

TEST(Fft, RefusesExponentsOutOfRangeAndShortBuffers) {
    Fft fft;
    const Buffer original = randomBuffer(1 << 10, 9);
    for (int m : {0, -1, 17, 31, INT_MIN, INT_MAX}) {
        Buffer x = original;
        EXPECT_FALSE(fft.forward(m, x)) << m;
        EXPECT_EQ(x, original) << m;
    }
    Buffer x = original;
    EXPECT_FALSE(fft.forward(11, x));
    EXPECT_EQ(x, original);
    EXPECT_FALSE(fft.forward(1, {}));
    // A longer buffer is fine: only its first 2^m values take part.
    EXPECT_TRUE(fft.forward(4, x));
    EXPECT_TRUE(std::equal(x.begin() + 16, x.end(), original.begin() + 16));
}

} // namespace
} // namespace qs40

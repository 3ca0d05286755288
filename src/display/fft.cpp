#include "display/fft.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <utility>

// Four-double vectors pass by value only between helpers that are inlined into one function
// (see splitTransformAvx2), so the compilers' note that passing them without AVX changes the
// calling convention does not concern us.
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wpsabi"
#elif defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace qs40 {
namespace {

using Complex = std::complex<double>;

inline std::size_t index(int i) {
    return static_cast<std::size_t>(i);
}

// (a.re b.re - a.im b.im, a.re b.im + a.im b.re), written out so that no library call for
// infinite or NaN operands sits on the hot path; the finite results are those of operator*.
inline Complex multiply(Complex a, Complex b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// Position of entry i after the bit-reversal permutation of 2^m entries.
inline int reversed(int i, int m) {
    return ((kBitReverse8[index(i & 255)] << 8) | kBitReverse8[index(i >> 8)]) >> (16 - m);
}

// ---- Storage ------------------------------------------------------------------------------

// Real and imaginary parts of count values, held as two arrays in one allocation. Both start on
// a cache line, and the second lies a few lines more than count entries after the first, so
// that entry j of the two never competes for the same cache set: the butterfly loops read and
// write both at power-of-two distances.
struct SplitArrays {
    double* re;
    double* im;
};

constexpr std::size_t kLineBytes = 64;
constexpr std::size_t kSetSkew = 64; // doubles between the end of re and the start of im

std::size_t splitStorageSize(std::size_t count) {
    return 2 * count + kSetSkew + kLineBytes / sizeof(double);
}

SplitArrays splitArrays(double* storage, std::size_t count) {
    const auto address = reinterpret_cast<std::uintptr_t>(storage);
    double* re = storage + (kLineBytes - address % kLineBytes) % kLineBytes / sizeof(double);
    return {re, re + count + kSetSkew};
}

// Every stage's twiddles, each stage's run contiguous and split into real and imaginary parts:
// stage p (butterflies spanning 2^(p + 1) points) has 2^p twiddles starting at entry 2^p.
//
// A stage's twiddles do not depend on the transform size: twiddle i of stage p is twiddle i - 1
// times the step T[p] when i is odd and twiddle i / 2 of stage p - 1 when i is even. So one run
// of the generation over the largest size, with the size-indexed list it keeps between stages,
// gives every size its twiddles with the values a per-call generation would give.
class StageTwiddles {
public:
    StageTwiddles() : storage_(splitStorageSize(kEntries)) {
        arrays_ = splitArrays(storage_.data(), kEntries);
        constexpr int kN = 1 << kFftMaxExponent;
        const auto& step = fftTwiddleSteps();
        std::vector<Complex> list(kN / 2);
        list[0] = Complex(1, 0);
        for (int p = 0; p < kFftMaxExponent; ++p) {
            const int half = 1 << p;
            const int stride = kN / (2 * half);
            Complex w;
            for (int i = 0; i < half; ++i) {
                if (i % 2 == 1) {
                    w = multiply(w, step[index(p)]);
                    list[index(i * stride)] = w;
                } else {
                    w = list[index(i * stride)];
                }
                arrays_.re[half + i] = w.real();
                arrays_.im[half + i] = w.imag();
            }
        }
    }
    StageTwiddles(const StageTwiddles&) = delete;
    StageTwiddles& operator=(const StageTwiddles&) = delete;

    const double* re(int p) const { return arrays_.re + (1 << p); }
    const double* im(int p) const { return arrays_.im + (1 << p); }

private:
    static constexpr std::size_t kEntries = std::size_t{1} << kFftMaxExponent;
    std::vector<double> storage_;
    SplitArrays arrays_;
};

const StageTwiddles& stageTwiddles() {
    static const StageTwiddles t;
    return t;
}

// ---- Small sizes --------------------------------------------------------------------------

// The plain algorithm in place: the permutation by swaps, then the stages.
void plainTransform(int m, Complex* x) {
    const StageTwiddles& tw = stageTwiddles();
    const int n = 1 << m;
    for (int i = 1; i <= n - 2; ++i) {
        const int j = reversed(i, m);
        if (i < j)
            std::swap(x[i], x[j]);
    }
    for (int p = 0; p < m; ++p) {
        const int half = 1 << p;
        for (int g = 0; g < n; g += 2 * half) {
            for (int i = 0; i < half; ++i) {
                const Complex t = multiply(Complex(tw.re(p)[i], tw.im(p)[i]), x[g + half + i]);
                x[g + half + i] = x[g + i] - t;
                x[g + i] = x[g + i] + t;
            }
        }
    }
}

// ---- Vectorised passes --------------------------------------------------------------------
//
// From 32 points on, the transform runs on the real and imaginary parts in separate arrays, W
// values per vector operation: W = 2 fits every 64-bit processor's vector registers, W = 4 the
// AVX registers of processors that have them. Lanes never mix in arithmetic, and each value
// goes through the same operations in the same order as in the plain algorithm, so the results
// are the same bits whatever W.

template <int W> struct VecOf;
template <> struct VecOf<2> {
    using Type = double __attribute__((vector_size(2 * sizeof(double))));
};
template <> struct VecOf<4> {
    using Type = double __attribute__((vector_size(4 * sizeof(double))));
};
template <int W> using Vec = typename VecOf<W>::Type;

template <int W> inline Vec<W> load(const double* p) {
    Vec<W> v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <int W> inline void store(double* p, const Vec<W>& v) {
    std::memcpy(p, &v, sizeof v);
}

template <int W> inline Vec<W> broadcast(double d) {
    return Vec<W>{} + d;
}

// The real parts (even entries) and the imaginary parts (odd entries) of 2W interleaved values.
template <int W>
inline void deinterleave(const Vec<W>& lo, const Vec<W>& hi, Vec<W>& re, Vec<W>& im) {
    if constexpr (W == 2) {
        re = __builtin_shufflevector(lo, hi, 0, 2);
        im = __builtin_shufflevector(lo, hi, 1, 3);
    } else {
        re = __builtin_shufflevector(lo, hi, 0, 2, 4, 6);
        im = __builtin_shufflevector(lo, hi, 1, 3, 5, 7);
    }
}

// The reverse of deinterleave.
template <int W>
inline void interleave(const Vec<W>& re, const Vec<W>& im, Vec<W>& lo, Vec<W>& hi) {
    if constexpr (W == 2) {
        lo = __builtin_shufflevector(re, im, 0, 2);
        hi = __builtin_shufflevector(re, im, 1, 3);
    } else {
        lo = __builtin_shufflevector(re, im, 0, 4, 1, 5);
        hi = __builtin_shufflevector(re, im, 2, 6, 3, 7);
    }
}

// Rows v[0 .. W - 1] of a W x W matrix become its columns.
template <int W> inline void transpose(Vec<W>* v) {
    if constexpr (W == 2) {
        const Vec<W> a = __builtin_shufflevector(v[0], v[1], 0, 2);
        v[1] = __builtin_shufflevector(v[0], v[1], 1, 3);
        v[0] = a;
    } else {
        const Vec<W> ab02 = __builtin_shufflevector(v[0], v[1], 0, 4, 2, 6);
        const Vec<W> ab13 = __builtin_shufflevector(v[0], v[1], 1, 5, 3, 7);
        const Vec<W> cd02 = __builtin_shufflevector(v[2], v[3], 0, 4, 2, 6);
        const Vec<W> cd13 = __builtin_shufflevector(v[2], v[3], 1, 5, 3, 7);
        v[0] = __builtin_shufflevector(ab02, cd02, 0, 1, 4, 5);
        v[1] = __builtin_shufflevector(ab13, cd13, 0, 1, 4, 5);
        v[2] = __builtin_shufflevector(ab02, cd02, 2, 3, 6, 7);
        v[3] = __builtin_shufflevector(ab13, cd13, 2, 3, 6, 7);
    }
}

// One radix-2 butterfly on every lane: t = w a1, then a1 = a0 - t, a0 = a0 + t.
template <int W>
inline void butterfly(const Vec<W>& wr, const Vec<W>& wi, Vec<W>& a0r, Vec<W>& a0i, Vec<W>& a1r,
                      Vec<W>& a1i) {
    const Vec<W> tr = wr * a1r - wi * a1i;
    const Vec<W> ti = wr * a1i + wi * a1r;
    a1r = a0r - tr;
    a1i = a0i - ti;
    a0r = a0r + tr;
    a0i = a0i + ti;
}

// Stage P on runs of eight entries, one run per lane. Twiddle i of stage p is at 2^p - 1 + i in
// wr and wi, the same in every lane.
template <int P, int W>
inline void runStage(Vec<W> (&br)[8], Vec<W> (&bi)[8], const Vec<W> (&wr)[7],
                     const Vec<W> (&wi)[7]) {
    constexpr int kHalf = 1 << P;
    for (int g = 0; g < 8; g += 2 * kHalf)
        for (int i = 0; i < kHalf; ++i)
            butterfly<W>(wr[kHalf - 1 + i], wi[kHalf - 1 + i], br[g + i], bi[g + i],
                         br[g + kHalf + i], bi[g + kHalf + i]);
}

// The permutation and the first K stages (K = 2 or 3) in one pass over memory, for m >= 5. The
// permuted order is taken in runs of eight entries: the run that starts at entry
// 8 * reversed(r) (over m - 3 bits) holds entries r + reversed(j) of x (over m bits),
// j = 0 .. 7. Running r upwards reads x in eight sequential streams, and each run is written as
// a whole (one cache line of each split array). Runs r .. r + W - 1 go through the stages
// together, one per lane; the stages act within blocks of 2^K entries of a run.
template <int K, int W> void firstStages(const Complex* x, int m, double* re, double* im) {
    const StageTwiddles& tw = stageTwiddles();
    Vec<W> wr[7]{};
    Vec<W> wi[7]{};
    for (int p = 0; p < K; ++p) {
        for (int i = 0; i < (1 << p); ++i) {
            wr[(1 << p) - 1 + i] = broadcast<W>(tw.re(p)[i]);
            wi[(1 << p) - 1 + i] = broadcast<W>(tw.im(p)[i]);
        }
    }
    const int n = 1 << m;
    int from[8];
    for (int j = 0; j < 8; ++j)
        from[j] = reversed(j, m);

    for (int r = 0; r < n / 8; r += W) {
        Vec<W> br[8];
        Vec<W> bi[8];
        for (int j = 0; j < 8; ++j) {
            const auto* source = reinterpret_cast<const double*>(x + r + from[j]);
            deinterleave<W>(load<W>(source), load<W>(source + W), br[j], bi[j]);
        }
        runStage<0, W>(br, bi, wr, wi);
        runStage<1, W>(br, bi, wr, wi);
        if constexpr (K == 3)
            runStage<2, W>(br, bi, wr, wi);
        for (int j = 0; j < 8; j += W) {
            transpose<W>(br + j);
            transpose<W>(bi + j);
            for (int lane = 0; lane < W; ++lane) {
                const int start = 8 * reversed(r + lane, m - 3);
                store<W>(re + start + j, br[j + lane]);
                store<W>(im + start + j, bi[j + lane]);
            }
        }
    }
}

// Stages p and p + 1 in one pass: the two radix-2 butterflies of stage p on (a0, a1) and
// (a2, a3), then the two of stage p + 1 on (a0, a2) and (a1, a3), each with the twiddle it has
// in the plain algorithm: the same operations on the same values, half the passes over memory.
// 2^p is a multiple of W. The last pair writes its results interleaved into out.
template <bool kLast, int W> void stagePair(int n, int p, double* re, double* im, Complex* out) {
    const StageTwiddles& tw = stageTwiddles();
    const int h = 1 << p;
    const double* w1r = tw.re(p);
    const double* w1i = tw.im(p);
    const double* w2r = tw.re(p + 1);
    const double* w2i = tw.im(p + 1);
    auto put = [&](int j, const Vec<W>& vr, const Vec<W>& vi) {
        if constexpr (kLast) {
            Vec<W> lo;
            Vec<W> hi;
            interleave<W>(vr, vi, lo, hi);
            auto* d = reinterpret_cast<double*>(out + j);
            store<W>(d, lo);
            store<W>(d + W, hi);
        } else {
            store<W>(re + j, vr);
            store<W>(im + j, vi);
        }
    };
    for (int g = 0; g < n; g += 4 * h) {
        for (int i = 0; i < h; i += W) {
            const int j0 = g + i;
            const int j1 = j0 + h;
            const int j2 = j1 + h;
            const int j3 = j2 + h;
            Vec<W> a0r = load<W>(re + j0), a0i = load<W>(im + j0);
            Vec<W> a1r = load<W>(re + j1), a1i = load<W>(im + j1);
            Vec<W> a2r = load<W>(re + j2), a2i = load<W>(im + j2);
            Vec<W> a3r = load<W>(re + j3), a3i = load<W>(im + j3);
            const Vec<W> ur = load<W>(w1r + i);
            const Vec<W> ui = load<W>(w1i + i);
            butterfly<W>(ur, ui, a0r, a0i, a1r, a1i);
            butterfly<W>(ur, ui, a2r, a2i, a3r, a3i);
            butterfly<W>(load<W>(w2r + i), load<W>(w2i + i), a0r, a0i, a2r, a2i);
            butterfly<W>(load<W>(w2r + h + i), load<W>(w2i + h + i), a1r, a1i, a3r, a3i);
            put(j0, a0r, a0i);
            put(j1, a1r, a1i);
            put(j2, a2r, a2i);
            put(j3, a3r, a3i);
        }
    }
}

// The transform of 2^m values, m >= 5, through the split arrays re and im (2^m entries each):
// two or three stages with the permutation, so that the rest pair up evenly.
template <int W> void splitTransform(int m, Complex* x, double* re, double* im) {
    const int n = 1 << m;
    int p = 3;
    if (m % 2 == 0) {
        firstStages<2, W>(x, m, re, im);
        p = 2;
    } else {
        firstStages<3, W>(x, m, re, im);
    }
    for (; p < m - 2; p += 2)
        stagePair<false, W>(n, p, re, im, x);
    stagePair<true, W>(n, m - 2, re, im, x);
}

[[gnu::flatten]] void splitTransformDefault(int m, Complex* x, double* re, double* im) {
    splitTransform<2>(m, x, re, im);
}

#if defined(__x86_64__)
[[gnu::target("avx2"), gnu::flatten]] void splitTransformAvx2(int m, Complex* x, double* re,
                                                              double* im) {
    splitTransform<4>(m, x, re, im);
}

bool hasAvx2() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}
#endif

} // namespace

const std::array<Complex, 16>& fftTwiddleSteps() {
    static const std::array<Complex, 16> t = [] {
        std::array<Complex, 16> a;
        for (int k = 0; k < 16; ++k) {
            const double angle = std::numbers::pi / std::ldexp(1.0, k);
            a[index(k)] = Complex(std::cos(angle), -std::sin(angle));
        }
        return a;
    }();
    return t;
}

bool Fft::forward(int m, std::span<Complex> x) {
    if (m < kFftMinExponent || m > kFftMaxExponent)
        return false;
    const int n = 1 << m;
    if (x.size() < index(n))
        return false;
    if (m <= 4) {
        plainTransform(m, x.data());
        return true;
    }
    if (scratch_.size() < splitStorageSize(index(n)))
        scratch_.resize(splitStorageSize(index(n)));
    const SplitArrays work = splitArrays(scratch_.data(), index(n));
#if defined(__x86_64__)
    if (vectors_ == Vectors::Widest && hasAvx2()) {
        splitTransformAvx2(m, x.data(), work.re, work.im);
        return true;
    }
#endif
    splitTransformDefault(m, x.data(), work.re, work.im);
    return true;
}

} // namespace qs40

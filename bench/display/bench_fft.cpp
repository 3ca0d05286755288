// Our FFT against FFTW's double-precision complex transform of the same size (planned with
// FFTW_MEASURE), and the whole spectrum of a 32768-point frame. Each transform runs in place on a
// fresh copy of the same input; only the transform is timed.
#include "display/fft.h"
#include "display/spectrum.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <chrono>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

namespace {

using Complex = std::complex<double>;

std::vector<Complex> randomInput(int n) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    std::vector<Complex> x(static_cast<std::size_t>(n));
    for (Complex& v : x)
        v = Complex(d(rng), d(rng));
    return x;
}

template <class Transform>
void timeInPlace(benchmark::State& state, Complex* buffer, const std::vector<Complex>& input,
                 Transform transform) {
    for (auto _ : state) {
        std::memcpy(static_cast<void*>(buffer), input.data(), input.size() * sizeof(Complex));
        const auto start = std::chrono::steady_clock::now();
        transform();
        const auto stop = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(buffer[1]);
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(input.size()));
}

void fftBench(benchmark::State& state, qs40::Fft::Vectors vectors) {
    const int m = static_cast<int>(state.range(0));
    const std::vector<Complex> input = randomInput(1 << m);
    std::vector<Complex> buffer = input;
    qs40::Fft fft(vectors);
    fft.forward(m, buffer); // the engine's scratch is allocated once, as in the program
    timeInPlace(state, buffer.data(), input, [&] { fft.forward(m, buffer); });
}
void BM_Fft(benchmark::State& state) {
    fftBench(state, qs40::Fft::Vectors::Widest);
}
BENCHMARK(BM_Fft)->Arg(10)->Arg(15)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The code that processors without AVX2 run.
void BM_FftNarrow(benchmark::State& state) {
    fftBench(state, qs40::Fft::Vectors::Narrow);
}
BENCHMARK(BM_FftNarrow)->Arg(15)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_Fftw(benchmark::State& state) {
    const int m = static_cast<int>(state.range(0));
    const int n = 1 << m;
    const std::vector<Complex> input = randomInput(n);
    auto* buffer =
        static_cast<Complex*>(fftw_malloc(sizeof(Complex) * static_cast<std::size_t>(n)));
    auto* data = reinterpret_cast<fftw_complex*>(buffer);
    fftw_plan plan = fftw_plan_dft_1d(n, data, data, FFTW_FORWARD, FFTW_MEASURE);
    timeInPlace(state, buffer, input, [&] { fftw_execute(plan); });
    fftw_destroy_plan(plan);
    fftw_free(buffer);
}
BENCHMARK(BM_Fftw)->Arg(10)->Arg(15)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A 40000-sample frame of a noisy sine in instrument codes.
std::vector<std::int32_t> frameSeries() {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> noise(-2, 2);
    std::vector<std::int32_t> s(qs40::kSpectrumEntries);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::int32_t>(
            std::lround(128 + 90 * std::sin(2 * std::numbers::pi * 0.0123 * i)) + noise(rng));
    return s;
}

// The whole spectrum routine at 32768 points, flat-top window, as the per-frame routine runs it
// frame after frame (same sample count, so the window is reused).
void BM_Spectrum(benchmark::State& state) {
    const std::vector<std::int32_t> series = frameSeries();
    std::vector<std::int32_t> counts(qs40::kSpectrumEntries);
    qs40::Spectrum spectrum;
    const qs40::SpectrumFrame frame{40000, 40000, 0, 0};
    for (auto _ : state) {
        spectrum.compute(5, 2, 0, series, 1000000, frame, counts);
        benchmark::DoNotOptimize(counts.data());
    }
}
BENCHMARK(BM_Spectrum)->Unit(benchmark::kMicrosecond);

// The same when every frame has another sample count, so the window is computed each time.
void BM_SpectrumNewWindow(benchmark::State& state) {
    const std::vector<std::int32_t> series = frameSeries();
    std::vector<std::int32_t> counts(qs40::kSpectrumEntries);
    qs40::Spectrum spectrum;
    int valid = 32768;
    for (auto _ : state) {
        valid = valid == 32768 ? 32767 : 32768;
        spectrum.compute(5, 2, 0, series, 1000000, {40000, valid, 0, 0}, counts);
        benchmark::DoNotOptimize(counts.data());
    }
}
BENCHMARK(BM_SpectrumNewWindow)->Unit(benchmark::kMicrosecond);

} // namespace

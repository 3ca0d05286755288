// Our FFT against FFTW's double-precision complex transform of the same size, and the whole
// spectrum of a 32768-point frame. Each transform runs in place on a fresh copy of the same input;
// only the transform is timed.
#include "display/fft.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <chrono>
#include <complex>
#include <cstddef>
#include <cstring>
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

} // namespace

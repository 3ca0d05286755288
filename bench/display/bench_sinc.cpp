// Sin(x)/x interpolation over a full 20000-sample frame, every sample and every fraction.
#include "display/sinc_interpolator.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace {

constexpr int kFrameSamples = 20000;

// A noisy sine in instrument codes, about 37 samples per period.
std::vector<std::int32_t> frame(int holeEvery) {
    std::vector<std::int32_t> s(kFrameSamples);
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> noise(-3, 3);
    for (int i = 0; i < kFrameSamples; ++i) {
        const double v = 128 + 90 * std::sin(2 * std::numbers::pi * i / 37.3) + noise(rng);
        s[static_cast<std::size_t>(i)] =
            static_cast<std::int32_t>(std::lround(std::clamp(v, 0.0, 255.0)));
        if (holeEvery > 0 && i % holeEvery == 0)
            s[static_cast<std::size_t>(i)] = qs40::kNoSample;
    }
    return s;
}

void sweep(benchmark::State& state, const std::vector<std::int32_t>& s) {
    for (auto _ : state) {
        std::int64_t acc = 0;
        for (int index = 0; index < kFrameSamples; ++index)
            for (int a = 0; a < 10; ++a)
                acc += qs40::sincInterpolate(s, index, a, kFrameSamples);
        benchmark::DoNotOptimize(acc);
    }
    state.SetItemsProcessed(state.iterations() * kFrameSamples * 10);
}

void BM_SincFrame(benchmark::State& state) {
    sweep(state, frame(0));
}
BENCHMARK(BM_SincFrame)->Unit(benchmark::kMillisecond);

// One entry in a hundred without a sample: the extrapolating path around each gap.
void BM_SincFrameWithGaps(benchmark::State& state) {
    sweep(state, frame(100));
}
BENCHMARK(BM_SincFrameWithGaps)->Unit(benchmark::kMillisecond);

// A single fraction, as the trigger's fine offset search uses it.
void BM_SincOneFraction(benchmark::State& state) {
    const auto s = frame(0);
    const int a = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::int64_t acc = 0;
        for (int index = 0; index < kFrameSamples; ++index)
            acc += qs40::sincInterpolate(s, index, a, kFrameSamples);
        benchmark::DoNotOptimize(acc);
    }
    state.SetItemsProcessed(state.iterations() * kFrameSamples);
}
BENCHMARK(BM_SincOneFraction)->Arg(5)->Unit(benchmark::kMicrosecond);

} // namespace

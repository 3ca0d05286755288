// The unit formatter over the mix of values an info text prints.
#include "display/unit_format.h"

#include <benchmark/benchmark.h>

#include <cstddef>

namespace {

struct Sample {
    double value;
    qs40::UnitKind kind;
    int digits;
};

constexpr Sample kSamples[] = {
    {1000, qs40::UnitKind::Time, -3},
    {123456, qs40::UnitKind::Frequency, -5},
    {2000000, qs40::UnitKind::Voltage, 0},
    {-37512.5, qs40::UnitKind::Time, -4},
    {250, qs40::UnitKind::Voltage, -4},
    {0.005, qs40::UnitKind::Frequency, -3},
    {49999999.9, qs40::UnitKind::Frequency, -6},
    {1234567.891, qs40::UnitKind::Voltage, 2},
};
constexpr std::size_t kCount = sizeof kSamples / sizeof kSamples[0];

void BM_UnitFormat(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        const Sample& s = kSamples[i];
        i = (i + 1) % kCount;
        benchmark::DoNotOptimize(qs40::fmt(s.value, s.kind, s.digits, ","));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UnitFormat);

} // namespace

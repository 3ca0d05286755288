// What the per-frame routine benchmarks share: a 1062 x 640 paint box (a plot 1000 pixels wide)
// and a frame of four channels of 20000 samples drawn in sin(x)/x mode, with or without the
// spectrum of A1 at 32768 points.
#pragma once

#include "display/frame_routine.h"
#include "display/layout.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>

namespace qs40::bench {

inline constexpr int kSamples = 20000;
inline constexpr int kPaintWidth = 1062;
inline constexpr int kPaintHeight = 640;

// Noisy sines on the analog channels, square waves on the digital ones, at full rate.
inline void fillFrame(FrameData& f) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> noise(-3, 3);
    for (int i = 0; i < kSamples; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const double a1 = 128 + 90 * std::sin(2 * std::numbers::pi * i / 37.3) + noise(rng);
        const double a2 = 128 + 60 * std::sin(2 * std::numbers::pi * i / 211.0) + noise(rng);
        f.series[kA1First][at] = f.series[kA1Second][at] =
            static_cast<std::int32_t>(std::lround(std::clamp(a1, 0.0, 255.0)));
        f.series[kA2First][at] = f.series[kA2Second][at] =
            static_cast<std::int32_t>(std::lround(std::clamp(a2, 0.0, 255.0)));
        f.series[kD1First][at] = f.series[kD1Second][at] = (i / 50) % 2;
        f.series[kD2First][at] = f.series[kD2Second][at] = (i / 333) % 2;
    }
    auto& h = f.header;
    h[kHdrVariant] = 31;
    h[kHdrDivider] = 1;
    h[kHdrVoltsDivA1] = h[kHdrVoltsDivA2] = 1'000'000;
    h[kHdrZeroA1] = h[kHdrZeroA2] = 128;
    h[kHdrLength] = h[kHdrValid] = kSamples;
    h[kHdrTrigPos] = kSamples / 10;
    h[kHdrTrigLevel] = 150;
    h[kHdrTrigSource] = 1;
    h[kHdrFineA1] = h[kHdrFineA2] = h[kHdrFineD1] = h[kHdrFineD2] = 3;
    h[kHdrChannels] = 0xF;
    h[kHdrLevelSumA1] = h[kHdrLevelSumA2] = 128 * kSamples;
    h[kHdrPeakToPeakA1] = 186;
    h[kHdrPeakToPeakA2] = 126;
}

// Runs the routine on the canvas once per iteration. Arguments: range(0) the time per
// division in ns (1000: a thousand samples across the plot, interpolated at every tenth;
// 20000: the whole frame, twenty samples a column), range(1) non-zero for the spectrum.
inline void runFrameRoutine(benchmark::State& bs, Canvas& canvas) {
    ScopeState state;
    state.System.Device_Type_Code = 31;
    state.Common.DrawMode = DrawMode::Sinxx;
    state.Common.Extra_Info = true;
    state.Trigger.Source = TrigSource::A1;
    state.FFT_A1.View = bs.range(1) != 0;
    state.FFT.Size = 5; // 32768 points
    state.Run.generatorOn = true;
    AcquisitionParams params;
    params.timePerDivNs = bs.range(0);
    params.voltsDivA1 = params.voltsDivA2 = 1'000'000;
    params.drawMode = 2;
    params.triggerCount = 1;
    params.genFrequency = 10'000'000;
    auto frames = std::make_unique<FrameSets>();
    fillFrame(*frames->current);
    const PlotGeometry geometry = computePlotGeometry(kPaintWidth, kPaintHeight);

    Spectrum spectrum;
    ActivityIndicator activity;
    FrameRoutine routine;
    for (auto _ : bs) {
        FrameOutput out = routine.run(FrameInput{.state = state,
                                                 .params = params,
                                                 .frames = *frames,
                                                 .geometry = geometry,
                                                 .spectrum = spectrum,
                                                 .activity = activity,
                                                 .scrollPosition = 0,
                                                 .running = true,
                                                 .frameMark = true,
                                                 .statusMark = true},
                                      canvas);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    bs.SetLabel(std::string(bs.range(0) == 1000 ? "interpolated" : "20 samples a column") +
                (bs.range(1) != 0 ? ", spectrum 32768" : ""));
}

inline void frameRoutineArgs(benchmark::internal::Benchmark* b) {
    b->ArgsProduct({{1000, 20000}, {0, 1}})->Unit(benchmark::kMicrosecond);
}

} // namespace qs40::bench

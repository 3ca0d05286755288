// Drawing one frame's four channels of 20000 samples on a 1000-pixel plot, as the per-frame
// routine does (D2, D1 as vectors, A2, A1 in sin(x)/x mode), into a canvas that does nothing, so
// that the figure is the trace drawer's own cost.
#include "display/trace_drawer.h"
#include "null_canvas.h"
#include "recording_canvas.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>

namespace {

using namespace qs40;

constexpr int kSamples = 20000;

// Noisy sines on the analog channels, square waves on the digital ones, at full rate.
std::unique_ptr<FrameData> makeFrame() {
    auto f = std::make_unique<FrameData>();
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> noise(-3, 3);
    for (int i = 0; i < kSamples; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const double a1 = 128 + 90 * std::sin(2 * std::numbers::pi * i / 37.3) + noise(rng);
        const double a2 = 128 + 60 * std::sin(2 * std::numbers::pi * i / 211.0) + noise(rng);
        f->series[kA1First][at] = f->series[kA1Second][at] =
            static_cast<std::int32_t>(std::lround(std::clamp(a1, 0.0, 255.0)));
        f->series[kA2First][at] = f->series[kA2Second][at] =
            static_cast<std::int32_t>(std::lround(std::clamp(a2, 0.0, 255.0)));
        f->series[kD1First][at] = f->series[kD1Second][at] = (i / 50) % 2;
        f->series[kD2First][at] = f->series[kD2Second][at] = (i / 333) % 2;
    }
    f->header[kHdrDivider] = 1;
    f->header[kHdrLength] = kSamples;
    f->header[kHdrValid] = kSamples;
    return f;
}

void drawFrame(benchmark::State& state, Canvas& canvas) {
    const auto frame = makeFrame();
    const double pixelsPerSample = static_cast<double>(state.range(0)) / 1000.0;
    TraceSurface surface{.originX = 31,
                         .originY = 25,
                         .width = 1000,
                         .height = 512,
                         .timeDivNs = 1000,
                         .background = 0};
    TraceDrawer drawer(surface.width);

    auto trace = [&](SeriesIndex first, DrawMode mode, double scale, int position) {
        Trace t;
        t.mode = mode;
        t.first = frame->series[first];
        t.second = frame->series[first + 1];
        t.count = kSamples;
        t.color = 0x00FF00;
        t.scale = scale;
        t.zero = mode == DrawMode::Sinxx ? 128 : 0;
        t.position = position;
        t.pixelsPerSample = pixelsPerSample;
        t.subSampleOffset = 0.3;
        t.rollGap = true;
        return t;
    };
    const Trace traces[] = {
        trace(kD2First, DrawMode::Vectors, 24, 36),
        trace(kD1First, DrawMode::Vectors, 24, 4),
        trace(kA2First, DrawMode::Sinxx, 1, 64),
        trace(kA1First, DrawMode::Sinxx, 1, 192),
    };
    for (auto _ : state) {
        for (const Trace& t : traces)
            drawer.draw(canvas, surface, t, frame->header);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 4);
    state.SetLabel(pixelsPerSample > 0.9 ? "interpolated" : "columns of many samples");
}

// Argument: pixels per sample x 1000. 1000: a thousand samples across the plot, interpolated
// at every tenth; 50: the whole 20000-sample frame across the plot, twenty samples a column.
void BM_FourChannelsNullCanvas(benchmark::State& state) {
    bench::NullCanvas canvas(1062, 640);
    drawFrame(state, canvas);
}
BENCHMARK(BM_FourChannelsNullCanvas)->Arg(1000)->Arg(50)->Unit(benchmark::kMicrosecond);

// The test canvas with recording off: a virtual call that only keeps the drawing state.
void BM_FourChannelsRecordingOff(benchmark::State& state) {
    test::RecordingCanvas canvas(1062, 640);
    canvas.setRecording(false);
    drawFrame(state, canvas);
}
BENCHMARK(BM_FourChannelsRecordingOff)->Arg(1000)->Arg(50)->Unit(benchmark::kMicrosecond);

} // namespace

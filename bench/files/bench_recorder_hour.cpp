// One hour of recording on the simulated instrument's manual clock at the recorder's fastest
// rate (0.1 s/div, 20000 samples, A1 only, with and without peak detection). Reported: the
// bytes recorded; the bytes lost (goal 0): the file must be a gapless run of what the
// instrument produced, from one of the first frames after Start to the end of a frame, or all
// of it counts as lost; the bytes of the frames still on their way at Stop (not lost: they
// came after it); and the time the GUI thread spent writing, per second of recording. Every
// clock step serves the host until it has read what arrived, so that a busy machine does not
// make the instrument's ring run ahead of the host (that would lose samples before the
// recorder sees them, whatever the recorder does).
#include <benchmark/benchmark.h>

#include "../../tests/integration/acquisition_harness.h"
#include "files/recorder_companion.h"
#include "files/recorder_session.h"
#include "scope/background_levels.h"
#include "scope/panel_view.h"
#include "scope/parameter_computation.h"
#include "scope/scope_state.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using qs40::integration::Harness;

struct Produced {
    std::mutex mutex;
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> frameStarts;
    std::int32_t lastWrite = -1;

    void observe(const qs40::sim::AcquiredFrame& f) {
        std::lock_guard lock(mutex);
        const auto& ring = f.samples.analog[0];
        const auto n = static_cast<std::int32_t>(ring.size());
        frameStarts.push_back(bytes.size());
        if (lastWrite >= 0 && n > 0)
            for (std::int32_t k = lastWrite; k != f.writePointer; k = (k + 1) % n)
                bytes.push_back(ring[static_cast<std::size_t>(k)]);
        lastWrite = f.writePointer;
    }
};

qs40::AcquisitionSnapshot fastestRoll(bool peak) {
    qs40::ScopeState state;
    state.System.Device_Type_Code = 31;
    state.Scope.TimeDiv = qs40::TimeDiv::T100mS;
    state.Trigger.Source.reset();
    state.Common.CH_A2 = state.Common.CH_D1 = state.Common.CH_D2 = false;
    state.Common.SmplPeakDet = peak;
    state.Common.Sampling = qs40::Sampling::N20000;
    state.Common.Divisions = qs40::Divisions::D10;
    state.Run.runDown = true;
    state.Run.running = true;
    qs40::AcquisitionParams params;
    qs40::BackgroundLevels background;
    qs40::PanelView view;
    qs40::computeParameters(state, params, background, view);
    qs40::AcquisitionSnapshot s;
    s.params = params;
    return s;
}

// Times what the hand-over's writes cost the GUI thread.
struct TimedWriter {
    qs40::RecorderSession& recorder;
    std::chrono::steady_clock::duration spent{};
    void operator()(std::span<const std::uint8_t> b) {
        const auto t0 = std::chrono::steady_clock::now();
        recorder.write(b);
        spent += std::chrono::steady_clock::now() - t0;
    }
};

// Moves simulated time on, serving the host after each step until it has read what arrived.
void runInStep(Harness& h, std::chrono::seconds total) {
    constexpr qs40::sim::SimTime kStep = 100ms;
    for (qs40::sim::SimTime t{0}; t < total; t += kStep) {
        h.d2xx.advance(kStep);
        for (int k = 0; k < 20000; ++k) {
            h.session.serve();
            std::uint32_t queued = 0;
            h.d2xx.getQueueStatus(h.usb.handle(), queued);
            if (queued == 0 && k >= 20)
                break;
            std::this_thread::sleep_for(50us);
        }
    }
}

void BM_RecorderOneHour(benchmark::State& state) {
    const bool peak = state.range(0) != 0;
    const auto hour = std::chrono::seconds(state.range(1));
    for (auto _ : state) {
        Harness h;
        Produced produced;
        h.d2xx.withInstrument(0, [&](qs40::sim::Instrument& i) {
            i.setFrameObserver([&](const qs40::sim::AcquiredFrame& f) { produced.observe(f); });
        });
        const std::string path = (std::filesystem::temp_directory_path() /
                                  ("qs40-bench-recorder-" + std::to_string(::getpid()) + ".bin"))
                                     .string();
        qs40::RecorderSession recorder(h.recorder, h.ui);
        TimedWriter timed{recorder};
        qs40::ScopeThreadHooks hooks = h.hooks();
        hooks.recorderWrite = [&](std::span<const std::uint8_t> b) { timed(b); };
        if (h.session.open() != qs40::FT_OK) {
            state.SkipWithError("the simulated instrument did not open");
            return;
        }
        h.session.startThread(std::move(hooks));
        if (!h.pumpUntil([&] { return h.link.linkUp.load(); })) {
            state.SkipWithError("the link did not come up");
            return;
        }
        h.session.runWith(fastestRoll(peak));
        h.pumpUntil([&] { return h.drawnHeaders.size() >= 2; });
        qs40::RecorderFrameFacts facts;
        {
            std::lock_guard lock(h.frames.mutex);
            facts = qs40::recorderFactsOf(h.frames.current->header);
        }
        std::size_t startFrame = 0;
        {
            std::lock_guard lock(produced.mutex);
            startFrame = produced.frameStarts.size();
        }
        recorder.start(path, facts);
        runInStep(h, hour);
        recorder.stop();
        h.session.stopThread();

        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> file{std::istreambuf_iterator<char>(in), {}};
        std::filesystem::remove(path);
        std::filesystem::remove(qs40::companionPathOf(path));
        std::lock_guard lock(produced.mutex);
        const auto& starts = produced.frameStarts;
        std::size_t lost = produced.bytes.size() - starts[startFrame];
        std::size_t inFlight = 0;
        for (std::size_t f = startFrame; f < std::min(startFrame + 3, starts.size()); ++f) {
            const std::size_t at = starts[f];
            if (at + file.size() > produced.bytes.size() ||
                !std::equal(file.begin(), file.end(), produced.bytes.begin() + at))
                continue;
            // The file ends where a frame's new bytes end; what a partial frame misses is lost.
            const std::size_t end = at + file.size();
            const auto next = std::lower_bound(starts.begin(), starts.end(), end);
            const std::size_t boundary = next == starts.end() ? produced.bytes.size() : *next;
            lost = boundary - end;
            inFlight = produced.bytes.size() - boundary;
            break;
        }
        const double seconds = std::chrono::duration<double>(hour).count();
        state.counters["rate_Hz"] = 1e8 / facts.sampleStep;
        state.counters["bytes"] = static_cast<double>(file.size());
        state.counters["bytes_lost"] = static_cast<double>(lost);
        state.counters["bytes_after_stop"] = static_cast<double>(inFlight);
        state.counters["write_us_per_s"] =
            std::chrono::duration<double, std::micro>(timed.spent).count() / seconds;
    }
}

} // namespace

BENCHMARK(BM_RecorderOneHour)
    ->ArgNames({"peak", "seconds"})
    ->Args({0, 3600})
    ->Args({1, 3600})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

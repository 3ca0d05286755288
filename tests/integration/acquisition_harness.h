// The acquisition session against the simulated instrument, without a GUI: the USB link, the
// acquisition thread and the watchdog over SimD2xx on a manual clock. The test's thread plays
// the GUI thread: it serves the synchronised calls, moves simulated time on and runs the
// watchdog ticks. Waits are bounded by a number of steps, never by the time things take.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "../device/scripted_ui.h"
#include "device/acquisition/acquisition_session.h"
#include "device/link/fpga_image.h"
#include "sim/sim_d2xx.h"

namespace qs40::integration {

using namespace std::chrono_literals;

inline sim::SimOptions manualClock() {
    sim::SimOptions o;
    o.clock = sim::SimClock::Manual; // real byte pace on the simulated clock
    o.instrument.variantCode = 31;
    return o;
}

// Free-running acquisition of all four channels at the full sample rate.
inline AcquisitionParams runParams(std::int32_t n = 1000) {
    AcquisitionParams p;
    p.recordLength = n;
    p.divider = 1;
    p.preTrigger = n / 10;
    p.postTrigger = n - n / 10;
    p.runBits = 0x8F;
    p.thresholds = {120, 136, 120, 136};
    p.freqMeterInput = 1;
    p.inputA1 = 0x07 | 0x08;
    p.inputA2 = 0x07;
    p.offsetA1 = 2048;
    p.offsetA2 = 2048;
    p.frameIntervalMs = 10;
    p.voltsDivA1 = 1000000;
    p.voltsDivA2 = 1000000;
    p.genMode = 5;
    return p;
}

struct Harness {
    sim::SimD2xx d2xx;
    testing::ScriptedUi ui;
    AcquisitionSession session;
    // The session's parts, under the names the tests use.
    Event& wake = session.wake();
    UsbLink& usb = session.usb();
    LinkState& link = session.link();
    AcquisitionFlags& flags = session.flags();
    ParamsPublisher& params = session.publisher();
    FrameSets& frames = session.frames();
    RecorderHandover& recorder = session.recorder();
    LinkWatchdog& watchdog = session.watchdog();

    // What the synchronised callback saw, on this (the GUI) thread.
    std::vector<std::array<std::int32_t, kHeaderFields>> drawnHeaders;
    std::vector<std::uint8_t> drawnTdcCounts;
    int singleShotsEnded = 0;
    std::function<void()> onDraw;

    explicit Harness(sim::SimOptions options = manualClock(),
                     std::vector<std::uint8_t> fpgaImage = placeholderFpgaImage())
        : d2xx(options), session(d2xx, ui, SessionSetup{"qs40", false, std::move(fpgaImage), {}}) {
        session.setPause([this](std::chrono::milliseconds ms) { d2xx.advance(ms); });
    }

    void startThread() { session.startThread(hooks()); }

    ScopeThreadHooks hooks() {
        ScopeThreadHooks h;
        h.perFrame = [this] {
            if (frames.current->header[kHdrLength] == 0)
                return; // nothing decoded yet
            drawnHeaders.push_back(frames.current->header);
            drawnTdcCounts.push_back(flags.lastTdcCount.load());
            if (onDraw)
                onDraw();
        };
        h.singleShotEnded = [this] { ++singleShotsEnded; };
        return h;
    }

    // Serves the synchronised calls and moves simulated time on in steps until done() holds;
    // false when it did not within maxSteps.
    template <class F> bool pumpUntil(F done, sim::SimTime step = 10ms, int maxSteps = 2000) {
        for (int i = 0; i < maxSteps; ++i) {
            for (int k = 0; k < 20; ++k) {
                session.serve();
                if (done())
                    return true;
                std::this_thread::sleep_for(50us);
            }
            d2xx.advance(step);
        }
        return done();
    }
    // Lets simulated time pass while serving the thread.
    void pumpFor(sim::SimTime total, sim::SimTime step = 10ms) {
        for (sim::SimTime t{0}; t < total; t += step) {
            for (int k = 0; k < 20; ++k) {
                session.serve();
                std::this_thread::sleep_for(50us);
            }
            d2xx.advance(step);
        }
    }

    // Opens the instrument as the first paint does, starts the thread and loads the FPGA.
    bool connect() {
        if (session.open() != FT_OK)
            return false;
        startThread();
        return pumpUntil([this] { return link.linkUp.load(); });
    }
    // The apply-and-start operation with these parameters.
    void start(const AcquisitionParams& p, bool single = false) {
        AcquisitionSnapshot s;
        s.params = p;
        session.runWith(s, single);
    }
    std::uint64_t decoded() const { return session.framesDecodedTotal(); }
    // Runs a watchdog tick; the session keeps the decoded total that the tick zeroes.
    WatchdogOutcome tick(bool russian = false) { return session.tick(russian); }
    sim::InstrumentSettings instrumentSettings() {
        sim::InstrumentSettings s{};
        d2xx.withInstrument(0, [&](sim::Instrument& i) { s = i.settings(); });
        return s;
    }
    std::uint64_t framesSent() {
        std::uint64_t n = 0;
        d2xx.withInstrument(0, [&](sim::Instrument& i) { n = i.stats().frames; });
        return n;
    }
};

} // namespace qs40::integration

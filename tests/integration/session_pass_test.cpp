// A calibration's pass through the acquisition session: the instrument runs the pass's own
// parameter set, frames reach the pass's callback, and neither the front panel nor a recovery
// puts the panel's set in its place unnoticed.
#include "acquisition_harness.h"

#include <gtest/gtest.h>

namespace qs40::integration {
namespace {

// The front panel as the window binds it: a longer record than the pass asks for.
struct Panel {
    ScopeState state;
    AcquisitionParams params = runParams(2000);
};

struct PassFixture : ::testing::Test {
    Harness h;
    Panel panel;
    std::vector<std::int32_t> lengths; // field 6 of every frame the pass saw

    PassFixture() { h.session.bindPanel(panel.params, panel.state); }

    PassRequest pass(int frames) {
        PassRequest r;
        r.snapshot.params = runParams(1000);
        r.onFrame = [this, frames](const FrameData& f) {
            lengths.push_back(f.header[kHdrLength]);
            return static_cast<int>(lengths.size()) >= frames;
        };
        r.idle = [this] { h.pumpFor(10ms); };
        r.timeout = std::chrono::seconds(60);
        return r;
    }
    std::int32_t instrumentRecord() {
        return h.instrumentSettings().recordLength();
    }
};

TEST_F(PassFixture, FramesOfThePassesOwnSetReachItsCallback) {
    ASSERT_TRUE(h.connect());
    const PassResult r = h.session.runPass(pass(3));
    EXPECT_EQ(r.end, PassEnd::Done);
    EXPECT_EQ(r.frames, 3u);
    EXPECT_FALSE(r.interrupted);
    EXPECT_EQ(lengths, (std::vector<std::int32_t>{1000, 1000, 1000}));
    EXPECT_EQ(instrumentRecord(), 1000);
}

TEST_F(PassFixture, TheFrontPanelsSendBringsThePassesSetAgain) {
    ASSERT_TRUE(h.connect());
    PassRequest r = pass(4);
    const auto measure = r.onFrame;
    r.onFrame = [&](const FrameData& f) {
        // What the window's apply-and-start does, e.g. after the watchdog's recovery.
        if (lengths.size() == 1)
            h.session.panelRequests().requestSendParameters();
        return measure(f);
    };
    const PassResult result = h.session.runPass(r);
    EXPECT_EQ(result.end, PassEnd::Done);
    EXPECT_TRUE(result.interrupted);
    EXPECT_EQ(lengths, (std::vector<std::int32_t>{1000, 1000, 1000, 1000}));
    EXPECT_EQ(h.params.get().params.recordLength, 1000);

    // After the pass the panel's requests are the panel's again.
    h.session.panelRequests().requestSendParameters();
    EXPECT_EQ(h.params.get().params.recordLength, 2000);
}

TEST_F(PassFixture, ARecoveryDuringThePassIsReportedAndThePassGoesOn) {
    ASSERT_TRUE(h.connect());
    PassRequest r = pass(3);
    const auto measure = r.onFrame;
    bool lost = false;
    r.onFrame = [&](const FrameData& f) {
        if (!lost) {
            lost = true;
            h.d2xx.withInstrument(0, [](sim::Instrument& i) { i.loseConfiguration(); });
            return false;
        }
        // Frames may still come until the host hears of the loss: count those after the
        // recovery's FPGA load only.
        if (h.flags.fpgaLoads.load() < 2)
            return false;
        return measure(f);
    };
    r.idle = [&] {
        h.pumpFor(10ms);
        if (h.link.raised(LinkFault::FpgaConfigurationLost)) {
            h.ui.answers = {BoxAnswer::Yes};
            if (h.tick().applyAndStart) // the window's follow-up after a recovery
                h.session.panelRequests().requestSendParameters();
        }
    };
    const PassResult result = h.session.runPass(r);
    EXPECT_EQ(result.end, PassEnd::Done);
    EXPECT_TRUE(result.interrupted);
    EXPECT_EQ(lengths, (std::vector<std::int32_t>{1000, 1000, 1000}));
    EXPECT_EQ(instrumentRecord(), 1000);
    std::uint64_t images = 0;
    h.d2xx.withInstrument(0, [&](sim::Instrument& i) { images = i.stats().images; });
    EXPECT_EQ(images, 2u);
}

TEST_F(PassFixture, CancelAndTimeOutEndThePass) {
    ASSERT_TRUE(h.connect());
    PassRequest cancelled = pass(1000);
    int looks = 0;
    cancelled.cancelled = [&] { return ++looks == 20; };
    const PassResult c = h.session.runPass(cancelled);
    EXPECT_EQ(c.end, PassEnd::Cancelled);
    EXPECT_EQ(looks, 20);

    // Without the run bit the instrument sends nothing: only the time-out ends the pass.
    PassRequest idle = pass(1);
    idle.snapshot.params.runBits = 0;
    idle.timeout = std::chrono::milliseconds(100);
    const PassResult t = h.session.runPass(idle);
    EXPECT_EQ(t.end, PassEnd::TimedOut);
    EXPECT_EQ(t.frames, 0u);
}

} // namespace
} // namespace qs40::integration

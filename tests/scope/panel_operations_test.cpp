#include "scope/panel_operations.h"
#include "scope/parameter_computation.h"

#include <gtest/gtest.h>

#include <string>

namespace qs40 {
namespace {

struct RecordingRequests : AcquisitionRequests {
    std::string log;
    void requestDisplay() override { log += "display "; }
    void requestSendParameters() override { log += "send "; }
    void wake() override { log += "wake "; }
};

struct Panel {
    ScopeState state;
    AcquisitionParams params;
    FrameSets frames; // with the background's levels
    BackgroundLevels& background = frames.backgroundLevels;
    PanelView view;
    RecordingRequests requests;
    PanelContext context{state, params, frames, view, requests};

    Panel() { apply(context); } // the start-up computation
    void run(FollowUp f) { runFollowUp(context, f); }
};

TEST(FollowUps, ApplyAndStartRefreshesRunningAndSends) {
    struct Case {
        bool runDown, snglDown;
        bool running, single;
    };
    const Case cases[] = {
        {false, false, false, false},
        {true, false, true, false},
        {false, true, true, true},
    };
    for (const Case& k : cases) {
        Panel p;
        p.requests.log.clear();
        p.state.Run.runDown = k.runDown;
        p.state.Run.snglDown = k.snglDown;
        p.state.Run.running = !k.running; // stale values are replaced
        p.state.Run.single = !k.single;
        p.run(FollowUp::ApplyAndStart);
        EXPECT_EQ(p.state.Run.running, k.running);
        EXPECT_EQ(p.state.Run.single, k.single);
        EXPECT_EQ(p.params.runBits & 0x80, k.running ? 0x80 : 0);
        EXPECT_EQ(p.requests.log, "display send wake ");
    }
}

TEST(FollowUps, ApplyRecomputesWithoutSending) {
    Panel p;
    p.requests.log.clear();
    p.state.Run.runDown = true;
    p.state.Common.DrawMode = DrawMode::Dots;
    p.run(FollowUp::Apply);
    EXPECT_EQ(p.params.drawMode, 0);
    EXPECT_FALSE(p.state.Run.running); // only apply-and-start reads the buttons
    EXPECT_EQ(p.requests.log, "display wake ");
}

// --- Scale-change marks ----------------------------------------------------------------------

TEST(ScaleChange, TriggerLevelsKeepTheirVoltage) {
    Panel p;
    p.state.Trigger.Lev_A1 = 223.0; // one division above the zero level 191
    p.state.Trigger.Lev_A2 = 95.0;
    p.background.Lev_A1 = 100.0;
    p.background.A1_Zero = 80;

    // 1 V -> 0.5 V: one division becomes two.
    p.run(clickVoltsDiv(p.state, AnalogChannel::A1, VoltsDiv::V05));
    EXPECT_DOUBLE_EQ(p.state.Trigger.Lev_A1, 255.0);
    EXPECT_DOUBLE_EQ(p.background.Lev_A1, 120.0);
    EXPECT_DOUBLE_EQ(p.state.Trigger.Lev_A2, 95.0); // A2 not marked
    EXPECT_FALSE(p.state.ScaleChange.A1);

    // The mark is gone: a second computation changes nothing.
    p.run(FollowUp::ApplyAndStart);
    EXPECT_DOUBLE_EQ(p.state.Trigger.Lev_A1, 255.0);

    // Probe x1 -> x10 at 0.5 V: 0.5 V/div becomes 5 V/div.
    p.run(clickProbe(p.state, AnalogChannel::A1, Probe::x10));
    EXPECT_DOUBLE_EQ(p.state.Trigger.Lev_A1, 191.0 + 6.4);
    EXPECT_DOUBLE_EQ(p.background.Lev_A1, 84.0);

    // A2 on its own: 1 V -> 50 mV takes a level 1 div up to 20 div up.
    p.run(clickVoltsDiv(p.state, AnalogChannel::A2, VoltsDiv::mV50));
    EXPECT_DOUBLE_EQ(p.state.Trigger.Lev_A2, 63.0 + 32.0 * 20);
}

TEST(ScaleChange, ChangesWithoutAMarkKeepTheSampleCode) {
    Panel p;
    p.state.Trigger.Lev_A1 = 223.0;
    p.state.Scope.VoltsDiv_A1 = VoltsDiv::V2; // as the keyboard does
    p.run(FollowUp::ApplyAndStart);
    EXPECT_DOUBLE_EQ(p.state.Trigger.Lev_A1, 223.0);
    // The next marked change starts from the range of that computation.
    p.run(clickVoltsDiv(p.state, AnalogChannel::A1, VoltsDiv::V1));
    EXPECT_DOUBLE_EQ(p.state.Trigger.Lev_A1, 255.0);
}

TEST(ScaleChange, MarkBeforeTheFirstComputationKeepsTheLevel) {
    ScopeState s;
    AcquisitionParams params;
    BackgroundLevels bg;
    PanelView v;
    s.Trigger.Lev_A1 = 223.0;
    clickVoltsDiv(s, AnalogChannel::A1, VoltsDiv::V05);
    computeParameters(s, params, bg, v);
    EXPECT_DOUBLE_EQ(s.Trigger.Lev_A1, 223.0);
    EXPECT_FALSE(s.ScaleChange.A1);
}

TEST(ScaleChange, RescaledLevelsStayFinite) {
    Panel p;
    p.state.Trigger.Lev_A1 = 1e8;
    p.background.Lev_A1 = -1e300;
    // 2 V x100 -> 50 mV x1 stretches by 4000 each time.
    for (int i = 0; i < 3; ++i) {
        clickVoltsDiv(p.state, AnalogChannel::A1, VoltsDiv::V2);
        p.run(clickProbe(p.state, AnalogChannel::A1, Probe::x100));
        clickVoltsDiv(p.state, AnalogChannel::A1, VoltsDiv::mV50);
        p.run(clickProbe(p.state, AnalogChannel::A1, Probe::x1));
    }
    EXPECT_DOUBLE_EQ(p.state.Trigger.Lev_A1, 1e9);
    EXPECT_DOUBLE_EQ(p.background.Lev_A1, -1e9);
    EXPECT_EQ(p.params.thresholds[1], 255);
}

// --- Handlers --------------------------------------------------------------------------------

TEST(Handlers, LabelButtonStepsTheProbe) {
    const std::pair<std::optional<Probe>, Probe> cases[] = {
        {Probe::x1, Probe::x10},
        {Probe::x10, Probe::x1},
        {Probe::x100, Probe::x1},
        {std::nullopt, Probe::x10},
    };
    for (const auto& [before, after] : cases) {
        ScopeState s;
        s.Common.Probe_A1 = before;
        s.Common.Probe_A2 = before;
        EXPECT_EQ(clickVoltsDivLabel(s, AnalogChannel::A2), FollowUp::ApplyAndStart);
        EXPECT_EQ(s.Common.Probe_A2, after);
        EXPECT_EQ(s.Common.Probe_A1, before);
        EXPECT_TRUE(s.ScaleChange.A2);
        EXPECT_FALSE(s.ScaleChange.A1);
    }
}

TEST(Handlers, PressedVoltsDivButtonStillMarksAndStarts) {
    ScopeState s;
    EXPECT_EQ(clickVoltsDiv(s, AnalogChannel::A1, VoltsDiv::V1), FollowUp::ApplyAndStart);
    EXPECT_EQ(s.Scope.VoltsDiv_A1, VoltsDiv::V1);
    EXPECT_TRUE(s.ScaleChange.A1);
}

TEST(Handlers, SweepAndPulseRaiseTheSecondBar) {
    struct Case {
        GenMode mode;
        std::optional<GenMode> after;
        std::int32_t slowAfter;
    };
    const Case cases[] = {
        {GenMode::F_Sweep, GenMode::F_Sweep, 500},
        {GenMode::Pulse, GenMode::Pulse, 500},
        {GenMode::Mod, GenMode::Mod, 100},
    };
    for (const Case& k : cases) {
        ScopeState s;
        s.Generator.F_fast = 500;
        s.Generator.F_slow = 100;
        EXPECT_EQ(clickGenMode(s, k.mode), FollowUp::ApplyAndStart);
        EXPECT_EQ(s.Generator.Mode, k.after);
        EXPECT_EQ(s.Generator.F_slow, k.slowAfter);
    }
    ScopeState s;
    s.Generator.Mode = GenMode::Pulse;
    clickGenMode(s, GenMode::Pulse); // a second click releases
    EXPECT_FALSE(s.Generator.Mode.has_value());
}

TEST(Handlers, FrequencyBarsCoupledInSweepAndPulse) {
    struct Case {
        std::optional<GenMode> mode;
        bool moveSlow;
        std::int32_t to;
        std::int32_t fast, slow;
    };
    const Case cases[] = {
        {GenMode::Pulse, true, 400, 400, 400},    // slow below fast drags fast down
        {GenMode::F_Sweep, false, 700, 700, 700}, // fast above slow drags slow up
        {GenMode::F_Sweep, true, 800, 500, 800},
        {GenMode::Pulse, false, 550, 550, 600},
        {std::nullopt, true, 400, 500, 400}, // independent
        {GenMode::Mod, false, 700, 700, 600},
        {GenMode::Pulse, true, -20, 0, 0}, // positions stay on the bar
        {std::nullopt, false, 5000, 1000, 600},
    };
    for (const Case& k : cases) {
        ScopeState s;
        s.Generator.Mode = k.mode;
        s.Generator.F_fast = 500;
        s.Generator.F_slow = 600;
        const FollowUp f = k.moveSlow ? scrollFSlow(s, k.to) : scrollFFast(s, k.to);
        EXPECT_EQ(f, FollowUp::ApplyAndStart);
        EXPECT_EQ(s.Generator.F_fast, k.fast) << k.to;
        EXPECT_EQ(s.Generator.F_slow, k.slow) << k.to;
    }
}

TEST(Handlers, MarkersAndSpectraExcludeEachOther) {
    using Click = FollowUp (*)(ScopeState&);
    struct Case {
        Click click;
        bool first, second;           // before
        bool firstAfter, secondAfter; // after
    };
    auto markers = [](ScopeState& s) {
        return std::pair<bool&, bool&>(s.Common.Markers_1, s.Common.Markers_2);
    };
    auto spectra = [](ScopeState& s) {
        return std::pair<bool&, bool&>(s.FFT_A1.View, s.FFT_A2.View);
    };
    const Case markerCases[] = {
        {clickMarkers1, false, true, true, false},
        {clickMarkers1, true, false, false, false},
        {clickMarkers2, true, false, false, true},
        {clickMarkers2, false, true, false, false},
    };
    for (const Case& k : markerCases) {
        ScopeState s;
        auto [m1, m2] = markers(s);
        m1 = k.first, m2 = k.second;
        EXPECT_EQ(k.click(s), FollowUp::Apply);
        EXPECT_EQ(m1, k.firstAfter);
        EXPECT_EQ(m2, k.secondAfter);
    }
    const Case fftCases[] = {
        {clickFftA1, false, true, true, false},
        {clickFftA1, true, false, false, false},
        {clickFftA2, true, false, false, true},
        {clickFftA2, false, false, false, true},
    };
    for (const Case& k : fftCases) {
        ScopeState s;
        auto [a1, a2] = spectra(s);
        a1 = k.first, a2 = k.second;
        EXPECT_EQ(k.click(s), FollowUp::Apply);
        EXPECT_EQ(a1, k.firstAfter);
        EXPECT_EQ(a2, k.secondAfter);
    }
}

} // namespace
} // namespace qs40

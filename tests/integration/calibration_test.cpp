// The three calibrations against the simulated instrument, without a window: the zero levels and
// TDC constants it really has are found, a noisy or faulty run fails without storing anything,
// and the frequency-meter correction makes readings of a known input match.
#include "acquisition_harness.h"

#include "device/acquisition/calibration_passes.h"
#include "scope/calibration_texts.h"
#include "scope/freq_calibration.h"
#include "scope/panel_view.h"
#include "scope/parameter_computation.h"
#include "scope/tdc_calibration.h"
#include "scope/zero_calibration.h"
#include "sim/sim_options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace qs40::integration {
namespace {

sim::SimOptions simulated(const std::string& text, std::int32_t variant = 31) {
    auto o = sim::parseSimDeviceText(text);
    EXPECT_TRUE(o) << text;
    o->clock = sim::SimClock::Manual;
    o->instrument.variantCode = variant;
    return *o;
}

// The window's side: the front panel, bound to the session, and the passes over it.
struct Calibrating {
    Harness h;
    ScopeState state;
    AcquisitionParams params;
    BackgroundLevels background;
    PanelView view;
    bool cancel = false;
    std::function<void()> onIdle;
    SessionCalibrationPasses passes;
    std::vector<CalibrationStatus> statuses;

    explicit Calibrating(sim::SimOptions options)
        : h(std::move(options)), passes(h.session, CalibrationPassSetup{[this] {
                                                                            h.pumpFor(10ms);
                                                                            if (onIdle)
                                                                                onIdle();
                                                                        },
                                                                        [this] { return cancel; },
                                                                        std::chrono::seconds(60)}) {
        state.Common.Russian = false;
        h.session.bindPanel(params, state);
    }
    void setVariant(std::int32_t code) {
        state.System.Device_Type_Code = code;
        computeParameters(state, params, background, view);
    }
    CalibrationObserver observer() {
        return [this](const CalibrationStatus& s) { statuses.push_back(s); };
    }
    // The mean level of A1 and A2 in a frame taken with the panel's parameters.
    std::array<double, 2> meanLevels() {
        std::array<double, 2> mean{};
        int frames = 0;
        const PassOutcome o = passes.run(params, [&](const FrameData& f, std::uint8_t) {
            if (++frames < 3)
                return false; // settling
            for (int ch = 0; ch < 2; ++ch)
                mean[static_cast<std::size_t>(ch)] =
                    static_cast<double>(f.header[static_cast<std::size_t>(kHdrLevelSumA1 + ch)]) /
                    f.header[kHdrValid];
            return true;
        });
        EXPECT_EQ(o, PassOutcome::Done);
        return mean;
    }
};

constexpr const char* kOpenInputs = "sim:a1=off,a2=off";

TEST(ZeroCalibration, RecoversTheInstrumentsCoefficientsAndPlacesZeroAtEveryRange) {
    Calibrating c(simulated(kOpenInputs));
    c.setVariant(31);
    ASSERT_TRUE(c.h.connect());
    const auto truth = std::array<sim::ZeroCoefficients, 2>{{{3370, 712, 4}, {3345, 731, -3}}};

    ZeroCalibration cal(c.state, c.params, c.passes, c.observer());
    cal.show();
    EXPECT_EQ(cal.status().maximum, 72);
    ASSERT_TRUE(cal.start()) << cal.status().info;
    EXPECT_EQ(cal.status().phase, CalibrationPhase::Done);
    EXPECT_EQ(cal.status().info, "Calibration OK.");
    EXPECT_EQ(cal.status().progress, 72);

    const auto k = zeroCoefficients(c.state);
    for (std::size_t ch = 0; ch < 2; ++ch) {
        SCOPED_TRACE(ch);
        EXPECT_NEAR(k[ch].p1, truth[ch].p1, 2);
        EXPECT_NEAR(k[ch].p2, truth[ch].p2, 2);
        EXPECT_NEAR(k[ch].sh, truth[ch].sh, 2);
    }
    // The progress went up one frame at a time, to 72 frames in all.
    int most = 0;
    for (const CalibrationStatus& s : c.statuses)
        most = std::max(most, s.phase == CalibrationPhase::Measuring ? s.progress : 0);
    EXPECT_EQ(most, 72);

    // With the new coefficients 0 V lands on the chosen zero level at every range.
    c.state.Scope.A1_Zero = 128;
    c.state.Scope.A2_Zero = 100;
    c.state.Scope.A1_ACDC = false;
    c.state.Scope.A2_ACDC = false;
    for (const VoltsDiv v : {VoltsDiv::V2, VoltsDiv::V1, VoltsDiv::V05, VoltsDiv::V02,
                             VoltsDiv::mV100, VoltsDiv::mV50}) {
        SCOPED_TRACE(static_cast<int>(v));
        c.state.Scope.VoltsDiv_A1 = v;
        c.state.Scope.VoltsDiv_A2 = v;
        c.state.Run.running = true;
        c.setVariant(31);
        const auto mean = c.meanLevels();
        EXPECT_NEAR(mean[0], 128, 1.0);
        EXPECT_NEAR(mean[1], 100, 1.0);
    }
}

TEST(ZeroCalibration, ANoisyInputFailsAndLeavesTheCoefficients) {
    Calibrating c(simulated("sim:a1=noise:1M:0.5,a2=off"));
    c.setVariant(31);
    ASSERT_TRUE(c.h.connect());
    const auto before = zeroCoefficients(c.state);
    ZeroCalibration cal(c.state, c.params, c.passes, c.observer());
    cal.show();
    EXPECT_FALSE(cal.start());
    EXPECT_EQ(cal.status().phase, CalibrationPhase::Failed);
    EXPECT_EQ(cal.status().info, "Calibration failed.");
    EXPECT_EQ(cal.status().progress, 0);
    EXPECT_TRUE(cal.status().startEnabled());
    EXPECT_FALSE(cal.status().okEnabled());
    EXPECT_EQ(zeroCoefficients(c.state), before);
    // It failed at the first pass: eight frames, no more.
    EXPECT_LE(std::max_element(c.statuses.begin(), c.statuses.end(),
                               [](const auto& a, const auto& b) { return a.progress < b.progress; })
                  ->progress,
              8);
}

TEST(ZeroCalibration, AVariantWithoutA2MeasuresA1Only) {
    Calibrating c(simulated(kOpenInputs, 28)); // D2, generator, frequency meter; no A2
    c.setVariant(28);
    ASSERT_TRUE(c.h.connect());
    c.state.Calibrate.Z_A2P1 = 1;
    c.state.Calibrate.Z_A2P2 = 2;
    c.state.Calibrate.Z_A2SH = 3;
    ZeroCalibration cal(c.state, c.params, c.passes);
    cal.show();
    ASSERT_TRUE(cal.start()) << cal.status().info;
    const auto k = zeroCoefficients(c.state);
    EXPECT_NEAR(k[0].p1, 3370, 2);
    EXPECT_NEAR(k[0].p2, 712, 2);
    EXPECT_EQ(k[1], (ZeroCoefficientSet{1, 2, 3}));
}

TEST(ZeroCalibration, ARunInPairedModeStillSeesA2) {
    // The panel left paired mode on (one analog channel): the passes send routing 0 anyway.
    Calibrating c(simulated(kOpenInputs));
    c.state.Common.CH_A2 = false;
    c.state.Common.CH_D2 = false;
    c.setVariant(31);
    ASSERT_TRUE(c.params.paired);
    ASSERT_TRUE(c.h.connect());
    ZeroCalibration cal(c.state, c.params, c.passes);
    cal.show();
    EXPECT_TRUE(cal.start()) << cal.status().info;
}

TEST(ZeroCalibration, CancelEndsAWaitingPassAtOnceWithoutAMessage) {
    Calibrating c(simulated(kOpenInputs));
    c.setVariant(31);
    ASSERT_TRUE(c.h.connect());
    const auto before = zeroCoefficients(c.state);
    int looks = 0;
    c.onIdle = [&] { c.cancel = ++looks > 30; };
    ZeroCalibration cal(c.state, c.params, c.passes);
    cal.show();
    EXPECT_FALSE(cal.start());
    EXPECT_NE(cal.status().info, "Calibration failed.");
    EXPECT_EQ(looks, 31);
    EXPECT_EQ(zeroCoefficients(c.state), before);
}

TEST(ZeroCalibration, AnUnplugDuringAPassFailsCleanly) {
    Calibrating c(simulated(kOpenInputs));
    c.setVariant(31);
    ASSERT_TRUE(c.h.connect());
    const auto before = zeroCoefficients(c.state);
    int looks = 0;
    c.onIdle = [&] {
        if (++looks == 40)
            c.h.d2xx.unplug(0);
        // The window's watchdog probes once a second.
        if (looks % 20 == 0)
            c.h.tick();
    };
    c.h.ui.answers = {BoxAnswer::No};
    ZeroCalibration cal(c.state, c.params, c.passes);
    cal.show();
    EXPECT_FALSE(cal.start());
    EXPECT_EQ(cal.status().info, "Calibration failed.");
    EXPECT_TRUE(c.passes.linkFailed());
    EXPECT_EQ(zeroCoefficients(c.state), before);
}

TEST(TdcCalibration, FindsTheInstrumentsConstants) {
    struct Case {
        const char* name;
        std::int32_t variant;
        int maximum;
        TdcResult expected;
    };
    // The simulator's TDCs have 19, 21, 20 and 22 steps in 10 ns. Its generator is exact, so at
    // 9 876 543.2 Hz (a period of 101.25 ns) the edges fall on only eight phases of the 10 ns
    // sample clock: the largest count a pass sees is the true one only when one of those phases
    // lies within half a step of the clock edge; otherwise it is one less. Which phases occur
    // depends on when the generator started, so a constant is the true one or one below.
    const Case cases[] = {
        {"with D2", 31, 200, {19, 21, 20, 22}},
        {"without D2", 29, 100, {19, 21, 20, 20}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Calibrating c(simulated("sim:d1=gen,d2=gen", k.variant));
        c.setVariant(k.variant);
        ASSERT_TRUE(c.h.connect());
        TdcCalibration cal(c.state, c.params, c.passes, c.observer());
        cal.show(std::nullopt);
        EXPECT_EQ(cal.status().maximum, k.maximum);
        EXPECT_EQ(cal.status().result, "...");
        ASSERT_TRUE(cal.start()) << cal.status().info;
        ASSERT_TRUE(cal.result());
        const TdcResult found = *cal.result();
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_LE(found[i], k.expected[i]) << i;
            EXPECT_GE(found[i] + 1, k.expected[i]) << i;
        }
        if (!(k.variant & kCapD2)) {
            EXPECT_EQ(found[2], 20);
            EXPECT_EQ(found[3], 20);
        }
        EXPECT_EQ(cal.status().progress, k.maximum);
        EXPECT_EQ(cal.status().result, tdcResultText(found, k.variant & kCapD2, false));
        // The instrument still has its old constants: only the caller writes the new ones.
        EXPECT_EQ(c.h.link.report.get().tdc, (TdcConstants{20, 21, 20, 21}));

        // What OK does: the write request; the next status packets report them.
        c.h.link.setTdcToWrite(*cal.result());
        c.h.link.tdcWriteRequest.store(true);
        c.h.link.sendParametersRequest.store(true);
        c.h.wake.set();
        EXPECT_TRUE(c.h.pumpUntil([&] { return c.h.link.report.get().tdc == *cal.result(); }));
    }
}

TEST(TdcCalibration, AWriteRequestedWhileTheLinkIsDownIsDroppedByTheNextOpen) {
    Calibrating c(simulated("sim"));
    ASSERT_TRUE(c.h.connect());
    c.h.d2xx.unplug(0);
    c.h.ui.answers = {BoxAnswer::No};
    c.h.pumpFor(50ms);
    c.h.tick(); // the watchdog finds the link gone; No leaves it closed
    ASSERT_FALSE(c.h.link.linkUp.load());

    c.h.link.setTdcToWrite({13, 14, 15, 16});
    c.h.link.tdcWriteRequest.store(true);
    c.h.d2xx.replug(0);
    ASSERT_EQ(c.h.session.open(), FT_OK);
    ASSERT_TRUE(c.h.pumpUntil([&] { return c.h.link.linkUp.load(); }));
    const std::uint64_t before = c.h.decoded();
    c.h.start(runParams());
    ASSERT_TRUE(c.h.pumpUntil([&] { return c.h.decoded() >= before + 3; }));
    EXPECT_FALSE(c.h.link.tdcWriteRequest.load());
    c.h.pumpFor(300ms);
    EXPECT_EQ(c.h.link.report.get().tdc, (TdcConstants{20, 21, 20, 21}));
}

} // namespace
} // namespace qs40::integration

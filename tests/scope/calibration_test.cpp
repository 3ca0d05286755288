// The calibrations' arithmetic and their runs over scripted frames: what a pass takes and
// refuses, the coefficients and constants that follow, and what the dialogs are told.
#include <gtest/gtest.h>

#include "scope/calibration_texts.h"
#include "scope/freq_calibration.h"
#include "scope/tdc_calibration.h"
#include "scope/zero_calibration.h"

#include <deque>
#include <memory>

namespace qs40 {
namespace {

// Passes that hand out scripted frames (header fields and a TDC count), recording the
// parameters of every pass.
struct ScriptedPasses final : CalibrationPasses {
    struct Frame {
        std::int32_t valid = 5000;
        std::array<std::int32_t, 2> sum{};
        std::array<std::int32_t, 2> peakToPeak{};
        std::uint8_t tdc = 0;
    };
    std::function<Frame(int pass, int frame)> script;
    std::vector<AcquisitionParams> sent;
    std::optional<int> failAtPass; // the link fails at the start of this pass
    std::unique_ptr<FrameData> data = std::make_unique<FrameData>();

    PassOutcome run(const AcquisitionParams& params, const PassFrameHandler& onFrame) override {
        const int pass = static_cast<int>(sent.size());
        sent.push_back(params);
        if (failAtPass && *failAtPass == pass)
            return PassOutcome::Failed;
        for (int frame = 0;; ++frame) {
            const Frame f = script(pass, frame);
            data->header[kHdrValid] = f.valid;
            for (std::size_t ch = 0; ch < 2; ++ch) {
                data->header[kHdrLevelSumA1 + ch] = f.sum[ch];
                data->header[kHdrPeakToPeakA1 + ch] = f.peakToPeak[ch];
            }
            if (onFrame(*data, f.tdc))
                return PassOutcome::Done;
        }
    }
};

ScopeState englishState(std::int32_t variant) {
    ScopeState s;
    s.Common.Russian = false;
    s.System.Device_Type_Code = variant;
    return s;
}

TEST(ZeroCoefficients, FollowFromTheThreeLevels) {
    // A channel with P1 3370, P2 712, SH 4: at code 2200 on 2 V/div the level is the mean of
    // the ends plus SH/40, on 50 mV/div plus SH.
    const double l1 = 3370 + 4.0 / 40, l2 = 712 + 4.0 / 40, l3 = (3370 + 712) / 2.0 + 4;
    EXPECT_EQ(zeroCoefficientsFromLevels(l1, l2, l3), (ZeroCoefficientSet{3370, 712, 4}));
    EXPECT_EQ(zeroCoefficientsFromLevels(3357, 725, 2041), (ZeroCoefficientSet{3357, 725, 0}));
}

TEST(ZeroLevelMeter, TakesTheQuietestOfFramesFourToEight) {
    struct Case {
        const char* name;
        std::vector<std::int32_t> peakToPeak; // A1 of frames 1..8; A2 always quiet
        bool found;
        double level; // sum = 1000 x (frame number) over 100 samples
    };
    const Case cases[] = {
        {"quietest wins", {0, 0, 0, 5, 3, 4, 3, 9}, true, 50.0},
        {"settling frames do not count", {0, 0, 0, 12, 12, 12, 12, 12}, false, 0},
        {"equal to the threshold is refused", {5, 5, 5, 12, 13, 12, 20, 12}, false, 0},
        {"clipped frames are refused", {1, 1, 1, -1, -1, -1, -1, 11}, true, 80.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZeroLevelMeter meter(12, true);
        std::array<std::int32_t, kHeaderFields> h{};
        for (std::size_t i = 0; i < 8; ++i) {
            h[kHdrValid] = 100;
            h[kHdrLevelSumA1] = 1000 * static_cast<std::int32_t>(i + 1);
            h[kHdrPeakToPeakA1] = c.peakToPeak[i];
            h[kHdrLevelSumA2] = 6300;
            h[kHdrPeakToPeakA2] = 1;
            EXPECT_EQ(meter.take(h), i == 7);
        }
        EXPECT_EQ(meter.found(), c.found);
        if (c.found) {
            EXPECT_DOUBLE_EQ(meter.level(0), c.level);
        }
    }
    // A frame without samples is passed over.
    ZeroLevelMeter meter(12, false);
    std::array<std::int32_t, kHeaderFields> h{};
    for (int i = 0; i < 8; ++i)
        meter.take(h);
    EXPECT_FALSE(meter.found());
}

// Levels as an instrument with the given coefficients and no noise shows them.
ScriptedPasses::Frame levelsOf(const AcquisitionParams& p, const ZeroCoefficientSet& k) {
    const double x = 50000.0 / p.voltsDivA1;
    const double level = (k.p1 + (p.offsetA1 - 1360) * (k.p2 - k.p1) / 1680.0 + x * k.sh) / 16.0;
    ScriptedPasses::Frame f;
    f.sum = {static_cast<std::int32_t>(level * 5000), static_cast<std::int32_t>(level * 5000)};
    f.peakToPeak = {1, 1};
    return f;
}

TEST(ZeroCalibration, RunsNinePassesWithItsOwnSetAndStoresTheResult) {
    ScopeState state = englishState(31);
    AcquisitionParams panel;
    panel.routingBits = 0x01; // paired mode left on by the panel
    panel.paired = true;
    panel.modeBits = 0x3F;
    panel.freqMeterInput = 5;
    ScriptedPasses passes;
    const ZeroCoefficientSet truth{3370, 712, 4};
    passes.script = [&](int pass, int) { return levelsOf(passes.sent[pass], truth); };
    std::vector<CalibrationStatus> seen;
    ZeroCalibration cal(state, panel, passes,
                        [&](const CalibrationStatus& s) { seen.push_back(s); });
    cal.show();
    EXPECT_EQ(cal.status().info, "Disconnect anything from BNC's and press Start button.");
    EXPECT_TRUE(cal.status().startEnabled());
    EXPECT_FALSE(cal.status().okEnabled());
    EXPECT_EQ(cal.status().result, "") << "the coefficients show in service mode only";
    ASSERT_TRUE(cal.start());

    const std::int32_t codes[] = {1360, 1341, 1379, 3040, 3021, 3059, 2200, 2181, 2219};
    ASSERT_EQ(passes.sent.size(), 9u);
    for (std::size_t i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        const AcquisitionParams& p = passes.sent[i];
        EXPECT_EQ(p.offsetA1, codes[i]);
        EXPECT_EQ(p.offsetA2, codes[i]);
        EXPECT_EQ(p.runBits, 0x83);
        EXPECT_EQ(p.routingBits, 0);
        EXPECT_EQ(p.modeBits, 0);
        EXPECT_EQ(p.triggerCount, 0);
        EXPECT_EQ(p.recordLength, 5000);
        EXPECT_EQ(p.divider, 400u);
        EXPECT_EQ(p.timePerDivNs, 2'000'000);
        EXPECT_EQ(p.preTrigger, 0);
        EXPECT_EQ(p.postTrigger, 5000);
        EXPECT_EQ(p.freqMeterInput, 5) << "what the calibration does not name stays";
        const bool fifty = i >= 6;
        EXPECT_EQ(p.inputA1, fifty ? 0x38 : 0x1B);
        EXPECT_EQ(p.inputA2, fifty ? 0x38 : 0x1B);
        EXPECT_EQ(p.voltsDivA1, fifty ? 50000 : 2000000);
        EXPECT_EQ(p.voltsDivA2, fifty ? 50000 : 2000000);
    }
    const auto k = zeroCoefficients(state);
    EXPECT_NEAR(k[0].p1, truth.p1, 1);
    EXPECT_NEAR(k[0].p2, truth.p2, 1);
    EXPECT_NEAR(k[0].sh, truth.sh, 1);
    EXPECT_EQ(k[0], k[1]);
    EXPECT_EQ(cal.status().info, "Calibration OK.");
    EXPECT_TRUE(cal.status().okEnabled());
    EXPECT_TRUE(cal.status().startEnabled());
    // While measuring neither Start nor OK can be pressed.
    for (const CalibrationStatus& s : seen) {
        if (s.phase == CalibrationPhase::Measuring) {
            EXPECT_FALSE(s.startEnabled());
            EXPECT_FALSE(s.okEnabled());
        }
    }
    // One step per awaited frame, 72 in all.
    EXPECT_EQ(seen.back().progress, 72);
    int steps = 0;
    for (std::size_t i = 1; i < seen.size(); ++i)
        steps += seen[i].progress == seen[i - 1].progress + 1 ? 1 : 0;
    EXPECT_EQ(steps, 72);
}

TEST(ZeroCalibration, TheServiceModeShowsTheCoefficientsAndUsesItsGainByte) {
    ScopeState state = englishState(31);
    state.System.Debug_qs = true;
    state.Calibrate.Z_A2SH = -3;
    AcquisitionParams panel;
    ScriptedPasses passes;
    passes.script = [&](int pass, int) { return levelsOf(passes.sent[pass], {3357, 725, 0}); };
    ZeroCalibration cal(state, panel, passes);
    cal.show();
    EXPECT_EQ(cal.status().result, "A1P1 = 3357    A1P2 = 725    A1SH = 0\r\n"
                                   "A2P1 = 3357    A2P2 = 725    A2SH = -3");
    ASSERT_TRUE(cal.start());
    EXPECT_EQ(passes.sent[0].inputA1, 0x3B);
    EXPECT_EQ(passes.sent[8].inputA1, 0x38);
    EXPECT_EQ(cal.status().result, "A1P1 = 3357    A1P2 = 725    A1SH = 0\r\n"
                                   "A2P1 = 3357    A2P2 = 725    A2SH = 0");
}

TEST(ZeroCalibration, AFailedOrCancelledPassStopsTheRunAndStoresNothing) {
    struct Case {
        const char* name;
        std::optional<int> failAtPass;
        bool noisyAtPass7;
        bool russian;
        std::string info;
    };
    const Case cases[] = {
        {"noise", std::nullopt, true, false, "Calibration failed."},
        {"noise, Russian", std::nullopt, true, true, "Ошибка калибровки."},
        {"link", 4, false, false, "Calibration failed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopeState state = englishState(31);
        state.Common.Russian = c.russian;
        const auto before = zeroCoefficients(state);
        AcquisitionParams panel;
        ScriptedPasses passes;
        passes.failAtPass = c.failAtPass;
        passes.script = [&](int pass, int) {
            ScriptedPasses::Frame f = levelsOf(passes.sent[pass], {3370, 712, 4});
            if (c.noisyAtPass7 && pass == 7)
                f.peakToPeak = {1, 16};
            return f;
        };
        ZeroCalibration cal(state, panel, passes);
        cal.show();
        EXPECT_FALSE(cal.start());
        EXPECT_EQ(cal.status().phase, CalibrationPhase::Failed);
        EXPECT_EQ(cal.status().info, c.info);
        EXPECT_EQ(cal.status().progress, 0);
        EXPECT_TRUE(cal.status().startEnabled()) << "a zero calibration may start again";
        EXPECT_FALSE(cal.status().okEnabled());
        EXPECT_EQ(zeroCoefficients(state), before);
    }
}

TEST(TdcCalibration, PassesTriggerOnEachInputAndEdgeWithTheGeneratorLoopedIn) {
    ScopeState state = englishState(31);
    AcquisitionParams panel;
    panel.inputA1 = 0x0F;
    panel.inputA2 = 0x17;
    panel.genWord2 = 77;
    panel.genWord3 = 88;
    panel.routingBits = 0x05;
    ScriptedPasses passes;
    const TdcResult truth{19, 21, 20, 22};
    passes.script = [&](int pass, int frame) {
        ScriptedPasses::Frame f;
        f.tdc = static_cast<std::uint8_t>(frame % (truth[static_cast<std::size_t>(pass)] + 1));
        return f;
    };
    std::vector<CalibrationStatus> seen;
    TdcCalibration cal(state, panel, passes,
                       [&](const CalibrationStatus& s) { seen.push_back(s); });
    cal.show(TdcResult{20, 21, 20, 21});
    EXPECT_EQ(cal.status().result,
              "Rise = 10/20 nS     Fall = 10/21 nS\r\nRise = 10/20 nS     Fall = 10/21 nS");
    EXPECT_EQ(cal.status().maximum, 200);
    ASSERT_TRUE(cal.start());
    EXPECT_EQ(*cal.result(), truth);
    EXPECT_EQ(cal.status().result,
              "Rise = 10/19 nS     Fall = 10/21 nS\r\nRise = 10/20 nS     Fall = 10/22 nS");
    EXPECT_EQ(cal.status().info, "Calibration OK.");

    const std::uint8_t flags[] = {0x02, 0x12, 0x06, 0x16};
    const std::uint8_t meter[] = {3, 3, 4, 4};
    ASSERT_EQ(passes.sent.size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const AcquisitionParams& p = passes.sent[k];
        EXPECT_EQ(p.modeBits, flags[k]);
        EXPECT_EQ(p.freqMeterInput, meter[k]);
        EXPECT_EQ(p.runBits, 0x8C);
        EXPECT_EQ(p.routingBits, 0);
        EXPECT_EQ(p.genWord1, 108'593'740'906);
        EXPECT_EQ(p.genWord2, 0);
        EXPECT_EQ(p.genWord3, 0);
        EXPECT_EQ(p.genMode, 0);
        EXPECT_EQ(p.genAmplitude, 500);
        EXPECT_EQ(p.genFrequency, 98'765'432);
        EXPECT_EQ(p.inputA1, 0x07) << "generator on, the gain bytes otherwise unchanged";
        EXPECT_EQ(p.inputA2, 0x17);
        EXPECT_EQ(p.recordLength, 1000);
        EXPECT_EQ(p.timePerDivNs, 500);
        EXPECT_EQ(p.divider, 1u);
        EXPECT_EQ(p.preTrigger, 0);
        EXPECT_EQ(p.postTrigger, 1000);
        EXPECT_EQ(p.triggerCount, 1);
    }
    // The label while measuring: the running value in place, "..." after a rising one.
    bool sawRising = false, sawFalling = false;
    for (const CalibrationStatus& s : seen) {
        sawRising |= s.result == "Rise = 10/19 nS     Fall = 10/21 nS\r\n"
                                 "Rise = 10/0 nS     Fall = ...";
        sawFalling |= s.result == "Rise = 10/19 nS     Fall = 10/21 nS\r\n"
                                  "Rise = 10/20 nS     Fall = 10/5 nS";
    }
    EXPECT_TRUE(sawRising);
    EXPECT_TRUE(sawFalling);
}

TEST(TdcCalibration, CountsDecideWhetherAPassSucceeds) {
    struct Case {
        const char* name;
        std::uint8_t most;  // the largest count of every pass
        std::uint8_t extra; // one count in frame 10
        bool ok;
        int passesRun;
    };
    const Case cases[] = {
        {"27 is accepted", 27, 0, true, 4},
        {"28 fails at once", 20, 28, false, 1},
        {"a maximum of 12 succeeds", 12, 0, true, 4},
        {"a maximum of 11 fails", 11, 0, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopeState state = englishState(31);
        AcquisitionParams panel;
        ScriptedPasses passes;
        int frames = 0;
        passes.script = [&](int, int frame) {
            ++frames;
            ScriptedPasses::Frame f;
            f.tdc = frame == 10 && c.extra ? c.extra : frame == 20 ? c.most : 5;
            return f;
        };
        TdcCalibration cal(state, panel, passes);
        cal.show(std::nullopt);
        EXPECT_EQ(cal.status().result, "...");
        EXPECT_EQ(cal.start(), c.ok);
        EXPECT_EQ(static_cast<int>(passes.sent.size()), c.passesRun);
        if (c.ok)
            continue;
        EXPECT_EQ(frames, c.extra ? 11 : 50);
        EXPECT_EQ(cal.status().info, "Calibration failed.");
        EXPECT_EQ(cal.status().result, "...");
        EXPECT_EQ(cal.status().progress, 0);
        EXPECT_FALSE(cal.status().startEnabled()) << "after a failure only Cancel is left";
        EXPECT_FALSE(cal.status().okEnabled());
        EXPECT_FALSE(cal.result());
    }
}

TEST(TdcCalibration, WithoutD2TwoPassesAndTwentyForD2) {
    ScopeState state = englishState(29); // no D2
    state.Common.Russian = true;
    AcquisitionParams panel;
    ScriptedPasses passes;
    passes.script = [](int pass, int frame) {
        ScriptedPasses::Frame f;
        f.tdc = frame == 3 ? static_cast<std::uint8_t>(18 + pass) : 2;
        return f;
    };
    TdcCalibration cal(state, panel, passes);
    cal.show(std::nullopt);
    EXPECT_EQ(cal.status().maximum, 100);
    ASSERT_TRUE(cal.start());
    EXPECT_EQ(passes.sent.size(), 2u);
    EXPECT_EQ(*cal.result(), (TdcResult{18, 19, 20, 20}));
    EXPECT_EQ(cal.status().result, "Фронт = 10/18 nS     Срез = 10/19 nS\r\n");
    EXPECT_EQ(cal.status().info, "Калибровка закончена.");
}

TEST(FreqMeterCorrection, ReadingsAndTheValueThatMakesThemMatch) {
    EXPECT_EQ(uncorrectedFrequency(1, 1001, 100'000'000), 1000.0);
    EXPECT_EQ(uncorrectedFrequency(5, 1001, 100'000'000), 8000.0) << "high-frequency input";
    EXPECT_EQ(uncorrectedFrequency(1, 1001, 0), std::nullopt);
    EXPECT_EQ(uncorrectedFrequency(1, 0, 100), std::nullopt);

    struct Case {
        double reference, measured;
        std::optional<std::int32_t> time;
    };
    const Case cases[] = {
        {1e6, 1e6 / (1 + 12.6e-6), 63}, // a clock 12.6 ppm fast reads low
        {1e6, 1e6 * (1 + 3e-6), -15},   // a slow one reads high
        {1e6, 1e6 / (1 + 0.1e-6), 1},   // half a step rounds away from zero
        {1e6, 1e6 / (1 + 80e-6), 250},  // limited
        {1e6, 1e6 * (1 + 80e-6), -250}, {1e6, 0, std::nullopt}, {0, 1e6, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(timeForReference(c.reference, c.measured), c.time) << c.measured;
    EXPECT_EQ(timeForPpm(12.6), 63);
    EXPECT_EQ(timeForPpm(-50), -250);
    EXPECT_EQ(timeForPpm(-51), -250);
    EXPECT_EQ(timeForPpm(0.5), 3) << "half a step rounds away from zero";
    EXPECT_EQ(timeForPpm(-0.5), -3);
}

TEST(FreqMeterCorrection, TheLabelShowsPpmWithTwoDecimals) {
    EXPECT_EQ(ppmLabel(0), "PPM = 0.00");
    EXPECT_EQ(ppmLabel(63), "PPM = 12.60");
    EXPECT_EQ(ppmLabel(-250, ','), "PPM = -50,00");
    EXPECT_EQ(ppmLabel(-1), "PPM = -0.20");
    EXPECT_EQ(ppmLabel(250), "PPM = 50.00");
}

TEST(CalibrationTexts, BothLanguages) {
    EXPECT_EQ(calibrationTexts(CalibrationKind::Zero, true).title, "Калибровка уровня нуля");
    EXPECT_EQ(calibrationTexts(CalibrationKind::FreqMeter, false).title, "Freq. Meter Calibrate");
    EXPECT_EQ(calibrationTexts(CalibrationKind::FreqMeter, true).cancel, "Отмена");
    EXPECT_EQ(calibrationTexts(CalibrationKind::Tdc, false).info,
              "Connect generator to D1, D2 chanels and press Start button.");
    EXPECT_EQ(calibrationTexts(CalibrationKind::Tdc, true).measuring, "Идет калибровка ...");
    EXPECT_EQ(deviceNotFoundText(true), "Устройство не найдено.");
    EXPECT_EQ(calibrationErrorCaption(false), "Calibrate Error");
}

} // namespace
} // namespace qs40

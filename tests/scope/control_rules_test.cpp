#include "scope/control_rules.h"
#include "scope/parameter_computation.h"

#include <gtest/gtest.h>

namespace qs40 {
namespace {

using Captions = std::array<std::string, 6>;

TEST(ControlRules, VoltsDivCaptionsFollowTheProbe) {
    struct Case {
        std::optional<Probe> probe;
        bool russian;
        Captions buttons;
        std::string label;
    };
    const Case cases[] = {
        {Probe::x1, false, {"2V", "1V", "0.5V", "0.2V", "100mV", "50mV"}, "     A2 Volts/Div "},
        {Probe::x10, false, {"20V", "10V", "5V", "2V", "1V", "0.5V"}, "     A2 V/Div (x10)"},
        {Probe::x100, false, {"200V", "100V", "50V", "20V", "10V", "5V"}, "     A2 V/Div (x100)"},
        {std::nullopt, false, {"2V", "1V", "0.5V", "0.2V", "100mV", "50mV"}, "     A2 Volts/Div "},
        {Probe::x1, true, {"2V", "1V", "0.5V", "0.2V", "100mV", "50mV"}, "     A2 Вольт/Дел "},
        {Probe::x100, true, {"200V", "100V", "50V", "20V", "10V", "5V"}, "     A2 В/Дел (x100)"},
    };
    for (const Case& k : cases) {
        ScopeState s;
        s.Common.Russian = k.russian;
        s.Common.Probe_A2 = k.probe;
        PanelView v;
        applyVoltsDivCaptions(s, v);
        EXPECT_EQ(v.voltsDivCaptionsA2, k.buttons);
        EXPECT_EQ(v.voltsDivLabelA2, k.label);
        EXPECT_EQ(v.voltsDivCaptionsA1[0], "2V"); // A1 keeps its own probe
    }
}

TEST(ControlRules, A1LabelNamesTheChannelOnlyWithA2) {
    ScopeState s;
    s.Common.Russian = false;
    s.Common.Probe_A1 = Probe::x10;
    PanelView v;
    s.System.Device_Type_Code = 31;
    applyVoltsDivCaptions(s, v);
    EXPECT_EQ(v.voltsDivLabelA1, "     A1 V/Div (x10)");
    s.System.Device_Type_Code = 28;
    applyVoltsDivCaptions(s, v);
    EXPECT_EQ(v.voltsDivLabelA1, "       V/Div (x10)"); // six blanks, then the unit
}

TEST(ControlRules, ScrollDisplayReleasesSweepOnSlowTimeBase) {
    struct Case {
        TimeDiv t;
        std::optional<TrigSource> source;
        bool lenta;
        bool enabled;
    };
    const Case cases[] = {
        {TimeDiv::T100mS, std::nullopt, true, false},  {TimeDiv::T20S, std::nullopt, true, false},
        {TimeDiv::T100mS, TrigSource::A1, true, true}, // a trigger source: no roll
        {TimeDiv::T50mS, std::nullopt, true, true},    {TimeDiv::T100mS, std::nullopt, false, true},
    };
    for (const Case& k : cases) {
        ScopeState s;
        s.Scope.TimeDiv = k.t;
        s.Trigger.Source = k.source;
        s.Common.Lenta = k.lenta;
        s.Generator.Mode = GenMode::F_Sweep;
        PanelView v;
        applySweepRule(s, v);
        EXPECT_EQ(v.sweepEnabled, k.enabled);
        EXPECT_EQ(s.Generator.Mode.has_value(), k.enabled);
    }
    // Pulse and Mod are not touched.
    ScopeState s;
    s.Scope.TimeDiv = TimeDiv::T1S;
    s.Common.Lenta = true;
    s.Generator.Mode = GenMode::Pulse;
    PanelView v;
    applySweepRule(s, v);
    EXPECT_EQ(s.Generator.Mode, GenMode::Pulse);
}

TEST(ControlRules, GeneratorRules) {
    constexpr bool T = true, F = false;
    using Waves = std::array<bool, 5>; // Sin, Rect, Trian, Up_Trian, Dn_Trian
    struct Case {
        std::optional<GenMode> mode;
        GenRange range;
        bool service;
        GenRange rangeAfter;
        bool show50M, showNoise, bars;
        Waves waves;
    };
    const Case cases[] = {
        // Noise cannot be swept or modulated: 10M instead, 50M in service mode.
        {GenMode::F_Sweep, GenRange::Noise, F, GenRange::R10M_1mS, F, F, T, {T, F, F, F, F}},
        {GenMode::F_Sweep, GenRange::Noise, T, GenRange::R50M_100uS, T, F, T, {T, F, F, F, F}},
        {GenMode::Mod, GenRange::Noise, F, GenRange::R10M_1mS, F, F, T, {T, F, F, F, F}},
        // Plain noise: bars off, no waveform choice.
        {std::nullopt, GenRange::Noise, F, GenRange::Noise, F, T, F, {F, F, F, F, F}},
        // Pulse: every range allowed, waveforms off.
        {GenMode::Pulse, GenRange::Noise, F, GenRange::Noise, T, T, T, {F, F, F, F, F}},
        {GenMode::Pulse, GenRange::R50M_100uS, F, GenRange::R50M_100uS, T, T, T, {F, F, F, F, F}},
        // 50M outside pulse mode only in service mode.
        {std::nullopt, GenRange::R50M_100uS, F, GenRange::R10M_1mS, F, T, T, {T, F, F, F, F}},
        {std::nullopt, GenRange::R50M_100uS, T, GenRange::R50M_100uS, T, T, T, {T, F, F, F, F}},
        {GenMode::Mod, GenRange::R1M_10mS, F, GenRange::R1M_10mS, F, F, T, {T, T, T, T, T}},
        {std::nullopt, GenRange::R10K_1S, F, GenRange::R10K_1S, F, T, T, {T, T, T, T, T}},
    };
    for (const Case& k : cases) {
        ScopeState s;
        s.System.Debug_qs = k.service;
        s.Generator.Mode = k.mode;
        s.Generator.Range = k.range;
        s.Generator.Wave = GenWave::Rect;
        PanelView v;
        applyGeneratorRules(s, v);
        SCOPED_TRACE(::testing::Message() << "mode " << (k.mode ? static_cast<int>(*k.mode) : -1)
                                          << " range " << static_cast<int>(k.range));
        EXPECT_EQ(s.Generator.Range, k.rangeAfter);
        EXPECT_EQ(v.range50MVisible, k.show50M);
        EXPECT_EQ(v.noiseVisible, k.showNoise);
        EXPECT_EQ(v.freqBarsEnabled, k.bars);
        EXPECT_EQ(v.waveEnabled, k.waves);
        const bool forcedSine = k.mode != GenMode::Pulse && k.waves != Waves{T, T, T, T, T};
        EXPECT_EQ(s.Generator.Wave, forcedSine ? GenWave::Sin : GenWave::Rect);
    }
}

TEST(ControlRules, RangeCaptionsFollowPulseMode) {
    ScopeState s;
    PanelView v;
    s.Generator.Mode = GenMode::F_Sweep;
    s.Generator.Range = GenRange::Noise;
    applyGeneratorRules(s, v);
    EXPECT_EQ(v.genRangeCaptions, (Captions{"10K", "100K", "1M", "10M", "50M", "Noise"}));
    s.Generator.Mode = GenMode::Pulse;
    applyGeneratorRules(s, v);
    EXPECT_EQ(v.genRangeCaptions, (Captions{"1S", "0.1S", "10mS", "1mS", "0.1mS", "10uS"}));
}

// The computation runs the sweep rule before the generator words, so a released Sweep is
// never sent.
TEST(ControlRules, ComputationSendsWhatTheRulesLeave) {
    ScopeState s;
    AcquisitionParams p;
    BackgroundLevels bg;
    PanelView v;
    s.Run.generatorOn = true;
    s.Scope.TimeDiv = TimeDiv::T1S;
    s.Common.Lenta = true;
    s.Generator.Mode = GenMode::F_Sweep;
    s.Generator.Range = GenRange::Noise;
    computeParameters(s, p, bg, v);
    EXPECT_FALSE(s.Generator.Mode.has_value());
    EXPECT_FALSE(v.sweepEnabled);
    EXPECT_EQ(s.Generator.Range, GenRange::Noise); // no longer swept: noise may stay
    EXPECT_EQ(p.genMode, 0x28);
}

} // namespace
} // namespace qs40

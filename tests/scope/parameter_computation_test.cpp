#include "scope/offset_code.h"
#include "scope/parameter_computation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace qs40 {
namespace {

// A state with everything a computation writes to.
struct Computation {
    ScopeState state;
    AcquisitionParams params;
    BackgroundLevels background;
    PanelView view;

    const AcquisitionParams& run() {
        computeParameters(state, params, background, view);
        return params;
    }
};

TEST(ParameterComputation, DefaultTimeBaseCheck) {
    struct Row {
        TimeDiv t;
        std::uint32_t divider;
        std::int32_t unit; // pre-trigger unit, seen as the pre-trigger count at Pre 1
    };
    const Row rows[] = {
        {TimeDiv::T20S, 4'000'000, 500}, {TimeDiv::T10S, 2'000'000, 500},
        {TimeDiv::T5S, 1'000'000, 500},  {TimeDiv::T2S, 400'000, 500},
        {TimeDiv::T1S, 200'000, 500},    {TimeDiv::T500mS, 100'000, 500},
        {TimeDiv::T200mS, 40'000, 500},  {TimeDiv::T100mS, 20'000, 500},
        {TimeDiv::T50mS, 10'000, 500},   {TimeDiv::T20mS, 4'000, 500},
        {TimeDiv::T10mS, 2'000, 500},    {TimeDiv::T5mS, 1'000, 500},
        {TimeDiv::T2mS, 400, 500},       {TimeDiv::T1mS, 200, 500},
        {TimeDiv::T05mS, 100, 500},      {TimeDiv::T02mS, 40, 500},
        {TimeDiv::T01mS, 20, 500},       {TimeDiv::T50uS, 10, 500},
        {TimeDiv::T20uS, 4, 500},        {TimeDiv::T10uS, 2, 500},
        {TimeDiv::T5uS, 1, 500},         {TimeDiv::T2uS, 1, 200},
        {TimeDiv::T1uS, 1, 100},         {TimeDiv::T05uS, 1, 50},
        {TimeDiv::T02uS, 1, 20},         {TimeDiv::T01uS, 1, 10},
        {TimeDiv::T50nS, 1, 5},
    };
    ASSERT_EQ(std::size(rows), 27u);
    for (const Row& r : rows) {
        Computation c;
        c.state.Scope.TimeDiv = r.t;
        c.state.Trigger.Source = TrigSource::A1; // no roll, so Pre x unit is sent
        const auto& p = c.run();
        EXPECT_EQ(p.recordLength, 5000);
        EXPECT_EQ(p.timePerDivNs, timeDivNs(r.t));
        EXPECT_EQ(p.divider, r.divider) << static_cast<int>(r.t);
        EXPECT_EQ(p.preTrigger, r.unit) << static_cast<int>(r.t);
        EXPECT_EQ(p.postTrigger, 5000 - r.unit);
    }
}

TEST(ParameterComputation, SpecialDividersAndDivisions) {
    struct Case {
        TimeDiv t;
        Sampling n;
        Divisions d;
        bool peak;
        std::uint32_t divider;
        std::int32_t unit;
    };
    const Case cases[] = {
        {TimeDiv::T05uS, Sampling::N2000, Divisions::D50, false, 2, 25},    // u 125
        {TimeDiv::T05uS, Sampling::N2000, Divisions::D100, false, 5, 10},   // u 250 at 500 ns
        {TimeDiv::T1uS, Sampling::N2000, Divisions::D50, false, 4, 25},     // u 250 elsewhere
        {TimeDiv::T5uS, Sampling::N2000, Divisions::D50, false, 20, 25},    // u 1250
        {TimeDiv::T1mS, Sampling::N5000, Divisions::D200, true, 10000, 20}, // D becomes 250
        {TimeDiv::T1mS, Sampling::N5000, Divisions::D200, false, 4000, 25},
        {TimeDiv::T1mS, Sampling::N2000, Divisions::D200, true, 20000, 10}, // D stays 200
        {TimeDiv::T1mS, Sampling::N5000, Divisions::D10, true, 400, 500},   // unit doubled
        {TimeDiv::T50nS, Sampling::N5000, Divisions::D10, true, 1, 5},      // divider 1: not
    };
    for (const Case& k : cases) {
        Computation c;
        c.state.Scope.TimeDiv = k.t;
        c.state.Common.Sampling = k.n;
        c.state.Common.Divisions = k.d;
        c.state.Common.SmplPeakDet = k.peak;
        c.state.Trigger.Source = TrigSource::A1;
        const auto& p = c.run();
        EXPECT_EQ(p.divider, k.divider) << static_cast<int>(k.t) << " " << static_cast<int>(k.d);
        EXPECT_EQ(p.preTrigger, k.unit) << static_cast<int>(k.t) << " " << static_cast<int>(k.d);
        EXPECT_EQ(p.modeBits & 0x01, k.peak && k.divider > 1 ? 1 : 0);
    }
}

TEST(ParameterComputation, ChannelsDecideRunRoutingAndRecordLength) {
    struct Case {
        bool a1, a2, d1, d2, running;
        std::optional<Sampling> sampling;
        std::uint8_t run, routing;
        bool paired;
        std::int32_t n;
    };
    const Case cases[] = {
        {true, true, true, true, false, Sampling::N20000, 0x0F, 0x06, false, 10000},
        {true, false, true, false, false, Sampling::N20000, 0x0F, 0x01, true, 20000},
        {true, false, false, false, true, std::nullopt, 0x83, 0x01, true, 20000},
        {false, true, false, true, false, Sampling::N2000, 0x0F, 0x07, true, 2000},
        {true, true, true, false, false, std::nullopt, 0x07, 0x02, false, 10000},
        {false, false, true, true, false, Sampling::N10000, 0x0C, 0x04, false, 10000},
        {false, false, false, false, false, Sampling::N5000, 0x00, 0x01, true, 5000},
    };
    for (const Case& k : cases) {
        Computation c;
        CommonSection& cm = c.state.Common;
        cm.CH_A1 = k.a1, cm.CH_A2 = k.a2, cm.CH_D1 = k.d1, cm.CH_D2 = k.d2;
        cm.Sampling = k.sampling;
        c.state.Run.running = k.running;
        const auto& p = c.run();
        SCOPED_TRACE(::testing::Message() << k.a1 << k.a2 << k.d1 << k.d2);
        EXPECT_EQ(p.runBits, k.run);
        EXPECT_EQ(p.routingBits, k.routing);
        EXPECT_EQ(p.paired, k.paired);
        EXPECT_EQ(p.recordLength, k.n);
    }
}

TEST(ParameterComputation, RollOnSlowTimeBaseWithoutSource) {
    Computation c;
    c.state.Scope.TimeDiv = TimeDiv::T100mS;
    c.state.Trigger.Pre = 3;
    c.state.Trigger.N = 7;
    auto p = c.run();
    EXPECT_TRUE(p.roll);
    EXPECT_EQ(p.rollBits, 3);
    EXPECT_EQ(p.modeBits & 0x08, 0x08);
    EXPECT_EQ(p.preTrigger, 0);
    EXPECT_EQ(p.triggerCount, 0);
    EXPECT_EQ(p.postTrigger, 5000);

    c.state.Run.snglDown = true; // a single roll frame carries no bit 3
    EXPECT_EQ(c.run().modeBits & 0x08, 0);

    c.state.Trigger.Source = TrigSource::D2;
    p = c.run();
    EXPECT_FALSE(p.roll);
    EXPECT_EQ(p.rollBits, 0);
    EXPECT_EQ(p.modeBits, 0x06);
    EXPECT_EQ(p.preTrigger, 1500);
    EXPECT_EQ(p.triggerCount, 7);

    c.state.Scope.TimeDiv = TimeDiv::T50mS; // not slow: no roll even without a source
    c.state.Trigger.Source.reset();
    p = c.run();
    EXPECT_FALSE(p.roll);
    EXPECT_EQ(p.preTrigger, 1500);
    EXPECT_EQ(p.triggerCount, 0);
}

TEST(ParameterComputation, TriggerModeBits) {
    struct Case {
        std::optional<TrigSource> source;
        bool edge, autoRun;
        std::uint8_t bits;
    };
    const Case cases[] = {
        {TrigSource::A1, false, false, 0x00}, {TrigSource::A2, false, false, 0x04},
        {TrigSource::D1, false, false, 0x02}, {TrigSource::D2, true, false, 0x16},
        {std::nullopt, false, true, 0x20},    {TrigSource::A1, true, true, 0x30},
    };
    for (const Case& k : cases) {
        Computation c;
        c.state.Trigger.Source = k.source;
        c.state.Trigger.Edge = k.edge;
        c.state.Trigger.Auto = k.autoRun;
        EXPECT_EQ(c.run().modeBits, k.bits);
    }
}

TEST(ParameterComputation, TriggerThresholds) {
    struct Case {
        double level;
        std::int32_t hyst;
        std::uint8_t lower, upper;
    };
    const Case cases[] = {
        {300.0, 5, 223, 255},
        {0.0, 0, 1, 0},
        {191.0, 1, 189, 193},
        {1.5, 2, 1, 5},
        {254.5, 1, 253, 255},
        {-10.0, 0, 1, 0},
        {100.0, 3, 92, 108},
        {100.0, 4, 84, 116},
        {2.5, 0, 3, 3},
        {-2.5, 5, 1, 32},
        // Hyst outside 0..5 is limited to it.
        {100.0, -3, 100, 100},
        {100.0, 99, 68, 132},
    };
    for (const Case& k : cases) {
        Computation c;
        c.state.Trigger.Lev_A1 = k.level;
        c.state.Trigger.Lev_A2 = k.level;
        c.state.Trigger.Hyst = k.hyst;
        const auto& p = c.run();
        SCOPED_TRACE(::testing::Message() << k.level << " hyst " << k.hyst);
        EXPECT_EQ(p.thresholds[0], k.lower);
        EXPECT_EQ(p.thresholds[1], k.upper);
        EXPECT_EQ(p.thresholds[2], k.lower);
        EXPECT_EQ(p.thresholds[3], k.upper);
    }
}

TEST(ParameterComputation, InputBytesAndVoltsPerDivision) {
    Computation c;
    auto p = c.run();
    EXPECT_EQ(p.inputA1, 0x0F); // 1V code 7, generator off
    EXPECT_EQ(p.inputA2, 0x07);
    EXPECT_EQ(p.voltsDivA1, 1'000'000);

    const std::pair<VoltsDiv, std::uint8_t> codes[] = {
        {VoltsDiv::V2, 3},  {VoltsDiv::V1, 7},    {VoltsDiv::V05, 6},
        {VoltsDiv::V02, 4}, {VoltsDiv::mV100, 1}, {VoltsDiv::mV50, 0},
    };
    c.state.Run.generatorOn = true;
    c.state.Scope.A1_ACDC = true;
    c.state.Scope.A2_ACDC = true;
    for (const auto& [v, code] : codes) {
        c.state.Scope.VoltsDiv_A1 = v;
        c.state.Scope.VoltsDiv_A2 = v;
        p = c.run();
        EXPECT_EQ(p.inputA1, code | 0x10);
        EXPECT_EQ(p.inputA2, code | 0x10);
    }

    c.state.Scope.VoltsDiv_A1 = VoltsDiv::V2;
    c.state.Common.Probe_A1 = Probe::x100;
    c.state.Common.Probe_A2 = Probe::x10;
    p = c.run();
    EXPECT_EQ(p.voltsDivA1, 200'000'000);
    EXPECT_EQ(p.voltsDivA2, 500'000);
    // The offset code takes the range before the probe factor.
    EXPECT_EQ(p.offsetA1, offsetCode(c.state, 1, 2'000'000));
}

TEST(OffsetCode, FromTheZeroLevelCoefficients) {
    ScopeState s;
    EXPECT_EQ(offsetCode(s, 1, 1'000'000), 1552);
    EXPECT_EQ(offsetCode(s, 2, 1'000'000), 2859);
    s.Calibrate.Z_A1SH = 100;
    EXPECT_EQ(offsetCode(s, 1, 50'000), 1616); // x = 1
    s.Calibrate.Z_A1P2 = s.Calibrate.Z_A1P1;
    EXPECT_EQ(offsetCode(s, 1, 1'000'000), 2048);
    EXPECT_EQ(offsetCode(s, 0, 1'000'000), 2048);
    EXPECT_EQ(offsetCode(s, 3, 1'000'000), 2048);
    EXPECT_EQ(offsetCode(s, 2, 0), 2048);
}

TEST(OffsetCode, AbsurdCalibrationSaturates) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    struct Case {
        std::int32_t zero, p1, p2, sh, code;
    };
    const Case cases[] = {
        {kMax, kMin, kMin + 1, 0, kMax}, // P2 - P1 = 1
        {kMin, kMin, kMin + 1, 0, kMin},
        {kMin, kMax, kMax - 1, kMax, kMax}, // P2 - P1 = -1
        {0, kMax, kMin, kMin, 1360},        // P2 - P1 needs 33 bits
    };
    for (const Case& k : cases) {
        ScopeState s;
        s.Scope.A1_Zero = k.zero;
        s.Calibrate.Z_A1P1 = k.p1;
        s.Calibrate.Z_A1P2 = k.p2;
        s.Calibrate.Z_A1SH = k.sh;
        EXPECT_EQ(offsetCode(s, 1, 50'000), k.code) << k.zero << " " << k.p1 << " " << k.p2;
    }
}

TEST(ParameterComputation, MenuValues) {
    Computation c;
    const std::pair<MaxFps, int> fps[] = {{MaxFps::F8, 125},
                                          {MaxFps::F15, 66},
                                          {MaxFps::F25, 40},
                                          {MaxFps::F40, 25},
                                          {MaxFps::NoLimit, 10}};
    for (const auto& [f, ms] : fps) {
        c.state.Common.Max_FPS = f;
        EXPECT_EQ(c.run().frameIntervalMs, ms);
    }
    for (int i = 0; i < 6; ++i) {
        c.state.Common.FreqMeter = static_cast<FreqMeter>(i);
        EXPECT_EQ(c.run().freqMeterInput, i + 1);
    }
    // Without a checked item the previous value stays.
    c.state.Common.Max_FPS.reset();
    c.state.Common.FreqMeter.reset();
    EXPECT_EQ(c.run().frameIntervalMs, 10);
    EXPECT_EQ(c.params.freqMeterInput, 6);

    const std::pair<std::optional<DrawMode>, int> draw[] = {
        {DrawMode::Dots, 0}, {DrawMode::Vectors, 1}, {DrawMode::Sinxx, 2}, {std::nullopt, 0}};
    for (const auto& [d, mode] : draw) {
        c.state.Common.DrawMode = d;
        EXPECT_EQ(c.run().drawMode, mode);
    }
    const std::tuple<bool, bool, int> markers[] = {
        {false, false, 0}, {true, false, 1}, {false, true, 2}, {true, true, 2}};
    for (const auto& [m1, m2, mode] : markers) {
        c.state.Common.Markers_1 = m1;
        c.state.Common.Markers_2 = m2;
        EXPECT_EQ(c.run().markerMode, mode);
    }
    c.state.Common.Lenta = true;
    c.state.Common.On_Top = true;
    EXPECT_TRUE(c.run().scrollDisplay);
    EXPECT_TRUE(c.view.stayOnTop);
}

// --- Generator -------------------------------------------------------------------------------

struct GeneratorComputation : Computation {
    GeneratorComputation() {
        state.Run.generatorOn = true;
        state.Generator.Ampl = 100;
    }
};

TEST(GeneratorParameters, OffSendsModeByteFive) {
    for (int wave = 0; wave < 5; ++wave) {
        for (int mode = -1; mode < 3; ++mode) {
            for (int range = 0; range < 6; ++range) {
                Computation c;
                c.state.Generator.Wave = static_cast<GenWave>(wave);
                setGroupSelection(c.state, GroupId::GenMode, mode);
                c.state.Generator.Range = static_cast<GenRange>(range);
                EXPECT_EQ(c.run().genMode, 5) << wave << " " << mode << " " << range;
            }
        }
    }
}

TEST(GeneratorParameters, ContinuousFrequencyAndWaveform) {
    GeneratorComputation c;
    auto p = c.run();
    EXPECT_EQ(p.genFrequency, 10000); // F_fast 100 x 100 + 0
    EXPECT_EQ(p.genSecond, 0);
    EXPECT_EQ(p.genWord1, 10995116);
    EXPECT_EQ(p.genMode, 0);
    EXPECT_EQ(p.genAmplitude, 412);

    c.state.Generator.Range = GenRange::R1M_10mS;
    EXPECT_EQ(c.run().genWord1, 1099511627);

    const std::pair<GenWave, std::uint8_t> waves[] = {{GenWave::Sin, 0},
                                                      {GenWave::Up_Trian, 1},
                                                      {GenWave::Dn_Trian, 2},
                                                      {GenWave::Rect, 3},
                                                      {GenWave::Trian, 4}};
    c.state.Generator.Range = GenRange::R10K_1S;
    for (const auto& [w, bits] : waves) {
        c.state.Generator.Wave = w;
        EXPECT_EQ(c.run().genMode, bits);
    }
    c.state.Generator.F_fast = 0;
    c.state.Generator.F_slow = 0;
    EXPECT_EQ(c.run().genMode, 5);
}

TEST(GeneratorParameters, RangeScaling) {
    const std::tuple<GenRange, std::int32_t, std::int32_t> ranges[] = {
        {GenRange::R10K_1S, 1, 100000},   {GenRange::R100K_100mS, 10, 10000},
        {GenRange::R1M_10mS, 100, 1000},  {GenRange::R10M_1mS, 1000, 100},
        {GenRange::R50M_100uS, 5000, 10}, {GenRange::Noise, 1, 1},
    };
    for (const auto& [range, freqScale, pulseScale] : ranges) {
        GeneratorComputation c;
        c.state.System.Debug_qs = true; // 50M stays selected outside pulse mode
        c.state.Generator.Range = range;
        c.state.Generator.F_fast = 12;
        c.state.Generator.F_slow = 34;
        EXPECT_EQ(c.run().genFrequency, 1234 * freqScale);
        c.state.Generator.Mode = GenMode::Pulse;
        const auto& p = c.run();
        EXPECT_EQ(p.pulseTime1, 34 * pulseScale);
        EXPECT_EQ(p.pulseTime2, 12 * pulseScale);
    }
}

TEST(GeneratorParameters, Sweep) {
    GeneratorComputation c;
    c.state.Generator.Mode = GenMode::F_Sweep;
    c.state.Generator.F_fast = 10;
    c.state.Generator.F_slow = 20;
    auto p = c.run();
    ASSERT_EQ(p.postTrigger, 4500);
    EXPECT_EQ(p.genFrequency, 1000);
    EXPECT_EQ(p.genWord1, 1099511);
    EXPECT_EQ(p.genWord2, 244);
    EXPECT_EQ(p.genSecond, 998); // the span really swept
    EXPECT_EQ(p.genMode, 0x08);
    c.state.Generator.F_fast = 0;
    c.state.Generator.F_slow = 0;
    EXPECT_EQ(c.run().genMode, 5 | 0x08);
}

TEST(GeneratorParameters, PulseWordsAndKeepPulse) {
    GeneratorComputation c;
    c.state.Generator.Mode = GenMode::Pulse;
    c.state.Generator.F_fast = 3;
    c.state.Generator.F_slow = 7;
    c.state.Generator.Wave = GenWave::Rect;
    auto p = c.run();
    EXPECT_EQ(p.pulseTime1, 700000);
    EXPECT_EQ(p.pulseTime2, 300000);
    EXPECT_EQ(p.genWord1, 699999);
    EXPECT_EQ(p.genWord2, 300000);
    EXPECT_EQ(p.genMode, 0x13);

    struct Case {
        bool keep;
        std::int32_t fast, slow, t1, t2;
    };
    const Case cases[] = {
        {false, 0, 0, 0, 0}, {true, 0, 0, 2, 1}, {true, 5, 5, 5, 4},
        {true, 0, 1, 2, 1},  {true, 9, 4, 4, 9}, {true, 2, 2, 2, 1},
    };
    c.state.Generator.Range = GenRange::Noise; // pulse times unscaled
    for (const Case& k : cases) {
        c.state.System.Keep_Pulse = k.keep;
        c.state.Generator.F_fast = k.fast;
        c.state.Generator.F_slow = k.slow;
        p = c.run();
        EXPECT_EQ(p.pulseTime1, k.t1) << k.fast << " " << k.slow;
        EXPECT_EQ(p.pulseTime2, k.t2) << k.fast << " " << k.slow;
        EXPECT_EQ(p.genWord1, k.t1 > 0 ? k.t1 - 1 : 0);
    }
}

// Pulse mode used to scale the kept frequency again on every recomputation.
TEST(GeneratorParameters, PulseModeKeepsTheLastFrequency) {
    GeneratorComputation c;
    c.state.Generator.Range = GenRange::R1M_10mS;
    c.state.Generator.Mode = GenMode::F_Sweep;
    c.state.Generator.F_fast = 10;
    c.state.Generator.F_slow = 20;
    const auto before = c.run();
    c.state.Generator.Mode = GenMode::Pulse;
    for (int i = 0; i < 3; ++i) {
        const auto& p = c.run();
        EXPECT_EQ(p.genFrequency, before.genFrequency);
        EXPECT_EQ(p.genSecond, before.genSecond);
        EXPECT_EQ(p.pulseTime1, 20 * 1000);
        EXPECT_EQ(p.pulseTime2, 10 * 1000);
    }
}

TEST(GeneratorParameters, Modulation) {
    struct Case {
        std::int32_t type, freqX, depthX, devX;
        std::uint8_t modeBits;
        std::int64_t word2;
        std::int32_t word3;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0x20, 36914, 10737},  // AM, amplitude 412, depth 700
        {0, 1, 1, 0, 0x20, 73829, 107374}, // depth doubled, frequency x10
        {1, 0, 0, 0, 0x18, 2013, 10737},   // FM, deviation 300
        {1, 0, 0, 1, 0x18, 20132, 10737},  // deviation x10
    };
    for (const Case& k : cases) {
        GeneratorComputation c;
        GeneratorSection& g = c.state.Generator;
        g.Mode = GenMode::Mod;
        g.Wave = GenWave::Trian;
        g.Mod_Type = k.type, g.Mod_Freq_x = k.freqX, g.Mod_K_x = k.depthX, g.Dev_Freq_x = k.devX;
        const auto& p = c.run();
        EXPECT_EQ(p.genMode, 4 | k.modeBits);
        EXPECT_EQ(p.genWord2, k.word2);
        EXPECT_EQ(p.genWord3, k.word3);
    }
}

// A plain waveform used to pick up the AM bits and words of the modulation branch.
TEST(GeneratorParameters, PlainWaveformSetsNoModulation) {
    GeneratorComputation c;
    c.state.Generator.Wave = GenWave::Rect;
    c.state.Generator.Mode = GenMode::Mod;
    const AcquisitionParams modulated = c.run();
    c.state.Generator.Mode.reset();
    const auto& p = c.run();
    EXPECT_EQ(p.genMode, 3);
    // The words a plain waveform does not use are left as the last computation set them.
    EXPECT_EQ(p.genWord2, modulated.genWord2);
    EXPECT_EQ(p.genWord3, modulated.genWord3);
}

TEST(GeneratorParameters, Noise) {
    GeneratorComputation c;
    c.state.Generator.Range = GenRange::Noise;
    c.state.Generator.Wave = GenWave::Rect; // the noise source forces the sine
    EXPECT_EQ(c.run().genMode, 0x28);
    EXPECT_EQ(c.state.Generator.Wave, GenWave::Sin);
}

TEST(GeneratorParameters, AmplitudeWithinTheBarsRange) {
    struct Case {
        bool service;
        std::int32_t ampl;
        std::uint16_t sent;
    };
    const Case cases[] = {
        {false, 100, 412}, {false, 0, 501}, {false, 9999, 126},
        {true, 0, 512},    {true, 9999, 1}, {true, std::numeric_limits<std::int32_t>::min(), 512},
    };
    for (const Case& k : cases) {
        GeneratorComputation c;
        c.state.System.No_Excuse = k.service;
        c.state.Generator.Ampl = k.ampl;
        EXPECT_EQ(c.run().genAmplitude, k.sent) << k.ampl;
    }
}

// --- Values from files outside their ranges --------------------------------------------------

TEST(ParameterComputation, OutOfRangeTriggerFieldsAreLimited) {
    struct Case {
        std::int32_t pre, n;
        std::int32_t preSent;
        std::uint8_t countSent;
    };
    const Case cases[] = {
        {-5, 0, 0, 0},
        {50, 300, 9 * 500, 255},
        {std::numeric_limits<std::int32_t>::max(), -1, 9 * 500, 0},
        {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), 0,
         255},
    };
    for (const Case& k : cases) {
        Computation c;
        c.state.Trigger.Source = TrigSource::A1;
        c.state.Trigger.Pre = k.pre;
        c.state.Trigger.N = k.n;
        const auto& p = c.run();
        EXPECT_EQ(p.preTrigger, k.preSent) << k.pre;
        EXPECT_EQ(p.triggerCount, k.countSent) << k.n;
        EXPECT_EQ(p.postTrigger, 5000 - k.preSent);
    }
}

TEST(ParameterComputation, OutOfRangeGeneratorFieldsAreLimited) {
    GeneratorComputation c;
    GeneratorSection& g = c.state.Generator;
    g.F_fast = std::numeric_limits<std::int32_t>::max();
    g.F_slow = -5;
    g.Range = GenRange::R10M_1mS;
    EXPECT_EQ(c.run().genFrequency, 100000 * 1000);

    g.Mode = GenMode::Mod;
    g.Mod_Type = 7; // any type but 0 is FM
    g.Mod_Freq = std::numeric_limits<std::int32_t>::max();
    g.Mod_Freq_x = 5; // only 1 multiplies
    g.Dev_Freq = -40;
    auto p = c.run();
    EXPECT_EQ(p.genWord3, 107374);
    EXPECT_EQ(p.genWord2, 0);
    EXPECT_EQ(p.genMode, 0x18);

    g.Mod_Type = 0;
    g.Mod_K = std::numeric_limits<std::int32_t>::max();
    g.Mod_K_x = 1;
    p = c.run();
    EXPECT_EQ(p.genWord2, static_cast<std::int64_t>(412 * 65.5355 / 512.0 * 2000));

    g.Mode = GenMode::Pulse;
    g.F_fast = std::numeric_limits<std::int32_t>::min();
    g.F_slow = std::numeric_limits<std::int32_t>::max();
    p = c.run();
    EXPECT_EQ(p.pulseTime1, 1000 * 100);
    EXPECT_EQ(p.pulseTime2, 0);
}

TEST(ParameterComputation, SelectionsOutsideTheirGroupsFallBack) {
    Computation c;
    c.state.Scope.TimeDiv = static_cast<TimeDiv>(200);
    c.state.Scope.VoltsDiv_A1 = static_cast<VoltsDiv>(99);
    c.state.Common.FreqMeter = static_cast<FreqMeter>(42);
    const auto& p = c.run();
    EXPECT_EQ(p.timePerDivNs, 50);
    EXPECT_EQ(p.voltsDivA1, 1'000'000);
    EXPECT_EQ(p.freqMeterInput, 0); // unchanged
}

TEST(ParameterComputation, NonFiniteLevelsGiveDefinedThresholds) {
    Computation c;
    c.state.Trigger.Hyst = 0;
    c.state.Trigger.Lev_A1 = std::numeric_limits<double>::quiet_NaN();
    c.state.Trigger.Lev_A2 = std::numeric_limits<double>::infinity();
    const auto& p = c.run();
    EXPECT_EQ(p.thresholds[0], 1); // NaN counts as 0
    EXPECT_EQ(p.thresholds[1], 0);
    EXPECT_EQ(p.thresholds[2], 255);
    EXPECT_EQ(p.thresholds[3], 255);
}

TEST(ScopeState, FftLengthLimitsTheSize) {
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {0, 1024},  {2, 4096},  {5, 32768},
        {6, 32768}, {-1, 1024}, {std::numeric_limits<std::int32_t>::max(), 32768},
    };
    for (const auto& [size, length] : cases)
        EXPECT_EQ(fftLength(size), length) << size;
}

// Every valid selection keeps the pre-trigger inside the record.
TEST(ParameterComputation, PreTriggerStaysInsideTheRecord) {
    for (int t = 0; t < 27; ++t)
        for (int n = -1; n < 4; ++n)
            for (int d = -1; d < 5; ++d)
                for (bool peak : {false, true}) {
                    Computation c;
                    c.state.Scope.TimeDiv = static_cast<TimeDiv>(t);
                    setGroupSelection(c.state, GroupId::Sampling, n);
                    setGroupSelection(c.state, GroupId::Divisions, d);
                    c.state.Common.SmplPeakDet = peak;
                    c.state.Trigger.Source = TrigSource::A1;
                    c.state.Trigger.Pre = 9;
                    const auto& p = c.run();
                    SCOPED_TRACE(::testing::Message() << t << " " << n << " " << d << " " << peak);
                    EXPECT_GE(p.divider, 1u);
                    EXPECT_GE(p.preTrigger, 0);
                    EXPECT_LT(p.preTrigger, p.recordLength);
                    EXPECT_EQ(p.postTrigger, p.recordLength - p.preTrigger);
                }
}

// Random states, including integers from anywhere in their type's range: the computation must
// stay defined (the sanitizer build checks it) and keep the packet fields in range.
TEST(ParameterComputation, AnyStateIsValidInput) {
    std::mt19937 rng(20240611);
    auto anyInt = [&] {
        switch (rng() % 4) {
        case 0:
            return static_cast<std::int32_t>(rng() % 2001) - 1000;
        case 1:
            return std::numeric_limits<std::int32_t>::max() - static_cast<std::int32_t>(rng() % 3);
        case 2:
            return std::numeric_limits<std::int32_t>::min() + static_cast<std::int32_t>(rng() % 3);
        default:
            return static_cast<std::int32_t>(rng());
        }
    };
    auto anyBool = [&] { return (rng() & 1) != 0; };
    // A member index or -1 (ignored by exclusive groups).
    auto pick = [&](GroupId id) {
        return static_cast<int>(rng() % (groupDef(id).members.size() + 1)) - 1;
    };
    Computation c;
    for (int i = 0; i < 3000; ++i) {
        ScopeState& s = c.state;
        for (const GroupDef& g : allGroups())
            setGroupSelection(s, g.id, pick(g.id));
        s.System.Device_Type_Code = anyInt();
        s.System.Debug_qs = anyBool();
        s.System.Keep_Pulse = anyBool();
        s.Common.CH_A1 = anyBool(), s.Common.CH_A2 = anyBool();
        s.Common.CH_D1 = anyBool(), s.Common.CH_D2 = anyBool();
        s.Common.SmplPeakDet = anyBool();
        s.Common.Lenta = anyBool();
        s.Scope.A1_Zero = anyInt(), s.Scope.A2_Zero = anyInt();
        s.Trigger.Lev_A1 = anyInt() * 1.5, s.Trigger.Lev_A2 = anyInt() / 3.0;
        s.Trigger.Pre = anyInt(), s.Trigger.N = anyInt(), s.Trigger.Hyst = anyInt();
        s.Calibrate.Z_A1P1 = anyInt(), s.Calibrate.Z_A1P2 = anyInt(), s.Calibrate.Z_A1SH = anyInt();
        s.Calibrate.Z_A2P1 = anyInt(), s.Calibrate.Z_A2P2 = anyInt(), s.Calibrate.Z_A2SH = anyInt();
        GeneratorSection& g = s.Generator;
        g.F_fast = anyInt(), g.F_slow = anyInt(), g.Ampl = anyInt();
        g.Mod_Type = anyInt(), g.Mod_Freq = anyInt(), g.Mod_Freq_x = anyInt();
        g.Mod_K = anyInt(), g.Mod_K_x = anyInt(), g.Dev_Freq = anyInt(), g.Dev_Freq_x = anyInt();
        s.Run.generatorOn = anyBool(), s.Run.running = anyBool(), s.Run.snglDown = anyBool();
        s.ScaleChange.A1 = anyBool(), s.ScaleChange.A2 = anyBool();
        c.background.Lev_A1 = anyInt(), c.background.A1_Zero = anyInt();

        const auto& p = c.run();
        ASSERT_GE(p.preTrigger, 0);
        ASSERT_GT(p.postTrigger, 0);
        ASSERT_GE(p.divider, 1u);
        ASSERT_LE(p.genAmplitude, 512);
        ASSERT_GE(p.genAmplitude, 1);
        ASSERT_LT(std::llabs(p.genWord1), 1LL << 40);
        ASSERT_LT(std::llabs(p.genWord2), 1LL << 40);
        ASSERT_LT(std::abs(p.genWord3), 1 << 24);
        ASSERT_LE(p.freqMeterInput, 6); // 0 only until an item has been checked
        ASSERT_TRUE(std::isfinite(s.Trigger.Lev_A1));
        ASSERT_TRUE(std::isfinite(c.background.Lev_A1));
    }
}

} // namespace
} // namespace qs40

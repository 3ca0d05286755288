// The generator end to end: the host's parameter computation turns front-panel settings into
// the generator words, the packet carries them, the simulated instrument's generator plays them
// into A2, and the host's frames show the waveform, frequency and amplitude asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "host_decode.h"
#include "scope/parameter_computation.h"
#include "sim/generator.h"
#include "sim_bench.h"

namespace qs40::sim {
namespace {

using namespace std::chrono_literals;

TEST(GeneratorWords, DecodeTheGeneratorBlockAndTheOffBit) {
    AcquisitionParams p;
    p.genMode = 0x2B;
    p.genWord1 = 0xFEDCBA9876;
    p.genWord2 = -12345; // a sweep downwards
    p.genAmplitude = 0x2A7;
    p.genWord3 = 0xABCDEF;
    const GeneratorSettings on = GeneratorSettings::decode(generatorBlock(p), 0x07);
    EXPECT_EQ(on.mode, 0x2B);
    EXPECT_EQ(on.word1, 0xFEDCBA9876u);
    EXPECT_EQ(on.word2, -12345);
    EXPECT_EQ(on.amplitude, 0x2A7);
    EXPECT_EQ(on.word3, 0xABCDEFu);
    EXPECT_FALSE(on.outputOff);
    EXPECT_TRUE(GeneratorSettings::decode(generatorBlock(p), 0x0F).outputOff);
}

TEST(GeneratorWords, ModeByteSelectsTheMode) {
    const std::pair<std::uint8_t, GeneratorMode> cases[] = {
        {0x00, GeneratorMode::Continuous}, {0x04, GeneratorMode::Continuous},
        {0x08, GeneratorMode::Sweep},      {0x10, GeneratorMode::Pulse},
        {0x18, GeneratorMode::Fm},         {0x20, GeneratorMode::Am},
        {0x28, GeneratorMode::Noise},      {0x05, GeneratorMode::Off},
        {0x0D, GeneratorMode::Off},        {0x25, GeneratorMode::Off},
    };
    for (const auto& [mode, want] : cases) {
        GeneratorSettings s;
        s.mode = mode;
        s.outputOff = false;
        Generator g;
        g.configure(s, SimTime{0}, 1, 1000);
        EXPECT_EQ(g.mode(), want) << static_cast<int>(mode);
    }
}

// The host's settings for a capture of the generator on A2 at 1 V/div around code 128.
struct HostSettings {
    ScopeState state;
    AcquisitionParams params;
    BackgroundLevels background;
    PanelView view;

    HostSettings() {
        state.System.Device_Type_Code = 31;
        state.Run.runDown = state.Run.running = true;
        state.Run.generatorOn = true;
        state.Scope.VoltsDiv_A2 = VoltsDiv::V1;
        state.Scope.A2_Zero = 128;
        state.Trigger.Source.reset(); // free running
    }
    const AcquisitionParams& compute() {
        computeParameters(state, params, background, view);
        return params;
    }
};

// A2 of a few frames in volts, with the sample interval.
struct Capture {
    std::vector<std::vector<double>> frames;
    double dt = 0;     // seconds
    int trigger = 0;   // trigger position
    double hostHz = 0; // the frequency meter on A2, read by the host's formula
};

Capture capture(HostSettings& host, std::size_t frames = 2) {
    test::Bench bench(test::exactConfig()); // the demo: A2 is the generator
    bench.configure();
    host.state.Common.FreqMeter = FreqMeter::A2;
    const AcquisitionParams& p = host.compute();
    bench.run(p, 1);
    EXPECT_TRUE(bench.collect(frames, 3s));
    bench.at(bench.t + 200ms); // a status with the counts
    Capture c;
    const double zero = bench.transfer(1, p).zero;
    for (std::size_t i = 0; i < frames && i < bench.host.frames.size(); ++i) {
        const test::PlacedFrame placed = test::placeFrame(bench.host.frames[i], p.recordLength);
        std::vector<double> volts;
        for (const std::int32_t code : placed.first[1])
            volts.push_back((code - zero) / 32.0);
        c.frames.push_back(std::move(volts));
        c.trigger = placed.trigger;
    }
    c.dt = p.divider * 10e-9;
    const StatusReport& s = bench.host.statuses.back();
    // The host corrects the instrument's 12 ppm fast reference with Time = 60.
    if (s.freqCount2 > 0)
        c.hostHz = (s.freqCount1 - 1.0) * 1e8 / s.freqCount2 * (1 + 60 * 0.2e-6);
    return c;
}

// Instants (in samples, interpolated) where v rises through `level`, with some hysteresis.
std::vector<double> risingCrossings(const std::vector<double>& v, double level, double hyst) {
    std::vector<double> out;
    bool armed = false;
    for (std::size_t i = 1; i < v.size(); ++i) {
        if (v[i - 1] < level - hyst)
            armed = true;
        if (armed && v[i - 1] < level && v[i] >= level) {
            out.push_back(static_cast<double>(i - 1) + (level - v[i - 1]) / (v[i] - v[i - 1]));
            armed = false;
        }
    }
    return out;
}

double measuredHz(const std::vector<double>& v, double dt) {
    const auto x = risingCrossings(v, 0.0, 0.2);
    if (x.size() < 3)
        return 0;
    return static_cast<double>(x.size() - 1) / ((x.back() - x.front()) * dt);
}

TEST(GeneratorEndToEnd, WaveformFrequencyAndAmplitudeFromTheHostsSettings) {
    struct Case {
        GenWave wave;
        std::int32_t fast, slow;
        GenRange range;
        TimeDiv time;
        std::int32_t ampl;
        double hz, peak;
    };
    const Case cases[] = {
        {GenWave::Sin, 100, 0, GenRange::R10K_1S, TimeDiv::T1mS, 11, 1000, 2.0},
        {GenWave::Rect, 250, 0, GenRange::R100K_100mS, TimeDiv::T01mS, 136, 25000, 1.5},
        {GenWave::Trian, 123, 45, GenRange::R1M_10mS, TimeDiv::T20uS, 261, 123450, 1.0},
        {GenWave::Up_Trian, 50, 0, GenRange::R10K_1S, TimeDiv::T2mS, 136, 500, 1.5},
        {GenWave::Dn_Trian, 300, 7, GenRange::R10K_1S, TimeDiv::T05mS, 11, 3000.7, 2.0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(static_cast<int>(k.wave));
        HostSettings host;
        host.state.Generator.Wave = k.wave;
        host.state.Generator.F_fast = k.fast;
        host.state.Generator.F_slow = k.slow;
        host.state.Generator.Range = k.range;
        host.state.Generator.Ampl = k.ampl;
        host.state.Scope.TimeDiv = k.time;
        const Capture c = capture(host);
        ASSERT_EQ(c.frames.size(), 2u);
        EXPECT_NEAR(c.hostHz, k.hz, k.hz * 1e-5); // the frequency meter
        for (const auto& v : c.frames) {
            EXPECT_NEAR(measuredHz(v, c.dt), k.hz, k.hz * 0.005);
            const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
            EXPECT_NEAR((*hi - *lo) / 2, k.peak, 2.0 / 32);
            EXPECT_NEAR((*hi + *lo) / 2, 0.0, 2.0 / 32);
            // The shape: mean distance from the middle, and jumps of more than half the swing.
            const double mid = (*hi + *lo) / 2, half = (*hi - *lo) / 2;
            double spread = 0;
            int ups = 0, downs = 0;
            for (std::size_t i = 0; i < v.size(); ++i) {
                spread += std::abs(v[i] - mid) / half;
                if (i > 0 && v[i] - v[i - 1] > half)
                    ++ups;
                if (i > 0 && v[i - 1] - v[i] > half)
                    ++downs;
            }
            spread /= static_cast<double>(v.size());
            const int periods = static_cast<int>(k.hz * c.dt * static_cast<double>(v.size()));
            switch (k.wave) {
            case GenWave::Sin:
                EXPECT_NEAR(spread, 2 / 3.14159265, 0.03);
                EXPECT_EQ(ups + downs, 0);
                break;
            case GenWave::Rect:
                EXPECT_GT(spread, 0.95);
                EXPECT_NEAR(ups, periods, 1);
                EXPECT_NEAR(downs, periods, 1);
                break;
            case GenWave::Trian:
                EXPECT_NEAR(spread, 0.5, 0.03);
                EXPECT_EQ(ups + downs, 0);
                break;
            case GenWave::Up_Trian: // rising saw: drops once a period
                EXPECT_NEAR(spread, 0.5, 0.03);
                EXPECT_EQ(ups, 0);
                EXPECT_NEAR(downs, periods, 1);
                break;
            case GenWave::Dn_Trian:
                EXPECT_NEAR(spread, 0.5, 0.03);
                EXPECT_NEAR(ups, periods, 1);
                EXPECT_EQ(downs, 0);
                break;
            }
        }
    }
}

// 1 kHz to 5 kHz over the post-trigger samples; a free-running record starts with the sweep.
TEST(GeneratorEndToEnd, SweepStepsWord2EveryPostTriggerSample) {
    HostSettings host;
    host.state.Generator.Mode = GenMode::F_Sweep;
    host.state.Generator.F_fast = 10;
    host.state.Generator.F_slow = 50;
    host.state.Generator.Range = GenRange::R100K_100mS;
    host.state.Scope.TimeDiv = TimeDiv::T1mS;
    const Capture c = capture(host);
    const AcquisitionParams& p = host.params;
    const double span = p.genSecond / 10.0; // the span the instrument really sweeps
    EXPECT_NEAR(span, 4000, 1);
    const double post = p.postTrigger * c.dt;
    for (const auto& v : c.frames) {
        const auto x = risingCrossings(v, 0.0, 0.2);
        int checked = 0;
        for (std::size_t i = 1; i < x.size(); ++i) {
            if (x[i - 1] < c.trigger)
                continue; // the end of the previous sweep
            const double at = ((x[i - 1] + x[i]) / 2 - c.trigger) * c.dt;
            const double want = 1000 + span * at / post;
            EXPECT_NEAR(1 / ((x[i] - x[i - 1]) * c.dt), want, want * 0.02) << at;
            ++checked;
        }
        EXPECT_GT(checked, 20);
    }
}

TEST(GeneratorEndToEnd, PulseTimesInTenNanosecondUnits) {
    HostSettings host;
    host.state.Generator.Mode = GenMode::Pulse;
    host.state.Generator.F_fast = 2; // width: 2 x 10 us
    host.state.Generator.F_slow = 5; // period: 5 x 10 us
    host.state.Generator.Range = GenRange::R1M_10mS;
    host.state.Scope.TimeDiv = TimeDiv::T20uS;
    const Capture c = capture(host);
    EXPECT_EQ(host.params.genWord1, 4999);
    EXPECT_EQ(host.params.genWord2, 2000);
    EXPECT_NEAR(c.hostHz, 20000, 0.2);
    for (const auto& v : c.frames) {
        // Runs of high samples, whole ones only.
        std::vector<int> highs;
        std::vector<int> starts;
        int run = 0;
        for (std::size_t i = 0; i < v.size(); ++i) {
            if (v[i] > 0) {
                if (run++ == 0)
                    starts.push_back(static_cast<int>(i));
            } else if (run > 0) {
                if (starts.back() > 0)
                    highs.push_back(run);
                run = 0;
            }
        }
        ASSERT_GE(highs.size(), 3u);
        for (const int h : highs)
            EXPECT_NEAR(h * c.dt, 20e-6, c.dt);
        for (std::size_t i = 1; i < starts.size(); ++i)
            EXPECT_NEAR((starts[i] - starts[i - 1]) * c.dt, 50e-6, c.dt);
    }
}

// The largest |v| of each carrier period.
std::vector<double> envelope(const std::vector<double>& v, std::size_t perPeriod) {
    std::vector<double> out;
    for (std::size_t i = 0; i + perPeriod <= v.size(); i += perPeriod) {
        double m = 0;
        for (std::size_t j = i; j < i + perPeriod; ++j)
            m = std::max(m, std::abs(v[j]));
        out.push_back(m);
    }
    return out;
}

TEST(GeneratorEndToEnd, AmplitudeModulation) {
    HostSettings host;
    host.state.Generator.Mode = GenMode::Mod;
    host.state.Generator.Mod_Type = 0;
    host.state.Generator.Mod_Freq = 100; // 1 kHz
    host.state.Generator.Mod_K = 500;    // 50 %
    host.state.Generator.F_fast = 200;   // 20 kHz carrier
    host.state.Generator.Range = GenRange::R100K_100mS;
    host.state.Generator.Ampl = 261; // 1 V peak
    host.state.Scope.TimeDiv = TimeDiv::T1mS;
    const Capture c = capture(host);
    EXPECT_NEAR(c.hostHz, 20000, 0.2);
    for (const auto& v : c.frames) {
        const auto env = envelope(v, 25); // 25 samples of 2 us per carrier period
        const auto [lo, hi] = std::minmax_element(env.begin(), env.end());
        EXPECT_NEAR(*hi, 1.5, 0.06);
        EXPECT_NEAR(*lo, 0.5, 0.06);
        // The envelope repeats at the modulation frequency: 20 carrier periods.
        const auto peak = static_cast<std::size_t>(hi - env.begin());
        const std::size_t again = peak + 20 < env.size() ? peak + 20 : peak - 20;
        EXPECT_NEAR(env[again], *hi, 0.06);
    }
}

TEST(GeneratorEndToEnd, FrequencyModulation) {
    HostSettings host;
    host.state.Generator.Mode = GenMode::Mod;
    host.state.Generator.Mod_Type = 1;
    host.state.Generator.Mod_Freq = 100; // 1 kHz
    host.state.Generator.Dev_Freq = 300; // 3 kHz
    host.state.Generator.F_fast = 200;   // 20 kHz carrier
    host.state.Generator.Range = GenRange::R100K_100mS;
    host.state.Scope.TimeDiv = TimeDiv::T1mS;
    const Capture c = capture(host);
    for (const auto& v : c.frames) {
        const auto x = risingCrossings(v, 0.0, 0.2);
        double lo = 1e9, hi = 0;
        for (std::size_t i = 1; i < x.size(); ++i) {
            const double f = 1 / ((x[i] - x[i - 1]) * c.dt);
            lo = std::min(lo, f);
            hi = std::max(hi, f);
        }
        EXPECT_NEAR(lo, 17000, 400);
        EXPECT_NEAR(hi, 23000, 400);
    }
}

TEST(GeneratorEndToEnd, NoiseSource) {
    HostSettings host;
    host.state.Generator.Range = GenRange::Noise;
    host.state.Generator.Ampl = 136; // 1.5 V peak
    host.state.Scope.TimeDiv = TimeDiv::T10uS;
    const Capture c = capture(host);
    EXPECT_EQ(host.params.genMode & 0x38, 0x28);
    EXPECT_EQ(c.hostHz, 0.0); // nothing periodic to count
    for (const auto& v : c.frames) {
        const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
        EXPECT_LE(*hi, 1.5 + 1.0 / 32);
        EXPECT_GE(*lo, -1.5 - 1.0 / 32);
        EXPECT_GT(*hi - *lo, 2.5);
        const double mean = std::accumulate(v.begin(), v.end(), 0.0) / v.size();
        EXPECT_NEAR(mean, 0.0, 0.1);
    }
    EXPECT_NE(c.frames[0], c.frames[1]);
}

TEST(GeneratorEndToEnd, OffLeavesTheInputAtZero) {
    for (const bool byButton : {true, false}) {
        HostSettings host;
        host.state.Run.generatorOn = !byButton; // the host sends mode byte 5
        const AcquisitionParams& p = host.compute();
        if (!byButton) // the generator-off bit of the A1 input byte, mode byte as it was
            host.params.inputA1 |= 0x08;
        test::Bench bench(test::exactConfig());
        bench.configure();
        bench.run(p, 1);
        ASSERT_TRUE(bench.collect(1, 3s));
        const int zero = static_cast<int>(std::lround(bench.transfer(1, p).zero));
        const test::PlacedFrame placed = test::placeFrame(bench.host.frames[0], p.recordLength);
        for (const std::int32_t code : placed.first[1])
            ASSERT_EQ(code, zero) << byButton;
    }
}

} // namespace
} // namespace qs40::sim

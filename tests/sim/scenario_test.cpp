// The bench scenario: the short text form of a source, the sources' values at known instants,
// and what the instrument makes of them (codes at known sample instants, the demo keeping every
// channel busy).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "host_decode.h"
#include "sim/generator.h"
#include "sim/scenario.h"
#include "sim/scenario_signals.h"
#include "sim/sim_options.h"
#include "sim_bench.h"

namespace qs40::sim {
namespace {

using namespace std::chrono_literals;

TEST(InputSourceText, ParsesEveryKind) {
    const std::pair<const char*, InputSource> cases[] = {
        {"sine:1k:2.0", InputSource::sine(1000, 2.0)},
        {"sine:50", InputSource::sine(50, 1.0)},
        {"square:2.5M:0.5:1:90", InputSource::periodic(SourceKind::Square, 2.5e6, 0.5, 1, 90)},
        {"triangle:300:1.5:-0.25", InputSource::periodic(SourceKind::Triangle, 300, 1.5, -0.25)},
        {"rsaw:1k", InputSource::periodic(SourceKind::RisingSaw, 1000, 1.0)},
        {"fsaw:1k:2", InputSource::periodic(SourceKind::FallingSaw, 1000, 2.0)},
        {"clock:10k", InputSource::clock(10000)},
        {"clock:3k:0.25:180", InputSource::clock(3000, 0.25, 180)},
        {"dc:-1.5", InputSource::dc(-1.5)},
        {"noise:1M:0.2:0.1", InputSource::noise(1e6, 0.2, 0.1)},
        {"noise:10k", InputSource::noise(1e4, 1.0)},
        {"gen", InputSource::generator()},
        {"off", InputSource::off()},
    };
    for (const auto& [text, want] : cases) {
        std::string error;
        const auto got = parseInputSource(text, &error);
        ASSERT_TRUE(got) << text << ": " << error;
        EXPECT_EQ(*got, want) << text;
    }
}

TEST(InputSourceText, RefusesBadTextsWithAReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"wave:1k", "unknown input source"}, {"sine", "wrong number"},
        {"sine:1k:1:0:0:5", "wrong number"}, {"dc", "wrong number"},
        {"dc:1:2", "wrong number"},          {"gen:1", "wrong number"},
        {"sine:abc", "not a number"},        {"sine:1kk", "not a number"},
        {"sine:", "not a number"},           {"clock:1k:1.5", "duty"},
        {"", "unknown input source"},
    };
    for (const auto& [text, reason] : cases) {
        std::string error;
        EXPECT_FALSE(parseInputSource(text, &error)) << text;
        EXPECT_NE(error.find(reason), std::string::npos) << text << ": " << error;
    }
}

TEST(InputSourceText, DeviceTextSetsTheNamedInputsAndKeepsTheDemoElsewhere) {
    const auto o = parseSimDeviceText("sim:a1=sine:1k:2.0,a2=gen,d1=clock:10k,d2=clock:3k");
    ASSERT_TRUE(o);
    const Scenario& s = o->instrument.inputs;
    EXPECT_EQ(s.inputs[Scenario::A1], InputSource::sine(1000, 2.0));
    EXPECT_EQ(s.inputs[Scenario::A2], InputSource::generator());
    EXPECT_EQ(s.inputs[Scenario::D1], InputSource::clock(10000));
    EXPECT_EQ(s.inputs[Scenario::D2], InputSource::clock(3000));

    const auto partial = parseSimDeviceText("sim:pace=fast,d2=off");
    ASSERT_TRUE(partial);
    Scenario want = Scenario::demo();
    want.inputs[Scenario::D2] = InputSource::off();
    EXPECT_EQ(partial->instrument.inputs, want);
    EXPECT_EQ(parseSimDeviceText("sim")->instrument.inputs, Scenario::demo());

    std::string error;
    EXPECT_FALSE(parseSimDeviceText("sim:a1=wave:1k", &error));
    EXPECT_NE(error.find("a1: unknown input source"), std::string::npos) << error;
}

TEST(InputSources, ValuesAtKnownInstants) {
    struct Case {
        const char* what;
        InputSource source;
        double t;
        double volts;
    };
    const double ms = 1e-3;
    const Case cases[] = {
        {"sine at a quarter period", InputSource::sine(1000, 2, 0.5), 0.25 * ms, 2.5},
        {"sine at half a period", InputSource::sine(1000, 2, 0.5), 0.5 * ms, 0.5},
        {"sine 90 degrees ahead", InputSource::sine(1000, 2, 0, 90), 0, 2},
        {"square first half", InputSource::periodic(SourceKind::Square, 1000, 1), 0.1 * ms, 1},
        {"square second half", InputSource::periodic(SourceKind::Square, 1000, 1), 0.6 * ms, -1},
        {"triangle peak", InputSource::periodic(SourceKind::Triangle, 1000, 1), 0.25 * ms, 1},
        {"triangle falling", InputSource::periodic(SourceKind::Triangle, 1000, 1), 0.5 * ms, 0},
        {"triangle trough", InputSource::periodic(SourceKind::Triangle, 1000, 1), 0.75 * ms, -1},
        {"rising saw start", InputSource::periodic(SourceKind::RisingSaw, 1000, 1), 0, -1},
        {"rising saw middle", InputSource::periodic(SourceKind::RisingSaw, 1000, 1), 0.75 * ms,
         0.5},
        {"falling saw middle", InputSource::periodic(SourceKind::FallingSaw, 1000, 1), 0.75 * ms,
         -0.5},
        {"clock high", InputSource::clock(1000, 0.25), 0.2 * ms, 3.3},
        {"clock low", InputSource::clock(1000, 0.25), 0.3 * ms, 0},
        {"clock half a period late", InputSource::clock(1000, 0.5, 180), 0.2 * ms, 0},
        {"dc", InputSource::dc(-1.25), 5 * ms, -1.25},
        {"off", InputSource::off(), 5 * ms, 0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(sourceVolts(c.source, c.t, nullptr, 0), c.volts, 1e-9) << c.what;
}

TEST(InputSources, NoiseIsRepeatableBoundedAndDiffersBetweenInputs) {
    const InputSource n = InputSource::noise(1e6, 0.5, 1.0);
    double sum = 0, low = 10, high = -10;
    int differ = 0;
    const int count = 20000;
    for (int i = 0; i < count; ++i) {
        const double t = i * 137e-9;
        const double v = sourceVolts(n, t, nullptr, 7);
        EXPECT_EQ(v, sourceVolts(n, t, nullptr, 7));
        differ += v != sourceVolts(n, t, nullptr, 8);
        sum += v;
        low = std::min(low, v);
        high = std::max(high, v);
    }
    EXPECT_GE(low, 0.5);
    EXPECT_LE(high, 1.5);
    EXPECT_LT(low, 0.6);
    EXPECT_GT(high, 1.4);
    EXPECT_NEAR(sum / count, 1.0, 0.02);
    EXPECT_GT(differ, count * 9 / 10);
}

TEST(InputSources, DigitalInputsReadTheLogicThreshold) {
    Generator none;
    Scenario s;
    s.inputs[Scenario::D1] = InputSource::clock(1000, 0.5);
    s.inputs[Scenario::D2] = InputSource::sine(1000, 1.0); // never above 1.4 V
    const ScenarioSignals signals(s, none);
    EXPECT_TRUE(signals.digital(0, 0.1e-3));
    EXPECT_FALSE(signals.digital(0, 0.6e-3));
    for (double t = 0; t < 1e-3; t += 1e-5)
        ASSERT_FALSE(signals.digital(1, t)) << t;
    EXPECT_EQ(signals.frequency(3), 1000.0);
    EXPECT_EQ(signals.frequency(4), 0.0); // nothing the logic input can count
    EXPECT_EQ(signals.dcLevel(0), 0.0);
}

// Every kind of source on A1, sampled by the instrument: each placed sample is the source's
// value at its instant, digitised.
TEST(InputSources, InstrumentCodesAreTheSourceAtTheSampleInstants) {
    const InputSource sources[] = {
        InputSource::sine(12345, 1.5, 0.2, 30),
        InputSource::periodic(SourceKind::Square, 23456, 1.2, -0.3),
        InputSource::periodic(SourceKind::Triangle, 34567, 2),
        InputSource::periodic(SourceKind::RisingSaw, 45678, 1),
        InputSource::periodic(SourceKind::FallingSaw, 5678, 1),
        InputSource::clock(67890, 0.3),
        InputSource::dc(0.75),
        InputSource::noise(2e6, 1),
    };
    for (const InputSource& source : sources) {
        Scenario s;
        s.inputs[Scenario::A1] = source;
        test::Bench bench(s);
        bench.configure();
        AcquisitionParams p = test::runParams(2000, 10);
        p.runBits = 0x81;
        p.divider = 7; // 70 ns per sample
        bench.run(p, 1);
        ASSERT_TRUE(bench.collect(2));
        const ChannelTransfer k = bench.transfer(0, p);
        for (std::size_t f = 0; f < 2; ++f) {
            const test::PlacedFrame placed = test::placeFrame(bench.host.frames[f], 2000);
            for (int i = 0; i < placed.length; ++i) {
                const double v = sourceVolts(
                    source, test::Bench::instant(bench.truths[f], placed.trigger, i), nullptr, 0);
                ASSERT_EQ(placed.first[0][static_cast<std::size_t>(i)], k.code(v))
                    << static_cast<int>(source.kind) << " frame " << f << " sample " << i;
            }
        }
    }
}

// The demo, as the program starts it with the generator switched on: no channel is flat.
TEST(DemoScenario, EveryChannelIsAlive) {
    InstrumentConfig c; // the demo scenario, the ADC's own noise
    c.bytesPerSecond = 0;
    test::Bench bench(c);
    bench.configure();
    AcquisitionParams p = test::runParams(5000, 40);
    p.divider = 200;                                                // 1 ms per division
    p.inputA1 = 0x07;                                               // 1 V/div, generator on
    p.genMode = 0;                                                  // sine
    p.genWord1 = static_cast<std::int64_t>(10000 * 1099.511627776); // 1 kHz
    p.genAmplitude = 501;
    bench.run(p, 1);
    ASSERT_TRUE(bench.collect(3));
    for (const auto& f : bench.host.frames) {
        const test::PlacedFrame placed = test::placeFrame(f, 5000);
        for (int ch = 0; ch < 4; ++ch) {
            const auto& v = placed.first[static_cast<std::size_t>(ch)];
            ASSERT_EQ(v.size(), 5000u) << ch;
            const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
            EXPECT_GE(*hi - *lo, ch < 2 ? 60 : 1) << "channel " << ch;
            int changes = 0;
            for (std::size_t i = 1; i < v.size(); ++i)
                changes += v[i] != v[i - 1];
            EXPECT_GE(changes, ch < 2 ? 1000 : 40) << "channel " << ch;
        }
    }
}

} // namespace
} // namespace qs40::sim

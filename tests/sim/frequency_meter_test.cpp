// The frequency meter as the host reads it: the counts of the status packet give the input's
// frequency by (count 1 - 1) x 10^8 / count 2 x (1 + Time x 0.2e-6), times eight on the
// high-frequency inputs of D1 and D2.
#include <gtest/gtest.h>

#include "sim/frequency_meter.h"
#include "sim_bench.h"

namespace qs40::sim {
namespace {

using namespace std::chrono_literals;

// The host's reading, or 0 without one.
double hostReading(const StatusReport& s, int time) {
    if (s.freqCount2 == 0)
        return 0;
    const double f = (s.freqCount1 - 1.0) * 1e8 / s.freqCount2 * (1 + time * 0.2e-6);
    return s.freqRange == 5 || s.freqRange == 6 ? f * 8 : f;
}

TEST(FrequencyMeter, CountsGiveTheInputFrequencyByTheHostsFormula) {
    struct Case {
        const char* what;
        Scenario::Input input;
        InputSource source;
        std::uint8_t meterInput;
        double hz; // 0: no reading
    };
    const Case cases[] = {
        {"A1 sine", Scenario::A1, InputSource::sine(1000, 1), 1, 1000},
        {"A2 sine", Scenario::A2, InputSource::sine(12345.6, 0.3, 1), 2, 12345.6},
        {"A1 slow sine: one period", Scenario::A1, InputSource::sine(3, 1), 1, 3},
        {"D1 clock", Scenario::D1, InputSource::clock(10000), 3, 10000},
        {"D2 clock", Scenario::D2, InputSource::clock(123456.7, 0.3), 4, 123456.7},
        {"D1 high-frequency input", Scenario::D1, InputSource::clock(25e6), 5, 25e6},
        {"D2 high-frequency input", Scenario::D2, InputSource::clock(7654321), 6, 7654321},
        {"A1 at a steady level", Scenario::A1, InputSource::dc(1), 1, 0},
        {"D1 below the logic threshold", Scenario::D1, InputSource::sine(1000, 1), 3, 0},
    };
    for (const Case& c : cases) {
        Scenario s;
        s.inputs[c.input] = c.source;
        test::Bench bench(s);
        bench.configure();
        AcquisitionParams p = test::runParams();
        p.freqMeterInput = c.meterInput;
        bench.run(p, 1);
        bench.at(bench.t + 150ms);
        const StatusReport& status = bench.host.statuses.back();
        EXPECT_EQ(status.freqRange, c.meterInput) << c.what;
        // The instrument's reference runs 12 ppm fast; Time = 60 corrects it.
        EXPECT_NEAR(hostReading(status, 60), c.hz, c.hz * 2e-7 + 1e-9) << c.what;
        if (c.hz > 0) { // uncorrected, the reading is 12 ppm low
            EXPECT_NEAR(hostReading(status, 0) / c.hz, 1 / 1.000012, 2e-7) << c.what;
        }
    }
}

TEST(FrequencyMeter, GeneratorOutputLoopedToA2) {
    test::Bench bench(test::exactConfig()); // the demo: A2 is the generator
    bench.configure();
    AcquisitionParams p = test::runParams();
    p.freqMeterInput = 2;
    p.inputA1 = 0x07;                                                    // generator on
    p.genMode = 3;                                                       // rectangle
    p.genWord1 = static_cast<std::int64_t>(10'000'000 * 1099.511627776); // 1 MHz
    p.genAmplitude = 400;
    bench.run(p, 1);
    bench.at(bench.t + 150ms);
    EXPECT_NEAR(hostReading(bench.host.statuses.back(), 60), 1e6, 0.5);
}

TEST(FrequencyMeter, ReadingAtTheLimits) {
    EXPECT_EQ(readFrequencyMeter(1, 0.4, 0).count2, 0u); // below half a hertz: none
    const FreqMeterReading slow = readFrequencyMeter(1, 0.5, 0);
    EXPECT_EQ(slow.count1, 2u);
    EXPECT_EQ(slow.count2, 200'000'000u);
    const FreqMeterReading fast = readFrequencyMeter(6, 50e6, 0); // 6.25 MHz after the divider
    EXPECT_EQ(fast.range, 6);
    EXPECT_EQ(fast.count1, 625'001u);
    EXPECT_EQ(fast.count2, 10'000'000u);
}

} // namespace
} // namespace qs40::sim

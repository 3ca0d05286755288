// The trigger as the host reads it: the fine trigger offset the host computes from the tail
// (sinc search at divider 1, counter and crossing codes above it, the TDC for digital sources)
// against the crossing that really happened; the trigger count, auto mode, and the TDC counts a
// calibration would measure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "host_decode.h"
#include "sim_bench.h"

namespace qs40::sim {
namespace {

using namespace std::chrono_literals;

constexpr TdcConstants kTrueTdc{19, 21, 20, 22}; // InstrumentConfig's default true steps

struct FineOffsetCase {
    const char* name;
    InputSource source;
    Scenario::Input input; // the trigger source
    std::uint32_t divider;
    bool falling;
    bool peakDetect;
    double tolerance; // tenths of a sample
};

// The tenths of a sample from the trigger position to the crossing, in the source's series:
// digital samples without pairs are latched half a sample before the analog ones.
double trueOffset(const FrameTruth& truth, bool digitalSource, bool pairs) {
    const double dt = static_cast<double>(truth.sampleInterval.count());
    const double fromP = truth.crossingNs - static_cast<double>(truth.triggerSample.count());
    return fromP / dt * 10 + (digitalSource && !pairs ? 5 : 0);
}

TEST(FineTriggerOffset, HostFormulasFindTheTrueCrossing) {
    const FineOffsetCase cases[] = {
        {"A1 divider 1 (sinc search)", InputSource::sine(1.234567e6, 2.5), Scenario::A1, 1, false,
         false, 2.0},
        {"A2 divider 1 falling", InputSource::sine(1.7654321e6, 3), Scenario::A2, 1, true, false,
         2.0},
        {"A1 divider 4, steep", InputSource::sine(2.34567e6, 3.5), Scenario::A1, 4, false, false,
         1.0},
        {"A1 divider 20", InputSource::sine(123456.7, 2.5), Scenario::A1, 20, false, false, 1.0},
        {"A2 divider 7 falling", InputSource::sine(234567.8, 2.5), Scenario::A2, 7, true, false,
         2.0},
        {"A1 divider 50 with pairs", InputSource::sine(12345.6, 2.5), Scenario::A1, 50, false, true,
         1.0},
        {"D1 divider 1 (TDC)", InputSource::clock(1.234567e6, 0.4), Scenario::D1, 1, false, false,
         1.0},
        {"D1 divider 5 falling", InputSource::clock(345678.9, 0.5), Scenario::D1, 5, true, false,
         1.0},
        {"D2 divider 20 with pairs", InputSource::clock(45678.9, 0.3), Scenario::D2, 20, false,
         true, 1.0},
    };
    for (const FineOffsetCase& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario s;
        s.inputs[c.input] = c.source;
        test::Bench bench(s);
        bench.configure();
        AcquisitionParams p = test::runParams(1000, 2);
        p.divider = c.divider;
        p.preTrigger = 300;
        p.postTrigger = 700;
        p.triggerCount = 1;
        const bool digital = c.input >= Scenario::D1;
        const bool second = c.input == Scenario::A2 || c.input == Scenario::D2;
        p.modeBits = static_cast<std::uint8_t>((digital ? 0x02 : 0) | (second ? 0x04 : 0) |
                                               (c.falling ? 0x10 : 0) | (c.peakDetect ? 0x01 : 0));
        // Thresholds 6 codes either side of the zero level, where the sines are steepest.
        for (int ch = 0; ch < 2; ++ch) {
            const int zero = static_cast<int>(std::lround(bench.transfer(ch, p).zero));
            p.thresholds[2 * ch] = static_cast<std::uint8_t>(zero - 6);
            p.thresholds[2 * ch + 1] = static_cast<std::uint8_t>(zero + 6);
        }
        bench.run(p, 1, kTrueTdc); // the host stored constants that match the TDCs
        ASSERT_TRUE(bench.collect(40));
        double lowest = 100, highest = -100, sumError = 0;
        for (std::size_t i = 0; i < bench.host.frames.size(); ++i) {
            const auto& f = bench.host.frames[i];
            ASSERT_EQ(f.tail[tail_field::kStreamFlags] & 0x04, 0) << i;
            const test::PlacedFrame placed = test::placeFrame(f, 1000);
            const int host = test::hostFineOffset(f, placed, static_cast<int>(c.input) + 1,
                                                  c.divider, p.thresholds, kTrueTdc);
            const double truth = trueOffset(bench.truths[i], digital, placed.pairs);
            EXPECT_NEAR(host, truth, c.tolerance) << "frame " << i;
            lowest = std::min(lowest, truth);
            highest = std::max(highest, truth);
            sumError += host - truth;
        }
        // The crossings fall all over the sample interval, and the host is not biased beyond
        // its own rounding: up to a tenth at divider 1 (the first tenth past the threshold),
        // half a clock tick above (the codes around the crossing are whole codes).
        EXPECT_GT(highest - lowest, 6.0);
        const double bias = c.divider == 1 ? 0.8 : 0.3 + 5.0 / c.divider;
        EXPECT_LT(std::abs(sumError / static_cast<double>(bench.host.frames.size())), bias);
    }
}

TEST(FineTriggerOffset, TriggerPositionHoldsTheLastSampleBeforeTheCrossing) {
    Scenario s;
    s.inputs[Scenario::A1] = InputSource::sine(34567.8, 2);
    test::Bench bench(s);
    bench.configure();
    AcquisitionParams p = test::runParams(2000, 5);
    p.runBits = 0x81;
    p.divider = 30;
    p.preTrigger = 700;
    p.postTrigger = 1300;
    p.triggerCount = 1;
    p.thresholds = {140, 150, 0, 0};
    bench.run(p, 1);
    ASSERT_TRUE(bench.collect(10));
    for (std::size_t i = 0; i < bench.host.frames.size(); ++i) {
        const auto& f = bench.host.frames[i];
        const test::PlacedFrame placed = test::placeFrame(f, 2000);
        EXPECT_EQ(placed.trigger, 700);
        EXPECT_EQ(placed.length, 2000);
        EXPECT_EQ(f.tail16(tail_field::kWritePointer),
                  (f.tail16(tail_field::kTriggerPointer) + 1300) % 2000);
        const FrameTruth& truth = bench.truths[i];
        const double crossing = truth.crossingNs;
        const double atP = static_cast<double>(truth.triggerSample.count());
        EXPECT_LE(atP, crossing);
        EXPECT_GT(atP + 300, crossing);
        EXPECT_LE(placed.first[0][700], 150);
        EXPECT_LT(readLe32(&f.tail[tail_field::kTriggerTime]), 30u);
    }
}

TEST(Trigger, FiresOnTheNthEdgeAfterArming) {
    const double period = 1.0 / 10000; // a 10 kHz square on D1
    for (const int n : {1, 3, 7}) {
        Scenario s;
        s.inputs[Scenario::D1] = InputSource::clock(10000);
        test::Bench bench(s);
        bench.configure();
        AcquisitionParams p = test::runParams(500, 5);
        p.divider = 100;
        p.preTrigger = 0;
        p.postTrigger = 500;
        p.triggerCount = static_cast<std::uint8_t>(n);
        p.modeBits = 0x02;
        bench.run(p, 1);
        ASSERT_TRUE(bench.collect(5));
        for (std::size_t i = 0; i < bench.truths.size(); ++i) {
            const double armed = static_cast<double>(bench.truths[i].armedAt.count());
            const double waited = (bench.truths[i].crossingNs - armed) * 1e-9;
            EXPECT_GE(waited, 0) << n;
            EXPECT_LT(waited, n * period + 1e-6) << n << " frame " << i;
            EXPECT_GT(waited, (n - 1) * period) << n << " frame " << i;
        }
    }
}

TEST(Trigger, AutoModeSendsUntriggeredFramesOnlyWhenNoEdgeComes) {
    Scenario s;
    s.inputs[Scenario::A1] = InputSource::sine(1000, 1);
    test::Bench bench(s);
    bench.configure();
    AcquisitionParams p = test::runParams(1000, 10);
    p.divider = 10;
    p.triggerCount = 1;
    p.modeBits = 0x20; // auto, A1 rising
    p.thresholds = {130, 150, 0, 0};
    bench.run(p, 1);
    ASSERT_TRUE(bench.collect(5));
    for (const auto& f : bench.host.frames)
        EXPECT_EQ(f.tail[tail_field::kStreamFlags], 0); // a trigger each time

    p.thresholds = {250, 252, 0, 0}; // out of reach
    bench.run(p, 2);
    bench.at(bench.t + 1s);
    ASSERT_GE(bench.host.frames.size(), 8u);
    EXPECT_LE(bench.host.frames.size(), 11u); // one per time-out of 100 ms
    for (const auto& f : bench.host.frames)
        EXPECT_EQ(f.tail[tail_field::kStreamFlags], 0x04);

    p.modeBits = 0x00; // normal mode: nothing comes
    bench.run(p, 3);
    bench.at(bench.t + 1s);
    EXPECT_TRUE(bench.host.frames.empty());
}

// What the TDC calibration does: the generator at 9 876 543.2 Hz looped to D1 and D2, 50
// frames per input and edge. Its period is 10.125 clock ticks, so its edges fall on eight
// places within a tick, and the largest count is within an eighth of the TDC's steps per 10 ns.
TEST(Trigger, TdcCountsReachTheTrueStepsUnderTheCalibrationSignal) {
    Scenario s = Scenario::demo();
    s.inputs[Scenario::D1] = InputSource::generator();
    s.inputs[Scenario::D2] = InputSource::generator();
    test::Bench bench(s);
    bench.configure();
    AcquisitionParams p = test::runParams(1000, 10);
    p.runBits = 0x8C;
    p.preTrigger = 0;
    p.postTrigger = 1000;
    p.triggerCount = 1;
    p.inputA1 = 0x07; // generator on
    p.genMode = 0;
    p.genWord1 = 108'593'740'906;
    p.genAmplitude = 500;
    const std::uint8_t flags[] = {0x02, 0x12, 0x06, 0x16};
    for (std::size_t k = 0; k < 4; ++k) {
        p.modeBits = flags[k];
        p.freqMeterInput = k < 2 ? 3 : 4;
        bench.run(p, static_cast<std::uint8_t>(k + 1));
        ASSERT_TRUE(bench.collect(50));
        int highest = 0;
        for (std::size_t i = 0; i < 50; ++i)
            highest = std::max<int>(highest, bench.host.frames[i].tail[tail_field::kTdcCount]);
        EXPECT_GE(highest, kTrueTdc[k] - kTrueTdc[k] / 8 - 1) << k;
        EXPECT_LE(highest, kTrueTdc[k]) << k;
        EXPECT_GE(highest, 12) << k; // a calibration pass accepts it
    }
}

} // namespace
} // namespace qs40::sim

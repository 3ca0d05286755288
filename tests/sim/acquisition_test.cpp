// The analog path and the record: AC coupling, clipping at the code limits, peak-detect pairs
// and the roll stream, as the host places them.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "host_decode.h"
#include "sim_bench.h"

namespace qs40::sim {
namespace {

using namespace std::chrono_literals;

double mean(const std::vector<std::int32_t>& v) {
    return std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
}

// A1 only, 1 V/div, 10 us per sample: 1000 samples hold ten periods of 1 kHz.
AcquisitionParams a1Params(bool ac) {
    AcquisitionParams p = test::runParams(1000, 20);
    p.runBits = 0x81;
    p.divider = 1000;
    p.inputA1 = static_cast<std::uint8_t>(0x07 | 0x08 | (ac ? 0x10 : 0));
    return p;
}

TEST(AnalogPath, AcCouplingRemovesTheMeanLevel) {
    struct Case {
        const char* what;
        InputSource source;
        double mean; // volts
    };
    const Case cases[] = {
        {"sine on 1.5 V", InputSource::sine(1000, 1, 1.5), 1.5},
        {"clock, a quarter high", InputSource::clock(1000, 0.25), 0.825},
        {"-1 V", InputSource::dc(-1), -1},
        {"sine on -0.8 V", InputSource::periodic(SourceKind::Triangle, 3000, 0.5, -0.8), -0.8},
    };
    for (const Case& c : cases) {
        for (const bool ac : {false, true}) {
            Scenario s;
            s.inputs[Scenario::A1] = c.source;
            test::Bench bench(s);
            bench.configure();
            const AcquisitionParams p = a1Params(ac);
            bench.run(p, 1);
            ASSERT_TRUE(bench.collect(1)) << c.what;
            const test::PlacedFrame placed = test::placeFrame(bench.host.frames[0], 1000);
            const double zero = bench.transfer(0, p).zero;
            const double want = ac ? 0.0 : c.mean * 32; // codes above the zero level
            EXPECT_NEAR(mean(placed.first[0]) - zero, want, 0.6) << c.what << (ac ? " AC" : " DC");
        }
    }
}

TEST(AnalogPath, CodesClipAtTheLimitsAndNeverReach255) {
    struct Case {
        InputSource source;
        int low, high;
    };
    const Case cases[] = {
        {InputSource::dc(10), 254, 254},
        {InputSource::dc(-10), 0, 0},
        {InputSource::sine(1000, 8), 0, 254},
    };
    for (const Case& c : cases) {
        Scenario s;
        s.inputs[Scenario::A1] = c.source;
        s.inputs[Scenario::A2] = c.source;
        test::Bench bench(s);
        bench.configure();
        AcquisitionParams p = a1Params(false);
        p.runBits = 0x83;
        bench.run(p, 1);
        ASSERT_TRUE(bench.collect(2));
        for (const auto& f : bench.host.frames) {
            EXPECT_EQ(std::count(f.samples.begin(), f.samples.end(), 0xFF), 0);
            const test::PlacedFrame placed = test::placeFrame(f, 1000);
            for (int ch = 0; ch < 2; ++ch) {
                const auto [lo, hi] =
                    std::minmax_element(placed.first[ch].begin(), placed.first[ch].end());
                EXPECT_EQ(*lo, c.low) << ch;
                EXPECT_EQ(*hi, c.high) << ch;
            }
        }
    }
}

// A sine and a narrow clock that repeat every sample period: plain samples always see the same
// phase, the pairs see the whole swing.
TEST(PeakDetect, PairsHoldTheSmallestAndLargestValueOfTheirPeriod) {
    Scenario s;
    s.inputs[Scenario::A1] = InputSource::sine(6.25e6, 1);
    s.inputs[Scenario::D1] = InputSource::clock(6.25e6, 0.25);
    for (const bool peak : {false, true}) {
        test::Bench bench(s);
        bench.configure();
        AcquisitionParams p = test::runParams(1000, 10);
        p.runBits = 0x85;
        p.divider = 16; // one period of both signals
        p.preTrigger = 200;
        p.postTrigger = 800;
        p.modeBits = peak ? 0x01 : 0x00;
        bench.run(p, 1);
        ASSERT_TRUE(bench.collect(2));
        const ChannelTransfer k = bench.transfer(0, p);
        const test::PlacedFrame placed = test::placeFrame(bench.host.frames[1], 1000);
        EXPECT_EQ(placed.length, peak ? 500 : 1000);
        EXPECT_EQ(placed.trigger, peak ? 100 : 200);
        const auto& a1 = placed.first[0];
        for (std::size_t i = 0; i < a1.size(); ++i) {
            if (peak) {
                ASSERT_EQ(placed.first[0][i], k.code(-1.0)) << i;
                ASSERT_EQ(placed.second[0][i], k.code(1.0)) << i;
                ASSERT_EQ(placed.first[2][i], 0) << i;
                ASSERT_EQ(placed.second[2][i], 1) << i;
            } else {
                ASSERT_EQ(a1[i], a1[0]) << i;
                ASSERT_EQ(placed.first[2][i], placed.first[2][0]) << i;
            }
        }
    }
}

TEST(PeakDetect, PairsBracketASlowSignal) {
    Scenario s;
    s.inputs[Scenario::A1] = InputSource::sine(12345, 2);
    test::Bench bench(s);
    bench.configure();
    AcquisitionParams p = test::runParams(2000, 10);
    p.runBits = 0x81;
    p.divider = 100;
    p.modeBits = 0x01;
    bench.run(p, 1);
    ASSERT_TRUE(bench.collect(2));
    const ChannelTransfer k = bench.transfer(0, p);
    const test::PlacedFrame placed = test::placeFrame(bench.host.frames[1], 2000);
    const InputSource& a1 = s.inputs[Scenario::A1];
    for (int i = 0; i < placed.length; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const double t = test::Bench::instant(bench.truths[1], placed.trigger, i);
        const int code = k.code(sourceVolts(a1, t, nullptr, 0));
        ASSERT_LE(placed.first[0][at], code) << i;
        ASSERT_GE(placed.second[0][at], code) << i;
        // One microsecond of a 2 V, 12 kHz sine moves at most 5 codes.
        ASSERT_LE(placed.second[0][at] - placed.first[0][at], 6) << i;
    }
}

class RollStream : public ::testing::Test {
protected:
    RollStream() : bench(scenario()) {}
    static Scenario scenario() {
        Scenario s;
        s.inputs[Scenario::A1] = InputSource::periodic(SourceKind::RisingSaw, 0.3, 3);
        return s;
    }
    // 1 ms per sample: the ring of 1000 fills in one second.
    AcquisitionParams params(bool freeRunning, bool peak = false) const {
        AcquisitionParams p = test::runParams(1000, 40);
        p.runBits = 0x81;
        p.divider = 100000;
        p.preTrigger = 0;
        p.postTrigger = 1000;
        p.rollBits = 3;
        p.modeBits = static_cast<std::uint8_t>((freeRunning ? 0x08 : 0) | (peak ? 0x01 : 0));
        return p;
    }
    // Every valid sample of the last frame is the input at its instant.
    void expectSamplesInTime(const AcquisitionParams& p, bool unroll) {
        const auto& f = bench.host.frames.back();
        const test::PlacedFrame placed = test::placeFrame(f, 1000, unroll);
        const ChannelTransfer k = bench.transfer(0, p);
        ASSERT_GT(placed.valid, 0);
        for (int i = 0; i < placed.valid; ++i) {
            const double t = test::Bench::instant(bench.truths.back(), 0, i);
            const int code = k.code(sourceVolts(scenario().inputs[0], t, nullptr, 0));
            ASSERT_EQ(placed.first[0][static_cast<std::size_t>(i)], code) << i;
        }
    }
    test::Bench bench;
};

TEST_F(RollStream, FillsInRealTimeThenRollsOn) {
    bench.configure();
    const AcquisitionParams p = params(true);
    bench.run(p, 1);
    const SimTime started = bench.t;
    bench.at(started + 400ms);
    const auto& early = bench.host.frames.back();
    EXPECT_EQ(early.tail[tail_field::kStreamFlags], 0x05); // stream, not complete
    EXPECT_NEAR(early.tail16(tail_field::kWritePointer), 400, 1);
    EXPECT_EQ(test::placeFrame(early, 1000).valid, early.tail16(tail_field::kWritePointer));
    expectSamplesInTime(p, false);

    bench.at(started + 2520ms);
    const auto& late = bench.host.frames.back();
    EXPECT_EQ(late.tail[tail_field::kStreamFlags], 0x07); // complete
    EXPECT_NEAR(late.tail16(tail_field::kWritePointer), 520, 1);
    expectSamplesInTime(p, true); // oldest first
}

TEST_F(RollStream, SingleRollStopsWhenTheRingIsFull) {
    bench.configure();
    const AcquisitionParams p = params(false);
    bench.run(p, 1);
    bench.at(bench.t + 3s);
    const auto& f = bench.host.frames.back();
    EXPECT_EQ(f.tail[tail_field::kStreamFlags], 0x07);
    EXPECT_EQ(f.tail16(tail_field::kWritePointer), 0);
    expectSamplesInTime(p, true); // the first second, not the third
    EXPECT_EQ(bench.truths.back().triggerSample, bench.truths.front().triggerSample);
}

TEST_F(RollStream, PeakDetectPairsInTheRing) {
    bench.configure();
    const AcquisitionParams p = params(true, true);
    bench.run(p, 1);
    bench.at(bench.t + 320ms); // frames every 40 ms
    const auto& f = bench.host.frames.back();
    EXPECT_NEAR(f.tail16(tail_field::kWritePointer), 2 * 320, 2); // in entries
    const test::PlacedFrame placed = test::placeFrame(f, 1000);
    EXPECT_EQ(placed.length, 500);
    for (int i = 0; i < placed.valid; ++i)
        ASSERT_LE(placed.first[0][static_cast<std::size_t>(i)],
                  placed.second[0][static_cast<std::size_t>(i)]);
}

} // namespace
} // namespace qs40::sim
